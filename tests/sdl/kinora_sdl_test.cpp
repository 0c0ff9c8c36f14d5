// Kinora on a real X server: its window destroyed by another program (as
// `xdotool windowclose` does) is a request to quit in a new window, so the
// question about unsaved changes is still asked and answered.
#include "tests/sdl/sdl_test_util.h"

using namespace sdltest;

namespace {

const std::string kKinora = KINORA_BUILD_DIR "/kinora";

}  // namespace

TEST(KinoraSdl, AWindowDestroyedByAnotherProgramAsksToSaveInANewOne) {
    KINORA_REQUIRE_TOOL("Xvfb");
    Xvfb x;
    ASSERT_TRUE(x.start()) << "Xvfb did not start";
    TempFolder folder("sdl-destroyed");
    const fs::path dir = folder.path();
    const fs::path movie = dir / "MovieFile.mov", edited = dir / "edited.png", seen = dir / "seen.ppm";
    std::ofstream(dir / "new.kscript") << "menu \"File\" \"New\"\nkey return\nexpect window \"MovieFile.mov\"\n";
    testsupport::RunOptions options;
    options.cwd = dir;
    options.unset = {"DISPLAY"};
    ASSERT_EQ(testsupport::run_program({kKinora, "--headless", "--script", "new.kscript"}, options).status, 0);
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
    fs::path out = dir / "out.txt", err = dir / "err.txt";
    Child app({kKinora, "--script", (dir / "s.kscript").string(), "--timeout", "60"}, {"DISPLAY=" + x.display()}, out,
              err);
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
    EXPECT_EQ(window.at(900, 600), 0x8C8C8Cu) << "the desktop";
    EXPECT_EQ(window.at(512, 330), 0xECECECu) << "the dialog";

    EXPECT_EQ(app.wait(30s), 0) << read_file(err);
    EXPECT_NE(read_file(err).find("kinora: another program destroyed the window; asking to quit in a new one\n"),
              std::string::npos)
        << read_file(err);
    EXPECT_NE(read_file(movie), before) << "the cleared movie was saved";
}
