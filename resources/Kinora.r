# Kinora's resources: menus, dialogs, the alert, the string list, the sound.
# Compiled by rescompile into build/Kinora.rsrc (see the README for the format).
# Rectangles are top left bottom right; window bounds are global, for a
# 1024x768 screen with a 20-pixel menu bar.

resource 'MBAR' 128
    menu 128
    menu 129
    menu 130
    menu 131
end

resource 'MENU' 128 "About"
    title "About"
    item "About Kinora…"
end

resource 'MENU' 129 "File"
    title "File"
    item "New" key N
    item "Open…" key O
    item "Close" key W
    item "Save" key S
    item "Save As…" key S shift
    separator
    item "Quit" key Q
end

resource 'MENU' 130 "Edit"
    title "Edit"
    item "Undo" key Z
    separator
    item "Cut" key X
    item "Copy" key C
    item "Paste" key V
    item "Clear"
    separator
    item "Select All" key A
    item "Select None"
end

resource 'MENU' 131 "Movie"
    title "Movie"
    item "Hide Controller"
    item "Hide Speaker Button"
    separator
    item "Export…" key E shift
end

resource 'STR#' 1000 "Application name"
    string "Kinora"
end

# The About box: a movable modal box. Item 1 is the default button, item 4 a
# user item (the framed area left of the text).
resource 'DLOG' 128 "About Kinora"
    bounds 230 302 380 722
    proc movableDBoxProc
    visible
    items 128
    title "About Kinora"
end

resource 'DITL' 128
    button "OK" 114 330 134 400
    static "Kinora 1.0" 20 100 38 400 disabled
    static "Makes and plays movies: File > New builds a new movie from nothing, with pictures and sound." 46 100 96 400 disabled
    user 20 20 84 84 disabled
end

# The message dialog shown before the application gives up (item 3 receives
# the message), and the warning alert. They share item list 129: item 2
# shows ^0 ("Warning!" in the alert, nothing in the dialog) and item 3
# shows ^1 ^2 (the alert's message and error number; the dialog puts its
# message there instead). Item 3 has room for four lines: a message that
# names a file (up to 63 characters) and says why it failed.
resource 'DLOG' 129 "Message"
    bounds 250 302 390 722
    proc movableDBoxProc
    visible
    items 129
    title "Kinora"
end

resource 'ALRT' 129 "Warning"
    bounds 250 302 390 722
    items 129
    stages 0x5555
end

resource 'DITL' 129
    button "OK" 104 334 124 404
    static "^0" 14 20 32 404 disabled
    static "^1 ^2" 36 20 96 404 disabled
end

# The fanfare, made by synthsound at build time: 6.5 s, 8-bit mono, 22050 Hz.
resource 'snd ' 128 "Fanfare"
    format 1
    modifier 5 0x80              # sampled synthesizer, mono
    command bufferCmd|dataOffsetFlag 0 header
    header standard
    data wav "Fanfare.wav"
    rate 22050
end
