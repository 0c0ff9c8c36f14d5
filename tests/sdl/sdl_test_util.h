// Helpers of the SDL tests: Xvfb on a free display, the drive tool, waiting
// for a program's output.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <tuple>

#include "tests/support/Pictures.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace sdltest {

inline const std::string kDrive = KINORA_BUILD_DIR "/tests/x11_drive";

using testsupport::Child;
using testsupport::read_file;
using testsupport::read_png;
using testsupport::read_ppm;
using testsupport::TempFolder;
using Rgb = testsupport::Picture;

// Whether `done` came true within `limit`, asked every 20 ms.
template <class Done>
bool wait_until(Done done, std::chrono::milliseconds limit) {
    for (auto end = std::chrono::steady_clock::now() + limit; !done(); std::this_thread::sleep_for(20ms))
        if (std::chrono::steady_clock::now() >= end) return false;
    return true;
}
inline bool wait_for_text(const fs::path& file, const std::string& text, std::chrono::milliseconds limit) {
    return wait_until([&] { return read_file(file).find(text) != std::string::npos; }, limit);
}
inline bool wait_for_file(const fs::path& file, std::chrono::milliseconds limit) {
    return wait_until([&] { return fs::exists(file); }, limit);
}

// Xvfb on a free display, chosen by the server itself: it writes the
// display's number to its output once it is ready.
class Xvfb {
public:
    bool start(const std::string& screen = "1280x1024x24") {
        const fs::path log = testsupport::test_folder() / ("xvfb-" + screen);
        server_ = std::make_unique<Child>(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"},
                                          std::vector<std::string>{}, log.string() + ".out", log.string() + ".err");
        if (!server_->started() || !wait_for_text(log.string() + ".out", "\n", 30s)) return false;
        display_ = ":" + std::to_string(std::atoi(read_file(log.string() + ".out").c_str()));
        return true;
    }
    // Ends the server, as a session ending (or a crash) would.
    void stop() { server_.reset(); }
    const std::string& display() const { return display_; }

private:
    std::unique_ptr<Child> server_;
    std::string display_;
};

inline int drive(const std::string& display, const std::string& args) {
    return testsupport::run_shell("DISPLAY=" + display + " '" + kDrive + "' " + args).status;
}

// A test with a folder of its own, and Xvfb once it says KINORA_START_X().
class XTest : public testing::Test {
protected:
    TempFolder folder{"sdl"};
    const fs::path dir = folder.path(), out = dir / "out.txt", err = dir / "err.txt";
    Xvfb x;
};

}  // namespace sdltest

// Starts the test's Xvfb (with the screen given, if one is), or skips the
// test without it.
#define KINORA_START_X(...)                                                            \
    do {                                                                               \
        KINORA_REQUIRE_TOOL("Xvfb");                                                   \
        ASSERT_TRUE(x.start(__VA_ARGS__)) << "Xvfb did not start";                     \
    } while (0)
