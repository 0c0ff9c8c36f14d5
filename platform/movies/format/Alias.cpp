#include "platform/movies/format/Alias.h"

namespace platform::movies {

namespace {

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        if (j > i) out.push_back(path.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

struct Levels {
    std::string relative;
    UInt16 from = 1;
    UInt16 to = 0;
};

Levels levels(const std::string& movie, const std::string& target) {
    auto dir = components(movie);
    if (!dir.empty()) dir.pop_back();
    auto to = components(target);
    size_t common = 0;
    while (common < dir.size() && common + 1 < to.size() && dir[common] == to[common]) ++common;
    Levels l;
    for (size_t i = common; i < dir.size(); ++i) l.relative += "../";
    for (size_t i = common; i < to.size(); ++i) {
        l.relative += to[i];
        if (i + 1 < to.size()) l.relative += '/';
    }
    l.from = UInt16(1 + dir.size() - common);
    l.to = UInt16(to.size() - common);
    return l;
}

void put_extra(ByteWriter& w, SInt16 type, const std::string& data) {
    w.s16(type);
    w.u16(UInt16(data.size()));
    w.bytes(data.data(), data.size());
    w.align(2);
}

}  // namespace

std::string relative_path(const std::string& movie, const std::string& target) {
    return levels(movie, target).relative;
}

Result<std::vector<UInt8>> make_alias(const std::string& movie, const std::string& target) {
    if (movie.empty() || movie[0] != '/' || target.empty() || target[0] != '/')
        return fail(paramErr, "alias paths must be absolute");
    auto parts = components(target);
    if (parts.empty()) return fail(paramErr, "alias target has no file name");
    if (target.size() > 0x7FF0) return fail(paramErr, "alias target path too long");
    Levels l = levels(movie, target);

    ByteWriter w;
    w.u32(0);            // user type
    w.u16(0);            // record size, patched below
    w.u16(2);            // version
    w.u16(0);            // kind: file
    w.zeros(28);         // volume name: empty
    w.u32(0);            // volume created
    w.u16(0x482B);       // 'H+'
    w.u16(0);            // volume type
    w.u32(0);            // parent directory ID
    const std::string& name = parts.back();
    size_t n = name.size() > 63 ? 63 : name.size();
    w.u8(UInt8(n));
    w.bytes(name.data(), n);
    w.zeros(63 - n);
    w.zeros(16);         // file number, created, type, creator
    w.u16(l.from);
    w.u16(l.to);
    w.zeros(16);         // volume attributes, file system, reserved
    put_extra(w, kAliasExtraAbsolutePath, target);
    put_extra(w, kAliasExtraRelativePath, l.relative);
    w.s16(-1);
    w.u16(0);
    if (w.size() > 0xFFFF) return fail(paramErr, "alias record too large");
    w.patch_u16(4, UInt16(w.size()));
    return w.take();
}

Result<AliasInfo> parse_alias(std::span<const UInt8> data) {
    ByteReader all(data, invalidDataRef);
    if (data.size() < kAliasFixedSize) return fail(invalidDataRef, "alias record too short");
    UInt16 record_size = load_u16be(&data[4]);
    UInt16 version = load_u16be(&data[6]);
    if (version != 2) return fail(invalidDataRef, "unsupported alias record version");
    if (record_size < kAliasFixedSize || record_size > data.size())
        return fail(invalidDataRef, "alias record size does not match its data");

    AliasInfo a;
    ByteReader name = TRY(all.view(50, 64));
    UInt8 n = TRY(name.u8());
    if (n > 63) return fail(invalidDataRef, "alias file name longer than 63 bytes");
    auto nb = TRY(name.bytes(n));
    a.file_name.assign(nb.begin(), nb.end());
    a.levels_from = load_u16be(&data[130]);
    a.levels_to = load_u16be(&data[132]);

    ByteReader extras = TRY(all.view(kAliasFixedSize, record_size - kAliasFixedSize));
    while (extras.remaining() >= 4) {
        SInt16 type = TRY(extras.s16());
        UInt16 length = TRY(extras.u16());
        if (type == -1) break;
        auto bytes = TRY(extras.bytes(length));
        if ((length & 1) && !extras.at_end()) TRY(extras.skip(1));
        std::string text(bytes.begin(), bytes.end());
        while (!text.empty() && text.back() == '\0') text.pop_back();
        if (type == kAliasExtraAbsolutePath) a.absolute_path = text;
        else if (type == kAliasExtraRelativePath) a.relative_path = text;
    }
    return a;
}

}  // namespace platform::movies
