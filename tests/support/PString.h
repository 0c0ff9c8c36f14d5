// A length-prefixed copy of a text (at most 255 bytes), for the toolbox
// calls that take one.
#pragma once

#include <string>

namespace testsupport {

struct PStr {
    explicit PStr(const std::string& s) {
        bytes[0] = static_cast<unsigned char>(s.size() > 255 ? 255 : s.size());
        s.copy(reinterpret_cast<char*>(bytes + 1), bytes[0]);
    }
    operator const unsigned char*() const { return bytes; }
    unsigned char bytes[256] = {};
};

}  // namespace testsupport
