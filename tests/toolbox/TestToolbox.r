# Menus and dialogs for the Menu and Dialog Manager tests (the dialog tests
# open the application's own Kinora.rsrc beside them for the About box and
# the alerts).

resource 'MBAR' 128
    menu 128
    menu 129
    menu 130
    menu 131
end

resource 'MENU' 128 "About"
    title "About"
    item "About Window Test…"
    item "Help" disabled
end

resource 'MENU' 129 "Window"
    title "Window"
    item "New Document" key N
    item "New Dialog" key D
    item "Close" key W
    item "Save" key S
    item "Save As…" key S shift
    separator
    item "Hide Front" key H option
    item "Show All"
    item "Never" key E disabled
    item "Checked"
end

resource 'MENU' 130 "Probe"
    title "Probe"
    item "Log Windows" key L
    item "Beep" key B
    item "Toggle Dimmed Menu"
end

resource 'MENU' 131 "Dimmed"
    title "Dimmed"
    disabled
    item "Nothing" key K
end

resource 'STR#' 1000 "Application name"
    string "Kinora"
end

# A form: two fields, a user item, OK (default) and Cancel.
resource 'DLOG' 200 "Form"
    bounds 200 300 360 700
    proc movableDBoxProc
    visible
    items 200
    title "Form"
end

resource 'DITL' 200
    button "OK" 124 310 144 384
    button "Cancel" 124 222 144 296
    static "Name:" 20 20 38 80 disabled
    edit "Kinora" 20 90 36 380
    static "Folder:" 52 20 70 80 disabled
    edit "" 52 90 68 380
    user 84 20 110 380
end

# An alert showing all four parameters.
resource 'ALRT' 300 "Parameters"
    bounds 250 312 370 712
    items 300
    stages 0x5555
end

resource 'DITL' 300
    button "OK" 84 316 104 384
    button "Cancel" 84 232 104 300
    static "^0 / ^1 / ^2 / ^3" 16 20 64 384 disabled
end

# A dialog whose item list is damaged: the second item's data runs past the end.
resource 'DLOG' 203 "Damaged"
    bounds 200 300 300 600
    proc movableDBoxProc
    visible
    items 203
    title "Damaged"
end

resource 'DITL' 203 raw
    u16 1
    u32 0
    s16 10 10 30 80
    u8 4 2
    text "OK"
    u32 0
    s16 40 10 60 280
    u8 136 200
    text "too short"
end
