resource 'DLOG' 128 "About"
    bounds 10 10 100 300
    items 128
    title "About"
end
resource 'DITL' 128
    button "OK" 1 2 3 4
    user 5 6 7 8 disabled
end
resource 'ALRT' 129
    bounds 1 2 3 4
    items 128
end
