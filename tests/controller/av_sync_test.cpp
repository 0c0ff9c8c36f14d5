// Picture and sound in step: an H.264 + AAC movie as ffmpeg writes it by
// default (B-frames, so composition offsets and an edit list for them; AAC
// priming skipped by its own edit) flashes white and beeps at the same
// known times. Played on the virtual clock, each flash is seen within one
// frame of its beep being heard, both at their movie times (so the movie
// also plays at the right speed), and the movie lasts as ffprobe says.
#include <cstdlib>

#include "PlaybackSupport.h"
#include "tests/support/Process.h"
#include "tests/support/Tools.h"

using namespace pbtest;

TEST(AvSync, FlashesAreSeenWithinAFrameOfTheirBeeps) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    KINORA_REQUIRE_TOOL("ffprobe");
    testsupport::TempFolder dir;
    const std::string path = dir / "sync.mp4", wav = dir / "heard.wav";
    const double times[] = {1.0, 2.5, 4.0};
    const std::string on = "between(t,1,1.2)+between(t,2.5,2.7)+between(t,4,4.2)";
    ASSERT_EQ(ffmpeg("-f lavfi -i color=c=black:s=64x48:r=30000/1001:d=5 -f lavfi -i \"aevalsrc='0.5*sin(2*PI*1000*t)*(" + on +
                     ")':s=48000:d=5\" -vf \"drawbox=c=white:t=fill:enable='" + on + "'\" -c:v libx264 -pix_fmt yuv420p -c:a aac " +
                     testsupport::quote(path)), "");
    const auto probed = testsupport::run_shell("ffprobe -v error -show_entries format=duration -of csv=p=0 " + testsupport::quote(path));
    ASSERT_EQ(probed.status, 0) << probed.all();

    const double frame_ms = 1001.0 / 30;
    std::vector<double> flashes;   // ms after the start, when first seen
    UInt64 start = 0;
    {
        VirtualHost vh(48000, wav);
        Movie movie = read_movie(path);
        ASSERT_TRUE(movie);
        EXPECT_NEAR(double(GetMovieDuration(movie)) / GetMovieTimeScale(movie), std::atof(probed.out.c_str()), 0.002) << "the duration ffprobe gives";
        MovieCanvas canvas(movie, 64, 48);
        vh.run(movie, 200);
        StartMovie(movie);
        start = vh.now();
        bool white = false;
        while (vh.now() < start + 5300) {
            vh.run(movie, 2, 2);
            const bool now_white = (canvas.pixel(32, 24) & 0xFF) > 128;
            if (now_white && !white) flashes.push_back(double(vh.now() - start));
            white = now_white;
        }
        DisposeMovie(movie);
    }

    // Device frame F is heard at virtual time F / rate: each beep's onset is
    // the first loud frame after a stretch of silence.
    const Recording r = read_wav(wav);
    ASSERT_EQ(r.rate, 48000);
    std::vector<double> beeps;
    size_t quiet = r.rate;
    for (size_t i = 0; i < r.frames(); ++i) {
        if (std::abs(int(r.samples[2 * i])) < 8192) {
            ++quiet;
            continue;
        }
        if (quiet > size_t(r.rate) / 2) beeps.push_back(double(i) * 1000 / r.rate - double(start));
        quiet = 0;
    }
    ASSERT_EQ(flashes.size(), 3u);
    ASSERT_EQ(beeps.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(times[i]);
        EXPECT_NEAR(flashes[i], beeps[i], frame_ms) << "seen against heard";
        EXPECT_NEAR(flashes[i], times[i] * 1000, frame_ms) << "seen at its movie time";
        EXPECT_NEAR(beeps[i], times[i] * 1000, frame_ms) << "heard at its movie time";
    }
}
