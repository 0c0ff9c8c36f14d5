// Kinora installed as a desktop application: this build installed with
// `cmake --install` into a prefix of its own, which is then moved (nothing
// installed may depend on where it was put), and what a desktop, `man` and
// a user at a shell see of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// A PNG's width and height from its header (0, 0 when it is no PNG).
std::pair<uint32_t, uint32_t> png_size(const fs::path& p) {
    const std::string b = read_file(p);
    if (b.size() < 24 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0) return {0, 0};
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) | (uint32_t(uint8_t(b[at + 2])) << 8) | uint8_t(b[at + 3]);
    };
    return {be32(16), be32(20)};
}

// The value of a key of the desktop entry's main group.
std::string desktop_key(const fs::path& entry, const std::string& key) {
    std::istringstream in(read_file(entry));
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
    return {};
}

}  // namespace

TEST(Install, DesktopApplicationFromAMovedPrefix) {
    TempFolder tmp{"install"};
    const fs::path stage = tmp.path() / "stage", prefix = tmp.path() / "moved";
    ProcessResult installed = run_program({KINORA_CMAKE, "--install", KINORA_BUILD_DIR, "--prefix", stage.string()});
    ASSERT_EQ(installed.status, 0) << installed.all();
    fs::rename(stage, prefix);

    for (const char* f : {"bin/kinora", "share/kinora/Kinora.rsrc", "share/applications/kinora.desktop",
                          "share/icons/hicolor/scalable/apps/kinora.svg", "share/man/man1/kinora.1"})
        EXPECT_TRUE(fs::is_regular_file(prefix / f)) << f;
    for (uint32_t size : {48u, 128u, 256u}) {
        const std::string dir = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(png_size(prefix / "share/icons/hicolor" / dir / "apps/kinora.png"), std::make_pair(size, size)) << dir;
    }

    // Answered as a command-line tool answers: no display, no resource file.
    RunOptions bare;
    bare.cwd = tmp.path();
    bare.unset = {"DISPLAY", "WAYLAND_DISPLAY"};
    bare.env = {"KINORA_RESOURCES=" + (tmp.path() / "none.rsrc").string()};
    const std::string kinora = (prefix / "bin/kinora").string();
    ProcessResult version = run_program({kinora, "--version"}, bare);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kinora " KINORA_VERSION "\n");
    ProcessResult help = run_program({kinora, "--help"}, bare);
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("usage: kinora ")) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_EQ(version.err + help.err, "");

    // A headless run of the installed copy finds its menus (its resources)
    // under the moved prefix by itself.
    RunOptions headless;
    headless.cwd = tmp.path();
    headless.unset = {"DISPLAY", "WAYLAND_DISPLAY", "KINORA_RESOURCES"};
    write_file(tmp.path() / "s.kscript", "expect menu-item \"File\" \"New\" enabled\n");
    ProcessResult run = run_program({kinora, "--headless", "--timeout", "60", "--script", "s.kscript"}, headless);
    EXPECT_EQ(run.status, 0) << run.all();

    const fs::path entry = prefix / "share/applications/kinora.desktop";
    EXPECT_EQ(desktop_key(entry, "Exec"), "kinora %F");
    if (peer_available("desktop-file-validate")) {
        ProcessResult valid = run_program({"desktop-file-validate", entry.string()});
        EXPECT_EQ(valid.status, 0) << valid.all();
        EXPECT_EQ(valid.all(), "");
    }
    // Every type the entry opens is one the system's MIME database knows,
    // so Kinora installs no MIME definitions of its own.
    const fs::path mime = "/usr/share/mime";
    if (fs::exists(mime / "types")) {
        const std::string known = "\n" + read_file(mime / "types") + read_file(mime / "aliases");
        std::istringstream types(desktop_key(entry, "MimeType"));
        for (std::string type; std::getline(types, type, ';');)
            EXPECT_TRUE(known.find("\n" + type + "\n") != std::string::npos || known.find("\n" + type + " ") != std::string::npos)
                << type << " is not in the system's MIME database";
    } else {
        KINORA_SKIP_OR_FAIL("the shared MIME database is not installed (apt-get install shared-mime-info)");
    }

    if (peer_available("man")) {
        RunOptions plain;
        plain.env = {"MANWIDTH=80", "LANG=C.UTF-8"};
        ProcessResult page = run_program({"man", "--warnings", "-l", (prefix / "share/man/man1/kinora.1").string()}, plain);
        EXPECT_EQ(page.status, 0) << page.all();
        EXPECT_EQ(page.err, "") << "the page formats without warnings";
        EXPECT_NE(page.out.find("kinora - make, play and edit movies"), std::string::npos) << page.out;
        EXPECT_NE(page.out.find("Kinora " KINORA_VERSION), std::string::npos) << page.out;
    }
}
