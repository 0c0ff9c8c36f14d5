// The application as a whole: playing, the application menu, the About
// box, option-click closing, and the Apple events a launch or another
// program sends.
#include "tests/app/AppRun.h"

using namespace apptest;

namespace {

const std::string kOpenMovie = "odoc Movie.mov\n"
                               "expect front \"Movie.mov\"\n";

}  // namespace

TEST_F(AppTest, SpaceAndThePlayButtonPlayTheMovie) {
    make_movie("Movie.mov");
    Outcome r = run(kOpenMovie + "screenshot ../t0.png\n"
                                 "wait 300\n"
                                 "screenshot ../t1.png\n"    // paused: nothing moves
                                 "key space\n"
                                 "wait 1500\n"
                                 "screenshot ../t2.png\n" +
                    screenshot("app-playing.png") +
                    "key space\n"                            // pause
                    "wait 100\n"
                    "screenshot ../t3.png\n"
                    "wait 500\n"
                    "screenshot ../t4.png\n"
                    "click \"Movie.mov\" 30 108\n"           // the play button, under the movie
                    "wait 1000\n"
                    "screenshot ../t5.png\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(read_file(dir / "t0.png"), read_file(dir / "t1.png"));
    EXPECT_NE(read_file(dir / "t1.png"), read_file(dir / "t2.png"));
    EXPECT_EQ(read_file(dir / "t3.png"), read_file(dir / "t4.png"));
    EXPECT_NE(read_file(dir / "t4.png"), read_file(dir / "t5.png"));
}

TEST_F(AppTest, TheApplicationMenuHidesAndShowsTheBarAndTheSpeaker) {
    make_movie("Movie.mov");
    Outcome r = run("expect menu-item \"Movie\" \"Hide Controller\" disabled\n" + kOpenMovie +
                    "expect menu-item \"Movie\" \"Hide Controller\" enabled\n"
                    "expect menu-item \"Movie\" \"Hide Speaker Button\" enabled\n"
                    "menu \"Movie\" \"Hide Speaker Button\"\n"
                    "expect menu-item \"Movie\" \"Show Speaker Button\" enabled\n"
                    "expect bounds \"Movie.mov\" 50 50 370 166\n"
                    "menu \"Movie\" \"Hide Controller\"\n"
                    "expect bounds \"Movie.mov\" 50 50 370 150\n"      // the window follows the movie alone
                    "expect menu-item \"Movie\" \"Show Controller\" enabled\n"
                    "expect menu-item \"Movie\" \"Show Speaker Button\" disabled\n" +
                    screenshot("app-bar-hidden.png") +
                    "menu \"Movie\" \"Show Controller\"\n"
                    "expect bounds \"Movie.mov\" 50 50 370 166\n"
                    "menu \"Movie\" \"Show Speaker Button\"\n"
                    "expect menu-item \"Movie\" \"Hide Speaker Button\" enabled\n");
    EXPECT_EQ(r.status, 0) << r.all();
}

TEST_F(AppTest, TheAboutBoxLetsMoviesPlayBehindIt) {
    make_movie("Movie.mov");
    Outcome r = run(kOpenMovie + "key space\n"
                                 "menu \"Kinora\" \"About Kinora\"\n"
                                 "expect dialog \"Kinora 1.0\"\n"
                                 "wait 300\n"
                                 "screenshot ../a1.png\n"
                                 "wait 1000\n"
                                 "screenshot ../a2.png\n" +
                    screenshot("app-about.png") +
                    "key return\n"
                    "expect front \"Movie.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_NE(read_file(dir / "a1.png"), read_file(dir / "a2.png")) << "the movie stood still behind the About box";
}

TEST_F(AppTest, OptionClickInACloseBoxClosesEveryWindow) {
    make_movie("A.mov");
    fs::copy_file(work("A.mov"), work("B.mov"));
    // The close box sits at the left of the title bar, just above the content.
    Outcome r = run("odoc A.mov B.mov\n"
                    "expect window \"A.mov\"\n"
                    "expect front \"B.mov\"\n"
                    "alt+click 58 40\n"
                    "expect no-window \"A.mov\"\n"
                    "expect no-window \"B.mov\"\n");
    EXPECT_EQ(r.status, 0) << r.all();
}

TEST_F(AppTest, OpenDocumentsOpensMoviesInOrderAndSkipsOtherFiles) {
    make_movie("A.mov");
    fs::copy_file(work("A.mov"), work("B.mov"));
    std::ofstream(work("notes.txt")) << "not a movie";
    Outcome r = run("expect window \"A.mov\"\n"           // documents named at launch
                    "expect front \"B.mov\"\n"
                    "odoc notes.txt\n"
                    "expect no-window \"notes.txt\"\n"
                    "expect front \"B.mov\"\n"
                    "odoc notes.txt A.mov\n"
                    "expect front \"A.mov\"\n" +
                        screenshot("app-three-windows.png"),
                    "", "A.mov B.mov");
    EXPECT_EQ(r.status, 0) << r.all();
}

TEST_F(AppTest, AQuitEventEndsTheApplication) {
    make_movie("Movie.mov");
    Outcome r = run(kOpenMovie + "quit\n");
    EXPECT_EQ(r.status, 0) << r.all();
}

// The controller's own walk through the application (grow box, seeking,
// cut and undo through the Edit menu), kept with the controller's tests.
TEST_F(AppTest, TheControllerWalkThroughRuns) {
    Outcome r = run(read_file(KINORA_SOURCE_DIR "/tests/controller/controller_app.script"));
    EXPECT_EQ(r.status, 0) << r.all();
}
