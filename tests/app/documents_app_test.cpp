// Documents: opening movies and images, editing, Save, Save As, closing
// with the question to save changes, quitting.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tests/app/AppRun.h"

using namespace apptest;

namespace {

const std::string kOpenMovie = "menu \"File\" \"Open\"\n"
                               "type \"Movie.mov\"\n"
                               "key return\n"
                               "expect front \"Movie.mov\"\n";

// Select All, Copy, Select None, Paste: the movie's seven seconds go in
// again at the start, doubling it and making the window dirty.
const std::string kDoubleTheMovie = "menu \"Edit\" \"Select All\"\n"
                                    "menu \"Edit\" \"Copy\"\n"
                                    "menu \"Edit\" \"Select None\"\n"
                                    "menu \"Edit\" \"Paste\"\n";

}  // namespace

TEST_F(AppTest, MenusFollowTheFrontWindow) {
    make_movie("Movie.mov");
    Outcome shot = run("screenshot pic.png\n", "", "");   // an image to open: the empty screen
    ASSERT_EQ(shot.status, 0) << shot.all();
    Outcome r = run(
        // Nothing open.
        "expect menu-item \"File\" \"New\" enabled\n"
        "expect menu-item \"File\" \"Open\" enabled\n"
        "expect menu-item \"File\" \"Close\" disabled\n"
        "expect menu-item \"File\" \"Save\" disabled\n"
        "expect menu-item \"File\" \"Save As\" disabled\n"
        "expect menu-item \"Kinora\" \"Quit Kinora\" enabled\n"
        "expect menu-item \"Edit\" \"Undo\" disabled\n"
        "expect menu-item \"Edit\" \"Paste\" disabled\n"
        "expect menu-item \"Edit\" \"Select All\" disabled\n" +
        kOpenMovie +
        "expect menu-item \"File\" \"Close\" enabled\n"
        "expect menu-item \"File\" \"Save As\" enabled\n"
        "expect menu-item \"File\" \"Save\" disabled\n"
        "expect menu-item \"Edit\" \"Cut\" disabled\n"       // nothing selected
        "expect menu-item \"Edit\" \"Copy\" disabled\n"
        "expect menu-item \"Edit\" \"Select All\" enabled\n"
        "expect menu-item \"Edit\" \"Select None\" enabled\n"
        "menu \"Edit\" \"Select All\"\n"
        "expect menu-item \"Edit\" \"Cut\" enabled\n"
        "expect menu-item \"Edit\" \"Copy\" enabled\n"
        "expect menu-item \"Edit\" \"Clear\" enabled\n"
        "menu \"Edit\" \"Copy\"\n"
        "expect menu-item \"Edit\" \"Paste\" enabled\n"
        "expect menu-item \"File\" \"Save\" disabled\n"      // Select All and Copy change nothing
        "menu \"Edit\" \"Clear\"\n"
        "expect menu-item \"File\" \"Save\" enabled\n"
        "expect menu-item \"Edit\" \"Undo\" enabled\n" +
        screenshot("app-after-clear.png") +
        // An image: no controller, no Edit menu, Save As that does nothing.
        "menu \"File\" \"Open\"\n"
        "type \"pic.png\"\n"
        "key return\n"
        "expect front \"pic.png\"\n"
        "expect menu-item \"File\" \"Close\" enabled\n"
        "expect menu-item \"File\" \"Save As\" enabled\n"
        "expect menu-item \"File\" \"Save\" disabled\n"
        "expect menu-item \"Edit\" \"Undo\" disabled\n"
        "expect menu-item \"Edit\" \"Select All\" disabled\n"
        "menu \"File\" \"Save As\"\n"                          // no dialog
        "expect front \"pic.png\"\n"
        "menu \"File\" \"Close\"\n"
        "expect front \"Movie.mov\"\n"
        "menu \"Edit\" \"Undo\"\n"                              // the clear undone: still a change
        "menu \"File\" \"Close\"\n"
        "expect dialog \"Movie.mov\"\n"
        "button \"Don't Save\"\n"
        "expect no-window \"Movie.mov\"\n");
    EXPECT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(movie_duration(work("Movie.mov")), "4200");
}

TEST_F(AppTest, SaveInPlaceAndSaveAsWithTheirFiles) {
    make_movie("Movie.mov");
    Outcome r = run(kOpenMovie + kDoubleTheMovie +
                    "expect menu-item \"File\" \"Save\" enabled\n"
                    "menu \"File\" \"Save\"\n"
                    "expect menu-item \"File\" \"Save\" disabled\n"
                    "menu \"File\" \"Save As\"\n"
                    "expect dialog \"Save Movie as:\"\n"
                    "expect field \"untitled.mov\"\n"
                    "type \"Copy.mov\"\n"
                    "key return\n"
                    "expect front \"Copy.mov\"\n"
                    "expect no-window \"Movie.mov\"\n"
                    // Later edits and Saves go to the copy.
                    "menu \"Edit\" \"Select All\"\n"
                    "menu \"Edit\" \"Clear\"\n"
                    "menu \"File\" \"Save\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(movie_duration(work("Movie.mov")), "8400");
    EXPECT_EQ(movie_duration(work("Copy.mov")), "0");
}

TEST_F(AppTest, SavingANewMovieAsksForAFile) {
    Outcome r = run("menu \"File\" \"New\"\n"
                    "key return\n"
                    "expect front \"MovieFile.mov\"\n" +
                    kDoubleTheMovie +
                    "menu \"File\" \"Save\"\n"
                    "expect dialog \"Save Movie as:\"\n"
                    "expect field \"untitled.mov\"\n" +
                    screenshot("app-save-as-dialog.png") +
                    "key return\n"
                    "expect front \"untitled.mov\"\n"
                    "expect menu-item \"File\" \"Save\" disabled\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(movie_duration(work("untitled.mov")), "8400");
    EXPECT_EQ(movie_duration(work("MovieFile.mov")), "4200");   // New's own file untouched
}

// Save As puts a new controller on the copy: it keeps the bar and speaker
// the window had, and the window stays where it was, at its size.
TEST_F(AppTest, SaveAsKeepsTheWindowAndItsControllerAsTheyWere) {
    Outcome r = run("menu \"File\" \"New\"\n"
                    "key return\n"
                    "expect front \"MovieFile.mov\"\n"
                    "expect bounds \"MovieFile.mov\" 50 50 370 166\n"
                    "menu \"Movie\" \"Hide Speaker Button\"\n" +
                    kDoubleTheMovie +
                    "menu \"File\" \"Save\"\n"
                    "type \"Copy.mov\"\n"
                    "key return\n"
                    "expect front \"Copy.mov\"\n"
                    "expect bounds \"Copy.mov\" 50 50 370 166\n"
                    "expect menu-item \"Movie\" \"Show Speaker Button\" enabled\n"
                    "menu \"Movie\" \"Hide Controller\"\n"
                    "expect bounds \"Copy.mov\" 50 50 370 150\n"
                    "menu \"File\" \"Save As\"\n"
                    "type \"Bare.mov\"\n"
                    "key return\n"
                    "expect front \"Bare.mov\"\n"
                    "expect bounds \"Bare.mov\" 50 50 370 150\n"
                    "expect menu-item \"Movie\" \"Show Controller\" enabled\n" +
                    screenshot("app-save-as-bar-hidden.png") +
                    "menu \"Movie\" \"Show Controller\"\n"
                    "expect bounds \"Bare.mov\" 50 50 370 166\n"
                    "expect menu-item \"Movie\" \"Show Speaker Button\" enabled\n");
    EXPECT_EQ(r.status, 0) << r.all();
}

// After Select None, a click in the middle of the time slider moves the
// insertion point there: Paste puts the copied movie in at the playhead,
// between the two halves of the original.
TEST_F(AppTest, PasteAfterSelectNoneAndASliderClickGoesToThePlayhead) {
    Outcome r = run("menu \"File\" \"New\"\n"
                    "key return\n"
                    "expect front \"MovieFile.mov\"\n"
                    "menu \"Edit\" \"Select All\"\n"
                    "menu \"Edit\" \"Copy\"\n"
                    "menu \"Edit\" \"Select None\"\n"
                    "click \"MovieFile.mov\" 160 108\n"   // the slider, about half way
                    "menu \"Edit\" \"Paste\"\n"
                    "menu \"File\" \"Save As\"\n"
                    "type \"Pasted.mov\"\n"
                    "key return\n"
                    "expect front \"Pasted.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    // The video track's edits, as "duration@media time".
    const std::string out = dump(work("Pasted.mov"));
    std::vector<std::pair<long, long>> edits;
    std::istringstream lines(out.substr(out.find("track 1: ID 1, 'vide'")));
    for (std::string line; std::getline(lines, line) && line.find("media:") == std::string::npos;) {
        long n = 0, duration = 0, media = 0;
        if (std::sscanf(line.c_str(), " %ld: track duration %ld, media time %ld", &n, &duration, &media) == 3)
            edits.emplace_back(duration, media);
    }
    ASSERT_EQ(edits.size(), 3u) << out;
    const long playhead = edits[0].first;
    EXPECT_GT(playhead, 1800);
    EXPECT_LT(playhead, 2400);
    EXPECT_EQ(edits[0].second, 0);
    EXPECT_EQ(edits[1].first, 4200) << "the whole copied movie";
    EXPECT_EQ(edits[2], std::make_pair(4200 - playhead, playhead)) << "the rest of the original after it";
}

TEST_F(AppTest, ClosingADirtyWindowAsksAndEachAnswerHolds) {
    make_movie("Movie.mov");
    const std::string before = read_file(work("Movie.mov"));
    Outcome r = run(kOpenMovie + kDoubleTheMovie +
                    "key cmd+w\n"
                    "expect dialog \"Movie.mov\"\n" +
                    screenshot("app-save-changes.png") +
                    "button \"Cancel\"\n"
                    "expect front \"Movie.mov\"\n"
                    "expect menu-item \"File\" \"Save\" enabled\n"
                    "key cmd+w\n"
                    "button \"Don't Save\"\n"
                    "expect no-window \"Movie.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(read_file(work("Movie.mov")), before) << "Don't Save wrote the file";

    r = run(kOpenMovie + kDoubleTheMovie +
            "key cmd+w\n"
            "button \"Save\"\n"
            "expect no-window \"Movie.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(movie_duration(work("Movie.mov")), "8400");
}

TEST_F(AppTest, QuittingAsksEachDirtyWindowAndCancelKeepsTheApplication) {
    make_movie("A.mov");
    fs::copy_file(work("A.mov"), work("B.mov"));
    Outcome r = run("odoc A.mov\n"
            "expect front \"A.mov\"\n" +
            kDoubleTheMovie +
            "odoc B.mov\n"
            "expect front \"B.mov\"\n" +
            kDoubleTheMovie +
            "menu \"Kinora\" \"Quit Kinora\"\n"
            "expect dialog \"B.mov\"\n"
            "button \"Don't Save\"\n"
            "expect dialog \"A.mov\"\n"
            "button \"Cancel\"\n"
            "expect window \"A.mov\"\n"
            "expect no-window \"B.mov\"\n"
            "wait 200\n"                       // still running: the quit was cancelled
            "menu \"File\" \"Close\"\n"
            "button \"Save\"\n"
            "expect no-window \"A.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(movie_duration(work("A.mov")), "8400");
    EXPECT_EQ(movie_duration(work("B.mov")), "4200");
}

TEST_F(AppTest, AMovieAnotherWindowHoldsOpensReadOnlyAndItsSaveFailsSafely) {
    make_movie("Movie.mov");
    const std::string before = read_file(work("Movie.mov"));
    Outcome r = run(kOpenMovie + kOpenMovie + kDoubleTheMovie +
                    "menu \"File\" \"Save\"\n"
                    "expect dialog \"Could not save “Movie.mov”: it is read-only, or another window\"\n"
                    "button \"OK\"\n"
                    // The save could not be written: the changes are still protected.
                    "expect menu-item \"File\" \"Save\" enabled\n"
                    "menu \"File\" \"Close\"\n"
                    "expect dialog \"Movie.mov\"\n"
                    "button \"Don't Save\"\n"
                    "expect window \"Movie.mov\"\n"     // the first window, untouched
                    "menu \"File\" \"Close\"\n"
                    "expect no-window \"Movie.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(read_file(work("Movie.mov")), before);
}

TEST_F(AppTest, AMovieOnAReadOnlyVolumeOpensReadOnlyAndItsSaveSaysWhyItFails) {
    make_movie("Movie.mov");
    fs::create_directories(work("ro"));
    fs::rename(work("Movie.mov"), work("ro/Movie.mov"));
    const std::string before = read_file(work("ro/Movie.mov"));
    std::ofstream(dir / "s.kscript") << "odoc ro/Movie.mov\n"
                                        "expect front \"Movie.mov\"\n" +
                                            kDoubleTheMovie +
                                            "menu \"File\" \"Save\"\n"
                                            "expect dialog \"Could not save “Movie.mov”: it is read-only\"\n"
                                            "button \"OK\"\n"
                                            "expect menu-item \"File\" \"Save\" enabled\n"
                                            "menu \"File\" \"Save As\"\n"
                                            "type \"Copy.mov\"\n"
                                            "key return\n"
                                            "expect front \"Copy.mov\"\n";
    Outcome r = run_mounted([&] { return read_only(work("ro")); });
    if (r.status == kChildCannotRun) GTEST_SKIP() << "cannot make a read-only bind mount here";
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(read_file(work("ro/Movie.mov")), before);
    EXPECT_EQ(movie_duration(work("Copy.mov")), "8400");
}

// A Save As whose copy cannot be written says why and changes nothing.
TEST_F(AppTest, SaveAsOntoAFullDiskSaysTheDiskIsFull) {
    make_movie("Movie.mov");
    fs::create_directories(work("full"));
    std::ofstream(dir / "s.kscript") << kOpenMovie + kDoubleTheMovie +
                                            "menu \"File\" \"Save As\"\n"
                                            "type \"full/Copy.mov\"\n"
                                            "key return\n"
                                            "expect dialog \"Could not save “Copy.mov”: the disk is full.\"\n" +
                                            screenshot("app-flatten-failure.png") +
                                            "key return\n"
                                            "expect front \"Movie.mov\"\n"
                                            "expect menu-item \"File\" \"Save\" enabled\n"
                                            "menu \"File\" \"Close\"\n"
                                            "button \"Don't Save\"\n";
    Outcome r = run_mounted([&] { return small_disk(work("full")); });
    if (r.status == kChildCannotRun) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(r.status, 0) << r.all();
}

// A movie another tool made (delta frames between key frames every 12),
// edited through the menus: its Save As copy stores the frames it shows
// and no others, and ffmpeg decodes it without a complaint.
TEST_F(AppTest, SaveAsKeepsOnlyTheFramesTheEditsShow) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg to make the movie";
    const std::string make = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=30 -t 3 -c:v qtrle -g 12 '" +
                             work("Movie.mov").string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    Outcome r = run(kOpenMovie +
                    "menu \"Edit\" \"Select All\"\n"
                    "menu \"Edit\" \"Copy\"\n"
                    "menu \"Edit\" \"Paste\"\n"
                    "menu \"Edit\" \"Paste\"\n"
                    "menu \"Edit\" \"Undo\"\n"
                    "menu \"Edit\" \"Paste\"\n"
                    "menu \"File\" \"Save As\"\n"
                    "type \"Edited.mov\"\n"
                    "key return\n"
                    "expect front \"Edited.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    auto probe = [&](const std::string& what) {
        const std::string cmd = "ffprobe -v error -select_streams v -show_entries " + what + " -of csv=p=0 '" +
                                work("Edited.mov").string() + "'";
        std::string out;
        if (FILE* f = popen(cmd.c_str(), "r")) {
            char buf[256];
            while (fgets(buf, sizeof buf, f)) out += buf;
            pclose(f);
        }
        return out;
    };
    const int stored = std::atoi(probe("stream=nb_frames").c_str());
    const std::string frames = probe("frame=pts");
    const int shown = int(std::count(frames.begin(), frames.end(), '\n'));
    EXPECT_GT(shown, 0);
    EXPECT_EQ(stored, shown);
}
