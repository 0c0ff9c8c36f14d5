// The event logger on the SDL host under Xvfb: a frame shown and read back
// from the window, real keys and clicks through XTEST, the idle cost, and
// the window's close button ending the program through the quit hook.
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

namespace {

const std::string kLogger = KINORA_BUILD_DIR "/tests/event_logger";
const std::string kDrive = KINORA_BUILD_DIR "/tests/x11_drive";

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool have_program(const char* name) {
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
    ~Xvfb() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

bool wait_for_text(const fs::path& file, const std::string& text, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (read_file(file).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// CPU seconds (user + system) the process has used so far.
double cpu_seconds(pid_t pid) {
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

int drive(const std::string& display, const std::string& args) {
    return std::system(("DISPLAY=" + display + " '" + kDrive + "' " + args).c_str());
}

}  // namespace

TEST(SdlHost, ShowsTheScreenTakesInputAndClosesThroughTheQuitHook) {
    if (!have_program("Xvfb")) GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    Xvfb x;
    ASSERT_TRUE(x.start()) << "Xvfb did not start";
    fs::path dir = fs::temp_directory_path() / ("kinora-sdl-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path out = dir / "out.txt", err = dir / "err.txt", capture = dir / "capture.png";
    Child app({kLogger}, {"DISPLAY=" + x.display(), "EVENT_LOGGER_CAPTURE=" + capture.string()}, out, err);
    ASSERT_GT(app.pid(), 0);
    ASSERT_TRUE(wait_for_text(out, "captured\n", 15s)) << read_file(out) << read_file(err);
    EXPECT_NE(read_file(out).find("screen 1024x768 on sdl"), std::string::npos);

    // What the window shows: the four quadrants, at the window's size.
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&img, capture.c_str()));
    img.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(img));
    ASSERT_TRUE(png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr));
    const int w = int(img.width), h = int(img.height);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    auto at = [&](int px, int py) {
        const uint8_t* p = &rgb[(size_t(py) * size_t(w) + size_t(px)) * 3];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(w / 4, h / 4), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(at(3 * w / 4, h / 4), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(at(w / 4, 3 * h / 4), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(at(3 * w / 4, 3 * h / 4), (std::array<int, 3>{255, 255, 255}));

    // Idle, the program sleeps in the window system between paced null events.
    double before = cpu_seconds(app.pid());
    std::this_thread::sleep_for(3s);
    double used = cpu_seconds(app.pid()) - before;
    EXPECT_LT(used / 3.0, 0.05) << "idle CPU " << used / 3.0 * 100 << "% of a core";

    // Ctrl is the Command key; a click arrives at screen coordinates.
    ASSERT_EQ(drive(x.display(), "key Kinora n ctrl"), 0);
    EXPECT_TRUE(wait_for_text(out, "keyDown char=6e key=2d mods=0180", 5s)) << read_file(out);
    ASSERT_EQ(drive(x.display(), "key Kinora a"), 0);
    EXPECT_TRUE(wait_for_text(out, "keyDown char=61 key=00 mods=0080", 5s)) << read_file(out);
    ASSERT_EQ(drive(x.display(), "click Kinora 100 50"), 0);
    EXPECT_TRUE(wait_for_text(out, "mouseDown where=100,50 mods=0000", 5s)) << read_file(out);
    EXPECT_TRUE(wait_for_text(out, "mouseUp where=100,50 mods=0080", 5s)) << read_file(out);

    // The close button: a quit request, turned into 'quit' by the handler.
    ASSERT_EQ(drive(x.display(), "close Kinora"), 0);
    EXPECT_EQ(app.wait(10s), 0) << read_file(out) << read_file(err);
    std::string log = read_file(out);
    size_t request = log.find("quit requested by the host window was closed\n");
    EXPECT_NE(request, std::string::npos) << log;
    EXPECT_NE(log.find("highLevel class=aevt id=quit payload=from-quit-hook", request), std::string::npos) << log;
    fs::remove_all(dir);
}

TEST(SdlHost, FallsBackToHeadlessWhenTheDisplayCannotBeOpened) {
    fs::path dir = fs::temp_directory_path() / ("kinora-sdl-nodisplay-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Child app({kLogger, "--timeout", "1"}, {"DISPLAY=:12345"}, dir / "out.txt", dir / "err.txt");
    EXPECT_EQ(app.wait(20s), 2) << "ended by the timeout";
    std::string err = read_file(dir / "err.txt");
    EXPECT_EQ(err.rfind("kinora: cannot open the display (", 0), 0u) << err;
    EXPECT_NE(err.find("); running headless\nkinora: timed out after 1 s\n"), std::string::npos) << err;
    EXPECT_NE(read_file(dir / "out.txt").find("screen 1024x768 on headless"), std::string::npos);
    fs::remove_all(dir);
}
