// Helpers of the SDL tests: Xvfb on a free display, the drive tool, waiting
// for a program's output.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/Pictures.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

extern char** environ;

namespace sdltest {

inline const std::string kDrive = KINORA_BUILD_DIR "/tests/x11_drive";

using testsupport::Child;
using testsupport::read_file;
using testsupport::read_png;
using testsupport::read_ppm;
using testsupport::TempFolder;
using Rgb = testsupport::Picture;

// Xvfb on a free display, chosen by the server itself.
class Xvfb {
public:
    bool start(const std::string& screen = "1280x1024x24") {
        int fds[2];
        if (pipe(fds) != 0) return false;
        std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                              "-nolisten", "tcp", nullptr};
        if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
        close(fds[1]);
        char buf[16] = {};
        ssize_t n = read(fds[0], buf, sizeof buf - 1);
        close(fds[0]);
        if (n <= 0) return false;
        display_ = ":" + std::to_string(std::atoi(buf));
        return true;
    }
    ~Xvfb() { stop(); }
    // Ends the server, as a session ending would.
    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

inline bool wait_for_text(const fs::path& file, const std::string& text, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (read_file(file).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

inline bool wait_for_file(const fs::path& file, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!fs::exists(file)) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

inline int drive(const std::string& display, const std::string& args) {
    return testsupport::run_shell("DISPLAY=" + display + " '" + kDrive + "' " + args).status;
}

}  // namespace sdltest
