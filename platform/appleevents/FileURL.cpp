/*
 * File URLs, the text of 'furl' descriptors.
 *
 * Accepted (the scheme in any case):
 *   file:///absolute/path
 *   file://localhost/absolute/path
 *   file:/absolute/path
 * The path is percent-encoded: "%" and two hex digits stand for one byte.
 * Refused: other schemes, other hosts, relative forms ("file:name"), a
 * query or fragment ('?', '#'), control characters, a bad escape, an
 * encoded NUL or '/', and a path that is not UTF-8 once decoded.
 */
#include "platform/appleevents/FileURL.h"

#include "platform/Errors.h"
#include "platform/files/Names.h"

namespace platform::appleevents {

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

Error refuse(const char* why) { return Error{errAECoercionFail, why}; }

}  // namespace

Result<std::string> path_from_file_url(std::string_view url) {
    if (!starts_with_nocase(url, "file:")) return refuse("not a file URL");
    std::string_view rest = url.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return refuse("file URL without a path");
        std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && starts_with_nocase(host, "localhost")))
            return refuse("file URL of another host");
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest[0] != '/') return refuse("relative file URL");

    std::string path;
    path.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (UInt8(c) < 0x20 || c == 0x7F) return refuse("control character in a file URL");
        if (c == '?' || c == '#') return refuse("file URL with a query or fragment");
        if (c != '%') {
            path += c;
            continue;
        }
        if (rest.size() - i < 3) return refuse("truncated escape in a file URL");
        int hi = hex_value(rest[i + 1]), lo = hex_value(rest[i + 2]);
        if (hi < 0 || lo < 0) return refuse("bad escape in a file URL");
        char decoded = char(hi * 16 + lo);
        if (decoded == '\0') return refuse("file URL with an encoded NUL");
        if (decoded == '/') return refuse("file URL with an encoded '/' inside a name");
        path += decoded;
        i += 2;
    }
    if (!files::is_valid_utf8(path)) return refuse("file URL path is not UTF-8");
    return path;
}

std::string file_url_for_path(std::string_view absolutePath) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (char c : absolutePath) {
        UInt8 b = UInt8(c);
        bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                     c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += kHex[b >> 4];
            url += kHex[b & 15];
        }
    }
    return url;
}

}  // namespace platform::appleevents
