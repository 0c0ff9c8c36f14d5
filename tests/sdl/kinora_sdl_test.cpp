// Kinora on a real X server: its window destroyed by another program (as
// `xdotool windowclose` does) is a request to quit in a new window, so the
// question about unsaved changes is still asked and answered; a second
// Kinora hands its documents to the first; the screen follows the display.
#include "tests/sdl/sdl_test_util.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>

#include "platform/hosts/instance/InstanceMessage.h"

using namespace sdltest;

namespace {

const std::string kKinora = KINORA_BUILD_DIR "/kinora";

class KinoraSdl : public XTest {
protected:
    // MovieFile.mov in the test's folder, made by File > New without a display.
    void make_movie() {
        std::ofstream(dir / "new.kscript") << "menu \"File\" \"New\"\nkey return\nexpect window \"MovieFile.mov\"\n";
        const auto made = testsupport::run_program({kKinora, "--headless", "--script", "new.kscript"}, {.cwd = dir, .env = {}, .unset = {"DISPLAY"}});
        ASSERT_EQ(made.status, 0) << made.all();
    }
    const fs::path seen = dir / "seen.ppm";
};

}  // namespace

TEST_F(KinoraSdl, AWindowDestroyedByAnotherProgramAsksToSaveInANewOne) {
    KINORA_START_X();
    const fs::path movie = dir / "MovieFile.mov", edited = dir / "edited.png";
    ASSERT_NO_FATAL_FAILURE(make_movie());
    const std::string before = read_file(movie);
    ASSERT_FALSE(before.empty());

    std::ofstream(dir / "s.kscript") << "odoc " << movie.string() << "\n"
                                     << "expect front \"MovieFile.mov\"\n"
                                        "menu \"Edit\" \"Select All\"\n"
                                        "menu \"Edit\" \"Clear\"\n"
                                     << "screenshot " << edited.string() << "\n"
                                     << "wait 5000\n"   // the window is destroyed meanwhile
                                        "expect dialog \"MovieFile.mov\"\n"
                                        "button \"Save\"\n";
    Child app({kKinora, "--screen", "1024x768", "--script", (dir / "s.kscript").string(), "--timeout", "60"},
              {"DISPLAY=" + x.display()}, out, err);
    ASSERT_GT(app.pid(), 0);
    ASSERT_TRUE(wait_for_file(edited, 30s)) << read_file(err);
    ASSERT_EQ(drive(x.display(), "destroy Kinora"), 0);

    // A new window shows the question (once it has been drawn).
    Rgb window;
    for (int i = 0; i < 40 && (window.width == 0 || window.at(512, 330) != 0xECECECu); ++i) {
        if (i) std::this_thread::sleep_for(100ms);
        ASSERT_EQ(drive(x.display(), "capture Kinora " + seen.string()), 0) << read_file(err);
        window = read_ppm(seen);
    }
    ASSERT_EQ(window.width, 1024);
    EXPECT_EQ(std::tuple(window.at(900, 600), window.at(512, 330)), std::tuple(0x8C8C8Cu, 0xECECECu)) << "the desktop, the dialog";

    EXPECT_EQ(app.wait(30s), 0) << read_file(err);
    EXPECT_NE(read_file(err).find("kinora: another program destroyed the window; asking to quit in a new one\n"),
              std::string::npos) << read_file(err);
    EXPECT_NE(read_file(movie), before) << "the cleared movie was saved";
}

// One Kinora per session: a second `kinora FILE` hands FILE to the one
// running and ends at once. What else arrives on its socket (too big, or
// not a message of ours) opens nothing, and the running one goes on.
TEST_F(KinoraSdl, ASecondKinoraOpensItsDocumentInTheFirst) {
    KINORA_START_X();
    const fs::path socket = dir / "run" / "kinora" / ("instance-_" + x.display().substr(1));
    const std::vector<std::string> env = {"DISPLAY=" + x.display(), "XDG_RUNTIME_DIR=" + (dir / "run").string()};
    ASSERT_NO_FATAL_FAILURE(make_movie());

    // What windows cover of the desktop below the menu bar, once done(covered) holds (or after 10 s).
    auto covered_when = [&](auto done) {
        int n = -1;
        for (int i = 0; i < 100 && !(n >= 0 && done(n)); ++i) {
            if (i) std::this_thread::sleep_for(100ms);
            EXPECT_EQ(drive(x.display(), "capture Kinora " + seen.string()), 0);
            Rgb img = read_ppm(seen);
            n = 0;
            for (int y = 20; y < img.height; ++y)
                for (int px = 0; px < img.width; ++px) n += img.at(px, y) != 0x8C8C8Cu;
        }
        return n;
    };
    Child first({kKinora}, env, out, err);
    ASSERT_TRUE(wait_for_file(socket, 30s)) << read_file(err);
    ASSERT_EQ(covered_when([](int n) { return n == 0; }), 0);

    auto send_raw = [&](std::vector<UInt8> bytes) {
        int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strcpy(a.sun_path, socket.c_str());
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
        ::close(fd);
    };
    auto message = platform::instance::encode_instance_messages({(dir / "MovieFile.mov").string()}).value();
    std::vector<UInt8> oversized = message.front(), otherVersion = message.front();
    oversized.resize(platform::instance::kMaxInstanceMessage + 1);
    otherVersion[5] = 9;
    send_raw(oversized);
    send_raw(otherVersion);
    send_raw(platform::instance::encode_instance_messages({dir.string()})->front());   // a folder
    for (const char* why : {"over the size limit", "a message of another version", "it names no file"})
        EXPECT_TRUE(wait_for_text(err, std::string("ignored a message on the instance socket: ") + why + "\n", 10s));
    EXPECT_EQ(covered_when([](int) { return true; }), 0) << "nothing opened";
    ASSERT_EQ(first.wait(0ms), -1) << "still running";

    auto second = testsupport::run_program({kKinora, "MovieFile.mov"}, {.cwd = dir, .env = env, .unset = {}, .timeout = 30s});
    EXPECT_EQ(second.status, 0) << second.all();
    EXPECT_GE(covered_when([](int n) { return n >= 160 * 120; }), 160 * 120) << "the movie's window" << read_file(err);

    ASSERT_EQ(drive(x.display(), "close Kinora"), 0);
    EXPECT_EQ(first.wait(30s), 0) << read_file(err);
    EXPECT_FALSE(fs::exists(socket)) << "removed as the first ended";
}

// Menus under real X input: F10 and the arrows choose from the keyboard;
// a click on a title leaves its menu up, a click on another title moves
// there and a click on an item chooses it.
TEST_F(KinoraSdl, MenusStayUpAfterAClickAndAnswerTheKeyboard) {
    KINORA_START_X();
    Child app({kKinora, "--screen", "1024x768", "--timeout", "60"}, {"DISPLAY=" + x.display(), "XDG_RUNTIME_DIR=" + dir.string()}, out, err);
    ASSERT_GT(app.pid(), 0);
    auto shows = [&](int h, int v, std::uint32_t color) {   // waits for that pixel
        for (int i = 0; i < 150; ++i, std::this_thread::sleep_for(100ms))
            if (drive(x.display(), "capture Kinora " + seen.string()) == 0 && read_ppm(seen).width == 1024 &&
                read_ppm(seen).at(h, v) == color)
                return true;
        return false;
    };
    ASSERT_TRUE(shows(900, 600, 0x8C8C8Cu)) << read_file(err);
    for (const char* k : {"F10", "Down", "Return"})   // Kinora > About Kinora
        ASSERT_EQ(drive(x.display(), std::string("key Kinora ") + k), 0);
    EXPECT_TRUE(shows(512, 330, 0xECECECu)) << "the About box";
    ASSERT_EQ(drive(x.display(), "key Kinora Return"), 0);
    ASSERT_EQ(drive(x.display(), "click Kinora 92 10"), 0);   // File
    EXPECT_TRUE(shows(200, 100, 0xFFFFFFu)) << "the File menu stays up after the click";
    const fs::path shots = fs::path(KINORA_BUILD_DIR) / "test-output";
    fs::create_directories(shots);
    fs::copy_file(seen, shots / "sdl-file-menu.ppm", fs::copy_options::overwrite_existing);
    // A click outside takes the menu down. (Not a click on another title:
    // the pointer passing over it already opens that menu, and a click on
    // the open menu's title closes it, so that would race the pointer.)
    ASSERT_EQ(drive(x.display(), "click Kinora 600 400"), 0);
    EXPECT_TRUE(shows(200, 100, 0x8C8C8Cu)) << "the File menu taken down";
    ASSERT_EQ(drive(x.display(), "click Kinora 40 10"), 0);   // Kinora
    EXPECT_TRUE(shows(14, 40, 0xFFFFFFu)) << "the Kinora menu";
    ASSERT_EQ(drive(x.display(), "click Kinora 60 64"), 0);   // Quit Kinora
    EXPECT_EQ(app.wait(30s), 0) << read_file(err);
}

// With no --screen the screen is the display's (Xvfb has no panels: all of
// it) at scale 1; a 1080p movie on a 1280x720 display opens fitted with its
// controller on the screen; a smaller window makes a smaller screen, the
// movie's window dragged back to stay reachable.
TEST_F(KinoraSdl, TheScreenIsTheDisplaysAndFollowsTheWindow) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    {
        KINORA_REQUIRE_TOOL("Xvfb");
        Xvfb wide;
        ASSERT_TRUE(wide.start("1920x1080x24")) << "Xvfb did not start";
        std::ofstream(dir / "shot.kscript") << "screenshot " << (dir / "wide.png").string() << "\n";
        // --scale 2: a screen of half the display's size each way.
        for (auto [scale, width, height] : {std::tuple("", 1920, 1080), std::tuple("2", 960, 540)}) {
            std::vector<std::string> argv = {kKinora, "--script", (dir / "shot.kscript").string()};
            if (*scale) argv.insert(argv.end(), {"--scale", scale});
            ASSERT_EQ(testsupport::run_program(argv, {.cwd = {}, .env = {"DISPLAY=" + wide.display()}, .unset = {}}).status, 0);
            const Rgb shot = read_png(dir / "wide.png");
            EXPECT_EQ(std::tuple(shot.width, shot.height), std::tuple(width, height)) << scale;
        }
    }

    KINORA_START_X("1280x720x24");
    ASSERT_EQ(testsupport::run_shell("cd '" + dir.string() +
                                     "' && ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=1920x1080:rate=10 "
                                     "-frames:v 1 -pix_fmt rgb24 -c:v qtrle Big.mov")
                  .status, 0);
    const fs::path fitted = dir / "fitted.png", shrunk = dir / "shrunk.png";
    std::ofstream(dir / "s.kscript") << "expect front \"Big.mov\"\n"
                                        "expect bounds \"Big.mov\" 50 50 1198 712\n"
                                     << "screenshot " << fitted.string() << "\n"
                                     << "wait 4000\n"   // the window is made smaller meanwhile
                                        "expect bounds \"Big.mov\" 1 40 1149 702\n"
                                     << "screenshot " << shrunk.string() << "\n";
    Child app({kKinora, "--script", (dir / "s.kscript").string(), (dir / "Big.mov").string()},
              {"DISPLAY=" + x.display()}, out, err);
    ASSERT_GT(app.pid(), 0);
    ASSERT_TRUE(wait_for_file(fitted, 30s)) << read_file(err);
    Rgb before;
    for (int i = 0; i < 50 && before.width == 0; ++i, std::this_thread::sleep_for(50ms)) before = read_png(fitted);
    EXPECT_EQ(std::tuple(before.width, before.height), std::tuple(1280, 720));
    ASSERT_EQ(drive(x.display(), "resize Kinora 1000 600"), 0);
    EXPECT_EQ(app.wait(30s), 0) << read_file(err);
    const Rgb after = read_png(shrunk);
    EXPECT_EQ(std::tuple(after.width, after.height), std::tuple(1000, 600));
}
