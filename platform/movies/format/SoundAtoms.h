// SoundAtoms.h — what a sound description's extension atoms say about how
// its sound is coded.
/*
 * The atoms follow the description's fixed fields (SampleDescriptions.h),
 * either at the top or, in files of the movie format, inside a 'wave'
 * atom (version 1 and 2 descriptions of compressed or wide sound):
 *
 *   'wave'  container, children:
 *     'frma'  u32 the original data format ('mp4a' for 'mp4a', ...)
 *     'enda'  u16 1 = little-endian samples (s16 in some writers: any
 *             non-zero value in the last byte counts)
 *     'esds'  as at the top level (below)
 *     'alac'  the lossless decoder's configuration, as at the top level
 *     'mp4a' / 'ms\0U' / ...  decoder-specific data of other writers, kept
 *     a terminator atom of type 0 (8 bytes), ended with
 *   'esds'  full atom: the elementary stream's descriptors (CodecConfig.h)
 *   'alac'  full atom, 24 bytes of configuration (frame length u32, ...)
 *   'dOps'  version u8, output channels u8, pre-skip u16, input rate u32,
 *           output gain s16, mapping family u8 (then a mapping table)
 *   'dfLa'  full atom, then metadata blocks: header u8 (last-block flag
 *           0x80, type 0 = STREAMINFO), length u24, data
 *   'dac3' / 'dec3'  the AC-3 / E-AC-3 stream's summary (the decoder
 *           reads the same from the stream itself)
 *   'chan'  full atom: layout tag u32, channel bitmap u32, description
 *           count u32, then 20 bytes per description (label u32, flags
 *           u32, three f32 coordinates)
 *
 * Parsing only reads: the description's bytes are what is written back.
 */
#pragma once

#include <optional>
#include <ostream>
#include <vector>

#include "platform/movies/format/CodecConfig.h"
#include "platform/movies/format/SampleDescriptions.h"

namespace platform::movies {

struct ChannelLayout {
    UInt32 tag = 0;
    UInt32 bitmap = 0;
    UInt32 descriptions = 0;
};

struct SoundAtoms {
    OSType original_format = 0;          // 'frma'
    std::optional<bool> little_endian;   // 'enda'
    std::optional<ElementaryStream> esds;
    std::vector<UInt8> alac;             // the whole 'alac' atom, header included
    std::vector<UInt8> dops;             // body
    std::vector<UInt8> dfla;             // body after version and flags
    std::optional<ChannelLayout> chan;

    // Fails with invalidSampleDescription for an atom that runs past its
    // container or a malformed atom among those above; other atoms are
    // passed over.
    static Result<SoundAtoms> parse(std::span<const UInt8> extensions);
    void dump(std::ostream& out, int level) const;
};

}  // namespace platform::movies
