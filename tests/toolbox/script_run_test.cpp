// The event logger (a program with its own WaitNextEvent loop) driven by
// headless scripts, as the application will be: real processes, real exit
// statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using testsupport::read_file;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    std::shared_ptr<testsupport::TempFolder> folder;   // dir, kept while the outcome is looked at
    fs::path dir;
};

const std::string kLogger = KINORA_BUILD_DIR "/tests/event_logger";

// Runs the logger in a fresh directory: `env` before it, `args` after it.
Outcome run_logger(const std::string& args, const std::string& env = "", const std::string& script = "") {
    Outcome r;
    r.folder = std::make_shared<testsupport::TempFolder>("run");
    r.dir = r.folder->path();
    if (!script.empty()) {
        std::ofstream(r.dir / "s.kscript") << script;
    }
    std::string cmd = "cd '" + r.dir.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + env + " '" + kLogger +
                      "' " + args + " > out.txt 2> err.txt";
    r.status = testsupport::run_shell(cmd).status;
    r.out = read_file(r.dir / "out.txt");
    r.err = read_file(r.dir / "err.txt");
    return r;
}

Outcome run_script(const std::string& script, const std::string& env = "", const std::string& args = "") {
    return run_logger("--headless --script s.kscript " + args, env, script);
}

// Every expected line must appear in the output, in this order (as line prefixes).
void expect_lines_in_order(const std::string& out, const std::vector<std::string>& want) {
    std::istringstream in(out);
    std::string line;
    size_t i = 0;
    while (i < want.size() && std::getline(in, line))
        if (line.rfind(want[i], 0) == 0) ++i;
    EXPECT_EQ(i, want.size()) << "missing: " << (i < want.size() ? want[i] : "") << "\noutput:\n" << out;
}

std::vector<std::string> lines_starting(const std::string& out, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

}  // namespace

TEST(ScriptRun, KeysWithModifiersAndNames) {
    // The key down the application gets for each line.
    const std::pair<const char*, std::string> cases[] = {
        {"key cmd+shift+z", "keyDown char=5a key=06 mods=0380"},
        {"key alt+k", "keyDown char=6b key=28 mods=0880"},
        {"key ctrl+a", "keyDown char=01 key=00 mods=1080"},
        {"key return", "keyDown char=0d key=24 mods=0080"},
        {"key left", "keyDown char=1c key=7b mods=0080"},
    };
    std::string script;
    std::vector<std::string> want;
    for (const auto& [line, event] : cases) {
        script += std::string(line) + "\n";
        want.push_back(event);
        // Each key down is followed by its key up, with the same message.
        want.push_back("keyUp " + event.substr(8, 15));
    }
    Outcome r = run_script(script);
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines_in_order(r.out, want);
    // Modifiers are let go after the key: the quit event carries none.
    expect_lines_in_order(r.out, {"highLevel class=aevt id=quit payload=from-quit-hook"});
}

TEST(ScriptRun, ClicksAndDrags) {
    Outcome r = run_script("click 100 200\nalt+click 5 6\nshift+click 7 8\ndrag 10 10 110 60\ncmd+drag 20 20 100 20\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines_in_order(r.out, {
        "mouseDown where=100,200 mods=0000", "mouseUp where=100,200 mods=0080",
        "mouseDown where=5,6 mods=0800", "mouseUp where=5,6 mods=0880",
        "mouseDown where=7,8 mods=0200", "mouseUp where=7,8 mods=0280",
        "mouseDown where=10,10 mods=0000", "mouseUp where=110,60 mods=0080",
        // Tracked by the application with WaitMouseUp: it sees the path.
        "mouseDown where=20,20 mods=0100", "track 30,20", "track 60,20", "track 100,20", "tracked-up 100,20",
    });
    EXPECT_TRUE(lines_starting(r.out, "mouseUp where=100,20 ").empty()) << "WaitMouseUp took the mouse-up";
}

// A program the script cannot end: only the clock does, with its own status.
TEST(ScriptRun, AHungProgramTimesOut) {
    Outcome r = run_script("key h\n", "", "--timeout 1");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_EQ(r.err, "script:1: timed out after 1 s\n");
}
