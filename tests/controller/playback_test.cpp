// Playing movies headless on the virtual clock: time, looping, rates, and
// frames that cannot be decoded. (The picture at a time: the editing and
// sync tests.)
#include <filesystem>

#include "NewMovie.h"
#include "PlaybackSupport.h"
#include "platform/core/Bytes.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"

using namespace pbtest;

namespace {

struct Playback : ::testing::Test {
    testsupport::TempFolder folder{"play"};
    std::string dir = folder.str();
};

platform::movies::playback::Player& player(Movie m) { return platform::movies::playback::player_of(*platform::movies::movie_of(m)); }

}  // namespace

// The new movie is 7 s at time scale 600; its sound (6.5 s) drives the clock.
TEST_F(Playback, NewMoviePlaysSevenSecondsThenStopsLoopsOrTurnsBack) {
    // The movie's time and rate 7.5 s after the start, and its time at 14.5 s.
    struct Case { const char* name; SInt32 flags; TimeValue at_7_5; Fixed rate_7_5; TimeValue at_14_5; };
    const Case cases[] = {{"no looping", 0, 4200, 0, 4200}, {"looping", loopTimeBase, 300, 0x10000, 300},
                          {"palindrome", loopTimeBase | palindromeLoopTimeBase, 3900, -0x10000, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualHost vh;
        Movie movie = newmovie::create_new_movie(dir + "/new.mov");
        MovieCanvas canvas(movie, 320, 100);
        SetTimeBaseFlags(GetMovieTimeBase(movie), c.flags);
        GoToBeginningOfMovie(movie);
        StartMovie(movie);
        EXPECT_TRUE(player(movie).sound_clock()) << "the sound track drives the picture";
        bool linear = true;
        for (int step = 1; step < 700; ++step) {
            vh.run(movie, 10);
            linear = linear && GetMovieTime(movie, nullptr) == step * 6;
        }
        EXPECT_TRUE(linear) << "600 units a second, every 10 ms";
        EXPECT_NE(GetMovieRate(movie), 0);
        vh.run(movie, 10);
        if (c.flags == 0) {
            EXPECT_EQ(GetMovieTime(movie, nullptr), 4200);
            EXPECT_EQ(GetMovieRate(movie), 0) << "stopped at the end after exactly 7 s";
        }
        vh.run(movie, 500);
        EXPECT_EQ((std::tuple{GetMovieTime(movie, nullptr), GetMovieRate(movie)}), std::tuple(c.at_7_5, c.rate_7_5));
        vh.run(movie, 7000);
        EXPECT_EQ(GetMovieTime(movie, nullptr), c.at_14_5);
        DisposeMovie(movie);
    }
}

// What cannot be decoded shows as a neutral grey card naming the reason,
// never as whatever the bytes would make.
TEST_F(Playback, UndecodableFramesShowACardNamingTheReason) {
    VirtualHost vh;
    // The codec written into the description; the sample overwritten with garbage or not.
    struct Case { const char* name; OSType codec; bool damage; const char* reason; };
    const Case cases[] = {{"unknown codec", 'ZZZZ', false, "'ZZZZ' video is not decoded"}, {"damaged frame", kAnimationCodecType, true, "damaged video frame"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SInt16 ref = 0;
        Movie movie = begin_movie(dir + "/card.mov", &ref);
        add_video_track(movie, 200, 60, 32, kAnimationCodecType, {600}, [](int, GWorldPtr world) {
            PixMapHandle pm = GetGWorldPixMap(world);
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 200; ++x) platform::store_u32be(GetPixBaseAddr(pm) + y * GetPixRowBytes(pm) + 4 * x, 0xFF0000);   // red
        });
        Media media = GetTrackMedia(GetMovieIndTrack(movie, 1));
        auto* m = platform::movies::media_of(media);
        platform::store_u32be(&m->data().descriptions.entries[0].bytes[4], c.codec);
        const auto sample = m->data().samples.sample(1).value();
        finish_movie(movie, ref);
        DisposeMovie(movie);
        if (c.damage) {   // a chunk size past the data, then garbage
            Bytes file = testsupport::read_bytes(dir + "/card.mov");
            std::fill_n(file.begin() + long(sample.offset), sample.size, 0xEE);
            file[sample.offset] = 0;
            testsupport::write_bytes(dir + "/card.mov", file);
        }
        movie = read_movie(dir + "/card.mov");
        MovieCanvas canvas(movie, 200, 60);
        SetMovieTimeValue(movie, 10);
        MoviesTask(movie, 0);
        int grey = 0, red = 0, dark = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x) {
                const UInt32 p = canvas.pixel(x, y);
                grey += p == 0x999999;
                red += p == 0xFF0000;
                dark += (p >> 16) < 0x80;
            }
        EXPECT_EQ(red, 0) << "nothing of the frame";
        EXPECT_GT(grey, 200 * 60 / 2) << "a grey card";
        EXPECT_GT(dark, 20) << "with a frame and text on it";
        const auto problems = player(movie).problems();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.reason), std::string::npos) << problems[0];
        DisposeMovie(movie);
    }
}

// Other rates move time in proportion, backwards too; a movie without sound
// follows the host clock and plays the same way.
TEST_F(Playback, RatesMoveTimeInProportionWithAndWithoutSound) {
    struct Case { Fixed rate; TimeValue from, after_one_second; };
    const Case cases[] = {{0x20000, 0, 1200}, {0x8000, 0, 300}, {-0x10000, 4200, 3600}, {0x10000, 3900, 4200}};
    for (bool sound : {true, false})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.rate) + (sound ? " with sound" : " without sound"));
            VirtualHost vh;
            Movie movie = newmovie::create_new_movie(dir + "/new.mov");
            if (!sound) SetTrackEnabled(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType), false);
            MovieCanvas canvas(movie, 320, 100);
            SetMovieTimeValue(movie, c.from);
            SetMovieRate(movie, c.rate);
            EXPECT_EQ(player(movie).sound_clock(), sound && c.rate > 0);
            vh.run(movie, 1000);
            EXPECT_EQ(GetMovieTime(movie, nullptr), c.after_one_second);
            DisposeMovie(movie);
        }
}
