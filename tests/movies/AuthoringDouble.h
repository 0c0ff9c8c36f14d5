// The authoring code's error check, doubled for tests: instead of showing
// the message dialog and ending the application, a failure throws the
// message, so a test can say which call failed (or expect it to).
#pragma once

#include <stdexcept>
#include <string>

#include "platform/Types.h"

struct AuthoringFailure : std::runtime_error {
    explicit AuthoringFailure(const std::string& message) : std::runtime_error(message) {}
};
