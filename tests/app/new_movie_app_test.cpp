// File > New, end to end: the save dialog, the file it writes, the window
// it opens; cancelling; failures on the way end the application with their
// message.
#include "tests/app/AppRun.h"
#include "platform/Files.h"
#include "platform/files/Catalog.h"

using namespace apptest;

namespace {

FInfo finder_info(const fs::path& p) {
    FSSpec spec{};
    FInfo info{};
    EXPECT_EQ(platform::files::make_fsspec(p, &spec), noErr);
    EXPECT_EQ(FSpGetFInfo(&spec, &info), noErr);
    return info;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(AppTest, NewWithTheOfferedNameWritesTheMovieAndShowsIt) {
    Outcome r = run("menu \"File\" \"New\"\n"
                    "expect dialog \"Enter the movie file name:\"\n"
                    "expect field \"MovieFile.mov\"\n"
                    "key return\n"
                    "expect front \"MovieFile.mov\"\n"
                    "expect bounds \"MovieFile.mov\" 50 50 370 166\n"   // 320 x 100 and the 16-pixel bar
                    "wait 200\n" +
                    screenshot("app-new-movie.png"));
    ASSERT_EQ(r.status, 0) << r.all();
    const fs::path movie = work("MovieFile.mov");
    ASSERT_TRUE(fs::exists(movie));
    const FInfo info = finder_info(movie);
    EXPECT_EQ(info.fdType, OSType('MooV'));
    EXPECT_EQ(info.fdCreator, OSType('TVOD'));
    const std::string d = dump(movie);
    EXPECT_EQ(count(d, "'trak' @"), 2u) << d;
    EXPECT_LT(d.find("subtype 'vide'"), d.find("subtype 'soun'")) << "video first, then sound";
    EXPECT_NE(d.find("time scale 600, duration 4200"), std::string::npos) << d;
}

TEST_F(AppTest, NewWithATypedNameAndOverAnExistingFile) {
    std::ofstream(work("Mine.mov")) << "an older file of that name";
    Outcome r = run("menu \"File\" \"New\"\n"
                    "type \"Mine.mov\"\n"
                    "key return\n"
                    "expect dialog \"already exists\"\n"
                    "button \"Replace\"\n"
                    "expect front \"Mine.mov\"\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_FALSE(fs::exists(work("MovieFile.mov")));
    const std::string d = dump(work("Mine.mov"));
    EXPECT_EQ(count(d, "'trak' @"), 2u) << d;
    EXPECT_GT(fs::file_size(work("Mine.mov")), 100000u);
}

TEST_F(AppTest, NewCancelledLeavesNothing) {
    Outcome r = run("menu \"File\" \"New\"\n"
                    "expect dialog \"Enter the movie file name:\"\n"
                    "key escape\n"
                    "expect no-window \"MovieFile.mov\"\n"
                    "expect menu-item \"File\" \"Close\" disabled\n");
    ASSERT_EQ(r.status, 0) << r.all();
    EXPECT_TRUE(fs::is_empty(work()));
}

// A failure while the movie is written ends the application after its
// message, as every authoring failure does.
TEST_F(AppTest, NewOnAFullDiskShowsTheFailureAndEnds) {
    fs::create_directories(work("full"));
    std::ofstream(dir / "s.kscript") << "menu \"File\" \"New\"\n"
                                        "type \"full/x.mov\"\n"
                                        "key return\n"
                                        "expect dialog \"error\"\n" +
                                            screenshot("app-new-failure.png") +
                                            "key return\n"
                                            "expect end\n";
    Outcome r = run_mounted([&] { return small_disk(work("full")); });
    if (r.status == kChildCannotRun) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(r.status, 0) << r.all();
}

TEST_F(AppTest, AFailedStartShowsTheWarningAndEnds) {
    Outcome r = run("expect dialog \"Could not initialize QuickTime. Exiting.\"\n"
                    "expect dialog \"-2093\"\n" +
                        screenshot("app-start-failure.png") +
                        "key return\n"
                        "expect end\n",
                    "KINORA_FAIL_ENTER_MOVIES=-2093");
    EXPECT_EQ(r.status, 0) << r.all();
}
