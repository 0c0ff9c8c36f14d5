// SampleDescriptions.h — the sample description list (stsd) and typed views
// of its video and sound entries.
/*
 * stsd  (full atom) entry count u32, then the entries, each:
 *         0   size u32         whole entry
 *         4   data format u32  codec or sound format
 *         8   reserved 6 bytes
 *         14  data reference index u16 (1-based, into the media's dref)
 *         16  format-specific fields, kept exactly as stored
 *
 * Video ('vide'): the entry IS the 86-byte image description; its first
 * 16 bytes are the header above (idSize, cType, resvd1, resvd2,
 * dataRefIndex), then
 *         16  version s16            18  revision level s16
 *         20  vendor u32             24  temporal quality u32
 *         28  spatial quality u32    32  width s16      34  height s16
 *         36  horizontal res 16.16   40  vertical res 16.16
 *         44  data size u32          48  frame count s16
 *         50  compressor name, length-prefixed, 32 bytes
 *         82  depth s16 (1, 2, 4, 8 indexed; 16, 24, 32 direct; 33, 34,
 *             36, 40 grey of 1, 2, 4, 8 bits)
 *         84  colour table ID s16 (-1: the standard table of the depth)
 *         86  extensions (a stored colour table, then atoms such as 'gama',
 *             'fiel', 'colr'), up to the entry size
 *
 * Extension atoms the video model reads (each size u32, type u32, body):
 *   colr  colour type u32: 'nclx' or 'nclc', then primaries u16, transfer
 *         u16, matrix u16 (the ISO/ITU code points); 'nclx' adds a byte
 *         whose top bit says full range. Other types (ICC profiles) are
 *         kept, not read.
 *   pasp  horizontal spacing u32, vertical spacing u32 (pixel aspect)
 *   clap  width, height, horizontal offset, vertical offset: each a
 *         fraction of numerator s32 / denominator u32; the offsets are
 *         from the picture's centre
 *   codec configurations (avcC, hvcC, av1C, esds, ...): CodecConfig.h
 *
 * A colour table is stored after the fixed part for an indexed or grey
 * depth whose colour table ID is 0; an ID of 0 with nothing after the
 * fixed part means the standard table. Stored: seed u32, flags u16, size
 * u16 (entries - 1), then per entry value u16, red u16, green u16, blue u16.
 * This is the one reading of an image description: the codecs' memory form
 * (ImageDescriptionHandle) is converted through it too.
 *
 * Sound ('soun'): after the 16-byte header
 *         16  version s16 (0, 1 or 2)  18  revision s16   20  vendor u32
 *   version 0 and 1:
 *         24  channels s16       26  sample size (bits) s16
 *         28  compression ID s16 30  packet size s16
 *         32  sample rate 16.16 (unsigned)                -> 36 bytes
 *   version 1 adds samples per packet, bytes per packet,
 *         bytes per frame, bytes per sample (u32 each)     -> 52 bytes
 *   version 2:
 *         24  3 s16, 16 s16, -2 s16, 0 s16, 65536 u32, size of struct u32
 *         40  sample rate f64    48  channels u32   52  0x7F000000 u32
 *         56  bits per channel u32  60  format flags u32
 *         64  bytes per packet u32  68  frames per packet u32  -> 72 bytes
 *   'lpcm' (version 2) format flags: 1 float, 2 big-endian, 4 signed
 *   integer; bits per channel as stored.
 * The extension atoms after the fixed fields ('wave', 'esds', 'chan', ...)
 * are read by SoundAtoms.h.
 */
#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <string_view>

#include "platform/movies/format/Atom.h"

namespace platform::movies {

struct SampleDescription {
    std::vector<UInt8> bytes;   // the whole entry, header included

    OSType format() const { return load_u32be(&bytes[4]); }
    UInt16 data_ref_index() const { return load_u16be(&bytes[14]); }
    bool operator==(const SampleDescription&) const = default;
};

struct SampleDescriptions {
    FullAtomHeader full;
    std::vector<SampleDescription> entries;

    static Result<SampleDescriptions> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    // media_type picks the typed view used to print the fields.
    void dump(std::ostream& out, int level, OSType media_type) const;
    bool operator==(const SampleDescriptions&) const = default;
};

inline constexpr size_t kSampleEntryHeaderSize = 16;
inline constexpr size_t kImageDescriptionSize = 86;
inline constexpr size_t kSoundDescriptionV0Size = 36;
inline constexpr size_t kSoundDescriptionV1Size = 52;
inline constexpr size_t kSoundDescriptionV2Size = 72;

struct ColorEntry {
    UInt16 value = 0;
    UInt16 red = 0, green = 0, blue = 0;
    bool operator==(const ColorEntry&) const = default;
};

// Whether a description of this depth and colour table ID is followed by
// its colour table.
constexpr bool depth_stores_color_table(SInt16 depth, SInt16 clut_id) {
    const int bits = depth > 32 ? depth - 32 : depth;
    return clut_id == 0 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

struct StoredColorTable {
    UInt32 seed = 0;
    UInt16 flags = 0;
    std::vector<ColorEntry> entries;

    size_t size() const { return 8 + 8 * entries.size(); }
    // Fails with badImageDescription when the table runs past the bytes.
    static Result<StoredColorTable> parse(std::span<const UInt8> bytes);
    void write(ByteWriter& w) const;
    bool operator==(const StoredColorTable&) const = default;
};

// The 32-byte name field: a length byte (at most 31) and the characters.
// The bytes after the name are kept as they were read.
struct DescriptionName {
    std::array<UInt8, 32> field{};

    DescriptionName() = default;
    DescriptionName(std::string_view text) { *this = text; }
    DescriptionName& operator=(std::string_view text);
    std::string text() const;
    bool operator==(const DescriptionName&) const = default;
};

// The colour of a description's 'colr' atom: ISO/ITU code points (2 =
// unspecified), and whether samples use the full range.
struct ColourInfo {
    UInt16 primaries = 2;
    UInt16 transfer = 2;
    UInt16 matrix = 2;
    std::optional<bool> full_range;   // only 'nclx' says
    bool operator==(const ColourInfo&) const = default;
};

// The clean aperture in whole pixels of the coded picture.
struct CleanAperture {
    SInt32 left = 0, top = 0, width = 0, height = 0;
    bool operator==(const CleanAperture&) const = default;
};

// The body of the first atom of that type in a run of atoms (a damaged run
// ends the search).
std::optional<std::span<const UInt8>> find_atom(std::span<const UInt8> atoms, OSType type);

struct VideoDescription {
    OSType codec = 0;
    std::array<UInt8, 6> reserved{};
    UInt16 data_ref_index = 1;
    SInt16 version = 0;
    SInt16 revision = 0;
    OSType vendor = 0;
    UInt32 temporal_quality = 0;
    UInt32 spatial_quality = 0;
    SInt16 width = 0;
    SInt16 height = 0;
    Fixed h_res = 0x00480000;
    Fixed v_res = 0x00480000;
    UInt32 data_size = 0;
    SInt16 frame_count = 1;
    DescriptionName name;
    SInt16 depth = 24;
    SInt16 clut_id = -1;
    std::vector<UInt8> extensions;   // bytes after the 86

    bool has_stored_color_table() const {
        return depth_stores_color_table(depth, clut_id) && !extensions.empty();
    }
    // The stored colour table at the start of the extensions; fails with
    // badImageDescription when there is none or it runs past the entry.
    Result<StoredColorTable> stored_color_table() const;
    Result<std::vector<ColorEntry>> color_table() const;

    // The extension atoms: what follows the stored colour table, if any.
    std::span<const UInt8> extension_atoms() const;
    // 'colr' nclx/nclc; nothing when absent, damaged or another kind.
    std::optional<ColourInfo> colour() const;
    // 'pasp' as horizontal : vertical spacing; nothing when absent or zero.
    std::optional<std::pair<UInt32, UInt32>> pixel_aspect() const;
    // 'clap' rounded to whole pixels and limited to the picture; nothing
    // when absent, damaged or empty.
    std::optional<CleanAperture> clean_aperture() const;
    // The picture's size as it is meant to be seen: the clean aperture,
    // its width scaled by the pixel aspect.
    std::pair<SInt32, SInt32> natural_size() const;

    // Fails with badImageDescription for an entry shorter than 86 bytes.
    static Result<VideoDescription> parse(std::span<const UInt8> entry);
    SampleDescription write() const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const VideoDescription&) const = default;
};

struct SoundDescription {
    OSType format = kSoundRaw;
    UInt16 data_ref_index = 1;
    SInt16 version = 0;
    SInt16 revision = 0;
    OSType vendor = 0;
    SInt16 channels = 1;
    SInt16 sample_size = 8;      // bits
    SInt16 compression_id = 0;
    SInt16 packet_size = 0;
    UInt32 sample_rate = 0;      // unsigned 16.16
    // version 1
    UInt32 samples_per_packet = 0;
    UInt32 bytes_per_packet = 0;
    UInt32 bytes_per_frame = 0;
    UInt32 bytes_per_sample = 0;
    // version 2
    double rate64 = 0;
    UInt32 channels32 = 0;
    UInt32 bits_per_channel = 0;
    UInt32 format_flags = 0;
    UInt32 frames_per_packet = 0;
    std::vector<UInt8> extensions;   // bytes after the fixed fields

    // The sample rate in hertz, the channels and the bits of a sample,
    // whichever version holds them.
    double rate() const { return version == 2 ? rate64 : sample_rate / 65536.0; }
    UInt32 channel_count() const { return version == 2 ? channels32 : UInt32(std::max<SInt16>(channels, 0)); }
    UInt32 bits() const { return version == 2 ? bits_per_channel : UInt32(std::max<SInt16>(sample_size, 0)); }

    // Fails with invalidSampleDescription for an entry shorter than its
    // version's fixed fields.
    static Result<SoundDescription> parse(std::span<const UInt8> entry);
    SampleDescription write() const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const SoundDescription&) const = default;
};

}  // namespace platform::movies
