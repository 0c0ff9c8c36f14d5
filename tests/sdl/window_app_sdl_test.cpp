// window_app on the SDL host under Xvfb: a window and the menu bar shown, a
// host screenshot, a menu pulled down with real input and seen in the X
// window, the idle cost with a window open, and the host window's close
// button ending the program through the quit Apple event.
#include "tests/sdl/sdl_test_util.h"

using namespace sdltest;

namespace {

const std::string kApp = KINORA_BUILD_DIR "/tests/window_app";

}  // namespace

TEST(WindowAppSdl, AWindowAndAMenuOnARealScreen) {
    if (!have_program("Xvfb")) GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    Xvfb x;
    ASSERT_TRUE(x.start()) << "Xvfb did not start";
    fs::path dir = fs::temp_directory_path() / ("kinora-sdl-wapp-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path out = dir / "out.txt", err = dir / "err.txt", shot = dir / "shot.png", seen = dir / "seen.ppm";
    Child app({kApp}, {"DISPLAY=" + x.display(), "WINDOW_APP_WINDOWS=A:100,100,400,300",
                       "WINDOW_APP_CAPTURE=" + shot.string()},
              out, err);
    ASSERT_GT(app.pid(), 0);
    ASSERT_TRUE(wait_for_text(out, "captured\n", 15s)) << read_file(out) << read_file(err);

    // The host's screenshot: desktop, menu bar, the window and its content.
    Rgb img = read_png(shot);
    ASSERT_EQ(img.width, 1024);
    EXPECT_EQ(img.at(900, 600), 0x8C8C8Cu);
    EXPECT_EQ(img.at(900, 10), 0xFFFFFFu);
    EXPECT_EQ(img.at(99, 200), 0x000000u);
    EXPECT_EQ(img.at(250, 200), 0xFFFFCCu);

    // Idle with a window open: the program sleeps between paced null events.
    double before = cpu_seconds(app.pid());
    std::this_thread::sleep_for(5s);
    double used = cpu_seconds(app.pid()) - before;
    std::printf("idle CPU with a window open: %.2f%% of a core\n", used / 5.0 * 100);
    EXPECT_LT(used / 5.0, 0.02) << "idle CPU " << used / 5.0 * 100 << "% of a core";

    // Press on "Window" in the menu bar and hold: the menu shows in the X window.
    ASSERT_EQ(drive(x.display(), "press Kinora 100 10"), 0);
    ASSERT_TRUE(wait_for_text(out, "down part=1 window=(none)\n", 5s)) << read_file(out);
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(drive(x.display(), "capture Kinora " + seen.string()), 0);
    Rgb window = read_ppm(seen);
    ASSERT_EQ(window.width, 1024);
    EXPECT_EQ(window.at(100, 23), 0xFFFFFFu) << "the pulled-down menu over the desktop";
    EXPECT_EQ(window.at(900, 600), 0x8C8C8Cu);
    ASSERT_EQ(drive(x.display(), "release Kinora 900 600"), 0);
    EXPECT_TRUE(wait_for_text(out, "menu none\n", 5s)) << read_file(out);

    // The close button: a quit request, delivered as the quit Apple event.
    ASSERT_EQ(drive(x.display(), "close Kinora"), 0);
    EXPECT_EQ(app.wait(10s), 0) << read_file(out) << read_file(err);
    EXPECT_NE(read_file(out).find("quit event\n"), std::string::npos) << read_file(out);
    fs::remove_all(dir);
}
