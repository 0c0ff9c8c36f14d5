#include "platform/core/Environment.h"

#include <cerrno>
#include <cstdlib>

namespace platform::env {

std::optional<std::string> get(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return std::nullopt;
    return std::string(v);
}

std::optional<long> get_positive(const char* name) {
    auto text = get(name);
    if (!text) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long n = std::strtol(text->c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n <= 0) return std::nullopt;
    return n;
}

}  // namespace platform::env
