/*
 * Alias records in the movie files' layout (version 2), big-endian:
 *
 *   0    4   user type 0            4    2   record size (whole record)
 *   6    2   version 2              8    2   kind 0 (file)
 *   10   28  volume name, length-prefixed (empty)
 *   38   4   volume created 0       42   2   volume signature 'H+'
 *   44   2   volume type 0          46   4   parent directory ID 0
 *   50   64  file name, length-prefixed, at most 63 bytes
 *   114  4   file number 0          118  4   file created 0
 *   122  4   file type 0            126  4   file creator 0
 *   130  2   levels from            132  2   levels to
 *   134  16  volume attributes, file system, reserved: 0
 *   150      extras: type s16, length u16, data padded to an even length;
 *            the list ends with type -1, length 0
 *
 * The extra of type 2 holds the absolute path. Records made here carry
 * only that one (levels from 1; levels to the path's component count):
 * with no movie there is nothing for the movie format's relative path
 * (platform/movies/format/Alias.h, which also reads these records) to
 * start from.
 */
#include "platform/importers/AliasRecord.h"

#include "platform/core/Bytes.h"
#include "platform/movies/format/Alias.h"

namespace platform::importers {
namespace {

constexpr size_t kFixedSize = movies::kAliasFixedSize;
constexpr SInt16 kExtraAbsolutePath = movies::kAliasExtraAbsolutePath;

}  // namespace

Result<std::vector<UInt8>> make_file_alias(const std::filesystem::path& target) {
    if (!target.is_absolute()) return fail(paramErr, "alias to a relative path");
    const std::string path = target.string();
    if (path.size() > 0x7FFF - kFixedSize) return fail(bdNamErr, "path too long for an alias");
    std::string name = target.filename().string();
    if (name.size() > 63) name.resize(63);
    UInt16 levels = 0;
    for (const auto& part : target.relative_path()) levels += !part.empty();

    ByteWriter w;
    w.u32(0);
    w.u16(0);   // record size, patched below
    w.u16(2);
    w.u16(0);
    w.zeros(28 + 4);
    w.u16('H+');
    w.u16(0);
    w.u32(0);
    w.u8(UInt8(name.size()));
    w.bytes(name.data(), name.size());
    w.zeros(63 - name.size());
    w.zeros(16);
    w.u16(1);
    w.u16(levels);
    w.zeros(16);
    w.s16(kExtraAbsolutePath);
    w.u16(UInt16(path.size()));
    w.bytes(path.data(), path.size());
    w.align(2);
    w.s16(-1);
    w.u16(0);
    w.patch_u16(4, UInt16(w.size()));
    return w.take();
}

Result<std::filesystem::path> resolve_file_alias(std::span<const UInt8> record) {
    auto parsed = movies::parse_alias(record);
    if (!parsed.ok()) return parsed.error();
    // A relative path needs a movie to start from; these records have none.
    const std::string& path = parsed->absolute_path;
    if (path.empty() || path.front() != '/')
        return fail(invalidDataRef, "alias record without an absolute path");
    return std::filesystem::path(path);
}

}  // namespace platform::importers
