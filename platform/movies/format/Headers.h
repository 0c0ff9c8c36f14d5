// Headers.h — the fixed-layout atoms: ftyp, mvhd, tkhd, mdhd, hdlr and the
// media information headers vmhd, smhd and gmhd (with its gmin).
/*
 * ftyp  major brand u32, minor version u32, compatible brands u32 * n
 *
 * mvhd  (full atom) version 0 | version 1
 *         creation time        u32 | u64
 *         modification time    u32 | u64
 *         time scale           u32
 *         duration             u32 | u64
 *         preferred rate       16.16      preferred volume 8.8
 *         reserved             10 bytes
 *         matrix               9 * u32 (a b u / c d v / x y w; u v w are 2.30)
 *         preview time, preview duration, poster time, selection time,
 *         selection duration, current time, next track ID   7 * u32
 *       100 bytes of body in version 0, 112 in version 1.
 *
 * tkhd  (full atom; flags 1 enabled, 2 in movie, 4 in preview, 8 in poster)
 *         creation, modification u32|u64, track ID u32, reserved u32,
 *         duration u32|u64, reserved 8, layer s16, alternate group s16,
 *         volume 8.8, reserved u16, matrix 36, width 16.16, height 16.16
 *       84 bytes of body in version 0, 96 in version 1.
 *
 * mdhd  (full atom) creation, modification u32|u64, time scale u32,
 *         duration u32|u64, language u16, quality u16
 *       24 bytes of body in version 0, 36 in version 1.
 *
 * hdlr  (full atom) component type, subtype, manufacturer, flags, flags
 *         mask (u32 each), then the name: a length-prefixed string in
 *         movie files, a zero-terminated one in some other files; kept as
 *         the exact bytes.
 *
 * vmhd  (full atom, flags 1) graphics mode u16, opcolor 3 * u16
 * smhd  (full atom) balance s16 (8.8), reserved u16
 * gmhd  container holding gmin: (full atom) graphics mode u16, opcolor
 *         3 * u16, balance s16, reserved u16; other children are kept.
 *
 * Bytes past a fixed layout are kept as `extra` and written back.
 */
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/movies/format/Atom.h"

namespace platform::movies {

struct FileType {
    OSType major_brand = kBrandQT;
    UInt32 minor_version = kBrandQTMinorVersion;
    std::vector<OSType> compatible{kBrandQT};

    // The type a new file named `path` starts with: an MPEG-4 name (.mp4,
    // .m4v, .m4a, any case) gets the ISO brand ('isom', compatible with
    // 'iso2', 'mp41' and 'mp42'), so that readers going by the brand take
    // it for what its name says; any other name the classic one.
    static FileType for_name(std::string_view path);

    static Result<FileType> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const FileType&) const = default;
};

using Matrix = std::array<SInt32, 9>;
inline constexpr Matrix kIdentityMatrix{0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};

struct MovieHeader {
    FullAtomHeader full;
    UInt64 creation_time = 0;
    UInt64 modification_time = 0;
    UInt32 time_scale = 600;
    UInt64 duration = 0;
    Fixed preferred_rate = 0x10000;
    SInt16 preferred_volume = 0x100;
    Matrix matrix = kIdentityMatrix;
    UInt32 preview_time = 0;
    UInt32 preview_duration = 0;
    UInt32 poster_time = 0;
    UInt32 selection_time = 0;
    UInt32 selection_duration = 0;
    UInt32 current_time = 0;
    UInt32 next_track_id = 1;
    std::vector<UInt8> extra;

    static Result<MovieHeader> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const MovieHeader&) const = default;
};

enum TrackFlags : UInt32 {
    kTrackEnabled = 1,
    kTrackInMovie = 2,
    kTrackInPreview = 4,
    kTrackInPoster = 8,
};

struct TrackHeader {
    FullAtomHeader full{0, kTrackEnabled | kTrackInMovie | kTrackInPreview};
    UInt64 creation_time = 0;
    UInt64 modification_time = 0;
    UInt32 track_id = 0;
    UInt64 duration = 0;
    SInt16 layer = 0;
    SInt16 alternate_group = 0;
    SInt16 volume = 0;         // 8.8
    Matrix matrix = kIdentityMatrix;
    Fixed width = 0;           // 16.16
    Fixed height = 0;
    std::vector<UInt8> extra;

    static Result<TrackHeader> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const TrackHeader&) const = default;
};

struct MediaHeader {
    FullAtomHeader full;
    UInt64 creation_time = 0;
    UInt64 modification_time = 0;
    UInt32 time_scale = 600;
    UInt64 duration = 0;
    UInt16 language = 0;
    UInt16 quality = 0;
    std::vector<UInt8> extra;

    static Result<MediaHeader> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const MediaHeader&) const = default;
};

struct Handler {
    FullAtomHeader full;
    OSType component_type = kMhlr;
    OSType subtype = 0;
    OSType manufacturer = 0;
    UInt32 flags = 0;
    UInt32 flags_mask = 0;
    std::vector<UInt8> name_bytes;   // exactly as stored

    // A handler named with a length-prefixed string, as movie files store it.
    static Handler make(OSType component_type, OSType subtype, const std::string& name);
    // The name, whether stored length-prefixed or zero-terminated.
    std::string name() const;

    static Result<Handler> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const Handler&) const = default;
};

struct VideoMediaHeader {
    FullAtomHeader full{0, 1};
    UInt16 graphics_mode = 0x40;   // ditherCopy
    std::array<UInt16, 3> opcolor{0x8000, 0x8000, 0x8000};
    std::vector<UInt8> extra;

    static Result<VideoMediaHeader> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const VideoMediaHeader&) const = default;
};

struct SoundMediaHeader {
    FullAtomHeader full;
    SInt16 balance = 0;
    std::vector<UInt8> extra;

    static Result<SoundMediaHeader> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const SoundMediaHeader&) const = default;
};

struct GenericMediaInfo {
    FullAtomHeader full;
    UInt16 graphics_mode = 0x40;
    std::array<UInt16, 3> opcolor{0x8000, 0x8000, 0x8000};
    SInt16 balance = 0;
    std::vector<UInt8> extra;
    bool operator==(const GenericMediaInfo&) const = default;
};

struct GenericMediaHeader {
    std::optional<GenericMediaInfo> info;   // gmin
    KeptAtoms kept;                         // everything else inside gmhd

    static Result<GenericMediaHeader> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const GenericMediaHeader&) const = default;
};

}  // namespace platform::movies
