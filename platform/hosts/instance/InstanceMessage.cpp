// The instance message: parsing and writing (layout in InstanceMessage.h).
#include "platform/hosts/instance/InstanceMessage.h"

#include "platform/core/Bytes.h"

namespace platform::instance {
namespace {

Result<void> check_path(std::string_view path) {
    if (path.empty() || path.size() > kMaxInstancePathBytes) return fail(paramErr, "a path of a bad length");
    if (path[0] != '/') return fail(paramErr, "a path that is not absolute");
    if (path.find('\0') != std::string_view::npos) return fail(paramErr, "a path with a NUL byte");
    return ok();
}

void write_header(ByteWriter& w, UInt16 count) {
    w.u32(kInstanceMagic);
    w.u16(kInstanceVersion);
    w.u16(count);
}

}  // namespace

Result<std::vector<std::string>> parse_instance_message(std::span<const UInt8> bytes) {
    if (bytes.size() > kMaxInstanceMessage) return fail(paramErr, "a message over the size limit");
    ByteReader r(bytes, paramErr);
    if (r.size() < kInstanceHeaderBytes) return fail(paramErr, "a message shorter than its header");
    if (TRY(r.u32()) != kInstanceMagic) return fail(paramErr, "not an instance message");
    if (TRY(r.u16()) != kInstanceVersion) return fail(paramErr, "a message of another version");
    const UInt16 count = TRY(r.u16());
    // Each path takes at least three bytes: refuse a count the bytes cannot
    // hold before reserving anything for it.
    if (count > kMaxInstancePaths || count > r.remaining() / 3) return fail(paramErr, "a bad count of paths");
    std::vector<std::string> paths;
    paths.reserve(count);
    for (UInt16 i = 0; i < count; ++i) {
        const UInt16 length = TRY(r.u16());
        auto text = TRY(r.bytes(length));
        std::string path(text.begin(), text.end());
        TRY(check_path(path));
        paths.push_back(std::move(path));
    }
    if (!r.at_end()) return fail(paramErr, "bytes after the last path");
    return paths;
}

Result<std::vector<std::vector<UInt8>>> encode_instance_messages(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) TRY(check_path(p));
    std::vector<std::vector<UInt8>> messages;
    size_t next = 0;
    do {
        ByteWriter w;
        write_header(w, 0);
        UInt16 count = 0;
        for (; next < paths.size() && count < kMaxInstancePaths; ++next, ++count) {
            const std::string& p = paths[next];
            if (w.size() + 2 + p.size() > kMaxInstanceMessage) break;
            w.u16(UInt16(p.size()));
            w.bytes(p.data(), p.size());
        }
        w.patch_u16(6, count);
        messages.push_back(w.take());
    } while (next < paths.size());
    return messages;
}

}  // namespace platform::instance
