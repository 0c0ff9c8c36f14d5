// Exporting a movie to MPEG-4, as ffprobe and ffmpeg read the result: the
// frames keep the movie's own timing (uneven durations, an edit that starts
// and ends inside frames) and its odd size; sound is the mix of the
// enabled tracks at their volumes; H.264 and AAC are copied as stored; a
// turned track and wide pixels come out as the window shows them. (A
// cancelled or failed export leaving nothing: the application's
// export-cancelled and export-onto-full-disk scripts.)
#include <cmath>
#include <filesystem>

#include "NewMovieReading.h"
#include "platform/export/SampleSpool.h"
#include "platform/movies/objects/MovieObjects.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using testsupport::quote;
using testsupport::run_shell;
using testsupport::TempFolder;

namespace {

namespace fs = std::filesystem;

using newmovie::spec_for;

// A 33x17 Animation track (an odd size) whose frames last the given
// durations at 600 units a second, shown from media time `from` for
// `length` units.
void add_video(Movie movie, const std::vector<TimeValue>& durations, TimeValue from, TimeValue length) {
    tbtest::add_video_track(movie, 33, 17, 32, kAnimationCodecType, durations, [](int f, GWorldPtr world) {
        PixMapHandle pm = GetGWorldPixMap(world);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 33; ++x) {
                UInt8* p = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + x * 4;
                p[1] = UInt8((f - 1) * 30), p[2] = UInt8(x * 7), p[3] = UInt8(y * 15);
            }
    }, from, length);
}

// A 'twos' 16-bit mono track of a second of a 441 Hz sine at `amplitude`
// (of full scale).
void add_sine(Movie movie, double amplitude, SInt16 volume = kFullVolume) {
    std::vector<UInt8> data;
    for (int i = 0; i < 44100; ++i) {
        const SInt16 v = SInt16(std::lround(amplitude * 32767 * std::sin(2 * M_PI * 441 * i / 44100.0)));
        data.insert(data.end(), {UInt8(UInt16(v) >> 8), UInt8(v & 0xFF)});
    }
    tbtest::add_sound_track(movie, k16BitBigEndianFormat, 16, 1, 44100, data, 44100, volume);
}

std::string probe(const std::string& args, const std::string& path) {
    return run_shell("ffprobe -v error " + args + " -of csv=p=0 " + quote(path)).out;
}

class Export : public testing::Test {
protected:
    void SetUp() override {
        KINORA_REQUIRE_TOOL("ffprobe");
        KINORA_REQUIRE_TOOL("ffmpeg");
        EnterMovies();
        FSSpec source = spec_for(path("source.mov"));
        ASSERT_EQ(CreateMovieFile(&source, sigMoviePlayer, smSystemScript, createMovieFileDeleteCurFile, &ref, &movie), noErr);
        SetMovieTimeScale(movie, 600);
    }
    void TearDown() override {
        if (ref) CloseMovieFile(ref);
        if (movie) DisposeMovie(movie);
    }
    OSErr export_to(const std::string& name, OSType type = kQTFileTypeMP4) {
        FSSpec spec = spec_for(path(name));
        return ConvertMovieToFile(movie, nullptr, &spec, type, sigMoviePlayer, smSystemScript, nullptr, createMovieFileDeleteCurFile, nullptr);
    }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    TempFolder dir;
    SInt16 ref = 0;
    Movie movie = nullptr;
};

TEST_F(Export, KeepsTheFramesTimingAndOddSize) {
    // Frames of 60, 30, 90, 45, 75, 60, 120, 30 units, shown from media
    // time 30 to 480: the first frame for 30 units, the seventh cut to 120,
    // the eighth not at all.
    add_video(movie, {60, 30, 90, 45, 75, 60, 120, 30}, 30, 450);
    ASSERT_EQ(export_to("cut.mp4"), noErr);
    const std::string out = path("cut.mp4");
    EXPECT_EQ(probe("-select_streams v:0 -show_entries stream=codec_name,width,height,pix_fmt", out), "h264,34,18,yuv420p\n");
    EXPECT_EQ(run_shell("ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of csv=p=0 " + quote(out) +
                        " | cut -d, -f1 | grep .").out,
              "0.000000\n0.050000\n0.100000\n0.250000\n0.325000\n0.450000\n0.550000\n");
    EXPECT_EQ(std::tuple(probe("-show_entries format=duration", out), run_shell("ffmpeg -nostdin -v error -i " + quote(out) + " -f null - 2>&1").out),
              std::tuple("0.750000\n", ""));
    // The third frame shown is the source's third (red 60); a pixel of it
    // within a few levels.
    const std::string pixel = run_shell("ffmpeg -nostdin -v error -i " + quote(out) +
                                        " -vf \"select=eq(n\\,2),format=rgb24,crop=1:1:16:8\" -frames:v 1 -f rawvideo - | od -An -tu1").out;
    int rgb[3] = {-1, -1, -1};
    const int want[3] = {60, 112, 120};
    ASSERT_EQ(std::sscanf(pixel.c_str(), "%d %d %d", &rgb[0], &rgb[1], &rgb[2]), 3) << pixel;
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(rgb[c], want[c], 6) << c;
}

TEST_F(Export, MixesTheEnabledSoundTracksAtTheirVolumes) {
    // Two tracks of the same sine, one at half volume, and a third,
    // disabled, that would double it all: the mix is 1.5 times the sine.
    add_sine(movie, 0.4);
    add_sine(movie, 0.4, kFullVolume / 2);
    add_sine(movie, 0.6);
    SetTrackEnabled(GetMovieIndTrack(movie, 3), false);
    ASSERT_EQ(export_to("mix.m4a", kQTFileTypeM4A), noErr);
    const std::string out = path("mix.m4a");
    EXPECT_EQ(probe("-show_entries stream=codec_name,sample_rate,channels:format=duration", out), "aac,44100,1\n1.000000\n");
    // RMS of a sine of amplitude 0.6: 0.6 / sqrt 2 = -7.45 dBFS.
    const std::string stats = run_shell("ffmpeg -nostdin -i " + quote(out) +
                                        " -af astats=measure_overall=RMS_level:measure_perchannel=0 -f null - 2>&1 | "
                                        "grep 'RMS level' | tail -1 | awk '{ print $NF }'").out;
    EXPECT_NEAR(std::atof(stats.c_str()), -7.45, 0.3) << stats;
}

// The md5s of a stream's packets ("v" or "a"), one a line, from the
// `skip`th on, as ffmpeg copies the stream.
std::string packet_md5s(const std::string& path, const char* stream, int skip = 0) {
    return run_shell("ffmpeg -nostdin -v error -i " + quote(path) + " -map 0:" + stream +
                     " -c copy -f framemd5 - | grep -v '^#' | awk -F, -v skip=" + std::to_string(skip) + " 'NR > skip { print $6 }'").out;
}

TEST_F(Export, CopiesH264CutOnASyncSampleAndAac) {
    // 60 frames of reordered H.264 with a key frame every 10, and AAC; the
    // first 20 frames cut away, so the export starts on a key frame and
    // takes the rest as stored, and the sound from the packet before the
    // cut, which its decoder needs.
    const std::string source = path("h264.mp4");
    ASSERT_EQ(run_shell("ffmpeg -nostdin -v error -f lavfi -i testsrc=size=64x48:rate=30 -f lavfi "
                        "-i sine=frequency=440:sample_rate=44100 -t 2 -c:v libx264 -bf 2 -g 10 -sc_threshold 0 "
                        "-pix_fmt yuv420p -c:a aac " + quote(source)).status,
              0);
    newmovie::OpenedMovie h264(source);
    ASSERT_EQ(h264.err, noErr);
    // The first movie unit of frame 20 (the scale is 1000).
    SetMovieSelection(h264.movie, 0, (20 * GetMovieTimeScale(h264.movie) + 29) / 30);
    ClearMovieSelection(h264.movie);
    ASSERT_EQ(GetMoviesError(), noErr);
    std::swap(movie, h264.movie);
    ASSERT_EQ(export_to("copy.mp4"), noErr);

    EXPECT_EQ(packet_md5s(path("copy.mp4"), "v"), packet_md5s(source, "v", 20));
    // The cut at 0.667 s is in packet 29 (the first is the encoder's priming).
    EXPECT_EQ(packet_md5s(path("copy.mp4"), "a"), packet_md5s(source, "a", 28));
    EXPECT_NEAR(std::atof(probe("-select_streams a:0 -show_entries stream=duration", path("copy.mp4")).c_str()), 1.333, 0.001);
    EXPECT_EQ(std::tuple(probe("-select_streams v:0 -count_frames -show_entries stream=nb_read_frames", path("copy.mp4")), probe("-show_entries format=duration", path("copy.mp4"))),
              std::tuple("40\n", "1.333000\n"));
    EXPECT_EQ(run_shell("ffmpeg -nostdin -v error -i " + quote(path("copy.mp4")) + " -f null - 2>&1").out, "");
}

// A track is drawn at its place in the window: turned a quarter turn by its
// matrix (as phones record a picture taken on its side), the export is
// upright, as ffmpeg turns the source; with wide pixels ('pasp'), the
// picture is as wide as ffmpeg shows the source (85, scaled as the window
// scales it, in the even width the encoder takes).
TEST_F(Export, TracksComeOutAsTheWindowShowsThem) {
    struct Case { const char* made_with; bool turned; const char* size; const char* as_ffmpeg_shows; };
    for (const Case& c : {Case{"-c:v libx264", true, "48,64\n", "transpose=clock"}, Case{"-vf setsar=4/3 -c:v mjpeg", false, "86,48\n", "scale=85:48:flags=neighbor,pad=86:48:color=white"}}) {
        SCOPED_TRACE(c.made_with);
        const std::string source = path("source.mov"), out = path("out.mp4");
        ASSERT_EQ(run_shell("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=10 -t 0.5 -pix_fmt yuvj420p " + std::string(c.made_with) + " " + quote(source)).status, 0);
        newmovie::OpenedMovie opened(source);
        ASSERT_EQ(opened.err, noErr);
        if (c.turned)
            platform::movies::track_of(GetMovieIndTrack(opened.movie, 1))->data().header.matrix = {0, 0x10000, 0, -0x10000, 0, 0, 48 << 16, 0, 0x40000000};
        std::swap(movie, opened.movie);
        ASSERT_EQ(export_to("out.mp4"), noErr);
        EXPECT_EQ(probe("-select_streams v:0 -show_entries stream=width,height", out), c.size);
        const std::string ssim = run_shell("ffmpeg -nostdin -i " + quote(out) + " -i " + quote(source) + " -lavfi '[1:v]" + c.as_ffmpeg_shows +
                                           "[t];[0:v][t]ssim' -f null - 2>&1 | grep -o 'All:[0-9.]*' | cut -d: -f2").out;
        EXPECT_GE(std::atof(ssim.c_str()), 0.95) << ssim;
    }
}

// Samples put aside come back from where the spool says, whether they
// were gathered into one write, spilled over its buffer or larger than
// it; the spool's file goes with it.
TEST(SampleSpool, KeepsEverySampleWhereItSaysAndGoesWithItsFile) {
    using platform::exporting::SampleSpool;
    TempFolder folder;
    auto spool = SampleSpool::create(folder.path() / "out.mp4");
    ASSERT_TRUE(spool.ok());
    std::vector<std::vector<UInt8>> samples;
    for (size_t size : {size_t(700), size_t(0), size_t(3) << 20, size_t(5000)})
        for (int i = 0; i < 300; ++i) {
            std::vector<UInt8> s(size == (size_t(3) << 20) && i > 0 ? 10 : size);
            for (size_t j = 0; j < s.size(); ++j) s[j] = UInt8(samples.size() * 7 + j);
            samples.push_back(std::move(s));
        }
    std::vector<platform::exporting::SpooledUnit> units;
    for (size_t i = 0; i < samples.size(); ++i) ASSERT_TRUE((*spool)->add(samples[i], SInt64(i), SInt64(i) + 1, i == 0, units).ok());
    ASSERT_TRUE((*spool)->flush().ok());
    ASSERT_EQ(units.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        std::vector<UInt8> back(units[i].size);
        auto got = (*spool)->file().read_at(back.data(), back.size(), units[i].at);
        ASSERT_TRUE(got.ok());
        ASSERT_EQ(back, samples[i]) << "sample " << i;
        ASSERT_EQ(units[i].dts, SInt64(i));
    }
    spool->reset();
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

}  // namespace
