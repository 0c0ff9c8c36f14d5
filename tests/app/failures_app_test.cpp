// Files that cannot be opened say why, and the application goes on; movies
// by the names other programs give them open like ours.
#include "tests/app/AppRun.h"

using namespace apptest;

namespace {

// An ffmpeg-made movie: MPEG-4 video and AAC sound, neither of which we
// decode. False when there is no ffmpeg to make it.
bool make_foreign_movie(const fs::path& path) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) return false;
    const std::string cmd = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=64x48:rate=10 "
                            "-f lavfi -i sine=frequency=440:sample_rate=22050 -t 1 -c:v mpeg4 -c:a aac '" +
                            path.string() + "'";
    return std::system(cmd.c_str()) == 0;
}

}  // namespace

// Each bad file, chosen in the Open dialog or named on the command line,
// shows the warning with its name and the reason; a good movie opens after
// it. On the command line a missing file comes first and stops nothing.
TEST_F(AppTest, AMovieThatCannotBeReadSaysWhyAndTheRestStillOpens) {
    make_movie("Good.mov");
    const std::string good = read_file(work("Good.mov"));
    {
        std::ofstream(work("Truncated.mov"), std::ios::binary) << good.substr(0, good.size() / 2);
        std::string damaged = good;
        const size_t moov = damaged.find("moov");
        ASSERT_NE(moov, std::string::npos);
        for (size_t i = moov + 8; i < moov + 300 && i < damaged.size(); ++i) damaged[i] = char(0xA5);
        std::ofstream(work("Damaged.mov"), std::ios::binary) << damaged;
        std::ofstream(work("Notes.mov")) << "These are my notes, not a movie.\n";
    }
    const std::string kWhy = ": it is damaged or is not a movie.";
    for (const std::string bad : {"Damaged.mov", "Truncated.mov", "Notes.mov"}) {
        SCOPED_TRACE(bad);
        Outcome r = run("menu \"File\" \"Open\"\n"
                        "type \"" + bad + "\"\n"
                        "key return\n"
                        "expect dialog \"Could not open “" + bad + "”" + kWhy + "\"\n" +
                        screenshot("app-open-failure.png") +
                        "button \"OK\"\n"
                        "expect no-window \"" + bad + "\"\n"
                        "menu \"File\" \"Open\"\n"
                        "type \"Good.mov\"\n"
                        "key return\n"
                        "expect front \"Good.mov\"\n");
        EXPECT_EQ(r.status, 0) << r.all();

        r = run("expect dialog \"Could not open “Missing.mov”: it could not be found.\"\n"
                "button \"OK\"\n"
                "expect dialog \"Could not open “" + bad + "”" + kWhy + "\"\n"
                "button \"OK\"\n"
                "expect front \"Good.mov\"\n",
                "", "Missing.mov " + bad + " Good.mov");
        EXPECT_EQ(r.status, 0) << r.all();
    }
}

// An .mp4 opens from the command line and from the Open dialog; the sound
// it cannot play is named once, as the movie opens.
TEST_F(AppTest, AnMp4OpensAndSaysItsSoundCannotBePlayed) {
    if (!make_foreign_movie(work("Clip.mp4"))) GTEST_SKIP() << "no ffmpeg to make the movie";
    const std::string kNotice = "expect dialog \"Cannot play the sound of “Clip.mp4” ('mp4a')\"\n"
                                "button \"OK\"\n"
                                "expect front \"Clip.mp4\"\n";
    Outcome r = run(kNotice + screenshot("app-mp4.png") +
                        "menu \"File\" \"Close\"\n"
                        "expect no-window \"Clip.mp4\"\n"
                        "menu \"File\" \"Open\"\n"
                        "type \"Clip.mp4\"\n"
                        "key return\n" +
                        kNotice,
                    "", "Clip.mp4");
    EXPECT_EQ(r.status, 0) << r.all();
}
