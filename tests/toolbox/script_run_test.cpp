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

// Runs the logger headless on `script`, in a folder of its own.
testsupport::ProcessResult run_script(const std::string& script) {
    testsupport::TempFolder dir("run");
    std::ofstream(dir / "s.kscript") << script;
    testsupport::RunOptions options;
    options.cwd = dir.path();
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY"};
    return testsupport::run_program({kLogger, "--headless", "--script", "s.kscript"}, options);
}

// Every expected line must appear in the output, in this order (as line prefixes).
void expect_lines_in_order(const std::string& out, const std::vector<std::string>& want) {
    std::istringstream in(out);
    std::string line;
    size_t i = 0;
    while (i < want.size() && std::getline(in, line)) if (line.rfind(want[i], 0) == 0) ++i;
    EXPECT_EQ(i, want.size()) << "missing: " << (i < want.size() ? want[i] : "") << "\noutput:\n" << out;
}

}  // namespace

// Keys, clicks and drags reach the application as the events it would get
// from a keyboard and mouse.
TEST(ScriptRun, KeysClicksAndDrags) {
    const auto r = run_script("key cmd+shift+z\nkey alt+k\nkey ctrl+a\nkey return\nkey left\n"
                              "click 100 200\nalt+click 5 6\ndrag 10 10 110 60\ncmd+drag 20 20 100 20\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines_in_order(r.out, {
        // Each key down is followed by its key up, with the same message.
        "keyDown char=5a key=06 mods=0380", "keyUp char=5a key=06", "keyDown char=6b key=28 mods=0880",
        "keyUp char=6b key=28", "keyDown char=01 key=00 mods=1080", "keyUp char=01 key=00",
        "keyDown char=0d key=24 mods=0080", "keyDown char=1c key=7b mods=0080", "keyUp char=1c key=7b",
        "mouseDown where=100,200 mods=0000", "mouseUp where=100,200 mods=0080",
        "mouseDown where=5,6 mods=0800", "mouseUp where=5,6 mods=0880",
        "mouseDown where=10,10 mods=0000", "mouseUp where=110,60 mods=0080",
        // Tracked by the application with WaitMouseUp: it sees the path.
        "mouseDown where=20,20 mods=0100", "track 30,20", "track 60,20", "track 100,20", "tracked-up 100,20",
        // Modifiers are let go after the key: the quit event carries none.
        "highLevel class=aevt id=quit payload=from-quit-hook",
    });
    EXPECT_EQ(r.out.find("mouseUp where=100,20 "), std::string::npos) << "WaitMouseUp took the mouse-up";
}
