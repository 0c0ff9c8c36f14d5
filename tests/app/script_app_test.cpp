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
#include <sstream>
#include <vector>

#include "tests/app/AppRun.h"

using namespace apptest;

namespace {

const fs::path kScripts = KINORA_SOURCE_DIR "/tests/app/scripts";

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

class AppScripts : public AppTest, public testing::WithParamInterface<std::string> {};

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

    Outcome r;
    std::ofstream(dir / "s.kscript") << script;
    if (mount_kind.empty()) {
        r = outcome(run_shell(command(env, args)).status);
    } else {
        r = run_mounted([&] { return mount_kind == "small" ? small_disk(work(mount_dir)) : read_only(work(mount_dir)); });
        if (r.status == kChildCannotRun)
            KINORA_SKIP_OR_FAIL(cannot_mount(mount_kind == "small" ? "a small file system" : "a read-only bind mount"));
    }
    ASSERT_EQ(r.status, 0) << r.all();

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
