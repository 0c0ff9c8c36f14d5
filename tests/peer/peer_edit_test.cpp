// Editing movies that ffmpeg made — delta frames between key frames, an
// edit list that starts mid-media, reordered H.264 frames with AAC,
// negative composition offsets — keeps every frame and sound sample they
// show: saved in place and flattened, ffmpeg decodes them to exactly the
// frames and sound expected, without a complaint; Kinora steps through the
// same frames; and the flattened copy stores only what it needs.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "NewMovieReading.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"
#include "platform/Movies.h"
#include "platform/QuickDraw.h"

using testsupport::run_shell;
using testsupport::quote;
using testsupport::TempFolder;

namespace {

constexpr int kFps = 30;
constexpr size_t kFrameBytes = 64 * 48 * 3;

// Delta frames that change part of the picture (cells of a game of life),
// so a frame decoded on the wrong predecessor shows; moving bars for H.264.
constexpr const char* kCells = "'life=s=64x48:r=30:seed=5:ratio=0.3:mold=4,format=rgb24'";
constexpr const char* kBars = "testsrc=size=64x48:rate=30";

struct Source {
    const char* name;        // with its extension when not .mov
    const char* picture;
    const char* make;        // ffmpeg's codec options
    bool cut_at_one_second;  // then made again from that movie with -ss 1 -c copy
    bool pcm;                // every sound sample exact, and no frames reordered
    int stored[3];           // video samples a flattened copy needs, by operation
};

const Source kSources[] = {
    // 90 frames, key frames 0, 12, 24...: the paste needs 0-19 again, the
    // cut keeps 24-89.
    {"animation", kCells, "-c:v qtrle -g 12 -c:a pcm_s16le", false, true, {180, 110, 66}},
    // Frames 30-89 of that, stored from 24; the paste needs 24-49 again.
    {"animation-cut", kCells, "-c:v qtrle -g 12 -c:a pcm_s16le", true, true, {132, 92, 30}},
    {"h264-aac", kBars, "-c:v libx264 -bf 2 -g 12 -sc_threshold 0 -pix_fmt yuv420p -c:a aac", false, false, {180, 110, 66}},
    {"h264-negative-offsets.mp4", kBars,
     "-c:v libx264 -bf 2 -x264-params b-adapt=0 -g 12 -sc_threshold 0 -pix_fmt yuv420p -c:a aac "
     "-movflags negative_cts_offsets",
     false, false, {180, 110, 66}},
};

// Copy source frames [from, to) and paste them at frame `at`, or with `at`
// negative clear them. `to` 0 is the end.
struct Operation { const char* name; int from, to, at; };

const Operation kOperations[] = {{"double", 0, 0, 0}, {"paste-from-delta-frame", 5, 20, 10}, {"cut-first-second", 0, kFps, -1}};

// A span of source frames: [from, to).
struct Span { int from, to; };

std::vector<Span> shown_after(const Operation& op, int frames) {
    const int to = op.to ? op.to : frames;
    if (op.at < 0) return {{0, op.from}, {to, frames}};
    return {{0, op.at}, {op.from, to}, {op.at, frames}};
}

// The movie time (scale 1000) at which source frame k first shows.
TimeValue frame_time(int k) { return TimeValue((k * 1000 + kFps - 1) / kFps); }

void edit(Movie m, const Operation& op, int frames) {
    const TimeValue from = frame_time(op.from), to = frame_time(op.to ? op.to : frames);
    SetMovieSelection(m, from, to - from);
    if (op.at < 0) {
        ClearMovieSelection(m);
    } else {
        Movie clip = CopyMovieSelection(m);
        ASSERT_NE(clip, nullptr);
        SetMovieSelection(m, frame_time(op.at), 0);
        PasteMovieSelection(m, clip);
        DisposeMovie(clip);
    }
    ASSERT_EQ(GetMoviesError(), noErr);
}

std::string make_source(const TempFolder& dir, const Source& s) {
    const std::string name = s.name;
    const std::string path = dir / (name.find('.') == std::string::npos ? name + ".mov" : name);
    const std::string made = s.cut_at_one_second ? (dir / "whole.mov").string() : path;
    auto r = run_shell("ffmpeg -nostdin -v error -y -f lavfi -i " + std::string(s.picture) +
                       " -f lavfi -i 'aevalsrc=0.3*sin(2*PI*(200+400*t)*t):s=44100' -t 3 -ac 2 " + s.make + " " + quote(made) + " 2>&1");
    if (r.status == 0 && s.cut_at_one_second)
        r = run_shell("ffmpeg -nostdin -v error -y -ss 1 -i " + quote(made) + " -c copy " + quote(path) + " 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    return path;
}

// ffmpeg's decode: every frame decoded, as RGB (ffmpeg times an edit after
// the first that starts on a reordered frame a frame late, and at a
// constant rate would show that as a repeat), and stereo 16-bit sound.
std::vector<std::string> frames_of(const std::string& path) {
    auto r = run_shell("ffmpeg -nostdin -v error -i " + quote(path) + " -map 0:v -fps_mode passthrough -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
    std::vector<std::string> frames;
    for (size_t at = 0; at + kFrameBytes <= r.out.size(); at += kFrameBytes) frames.push_back(r.out.substr(at, kFrameBytes));
    return frames;
}

std::vector<int16_t> sound_of(const std::string& path) {
    auto r = run_shell("ffmpeg -nostdin -v error -i " + quote(path) + " -map 0:a -f s16le -ac 2 - 2>/dev/null");
    std::vector<int16_t> s(r.out.size() / 2);
    std::memcpy(s.data(), r.out.data(), s.size() * 2);
    return s;
}

// What Kinora draws, stepping from frame to frame as the controller does.
std::vector<std::string> stepped_frames(Movie movie) {
    GWorldPtr world = nullptr;
    const Rect box{0, 0, 48, 64};
    if (NewGWorld(&world, 32, &box, nullptr, nullptr, 0) != noErr) return {};
    SetMovieGWorld(movie, world, nullptr);
    SetMovieBox(movie, &box);
    PixMapHandle pm = GetGWorldPixMap(world);
    std::vector<std::string> frames;
    const OSType video = VideoMediaType;
    for (TimeValue t = 0; t >= 0;) {
        SetMovieTimeValue(movie, t);
        MoviesTask(movie, 0);
        std::string rgb;
        for (int y = 0; y < 48; ++y) {
            const UInt8* row = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm);
            for (int x = 0; x < 64; ++x) rgb.append(reinterpret_cast<const char*>(row + 4 * x + 1), 3);
        }
        frames.push_back(rgb);
        GetMovieNextInterestingTime(movie, nextTimeStep, 1, &video, t, 0x10000, &t, nullptr);
    }
    SetMovieGWorld(movie, nullptr, nullptr);
    DisposeGWorld(world);
    return frames;
}

using Opened = newmovie::OpenedMovie;

class EditedPeerMovie : public ::testing::TestWithParam<std::tuple<Source, Operation>> {};

TEST_P(EditedPeerMovie, ShowsExactlyTheFramesAndSoundExpected) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    const Source& source = std::get<0>(GetParam());
    const Operation& op = std::get<1>(GetParam());
    if (!source.pcm && run_shell("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libx264").status != 0)
        KINORA_SKIP_OR_FAIL("ffmpeg has no H.264 encoder (libx264): this check did not run");
    TempFolder dir;
    const std::string original = make_source(dir, source);
    const auto source_frames = frames_of(original);
    const auto source_sound = sound_of(original);
    const int frames = int(source_frames.size());
    ASSERT_GT(frames, 40);

    std::vector<std::string> want_frames;
    std::vector<int16_t> want_sound;
    for (const Span& s : shown_after(op, frames)) {
        want_frames.insert(want_frames.end(), source_frames.begin() + s.from, source_frames.begin() + s.to);
        // Sound follows the same movie times; 44.1 stereo frames a unit.
        const size_t a = size_t(frame_time(s.from)) * 441 / 10 * 2;
        const size_t b = s.to == frames ? source_sound.size() : size_t(frame_time(s.to)) * 441 / 10 * 2;
        want_sound.insert(want_sound.end(), source_sound.begin() + long(a), source_sound.begin() + long(b));
    }

    EnterMovies();
    const std::string in_place = dir / "in-place.mov", flat = dir / "flat.mov";
    std::filesystem::copy_file(original, in_place);
    {
        Opened m(in_place, fsRdWrPerm);
        ASSERT_NE(m.movie, nullptr);
        edit(m.movie, op, frames);
        ASSERT_EQ(UpdateMovieResource(m.movie, m.ref, movieInDataForkResID, nullptr), noErr);
        FSSpec spec = newmovie::spec_for(flat);
        Movie copy = FlattenMovieData(m.movie, 0x41, &spec, 'TVOD', smSystemScript, 0x90000000);
        ASSERT_NE(copy, nullptr);
        DisposeMovie(copy);
    }

    // Only what the edits show and the frames it depends on: from the key
    // frame before each shown run; reordered frames may add a few decoded
    // between.
    const int stored = std::atoi(run_shell("ffprobe -v error -select_streams v -show_entries stream=nb_frames -of csv=p=0 " +
                                           quote(flat)).out.c_str());
    const int want_stored = source.stored[std::find_if(std::begin(kOperations), std::end(kOperations),
                                                       [&](const Operation& o) { return o.name == op.name; }) - std::begin(kOperations)];
    EXPECT_TRUE(stored >= want_stored && stored <= want_stored + (source.pcm ? 0 : 3)) << stored << ", want " << want_stored;

    for (const std::string& saved : {in_place, flat}) {
        SCOPED_TRACE(saved);
        const auto shown = frames_of(saved);
        EXPECT_TRUE(shown == want_frames) << shown.size() << " frames shown, want " << want_frames.size();
        // Every packet of both tracks decodes without a complaint.
        EXPECT_EQ(run_shell("ffmpeg -nostdin -v error -i " + quote(saved) + " -f framemd5 - 2>&1 >/dev/null").out, "");
        if (source.pcm) {
            // Kinora decodes Animation: it shows the same frames.
            Opened reopened(saved, fsRdPerm);
            ASSERT_NE(reopened.movie, nullptr);
            EXPECT_TRUE(stepped_frames(reopened.movie) == want_frames);
        }
        const auto heard = sound_of(saved);
        if (source.pcm) {
            EXPECT_TRUE(heard == want_sound) << heard.size() << " sound values, want " << want_sound.size();
            continue;
        }
        // AAC: as long, and its first span as ffmpeg decodes the source there
        // (later spans start mid-packet, which ffmpeg does not trim): that
        // needs the packet before the cut.
        EXPECT_NEAR(double(heard.size()), double(want_sound.size()), 2 * 1024 * 2);
        const auto spans = shown_after(op, frames);
        const Span first = *std::find_if(spans.begin(), spans.end(), [](const Span& s) { return s.to > s.from; });
        const size_t span = std::min({size_t(frame_time(first.to - first.from)) * 441 / 10 * 2 - 4096, heard.size(), want_sound.size()});
        double error = 0, signal = 0;
        for (size_t i = 0; i < span; ++i) {
            error += std::pow(double(heard[i]) - want_sound[i], 2);
            signal += std::pow(double(want_sound[i]), 2);
        }
        EXPECT_LT(std::sqrt(error / signal), 0.001) << "over the first " << span / 2 << " frames";
    }
}

INSTANTIATE_TEST_SUITE_P(Movies, EditedPeerMovie,
                         ::testing::Combine(::testing::ValuesIn(kSources), ::testing::ValuesIn(kOperations)),
                         [](const auto& info) {
                             std::string n = std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                             std::replace_if(n.begin(), n.end(), [](char c) { return c == '-' || c == '.'; }, '_');
                             return n;
                         });

}  // namespace
