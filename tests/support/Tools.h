// Whether this machine can run a check: peer programs (ffmpeg, ffprobe,
// mediainfo, Xvfb, mpv) and privileges (mounting needs root).
//
// Where a check cannot run the test says why and is skipped; but when
// KINORA_REQUIRE_TOOLS=1 (set by scripts/test.sh, so in CI) the machine is
// meant to have everything, and the same test fails instead of passing
// without having checked anything.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace testsupport {

// An executable of that name in PATH.
bool have_tool(const std::string& name);
// KINORA_REQUIRE_TOOLS is set (to anything but 0).
bool tools_required();
// Why `name` cannot be used (not installed, and the package that has it),
// or nothing when it can.
std::optional<std::string> missing_tool(const std::string& name);
// `reason`, noting that the check was required to run.
std::string as_required(const std::string& reason);
// Why a check that mounts a file system cannot run here.
std::string cannot_mount(const std::string& what);

// For helpers that return a value: true when `name` is there. Otherwise the
// test is marked skipped with the reason (failed when tools are required)
// and the helper goes on without that check.
bool peer_available(const std::string& name, const char* file = __builtin_FILE(), int line = __builtin_LINE());

}  // namespace testsupport

// Skips the test with `reason`, or fails it when tools are required.
#define KINORA_SKIP_OR_FAIL(reason)                                                    \
    do {                                                                               \
        if (::testsupport::tools_required())                                           \
            FAIL() << ::testsupport::as_required(reason);                              \
        else                                                                           \
            GTEST_SKIP() << (reason);                                                  \
    } while (0)

// At the top of a test (or its SetUp) that needs the program `name`.
#define KINORA_REQUIRE_TOOL(name)                                                      \
    do {                                                                               \
        if (auto kinora_missing_ = ::testsupport::missing_tool(name))                  \
            KINORA_SKIP_OR_FAIL(*kinora_missing_);                                     \
    } while (0)
