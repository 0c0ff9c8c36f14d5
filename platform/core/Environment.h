// Environment.h — reading the platform's documented environment switches.
#pragma once

#include <optional>
#include <string>

namespace platform::env {

// The variable's text, or nothing when it is unset or empty.
std::optional<std::string> get(const char* name);
// The variable as a positive integer; nothing when unset, empty or not a number.
std::optional<long> get_positive(const char* name);

}  // namespace platform::env
