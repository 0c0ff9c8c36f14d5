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
 * only that one (levels from 1; levels to the path's component count).
 */
#include "platform/importers/AliasRecord.h"

#include "platform/core/Bytes.h"

namespace platform::importers {
namespace {

constexpr size_t kFixedSize = 150;
constexpr SInt16 kExtraAbsolutePath = 2;

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
    ByteReader r(record, invalidDataRef);
    TRY(r.skip(4));
    UInt16 size = TRY(r.u16());
    if (size < kFixedSize || size > record.size()) return fail(invalidDataRef, "alias record size");
    ByteReader all = TRY(ByteReader(record, invalidDataRef).view(0, size));
    TRY(all.seek(kFixedSize));
    while (!all.at_end()) {
        SInt16 type = TRY(all.s16());
        UInt16 length = TRY(all.u16());
        if (type == -1) break;
        auto data = TRY(all.bytes(length));
        if (length % 2) TRY(all.skip(1));
        if (type == kExtraAbsolutePath && length > 0 && data[0] == '/')
            return std::filesystem::path(std::string(data.begin(), data.end()));
    }
    return fail(invalidDataRef, "alias record without a path");
}

}  // namespace platform::importers
