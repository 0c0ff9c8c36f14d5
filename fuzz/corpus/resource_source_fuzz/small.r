resource 'STR#' 1000 "names"
    string "Kinora"
    string "two"
end
resource 'MENU' 129 "File"
    title "File"
    item "New" key N
    item "Save As…" key S shift
    separator
end
resource 'DATA' -3
    hex 00010203
end
resource 'snd ' 1 "tiny"
    modifier 5 0x80
    header standard
    rate 22050
    data pattern 16
end
