// Running the application itself, headless, from a script in a folder of
// its own, and looking at what it left behind.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/files/ChildProcess.h"

namespace apptest {

namespace fs = std::filesystem;

inline const std::string kKinora = KINORA_BUILD_DIR "/kinora";
inline const fs::path kOutput = KINORA_BUILD_DIR "/test-output";

inline std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Outcome {
    int status = -1;   // the process's exit status; -1 when it died of a signal
    std::string out;
    std::string err;
    std::string all() const { return out + err; }
};

// A temporary folder holding `work/` (the application's working folder)
// and the script; removed afterwards.
class AppTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kinora-app-XXXXXX";
        dir = mkdtemp(pattern);
        chmod(dir.c_str(), 0755);
        fs::create_directories(dir / "work");
        fs::create_directories(kOutput);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // The shell command that runs the application on the script; `args`
    // follow the options (documents to open at launch, say).
    std::string command(const std::string& env = "", const std::string& args = "") const {
        return "cd '" + work().string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + env + " '" + kKinora +
               "' --headless --timeout 60 --script ../s.kscript " + args + " > ../out.txt 2> ../err.txt";
    }
    Outcome run(const std::string& script, const std::string& env = "", const std::string& args = "") {
        std::ofstream(dir / "s.kscript") << script;
        const int rc = std::system(command(env, args).c_str());
        return outcome(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1);
    }
    Outcome outcome(int status) const { return Outcome{status, read_file(dir / "out.txt"), read_file(dir / "err.txt")}; }

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

    fs::path dir;
};

// The script line that saves a screenshot for people to look at.
inline std::string screenshot(const std::string& name) {
    return "screenshot " + (kOutput / name).string() + "\n";
}

}  // namespace apptest
