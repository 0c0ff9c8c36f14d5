// The application itself, driven by the headless scripts in tests/app/scripts/:
// each script runs in a folder of its own and must run to its end (its own
// expect lines are most of the checking). Lines starting with "#" and a
// word set the run up and check what it left behind:
//   #movie NAME...          movies made by the application (File > New), renamed
//   #file NAME TEXT         a text file
//   #shell COMMAND          a setup command, run in the working folder
//   #needs TOOL...          skipped when a tool is missing (failed when tools
//                           are required)
//   #args ARGS / #env VARS  launch arguments / environment
//   #mount small|readonly DIR   DIR as a 64 KB file system / read-only
//                               (skipped where the machine does not permit
//                               it, failed there when tools are required)
//   #duration NAME N        the movie's duration afterwards, at scale 600
//   #unchanged NAME / #absent NAME / #empty
//   #same A B / #differ A B  two files (screenshots) equal or not
//   #verify COMMAND         a check command that must succeed
#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string kKinora = KINORA_BUILD_DIR "/kinora";
const fs::path kOutput = KINORA_BUILD_DIR "/test-output", kScripts = KINORA_SOURCE_DIR "/tests/app/scripts";

std::vector<std::string> script_names() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kScripts))
        if (e.path().extension() == ".kscript") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

int shell_in(const fs::path& dir, const std::string& command) {
    RunOptions options;
    options.cwd = dir;
    return run_shell(command, options).status;
}

// The movie's duration in its time scale of 600, as our dump tool (build/movdump) shows it.
std::string movie_duration(const fs::path& p) {
    const std::string out = run_shell(quote(KINORA_BUILD_DIR "/movdump") + " " + quote(p.string()) + " 2>&1").out;
    const std::string key = "version 0, time scale 600, duration ";
    const size_t at = out.find(key), from = at + key.size();
    return at == std::string::npos ? out : out.substr(from, out.find(',', from) - from);
}

// `path` as a 64 KB file system (writing a movie there runs out of room),
// or made read-only, for root too.
bool mount_as(const std::string& kind, const fs::path& path) {
    if (kind == "small") return mount("none", path.c_str(), "tmpfs", 0, "size=64k") == 0;
    return mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

// Each script runs in work/ of a folder of its own, the script beside it.
class AppScripts : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override { fs::create_directories(work()), fs::create_directories(kOutput); }

    // The application run headless on s.kscript; `args` follow the options.
    int run(const std::string& env = "", const std::string& args = "") const {
        return run_shell("cd '" + work().string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + env + " '" + kKinora +
                         "' --headless --timeout 60 --script ../s.kscript " + args + " > ../out.txt 2> ../err.txt")
            .status;
    }
    std::string output() const { return read_file(dir / "out.txt") + read_file(dir / "err.txt"); }
    // A new movie made by the application itself (File > New), renamed.
    void make_movie(const std::string& name) {
        write_file(dir / "s.kscript", "menu \"File\" \"New\"\nkey return\nexpect window \"MovieFile.mov\"\n");
        ASSERT_EQ(run(), 0) << output();
        if (name != "MovieFile.mov") fs::rename(work("MovieFile.mov"), work(name));
    }
    fs::path work(const std::string& name = "") const { return dir / "work" / name; }

    TempFolder folder_{"app"};
    fs::path dir = folder_.path();
};

TEST_P(AppScripts, RunToTheEnd) {
    std::string script = read_file(kScripts / (GetParam() + ".kscript"));
    for (size_t at; (at = script.find("$OUT")) != std::string::npos;) script.replace(at, 4, kOutput.string());

    std::string args, env, mount_kind, mount_dir;
    std::vector<std::pair<std::string, std::string>> checks;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 2 || line[0] != '#' || line[1] == ' ') continue;
        const size_t space = line.find(' ');
        const std::string word = line.substr(1, space - 1), rest = space == std::string::npos ? "" : line.substr(space + 1);
        std::istringstream words(rest);
        if (word == "movie") {
            for (std::string name; words >> name;) {
                fs::create_directories(work(name).parent_path());
                make_movie(name);
            }
        } else if (word == "file") {
            std::string name;
            words >> name;
            std::ofstream(work(name)) << rest.substr(name.size() + 1);
        } else if (word == "shell") {
            ASSERT_EQ(shell_in(work(), rest), 0) << rest;
        } else if (word == "needs") {
            for (std::string tool; words >> tool;) KINORA_REQUIRE_TOOL(tool);
        } else if (word == "args") {
            args = rest;
        } else if (word == "env") {
            env = rest;
        } else if (word == "mount") {
            words >> mount_kind >> mount_dir;
            fs::create_directories(work(mount_dir));
        } else if (word == "unchanged") {
            checks.push_back({word, rest + "\n" + read_file(work(rest))});
        } else {
            checks.push_back({word, rest});
        }
    }

    write_file(dir / "s.kscript", script);
    // Mounted in a child process with mounts of its own.
    const int status = mount_kind.empty() ? run(env, args) : run_in_child([&] {
        if (!private_mounts() || !mount_as(mount_kind, work(mount_dir))) return kChildCannotRun;
        const int rc = run(env, args);
        return rc >= 0 ? rc : 99;
    });
    if (status == kChildCannotRun)
        KINORA_SKIP_OR_FAIL(cannot_mount(mount_kind == "small" ? "a small file system" : "a read-only bind mount"));
    ASSERT_EQ(status, 0) << output();

    for (const auto& [word, rest] : checks) {
        std::istringstream words(rest);
        std::string a, b;
        words >> a >> b;
        if (word == "duration") {
            EXPECT_EQ(movie_duration(work(a)), b) << a;
        } else if (word == "unchanged") {
            EXPECT_TRUE(read_file(work(a)) == rest.substr(a.size() + 1)) << a << " was written";
        } else if (word == "absent") {
            EXPECT_FALSE(fs::exists(work(a))) << a;
        } else if (word == "empty") {
            EXPECT_TRUE(fs::is_empty(work()));
        } else if (word == "same" || word == "differ") {
            EXPECT_EQ(read_file(work(a)) == read_file(work(b)), word == "same") << a << " " << word << " " << b;
        } else if (word == "verify") {
            EXPECT_EQ(shell_in(work(), rest), 0) << rest;
        } else {
            ADD_FAILURE() << "unknown line #" << word;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, AppScripts, testing::ValuesIn(script_names()), [](const auto& info) {
    std::string n = info.param;
    std::replace(n.begin(), n.end(), '-', '_');
    return n;
});

}  // namespace
