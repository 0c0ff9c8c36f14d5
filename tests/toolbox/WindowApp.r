# Resources of window_app, the Window and Menu Manager test program.

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
