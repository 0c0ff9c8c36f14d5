#include "tests/support/Tools.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace testsupport {

bool have_tool(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::filesystem::path p = std::filesystem::path(dir.empty() ? "." : dir) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(p, ec) && access(p.c_str(), X_OK) == 0) return true;
    }
    return false;
}

bool tools_required() {
    const char* v = std::getenv("KINORA_REQUIRE_TOOLS");
    return v && *v && std::string(v) != "0";
}

std::optional<std::string> missing_tool(const std::string& name) {
    if (have_tool(name)) return std::nullopt;
    static const std::map<std::string, std::string> packages = {
        {"ffmpeg", "ffmpeg"}, {"ffprobe", "ffmpeg"}, {"mediainfo", "mediainfo"},
        {"Xvfb", "xvfb"},     {"mpv", "mpv"},       {"desktop-file-validate", "desktop-file-utils"}, {"man", "man-db"},
    };
    const auto p = packages.find(name);
    return name + " is not installed" + (p == packages.end() ? "" : " (apt-get install " + p->second + ")") +
           ": this check did not run";
}

std::string as_required(const std::string& reason) {
    return reason + " (required: KINORA_REQUIRE_TOOLS is set)";
}

std::string cannot_mount(const std::string& what) {
    if (geteuid() != 0) return "mounting " + what + " needs root: this check runs only as root (as in CI)";
    return "cannot mount " + what + " here although running as root (no mount namespace in this container?)";
}

bool peer_available(const std::string& name, const char* file, int line) {
    const auto missing = missing_tool(name);
    if (!missing) return true;
    if (tools_required())
        GTEST_MESSAGE_AT_(file, line, as_required(*missing).c_str(), ::testing::TestPartResult::kNonFatalFailure);
    else
        GTEST_MESSAGE_AT_(file, line, missing->c_str(), ::testing::TestPartResult::kSkip);
    return false;
}

}  // namespace testsupport
