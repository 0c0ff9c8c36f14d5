# Sound resources for testing the sound reader: every kind it must take and
# every kind it must refuse. Compiled into build/tests/TestSounds.rsrc.
# The compressed sounds hold a byte pattern, not real MACE data: a reader
# only has to find and size the data, not decode it.
#
# What a correct reader answers (offsets from the start of the resource):
#
#  ID    header  data   numSamples  data bytes  format  channels  bits
#  1000    26     48       1000        1000     'raw '     1        8
#  1001    14     36        500         500     'raw '     1        8
#  1002    28     50        800         800     'raw '     1        8
#  1003    20     84       1000        4000     'raw '     2       16
#  1004    20     84       1000        4000     'raw '     2       16
#  1005    20     84        600         200     'MAC3'     1        8
#  1006    20     84        600         400     'MAC3'     2        8
#  1007    20     84        600         100     'MAC6'     1        8
#  1008    20     84        600         200     'MAC6'     2        8
#
# and the broken ones:
#  1100  no command carries the data-offset flag: no header (offset 0)
#  1101  the command count is 0: no header (offset 0)
#  1102  standard header at 20 with encode byte 0x42: corrupt sound data
#  1103  compressed header at 20 with compressionID 5: corrupt sound data
#  1104  compressed header at 20 with 3 channels: corrupt sound data
#  1105  the command points at offset 4000, past the end (size 142)
#  1106  standard header at 20 cut after 10 of its 22 bytes (size 30)
#  1107  standard header at 20 says 1000 bytes of samples; 100 follow (size 142)
#  1108  extended header at 20 cut after 40 of its 64 bytes (size 60)
# All take a rate of 22050 Hz (0x56220000), except 1001 at 11025 Hz.

resource 'snd ' 1000 "format 1, two modifiers, standard header"
    format 1
    modifier 5 0x80
    modifier 6 0
    command bufferCmd|dataOffsetFlag 0 header
    header standard
    rate 22050
    data tone 440 1000
end

resource 'snd ' 1001 "format 2, standard header"
    format 2
    refcount 0
    command bufferCmd|dataOffsetFlag 0 header
    header standard
    rate 11025
    data pattern 500
end

resource 'snd ' 1002 "plain soundCmd skipped before the bufferCmd"
    modifier 5 0x80
    command soundCmd 0 0
    command bufferCmd|dataOffsetFlag 0 header
    header standard
    rate 22050
    data pattern 800
end

resource 'snd ' 1003 "extended header, 16-bit stereo, from AIFF"
    modifier 5 0xA0
    command bufferCmd|dataOffsetFlag 0 header
    header extended
end

resource 'snd ' 1004 "extended header, 16-bit stereo, from WAV"
    modifier 5 0xA0
    command bufferCmd|dataOffsetFlag 0 header
    header extended
end

resource 'snd ' 1005 "compressed MAC3 mono"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    header compressed
    compression MAC3
    channels 1
    rate 22050
    data pattern 100
end

resource 'snd ' 1006 "compressed MAC3 stereo"
    modifier 5 0xA0
    command bufferCmd|dataOffsetFlag 0 header
    header compressed
    compression MAC3
    channels 2
    rate 22050
    data pattern 100
end

resource 'snd ' 1007 "compressed MAC6 mono"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    header compressed
    compression MAC6
    channels 1
    rate 22050
    data pattern 100
end

resource 'snd ' 1008 "compressed MAC6 stereo"
    modifier 5 0xA0
    command bufferCmd|dataOffsetFlag 0 header
    header compressed
    compression MAC6
    channels 2
    rate 22050
    data pattern 100
end

resource 'snd ' 1100 "broken: no data-offset command"
    modifier 5 0x80
    command bufferCmd 0 header
    header standard
    rate 22050
    data pattern 100
end

resource 'snd ' 1101 "broken: command count 0"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    command-count 0
    header standard
    rate 22050
    data pattern 100
end

resource 'snd ' 1102 "broken: unknown encode byte 0x42"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    header standard
    encode 0x42
    rate 22050
    data pattern 100
end

resource 'snd ' 1103 "broken: compressionID 5"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    header compressed
    compression 5
    channels 1
    frames 10
    rate 22050
    data hex 00112233445566778899 00112233445566778899
end

resource 'snd ' 1104 "broken: 3 channels in a compressed header"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    header compressed
    compression MAC3
    channels 3
    rate 22050
    data pattern 10
end

resource 'snd ' 1105 "broken: header offset past the end"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 4000
    header standard
    rate 22050
    data pattern 100
end

resource 'snd ' 1106 "broken: header runs past the end"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    header standard
    rate 22050
    data pattern 100
    truncate 30
end

resource 'snd ' 1107 "broken: sample data runs past the end"
    modifier 5 0x80
    command bufferCmd|dataOffsetFlag 0 header
    header standard
    length 1000
    rate 22050
    data pattern 100
end

resource 'snd ' 1108 "broken: extended header runs past the end"
    modifier 5 0xA0
    command bufferCmd|dataOffsetFlag 0 header
    header extended
    channels 2
    sample-size 16
    rate 22050
    data pattern 10
    truncate 60
end
