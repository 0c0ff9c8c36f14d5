// Kinora installed as a desktop application: this build installed with
// `cmake --install` into a prefix of its own, which is then moved (nothing
// installed may depend on where it was put), and what a desktop, `man` and
// a user at a shell see of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using namespace testsupport;
namespace fs = std::filesystem;

TEST(Install, DesktopApplicationFromAMovedPrefix) {
    TempFolder tmp{"install"};
    const fs::path stage = tmp.path() / "stage", prefix = tmp.path() / "moved", share = prefix / "share";
    ProcessResult installed = run_program({KINORA_CMAKE, "--install", KINORA_BUILD_DIR, "--prefix", stage.string()});
    ASSERT_EQ(installed.status, 0) << installed.all();
    fs::rename(stage, prefix);
    for (const char* f : {"kinora/Kinora.rsrc", "icons/hicolor/scalable/apps/kinora.svg"})
        EXPECT_TRUE(fs::is_regular_file(share / f)) << f;
    for (const char* size : {"48", "128", "256"}) {
        // A PNG's header holds its width and height as 32-bit big-endian numbers.
        const std::string png = read_file(share / "icons/hicolor" / (std::string(size) + "x" + size) / "apps/kinora.png");
        const std::string side = std::string(2, '\0') + char(std::stoi(size) >> 8) + char(std::stoi(size) & 0xFF);
        EXPECT_EQ(png.substr(0, 4) + png.substr(12, 12), "\x89PNG" "IHDR" + side + side) << size;
    }

    // Answered as a command-line tool answers: no display, no resource file.
    RunOptions bare{.cwd = tmp.path(), .env = {"KINORA_RESOURCES=/nowhere"}, .unset = {"DISPLAY", "WAYLAND_DISPLAY"}};
    const std::string kinora = (prefix / "bin/kinora").string();
    ProcessResult version = run_program({kinora, "--version"}, bare), help = run_program({kinora, "--help"}, bare);
    EXPECT_EQ(version.status + help.status, 0);
    EXPECT_EQ(version.out, "kinora " KINORA_VERSION "\n");
    EXPECT_TRUE(help.out.starts_with("usage: kinora ")) << help.out;

    // The installed copy finds its resources (its menus) from where it is.
    bare.env.clear();
    bare.unset.push_back("KINORA_RESOURCES");
    write_file(tmp.path() / "s.kscript", "expect menu-item \"File\" \"New\" enabled\n");
    ProcessResult run = run_program({kinora, "--headless", "--script", "s.kscript"}, bare);
    EXPECT_EQ(run.status, 0) << run.all();

    const fs::path entry = share / "applications/kinora.desktop";
    EXPECT_NE(read_file(entry).find("\nExec=kinora %F\n"), std::string::npos);
    if (peer_available("desktop-file-validate")) {
        ProcessResult valid = run_program({"desktop-file-validate", entry.string()});
        EXPECT_EQ(valid.status, 0) << valid.all();
        EXPECT_EQ(valid.all(), "");
    }
    if (peer_available("man")) {
        RunOptions plain;
        plain.env = {"MANWIDTH=80", "LANG=C.UTF-8"};
        ProcessResult page = run_program({"man", "--warnings", "-l", (share / "man/man1/kinora.1").string()}, plain);
        EXPECT_EQ(page.status, 0) << page.all();
        EXPECT_EQ(page.err, "") << "the page formats without warnings";
        EXPECT_NE(page.out.find("kinora - make, play and edit movies"), std::string::npos) << page.out;
        EXPECT_NE(page.out.find("Kinora " KINORA_VERSION), std::string::npos) << page.out;
    }
}
