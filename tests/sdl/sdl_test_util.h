// Helpers of the SDL tests: Xvfb on a free display, child processes with
// their own environment and output files, the drive tool, CPU time,
// captured pictures.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

extern char** environ;

namespace sdltest {

inline const std::string kDrive = KINORA_BUILD_DIR "/tests/x11_drive";

inline std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool have_program(const char* name) {
    return std::system(("command -v " + std::string(name) + " > /dev/null 2>&1").c_str()) == 0;
}

// A child process with its own environment additions and output file.
class Child {
public:
    Child(std::vector<std::string> argv, std::vector<std::string> env, const fs::path& out, const fs::path& err) {
        std::vector<std::string> envs;
        for (char** e = environ; *e; ++e) {
            std::string s = *e;
            bool replaced = false;
            for (const auto& add : env)
                if (s.substr(0, s.find('=') + 1) == add.substr(0, add.find('=') + 1)) replaced = true;
            if (!replaced) envs.push_back(s);
        }
        envs.insert(envs.end(), env.begin(), env.end());
        std::vector<char*> a, e;
        for (auto& s : argv) a.push_back(s.data());
        a.push_back(nullptr);
        for (auto& s : envs) e.push_back(s.data());
        e.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, a[0], &fa, nullptr, a.data(), e.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
    }
    ~Child() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    // The exit status, or -1 if it is still running after `limit`.
    int wait(std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (status_ < 0 && std::chrono::steady_clock::now() < end) {
            int st = 0;
            if (waitpid(pid_, &st, WNOHANG) == pid_) status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            else std::this_thread::sleep_for(20ms);
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// Xvfb on a free display, chosen by the server itself.
class Xvfb {
public:
    bool start() {
        int fds[2];
        if (pipe(fds) != 0) return false;
        std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
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

// CPU seconds (user + system) the process has used so far.
inline double cpu_seconds(pid_t pid) {
    std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream in(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && in >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

inline int drive(const std::string& display, const std::string& args) {
    return std::system(("DISPLAY=" + display + " '" + kDrive + "' " + args).c_str());
}

// A picture as 8-bit R, G, B; at() gives 0xRRGGBB.
struct Rgb {
    int width = 0, height = 0;
    std::vector<uint8_t> data;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &data[(size_t(y) * size_t(width) + size_t(x)) * 3];
        return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
};

inline Rgb read_png(const fs::path& path) {
    Rgb img;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return img;
    png.format = PNG_FORMAT_RGB;
    img.data.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, img.data.data(), 0, nullptr)) {
        img.width = int(png.width);
        img.height = int(png.height);
    }
    return img;
}

inline Rgb read_ppm(const fs::path& path) {
    Rgb img;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> img.width >> img.height >> max;
    in.get();
    if (magic != "P6" || max != 255) return Rgb{};
    img.data.resize(size_t(img.width) * size_t(img.height) * 3);
    in.read(reinterpret_cast<char*>(img.data.data()), std::streamsize(img.data.size()));
    return img;
}

}  // namespace sdltest
