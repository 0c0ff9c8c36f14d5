// Video decoded through libavcodec, on movies ffmpeg makes in the test:
// each codec's frames equal ffmpeg's own decode converted to RGB with the
// same matrix; reordered (B-frame) H.264 stepped forward and backward shows
// every frame once, in order, and going back past the frames kept decodes
// again; a seek into a group of pictures shows its frame exactly; a missing
// decoder is named; a damaged sample keeps the last good picture; a pixel
// aspect widens the natural size.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "PlaybackSupport.h"
#include "platform/MovieController.h"
#include "platform/codecs/libav/VideoCodecs.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"
#include "platform/movies/playback/VideoFrames.h"
#include "tests/quickdraw/qd_test_util.h"
#include "tests/support/Process.h"
#include "tests/support/Tools.h"

using namespace pbtest;
using platform::movies::playback::VideoFrames;

namespace {

double psnr(const Bytes& a, const Bytes& b) {
    double se = 0;
    for (size_t i = 0; i < a.size(); ++i) se += double(a[i] - b[i]) * double(a[i] - b[i]);
    return se == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * double(a.size()) / se);
}

// The samples of a track's media in display order.
std::vector<UInt32> display_order(Track track) {
    const auto& table = platform::movies::track_of(track)->media.data().samples;
    std::vector<UInt32> n(table.sample_count());
    for (UInt32 i = 0; i < n.size(); ++i) n[i] = i + 1;
    std::stable_sort(n.begin(), n.end(), [&](UInt32 a, UInt32 b) { return table.display_time(a) < table.display_time(b); });
    return n;
}

// A 32-bit pixel map's w x h pixels as R,G,B rows.
Bytes rgb_of(PixMapHandle pm, SInt16 w, SInt16 h) {
    Bytes rgb;
    for (int y = 0; y < h; ++y) {
        const UInt8* row = reinterpret_cast<UInt8*>((**pm).baseAddr) + y * (**pm).rowBytes;
        for (int x = 0; x < w; ++x) rgb.insert(rgb.end(), row + 4 * x + 1, row + 4 * x + 4);
    }
    return rgb;
}

// What a VideoFrames shows for sample n, as R,G,B rows of w x h.
Bytes shown(VideoFrames& frames, Track track, UInt32 n, SInt16 w, SInt16 h) {
    frames.go_to_sample(platform::movies::track_of(track)->media, n);
    const qdtest::GWorld world(32, Rect{0, 0, h, w});
    frames.draw(world.get(), Rect{0, 0, h, w});
    return rgb_of(GetGWorldPixMap(world.get()), w, h);
}

struct Codec {
    const char* name;
    const char* encoder;
    const char* args;    // encoding, and the container
    const char* file;
    SInt16 width = 64, height = 48;
    const char* matrix = "bt601";   // what the reference conversion assumes
    // ffmpeg marks every frame of it a sync sample though they build on
    // each other: only played in order is it whole.
    bool only_in_order = false;
};

const Codec kCodecs[] = {
    {"H.264", "libx264", "-c:v libx264 -pix_fmt yuv420p -bf 2", "m.mov"},
    {"H.264 BT.709 by 'colr'", "libx264", "-c:v libx264 -colorspace bt709 -color_primaries bt709 -color_trc bt709", "m.mov", 64, 48, "bt709"},
    {"HEVC", "libx265", "-c:v libx265 -tag:v hvc1 -x265-params log-level=error", "m.mov"},
    {"AV1", "libaom-av1", "-c:v libaom-av1 -cpu-used 8", "m.mp4"},
    {"VP9", "libvpx-vp9", "-c:v libvpx-vp9 -deadline realtime", "m.mp4"},
    {"MPEG-4", "mpeg4", "-c:v mpeg4", "m.mov"},
    {"MPEG-1", "mpeg1video", "-c:v mpeg1video", "m.mov"},
    {"ProRes 422", "prores_ks", "-c:v prores_ks -profile:v 2", "m.mov"},
    {"ProRes 4444", "prores_ks", "-c:v prores_ks -profile:v 4 -pix_fmt yuv444p10", "m.mov"},
    {"Photo-JPEG", "mjpeg", "-c:v mjpeg -pix_fmt yuvj420p", "m.mov"},
    {"PNG", "png", "-c:v png", "m.mov"},
    {"DV NTSC", "dvvideo", "-c:v dvvideo -pix_fmt yuv411p", "m.mov", 720, 480},
    {"Cinepak", "cinepak", "-c:v cinepak", "m.mov"},
    {"Sorenson Video", "svq1", "-c:v svq1 -pix_fmt yuv410p", "m.mov"},
    {"Graphics (8-bit palette)", "smc", "-c:v smc -pix_fmt pal8", "m.mov"},
    {"Video (16-bit)", "rpza", "-c:v rpza -pix_fmt rgb555be", "m.mov", 64, 48, "bt601", true},
    {"Component Video 'yuv2'", "rawvideo", "-c:v rawvideo -pix_fmt yuyv422 -tag:v yuv2", "m.mov"},
    {"Component 10-bit", "v210", "-c:v v210", "m.mov"}};

constexpr int kNumbered = 36;

int number_in(UInt32 pixel) { return int(std::lround(double((pixel >> 16) & 0xFF) / 7.0)); }

struct VideoDecoding : ::testing::Test {
    void SetUp() override { KINORA_REQUIRE_TOOL("ffmpeg"); }
    // 36 frames of 32x16 whose red is 7 times their number; H.264 with up
    // to three B-frames between references and a sync sample every 12
    // frames; made at dir/name and opened.
    Movie numbered(const std::string& name, const std::string& extra = "") {
        EXPECT_EQ(ffmpeg("-f lavfi -i \"color=black:s=32x16:r=25,format=rgb24,geq=r='N*7':g='0':b='128'\" -frames:v 36 -c:v libx264 "
                         "-pix_fmt yuv444p -qp 2 -bf 3 -g 12 -sc_threshold 0 " + extra + " " + testsupport::quote(dir + "/" + name)), "");
        return read_movie(dir + "/" + name);
    }
    testsupport::TempFolder folder{"libav-video"};
    std::string dir = folder.str();
    VirtualHost vh;
};

}  // namespace

TEST_F(VideoDecoding, EveryCodecMatchesFfmpegsOwnDecode) {
    std::string missing;
    for (const Codec& c : kCodecs) {
        SCOPED_TRACE(c.name);
        if (!have_encoder(c.encoder)) {
            missing += " " + std::string(c.encoder);
            continue;
        }
        const std::string movie_path = dir + "/" + c.file, ref_path = dir + "/ref.rgb", size = std::to_string(c.width) + "x" + std::to_string(c.height);
        ASSERT_EQ(ffmpeg("-f lavfi -i testsrc2=s=" + size + ":r=25 -frames:v 12 " + c.args + " " + testsupport::quote(movie_path)), "");
        ASSERT_EQ(ffmpeg("-i " + testsupport::quote(movie_path) + " -vf scale=in_color_matrix=" + c.matrix +
                         " -f rawvideo -pix_fmt rgb24 " + testsupport::quote(ref_path)), "");
        const std::string reference = testsupport::read_file(ref_path);
        const size_t frame_bytes = size_t(c.width) * size_t(c.height) * 3;

        Movie movie = read_movie(movie_path);
        ASSERT_NE(movie, nullptr);
        Track track = GetMovieIndTrack(movie, 1);
        const auto order = display_order(track);
        ASSERT_EQ(order.size() * frame_bytes, reference.size());
        VideoFrames frames(platform::movies::track_of(track)->id);
        // Out of order on purpose: a seek back, a jump ahead, then the end.
        const std::vector<size_t> jumps{5, 1, 2, 9, order.size() - 1}, in_order{0, 1, 2, 3};
        for (size_t i : c.only_in_order ? in_order : jumps) {
            const Bytes got = shown(frames, track, order[i], c.width, c.height);
            const Bytes want(reference.begin() + long(i * frame_bytes), reference.begin() + long((i + 1) * frame_bytes));
            EXPECT_EQ(frames.placeholder(), "") << "frame " << i;
            EXPECT_GE(psnr(got, want), 45.0) << "frame " << i;
        }
        DisposeMovie(movie);
    }
    if (!missing.empty()) KINORA_SKIP_OR_FAIL("this ffmpeg lacks the encoders" + missing);
}

TEST_F(VideoDecoding, ReorderedFramesStepForwardAndBackOnceInOrderAndAMissingDecoderIsNamed) {
    if (!have_encoder("libx264")) KINORA_SKIP_OR_FAIL("this ffmpeg lacks libx264");
    Movie movie = numbered("numbered.mov");
    ASSERT_NE(movie, nullptr);
    ASSERT_TRUE(platform::movies::track_of(GetMovieIndTrack(movie, 1))->media.data().samples.has_composition_offsets());

    MovieCanvas canvas(movie, 32, 16);
    Rect box{0, 0, 16, 32};
    MovieController mc = NewMovieController(movie, &box, mcTopLeftMovie | mcNotVisible);
    ASSERT_NE(mc, nullptr);
    MCIdle(mc);
    std::vector<int> forward, backward, counting;
    for (int i = 0; i < kNumbered; ++i) {
        counting.push_back(i);
        forward.push_back(number_in(canvas.pixel(16, 8)));
        if (i + 1 < kNumbered) MCDoAction(mc, mcActionStep, reinterpret_cast<void*>(1));
    }
    const auto* video = platform::movies::playback::player_of(*platform::movies::movie_of(movie)).video(
        platform::movies::track_of(GetMovieIndTrack(movie, 1))->id);
    ASSERT_NE(video, nullptr);
    // Forward, each frame is decoded once: the last ones too, which the
    // decoder lets out only after the end of the stream.
    EXPECT_EQ(video->decoded(), UInt64(kNumbered));
    for (int i = 0; i < kNumbered; ++i) {
        backward.insert(backward.begin(), number_in(canvas.pixel(16, 8)));
        MCDoAction(mc, mcActionStep, reinterpret_cast<void*>(-1));
    }
    EXPECT_EQ((std::tuple{forward, backward}), std::tuple(counting, counting));
    // Going back reuses the frames decoded on the way (or decodes each group
    // of pictures once more), rather than decoding from the sync sample
    // again for every step.
    EXPECT_LE(video->decoded(), UInt64(3 * kNumbered));
    DisposeMovieController(mc);
    // Without the decoder in the installed libraries, the card names the
    // codec and says what is missing.
    Track track = GetMovieIndTrack(movie, 1);
    platform::codecs::libav::hide_video_decoder_for_testing('avc1');
    VideoFrames frames(platform::movies::track_of(track)->id);
    shown(frames, track, 1, 32, 16);
    platform::codecs::libav::hide_video_decoder_for_testing('avc1', false);
    EXPECT_EQ(frames.placeholder(), "H.264 ('avc1') video needs libavcodec's h264 decoder, which the installed libraries lack");
    DisposeMovie(movie);
}

// One group of pictures: going back from frame 29 to frame 2, past the
// frames kept, decodes from the sync sample again rather than on from 29.
TEST_F(VideoDecoding, GoingBackPastTheKeptFramesDecodesAgain) {
    if (!have_encoder("libx264")) KINORA_SKIP_OR_FAIL("this ffmpeg lacks libx264");
    Movie movie = numbered("one-group.mov", "-g " + std::to_string(kNumbered));
    ASSERT_NE(movie, nullptr);
    Track track = GetMovieIndTrack(movie, 1);
    const std::vector<UInt32> order = display_order(track);
    VideoFrames frames(platform::movies::track_of(track)->id);
    for (int i = 0; i <= 29; ++i) shown(frames, track, order[size_t(i)], 32, 16);
    const Bytes back = shown(frames, track, order[2], 32, 16);
    EXPECT_EQ(number_in(UInt32(back[0]) << 16), 2);
    EXPECT_EQ(frames.placeholder(), "");
    DisposeMovie(movie);
}

// A seek into the middle of a group of pictures with B-frames that others
// refer to (a pyramid): the frame shown is ffmpeg's own decode of it,
// though the frames the seek passes that nothing refers to were skipped.
TEST_F(VideoDecoding, SeekIntoAGroupShowsTheTargetFrameExactly) {
    if (!have_encoder("libx264")) KINORA_SKIP_OR_FAIL("this ffmpeg lacks libx264");
    const std::string path = dir + "/pyramid.mov", raw = dir + "/frame.rgb";
    constexpr int kTarget = 41;   // a B-frame nothing refers to, after the pyramid's middle one
    ASSERT_EQ(ffmpeg("-f lavfi -i testsrc2=s=128x96:r=25 -frames:v 60 -c:v libx264 -pix_fmt yuv420p -bf 3 "
                     "-x264-params b-pyramid=normal:b-adapt=0:keyint=60:scenecut=0 " + testsupport::quote(path)), "");
    ASSERT_EQ(ffmpeg("-i " + testsupport::quote(path) + " -vf 'select=eq(n\\," + std::to_string(kTarget) +
                     "),scale=in_color_matrix=bt601' -frames:v 1 -f rawvideo -pix_fmt rgb24 " + testsupport::quote(raw)), "");
    const std::string want = testsupport::read_file(raw);
    ASSERT_EQ(want.size(), size_t(128 * 96 * 3));
    Movie movie = read_movie(path);
    ASSERT_NE(movie, nullptr);
    Track track = GetMovieIndTrack(movie, 1);
    const std::vector<UInt32> order = display_order(track);
    VideoFrames frames(platform::movies::track_of(track)->id);
    const Bytes got = shown(frames, track, order[kTarget], 128, 96);
    EXPECT_EQ(frames.placeholder(), "");
    EXPECT_GE(psnr(got, Bytes(want.begin(), want.end())), 45.0);
    EXPECT_LT(frames.decoded(), UInt64(kTarget)) << "the frames nothing refers to were decoded too";
    DisposeMovie(movie);
}

TEST_F(VideoDecoding, DamagedSampleKeepsTheLastGoodPicture) {
    if (!have_encoder("libx264")) KINORA_SKIP_OR_FAIL("this ffmpeg lacks libx264");
    const std::string path = dir + "/damaged.mov";
    // Sample 16 (frame 15, a delta frame) has its slice data overwritten.
    {
        Movie movie = numbered("damaged.mov", "-bf 0");   // decode order is display order
        ASSERT_NE(movie, nullptr);
        const auto& table = platform::movies::track_of(GetMovieIndTrack(movie, 1))->media.data().samples;
        auto info = table.sample(16).value();
        ASSERT_FALSE(info.sync);
        Bytes file = testsupport::read_bytes(path);
        for (UInt32 i = 8; i < info.size; ++i) file[info.offset + i] = UInt8(i * 151 + 7);
        testsupport::write_bytes(path, file);
        DisposeMovie(movie);
    }
    Movie movie = read_movie(path);
    ASSERT_NE(movie, nullptr);
    Track track = GetMovieIndTrack(movie, 1);
    VideoFrames frames(platform::movies::track_of(track)->id);
    const Bytes good = shown(frames, track, 15, 32, 16);
    EXPECT_EQ(number_in(UInt32(good[0]) << 16), 14);
    // The damaged frame and those that refer to it keep frame 14; the next
    // sync sample (frame 24) is whole again.
    for (UInt32 n = 16; n <= 24; ++n) EXPECT_EQ(shown(frames, track, n, 32, 16), good) << "sample " << n;
    EXPECT_EQ(frames.placeholder(), "");
    const Bytes after = shown(frames, track, 25, 32, 16);
    EXPECT_EQ(number_in(UInt32(after[3 * 40]) << 16), 24);
    DisposeMovie(movie);
}

TEST_F(VideoDecoding, DecompressImageDecodesAJpegThroughLibavcodec) {
    const std::string jpg = dir + "/still.jpg", ref_path = dir + "/still.rgb";
    ASSERT_EQ(ffmpeg("-f lavfi -i testsrc2=s=64x48 -frames:v 1 -pix_fmt yuvj420p " + testsupport::quote(jpg)), "");
    ASSERT_EQ(ffmpeg("-i " + testsupport::quote(jpg) + " -vf scale=in_color_matrix=bt601 -f rawvideo -pix_fmt rgb24 " + testsupport::quote(ref_path)), "");
    const std::string data = testsupport::read_file(jpg), reference = testsupport::read_file(ref_path);
    auto desc = reinterpret_cast<ImageDescriptionHandle>(NewHandleClear(sizeof(ImageDescription)));
    ImageDescription& d = **desc;
    d.idSize = sizeof(ImageDescription), d.cType = 'jpeg', d.width = 64, d.height = 48, d.depth = 24, d.clutID = -1, d.dataSize = SInt32(data.size());
    const Rect r{0, 0, 48, 64};
    const qdtest::GWorld world(32, r);
    PixMapHandle pm = GetGWorldPixMap(world.get());
    EXPECT_EQ(DecompressImage(const_cast<char*>(data.data()), desc, pm, nullptr, &r, srcCopy, nullptr), noErr);
    EXPECT_GE(psnr(rgb_of(pm, 64, 48), Bytes(reference.begin(), reference.end())), 45.0);
    // Cut short, it is refused rather than drawn half.
    (**desc).dataSize = 200;
    EXPECT_EQ(DecompressImage(const_cast<char*>(data.data()), desc, pm, nullptr, &r, srcCopy, nullptr), codecBadDataErr);
    DisposeHandle(reinterpret_cast<Handle>(desc));
}

// 'clap' and 'pasp' give the size a picture is meant to be seen at: DV NTSC
// (720x480 coded, 704x480 clean, pixels 10 wide for 11 high) is 640x480.
TEST(VideoDescriptionExtensions, CleanApertureAndPixelAspectGiveTheNaturalSize) {
    using platform::movies::VideoDescription;
    auto atom = [](OSType type, std::vector<UInt32> words) {
        words.insert(words.begin(), {UInt32(8 + 4 * words.size()), type});
        Bytes a;
        for (UInt32 w : words) a.insert(a.end(), {UInt8(w >> 24), UInt8(w >> 16), UInt8(w >> 8), UInt8(w)});
        return a;
    };
    VideoDescription d;
    d.codec = 'dvc ', d.width = 720, d.height = 480;
    for (const Bytes& a : {atom('colr', {'nclx', 0x00010001, 0x00018000}), atom('clap', {704, 1, 480, 1, UInt32(-4), 2, 0, 1}), atom('pasp', {10, 11})})
        d.extensions.insert(d.extensions.end(), a.begin(), a.end());   // the aperture 2 pixels left of centre
    EXPECT_EQ(std::tuple(d.clean_aperture(), d.natural_size()), std::tuple(platform::movies::CleanAperture{6, 0, 704, 480}, std::pair<SInt32, SInt32>{640, 480}));
    ASSERT_TRUE(d.colour().has_value());
    EXPECT_EQ(std::tuple(d.colour()->matrix, d.colour()->full_range), std::tuple(1, true));
    // An aperture larger than the picture, or a zero denominator, is ignored
    // or limited; never outside the picture.
    d.extensions = atom('clap', {4000, 1, 480, 0, 0, 1, 0, 1});
    EXPECT_FALSE(d.clean_aperture().has_value());
    d.extensions = atom('clap', {4000, 1, 480, 1, 0, 1, 0, 1});
    EXPECT_EQ(*d.clean_aperture(), (platform::movies::CleanAperture{0, 0, 720, 480}));
}

// ffmpeg stores an anamorphic picture's stored size in the track header and
// its pixel aspect in 'pasp': the movie is as wide as ffprobe's display size,
// the track keeps the header's own size.
TEST_F(VideoDecoding, PixelAspectWidensTheNaturalSize) {
    KINORA_REQUIRE_TOOL("ffprobe");
    const std::string path = dir + "/wide.mov";
    ASSERT_EQ(ffmpeg("-f lavfi -i testsrc2=s=64x48:r=25 -frames:v 2 -vf setsar=4/3 -c:v mjpeg " + testsupport::quote(path)), "");
    int w = 0, h = 0, num = 0, den = 0;
    const std::string probe = testsupport::run_shell("ffprobe -v error -show_entries stream=width,height,sample_aspect_ratio "
                                                     "-of csv=p=0 " + testsupport::quote(path)).out;
    ASSERT_EQ(std::sscanf(probe.c_str(), "%d,%d,%d:%d", &w, &h, &num, &den), 4) << probe;
    const int display = int(std::lround(double(w) * num / den));
    ASSERT_NE(display, w);
    Movie movie = read_movie(path);
    ASSERT_NE(movie, nullptr);
    Rect box;
    GetMovieBox(movie, &box);
    Fixed tw = 0, th = 0;
    GetTrackDimensions(GetMovieIndTrack(movie, 1), &tw, &th);
    DisposeMovie(movie);
    EXPECT_EQ((std::vector<int>{box.right - box.left, box.bottom - box.top, tw >> 16, th >> 16}), (std::vector<int>{display, h, w, h}));
}

// A picture taken on its side, as phones record it: the track's matrix
// turns it a quarter, half or three quarters of a turn. The movie box has
// the turned size and shows what ffmpeg shows (it turns the picture too).
TEST_F(VideoDecoding, TurnedTrackShowsAsFfmpegTurnsIt) {
    if (!have_encoder("libx264")) KINORA_SKIP_OR_FAIL("this ffmpeg lacks libx264");
    const std::string plain = dir + "/plain.mp4", path = dir + "/turned.mp4", raw = dir + "/frame.rgb";
    ASSERT_EQ(ffmpeg("-f lavfi -i testsrc2=s=64x48:r=25 -frames:v 1 -c:v libx264 -pix_fmt yuv444p -qp 0 " + testsupport::quote(plain)), "");
    const std::string bytes = testsupport::read_file(plain);
    // Version 0: the matrix after the times, ID, duration, layer, group and volume.
    const size_t matrix = bytes.find("tkhd") + 44;
    ASSERT_LT(matrix + 36, bytes.size());
    struct Turn { int a, b, c, d, x, y; };   // of the picture's 64 x 48
    for (const Turn t : {Turn{0, 1, -1, 0, 48, 0}, Turn{-1, 0, 0, -1, 64, 48}, Turn{0, -1, 1, 0, 0, 64}}) {
        SCOPED_TRACE(testing::Message() << "a " << t.a << " b " << t.b);
        std::string turned = bytes;
        const SInt32 m[9] = {t.a * 0x10000, t.b * 0x10000, 0, t.c * 0x10000, t.d * 0x10000, 0, t.x * 0x10000, t.y * 0x10000, 0x40000000};
        for (size_t i = 0; i < 9; ++i)
            for (size_t k = 0; k < 4; ++k) turned[matrix + 4 * i + k] = char(UInt32(m[i]) >> (24 - 8 * k));
        testsupport::write_file(path, turned);
        ASSERT_EQ(ffmpeg("-i " + testsupport::quote(path) + " -vf scale=in_color_matrix=bt601 -frames:v 1 -f rawvideo -pix_fmt rgb24 " +
                         testsupport::quote(raw)), "");
        const std::string want = testsupport::read_file(raw);
        Movie movie = read_movie(path);
        ASSERT_NE(movie, nullptr);
        Rect box;
        GetMovieBox(movie, &box);
        const SInt16 w = t.a ? 64 : 48, h = t.a ? 48 : 64;
        EXPECT_EQ((std::vector<int>{box.left, box.top, box.right, box.bottom}), (std::vector<int>{0, 0, w, h}));
        {
            MovieCanvas canvas(movie, w, h);
            vh.run(movie, 50);
            EXPECT_GE(psnr(canvas.rgb(), Bytes(want.begin(), want.end())), 45.0);
        }
        DisposeMovie(movie);
    }
}
