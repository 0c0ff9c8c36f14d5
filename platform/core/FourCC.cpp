#include "platform/core/FourCC.h"

#include <cstdio>

namespace platform {

std::string fourcc_string(OSType code) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        unsigned char c = (unsigned char)(code >> shift);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += char(c);
        } else {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

bool parse_fourcc(const std::string& text, OSType* out) {
    std::string raw;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            unsigned value = 0;
            if (std::sscanf(text.c_str() + i + 2, "%2x", &value) != 1) return false;
            raw += char(value);
            i += 3;
        } else {
            raw += text[i];
        }
    }
    if (raw.size() != 4) return false;
    *out = (OSType(UInt8(raw[0])) << 24) | (OSType(UInt8(raw[1])) << 16) |
           (OSType(UInt8(raw[2])) << 8) | OSType(UInt8(raw[3]));
    return true;
}

}  // namespace platform
