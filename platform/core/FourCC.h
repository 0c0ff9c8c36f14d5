// FourCC.h — four-character codes.
//
// The system writes codes as multi-character literals ('MooV'), which the
// compiler packs first character highest, exactly as fourcc("MooV") does.
// Platform code uses fourcc() so the value never depends on a compiler
// extension, and fourcc_string() to print one.
#pragma once

#include <string>

#include "platform/Types.h"

namespace platform {

constexpr OSType fourcc(const char (&s)[5]) {
    return (OSType(UInt8(s[0])) << 24) | (OSType(UInt8(s[1])) << 16) |
           (OSType(UInt8(s[2])) << 8) | OSType(UInt8(s[3]));
}

// The code as four characters; bytes outside printable ASCII (such as the
// 0xA9 of text user-data types) are shown as \xNN.
std::string fourcc_string(OSType code);

// Parses four characters back into a code (the inverse of fourcc_string for
// printable codes). Returns false when `text` is not exactly four bytes.
bool parse_fourcc(const std::string& text, OSType* out);

}  // namespace platform
