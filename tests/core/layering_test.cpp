// The platform's layering. Each folder of platform/ belongs to a library
// whose dependencies CMake declares (kinora_manager, written out to
// build/platform-layers.txt); every #include "platform/<folder>/..." must
// name a folder whose library the including folder's library depends on,
// and no folders include one another in a cycle. The public declarations
// (platform/*.h) may be included from anywhere. Programs that only read
// files carry no window system, and only programs that link the SDL host
// can show a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/hostapi/HostRegistry.h"
#include "platform/hostapi/LaunchOptions.h"
#include "tests/support/Process.h"

namespace fs = std::filesystem;

namespace {

struct Layers {
    std::map<std::string, std::string> folder_of;             // library -> folder
    std::map<std::string, std::set<std::string>> depends;     // library -> libraries
};

// "<library> <folder> <dependency>..." a line; '#' starts a comment line.
Layers parse_layers(std::istream& in) {
    Layers layers;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string library, folder, dep;
        words >> library >> folder;
        layers.folder_of[library] = folder;
        while (words >> dep) layers.depends[library].insert(dep);
    }
    return layers;
}

struct Include {
    std::string file;     // relative to platform/
    std::string header;   // as written after "platform/"
};

// The declared folder a path lies in (the deepest one); "" for the public
// declarations at the top, "?" for a folder no library declares.
std::string owner(const Layers& layers, const std::string& path) {
    if (path.find('/') == std::string::npos) return "";
    std::string best = "?";
    for (const auto& [library, folder] : layers.folder_of)
        if (path.compare(0, folder.size() + 1, folder + "/") == 0 && (best == "?" || folder.size() > best.size())) best = folder;
    return best;
}

// Every include that the declared dependencies do not allow, and every
// cycle among the folders' includes.
std::vector<std::string> check(const Layers& layers, const std::vector<Include>& includes) {
    std::vector<std::string> problems;
    std::map<std::string, std::set<std::string>> libraries_in;   // folder -> libraries
    for (const auto& [library, folder] : layers.folder_of) libraries_in[folder].insert(library);
    auto may_use = [&](const std::string& from, const std::string& to) {
        for (const std::string& user : libraries_in[from]) {
            auto deps = layers.depends.find(user);
            for (const std::string& used : libraries_in[to])
                if (deps != layers.depends.end() && deps->second.count(used)) return true;
        }
        return false;
    };

    std::map<std::string, std::set<std::string>> graph;
    for (const Include& inc : includes) {
        const std::string from = owner(layers, inc.file), to = owner(layers, inc.header);
        const std::string what = inc.file + " includes platform/" + inc.header;
        if (from == "?") problems.push_back(inc.file + " is in a folder that belongs to no platform library");
        else if (to == "?") problems.push_back(what + ", which belongs to no platform library");
        if (from == "?" || to == "?" || to == "" || from == to) continue;
        graph[from].insert(to);
        if (from != "" && !may_use(from, to))
            problems.push_back(what + ", but the library of " + from + "/ does not depend on the library of " + to + "/");
    }

    std::map<std::string, int> state;   // 1: on the path, 2: done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& folder) {
        state[folder] = 1;
        path.push_back(folder);
        for (const std::string& next : graph[folder]) {
            std::string cycle;
            if (state[next] == 1) {
                for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it) cycle += *it + " -> ";
                problems.push_back("include cycle: " + cycle + next);
            } else if (state[next] == 0) visit(next);
        }
        path.pop_back();
        state[folder] = 2;
    };
    for (const auto& [folder, targets] : graph) if (state[folder] == 0) visit(folder);
    return problems;
}

std::vector<Include> scan_platform(const fs::path& root) {
    const std::regex include(R"re(^\s*#\s*include\s*"platform/([^"]+)")re");
    std::vector<Include> includes;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        const std::string file = fs::relative(entry.path(), root).generic_string();
        std::ifstream in(entry.path());
        std::string line;
        std::smatch m;
        while (std::getline(in, line)) if (std::regex_search(line, m, include)) includes.push_back({file, m[1]});
    }
    return includes;
}

using testsupport::run_shell;

TEST(Layering, PlatformIncludesFollowTheDeclaredLibraries) {
    std::ifstream file(KINORA_BUILD_DIR "/platform-layers.txt");
    ASSERT_TRUE(file) << "CMake writes platform-layers.txt when it configures";
    const Layers layers = parse_layers(file);
    ASSERT_GT(layers.folder_of.size(), 20u);
    const std::vector<Include> includes = scan_platform(KINORA_SOURCE_DIR "/platform");
    ASSERT_GT(includes.size(), 500u);
    std::string report;
    for (const std::string& problem : check(layers, includes)) report += "\n  " + problem;
    EXPECT_TRUE(report.empty()) << report;
}

TEST(Layering, OnlyProgramsThatShowWindowsCarryTheWindowSystem) {
    for (const char* tool : {"rescompile", "movdump"}) {
        // The distribution's FFmpeg brings X11 along (for its hardware
        // decoders); the tools themselves must not ask for it.
        const auto r = run_shell(std::string("ldd '" KINORA_BUILD_DIR "/") + tool + "'"),
                   needed = run_shell(std::string("readelf -d '" KINORA_BUILD_DIR "/") + tool + "'");
        ASSERT_EQ(r.status + needed.status, 0) << r.all() << needed.all();
        EXPECT_EQ(r.out.find("libSDL"), std::string::npos) << tool << ":\n" << r.out;
        EXPECT_EQ(needed.out.find("libX11"), std::string::npos) << tool << ":\n" << needed.out;
    }
    EXPECT_NE(run_shell("ldd '" KINORA_BUILD_DIR "/kinora'").out.find("libSDL2"), std::string::npos);

    // Asked for a window (a display named, no --headless), a launched
    // program without a window host (this test program) says so and runs
    // headless. (One with a host that cannot open the display is the SDL
    // tests'.)
    auto launch = [] {
        setenv("DISPLAY", ":4093", 1), unsetenv("WAYLAND_DISPLAY");
        platform::host::set_launched(), platform::host::install_for_testing(nullptr);
        std::exit(platform::host::current().is_headless() ? 0 : 3);
    };
    EXPECT_EXIT(launch(), testing::ExitedWithCode(0), "kinora: this program cannot show a window \\(it has no window host\\); running headless");
}

}  // namespace
