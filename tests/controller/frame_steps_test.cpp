// Frame-exact time: stepping, and going to a frame's start given in its
// media's time scale, show each frame of a movie ffmpeg made once and in
// order, whatever the frame rate, however the frame durations vary, and
// whether the movie's time scale is coarser or finer than the media's.
// Every picture carries its frame number in its red channel.
#include <filesystem>
#include <numeric>

#include "PlaybackSupport.h"
#include "platform/MovieController.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"
#include "tests/support/Process.h"
#include "tests/support/Tools.h"

using namespace pbtest;

namespace {

constexpr int kFrames = 90;   // the movies have a few more, so their end is not in the way

// The source's rate, filters that give the frames times of their own, options of the movie muxer.
struct Case { const char* name; const char* rate; const char* timing; const char* muxer; };

// ffmpeg's movies have a movie time scale of 1000 and media scales of
// 12288 (24 fps), 12800, 15360, 30000, 24000 and 60000 unless told otherwise.
const Case kCases[] = {
    {"24 fps", "24", "", ""},
    {"25 fps", "25", "", ""},
    {"30 fps", "30", "", ""},
    {"29.97 fps", "30000/1001", "", ""},
    {"23.976 fps", "24000/1001", "", ""},
    {"59.94 fps", "60000/1001", "", ""},
    {"frames of 10 to 70 ms", "30", ",settb=1/1000,setpts='N*40+mod(N*N,7)*5'", "-fps_mode passthrough"},
    {"59.94 fps, movie scale 100", "60000/1001", "", "-movie_timescale 100"},
    {"29.97 fps, media scale 90000, movie scale 600", "30000/1001", "", "-video_track_timescale 90000 -movie_timescale 600"},
    {"24 fps, media scale 24", "24", "", "-video_track_timescale 24"}};

std::string make_movie(const Case& c, const std::string& path) {
    return testsupport::run_shell(std::string("ffmpeg -nostdin -v error -y -f lavfi -i \"color=black:s=32x16:r=") + c.rate + ",format=rgb24,geq=r='N':g='0':b='128'" + c.timing +
                                  "\" -frames:v " + std::to_string(kFrames + 6) + " -c:v qtrle -g 12 " + c.muxer + " " + testsupport::quote(path) + " 2>&1").out;
}

// first, first + 1, ... (kFrames of them)
std::vector<int> counting(int first = 0) {
    std::vector<int> v(kFrames);
    std::iota(v.begin(), v.end(), first);
    return v;
}

struct FrameSteps : ::testing::Test {
    testsupport::TempFolder folder{"frames"};
    std::string dir = folder.str();
};

}  // namespace

TEST_F(FrameSteps, EveryFrameOnceInOrderAtEveryRate) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    VirtualHost vh;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/movie.mov";
        ASSERT_EQ(make_movie(c, path), "");
        Movie movie = read_movie(path);
        ASSERT_NE(movie, nullptr);
        Track video = GetMovieIndTrack(movie, 1);
        auto shown = [&](TimeValue t) { return int(platform::movies::playback::sample_at_movie_time(*platform::movies::track_of(video), t)) - 1; };

        // Each step lands on the first movie time at which the next frame
        // shows, and stepping back retraces them.
        std::vector<TimeValue> starts;
        std::vector<int> seen, before;   // the frame shown there, and a unit earlier
        TimeValue t = 0;
        for (int i = 0; i < kFrames && t >= 0; ++i) {
            starts.push_back(t);
            seen.push_back(shown(t));
            before.push_back(shown(t - 1));
            GetMovieNextInterestingTime(movie, nextTimeStep, 0, nullptr, t, 0x10000, &t, nullptr);
        }
        EXPECT_EQ((std::tuple{seen, before}), std::tuple(counting(), counting(-1)));
        std::vector<TimeValue> back;
        for (int i = 0; i < kFrames && t > 0; ++i) {
            GetMovieNextInterestingTime(movie, nextTimeStep, 0, nullptr, t, -0x10000, &t, nullptr);
            back.insert(back.begin(), t);
        }
        EXPECT_EQ(back, starts);

        // What the controller draws after going to each frame's start in
        // the media's time scale.
        MovieCanvas canvas(movie, 32, 16);
        Rect box{0, 0, 16, 32};
        MovieController mc = NewMovieController(movie, &box, mcTopLeftMovie | mcNotVisible);
        ASSERT_NE(mc, nullptr);
        MCIdle(mc);
        Media media = GetTrackMedia(video);
        seen.clear();
        for (TimeValue at = 0; seen.size() < size_t(kFrames);) {
            TimeValue start = 0, duration = 0;
            ASSERT_EQ(GetMediaSample(media, nullptr, 0, nullptr, at, &start, &duration, nullptr, nullptr, 0, nullptr, nullptr), noErr);
            TimeRecord r{};
            r.value.lo = UInt32(start), r.scale = GetMediaTimeScale(media);
            MCDoAction(mc, mcActionGoToTime, &r);
            seen.push_back(int(canvas.pixel(16, 8) >> 16));
            at = start + duration;
        }
        EXPECT_EQ(seen, counting()) << "going to each frame's start in media time";

        DisposeMovieController(mc);
        DisposeMovie(movie);
    }
}
