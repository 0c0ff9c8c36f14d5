// Alias.h — the alias records our 'alis' data references carry.
/*
 * The record follows the classic version-2 alias layout, so that movie
 * readers that know it (ffmpeg with -enable_drefs 1) find the file too:
 *
 *   offset  size  field
 *   0       4     user type            0
 *   4       2     record size          whole record, extras included
 *   6       2     version              2
 *   8       2     kind                 0 = file
 *   10      28    volume name          length-prefixed; empty (no volumes here)
 *   38      4     volume created       0
 *   42      2     volume signature     'H+'
 *   44      2     volume type          0
 *   46      4     parent directory ID  0
 *   50      64    file name            length-prefixed, at most 63 bytes
 *   114     4     file number          0
 *   118     4     file created         0
 *   122     4     file type            0
 *   126     4     file creator         0
 *   130     2     levels from          1 + the ".." steps of the relative path
 *   132     2     levels to            path components below the common folder
 *   134     4     volume attributes    0
 *   138     2     volume file system   0
 *   140     10    reserved             0
 *   150     ...   extras: type s16, length u16, data padded to even length;
 *                 the list ends with type -1, length 0
 *
 * Extras we write:
 *   2       the absolute path, '/'-separated (ffmpeg composes its relative
 *           lookup from the last "levels to" components of it)
 *   0x4B52  the path relative to the movie's folder, '/'-separated
 *
 * A reader resolves the relative path first (against the folder of the
 * movie file), then the absolute one.
 */
#pragma once

#include <string>

#include "platform/movies/format/Atom.h"

namespace platform::movies {

inline constexpr SInt16 kAliasExtraAbsolutePath = 2;
inline constexpr SInt16 kAliasExtraRelativePath = 0x4B52;
inline constexpr size_t kAliasFixedSize = 150;

struct AliasInfo {
    std::string file_name;
    std::string relative_path;   // empty when the record has none
    std::string absolute_path;   // empty when the record has none
    UInt16 levels_from = 0;
    UInt16 levels_to = 0;
};

// An alias record for `target`, as seen from a movie file at `movie`. Both
// paths must be absolute and normalised (Files.h: absolute_path()).
Result<std::vector<UInt8>> make_alias(const std::string& movie, const std::string& target);

// Reads a record (ours, or any version-2 record) from a data reference.
Result<AliasInfo> parse_alias(std::span<const UInt8> data);

// The relative path from the folder of `movie` to `target`, both absolute
// and normalised.
std::string relative_path(const std::string& movie, const std::string& target);

}  // namespace platform::movies
