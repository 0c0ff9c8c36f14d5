// The event logger (a program with its own WaitNextEvent loop) driven by
// headless scripts, as the application will be: real processes, real exit
// statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"

namespace {

const std::string kLogger = KINORA_BUILD_DIR "/tests/event_logger";

// Runs the logger headless on `script`, in a folder of its own; `args` follow the options.
testsupport::ProcessResult run_script(const std::string& script, std::vector<std::string> args = {}) {
    testsupport::TempFolder dir("run");
    std::ofstream(dir / "s.kscript") << script;
    testsupport::RunOptions options;
    options.cwd = dir.path();
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY"};
    args.insert(args.begin(), {kLogger, "--headless", "--script", "s.kscript"});
    return testsupport::run_program(args, options);
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
    const auto r = run_script(script);
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines_in_order(r.out, want);
    // Modifiers are let go after the key: the quit event carries none.
    expect_lines_in_order(r.out, {"highLevel class=aevt id=quit payload=from-quit-hook"});
}

TEST(ScriptRun, ClicksAndDrags) {
    const auto r = run_script("click 100 200\nalt+click 5 6\nshift+click 7 8\ndrag 10 10 110 60\ncmd+drag 20 20 100 20\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines_in_order(r.out, {
        "mouseDown where=100,200 mods=0000", "mouseUp where=100,200 mods=0080",
        "mouseDown where=5,6 mods=0800", "mouseUp where=5,6 mods=0880",
        "mouseDown where=7,8 mods=0200", "mouseUp where=7,8 mods=0280",
        "mouseDown where=10,10 mods=0000", "mouseUp where=110,60 mods=0080",
        // Tracked by the application with WaitMouseUp: it sees the path.
        "mouseDown where=20,20 mods=0100", "track 30,20", "track 60,20", "track 100,20", "tracked-up 100,20",
    });
    EXPECT_EQ(r.out.find("mouseUp where=100,20 "), std::string::npos) << "WaitMouseUp took the mouse-up";
}

// A program the script cannot end: only the clock does, with its own status.
TEST(ScriptRun, AHungProgramTimesOut) {
    const auto r = run_script("key h\n", {"--timeout", "1"});
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_EQ(r.err, "script:1: timed out after 1 s\n");
}
