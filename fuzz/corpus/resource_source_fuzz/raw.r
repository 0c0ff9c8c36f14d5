resource 'NONE' 1 raw
end
