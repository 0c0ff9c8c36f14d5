// Running the peer tools (ffprobe, ffmpeg, mediainfo) on files we write.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace peer {

inline bool have_tool(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

#define REQUIRE_TOOL(name)                                                        \
    do {                                                                          \
        if (!peer::have_tool(name))                                               \
            GTEST_SKIP() << name << " is not installed: peer check skipped";      \
    } while (0)

struct Output {
    int status = -1;
    std::string text;   // stdout, and stderr when asked for
};

inline Output run(const std::string& command) {
    Output out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.text.append(buf, n);
    int st = pclose(p);
    out.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

inline std::string shell_quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

struct TempDir {
    std::string path;
    TempDir() {
        std::string t = std::filesystem::temp_directory_path() / "kinora-peer-XXXXXX";
        path = mkdtemp(t.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

}  // namespace peer
