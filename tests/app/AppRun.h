// Running the application itself, headless, from a script in a folder of
// its own, and looking at what it left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace apptest {

namespace fs = std::filesystem;

inline const std::string kKinora = KINORA_BUILD_DIR "/kinora";
inline const fs::path kOutput = KINORA_BUILD_DIR "/test-output";

using namespace testsupport;

// The movie as our own dump tool (build/movdump) reads it.
inline std::string dump(const fs::path& p) {
    return run_shell(quote(KINORA_BUILD_DIR "/movdump") + " " + quote(p.string()) + " 2>&1").out;
}

// The movie's duration in its time scale of 600, as the dump shows it.
inline std::string movie_duration(const fs::path& p) {
    const std::string out = dump(p), key = "version 0, time scale 600, duration ";
    const size_t at = out.find(key);
    if (at == std::string::npos) return out;
    const size_t from = at + key.size();
    return out.substr(from, out.find(',', from) - from);
}

// A run of the application: its exit status (-1 when a signal ended it) and what it wrote.
using Outcome = ProcessResult;

// A temporary folder holding `work/` (the application's working folder)
// and the script; removed afterwards.
class AppTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "work");
        fs::create_directories(kOutput);
    }

    // The shell command that runs the application on the script; `args`
    // follow the options (documents to open at launch, say).
    std::string command(const std::string& env = "", const std::string& args = "") const {
        return "cd '" + work().string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + env + " '" + kKinora +
               "' --headless --timeout 60 --script ../s.kscript " + args + " > ../out.txt 2> ../err.txt";
    }
    Outcome run(const std::string& script, const std::string& env = "", const std::string& args = "") {
        std::ofstream(dir / "s.kscript") << script;
        return outcome(run_shell(command(env, args)).status);
    }
    Outcome outcome(int status) const {
        return Outcome{.status = status, .signal = 0, .timed_out = false, .out = read_file(dir / "out.txt"), .err = read_file(dir / "err.txt")};
    }

    // Runs the script already written to s.kscript in a child process with
    // mounts of its own, once `mount_it` has made them; the outcome's status
    // is kChildCannotRun when the machine does not permit that.
    Outcome run_mounted(const std::function<bool()>& mount_it) {
        const std::string cmd = command();
        const int code = run_in_child([&] {
            if (!private_mounts() || !mount_it()) return kChildCannotRun;
            const int rc = run_shell(cmd).status;
            return rc >= 0 ? rc : 99;
        });
        return outcome(code);
    }
    // A 64 KB file system at `path`: writing a movie there runs out of room.
    static bool small_disk(const fs::path& path) {
        return mount("none", path.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    // `path` made read-only, for root too.
    static bool read_only(const fs::path& path) {
        return mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
               mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }

    fs::path work() const { return dir / "work"; }
    fs::path work(const std::string& name) const { return dir / "work" / name; }

    // A new movie made by the application itself (File > New), renamed.
    void make_movie(const std::string& name) {
        Outcome r = run("menu \"File\" \"New\"\n"
                        "key return\n"
                        "expect window \"MovieFile.mov\"\n");
        ASSERT_EQ(r.status, 0) << r.all();
        if (name != "MovieFile.mov") fs::rename(work("MovieFile.mov"), work(name));
    }

    TempFolder folder_{"app"};
    fs::path dir = folder_.path();
};

}  // namespace apptest
