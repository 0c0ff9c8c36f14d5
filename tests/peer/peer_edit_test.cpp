// Editing movies that ffmpeg made — delta frames between key frames, an
// edit list that starts mid-media, reordered H.264 frames with AAC — keeps
// every frame and sound sample they show: ffmpeg decodes the edited movie,
// saved in place and flattened, to exactly the frames and sound expected,
// without a complaint, and the flattened copy stores only what it needs.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "PeerSupport.h"
#include "platform/Movies.h"
#include "platform/QuickDraw.h"
#include "platform/files/Catalog.h"

using peer::run;
using peer::shell_quote;

namespace {

constexpr int kFps = 30;

const char* const kOperations[] = {"double", "paste-from-delta-frame", "cut-first-second"};

int op_index(const std::string& op) {
    return int(std::find_if(std::begin(kOperations), std::end(kOperations), [&](const char* o) { return op == o; }) -
               std::begin(kOperations));
}

// Delta frames that change part of the picture (cells of a game of life),
// so a frame decoded on the wrong predecessor shows; moving bars for H.264.
constexpr const char* kCells = "'life=s=64x48:r=30:seed=5:ratio=0.3:mold=4,format=rgb24'";
constexpr const char* kBars = "testsrc=size=64x48:rate=30";

struct Source {
    const char* name;
    const char* picture;
    const char* make;        // ffmpeg arguments after the two inputs, before the output
    bool cut_at_one_second;  // then made again from that movie with -ss 1 -c copy
    bool exact_sound;        // PCM: every sample as in the source
    int stored[3];           // video samples a flattened copy needs, by operation
};

const Source kSources[] = {
    // 90 frames, key frames 0, 12, 24...: the paste needs 0-19 again, the
    // cut keeps 24-89.
    {"animation", kCells, "-c:v qtrle -g 12 -c:a pcm_s16le -ac 2", false, true, {180, 110, 66}},
    // Frames 30-89 of that, stored from 24; the paste needs 24-49 again.
    {"animation-cut", kCells, "-c:v qtrle -g 12 -c:a pcm_s16le -ac 2", true, true, {132, 92, 30}},
    {"h264-aac", kBars, "-c:v libx264 -bf 2 -g 12 -sc_threshold 0 -pix_fmt yuv420p -c:a aac -ac 2", false, false,
     {180, 110, 66}},
    // Composition offsets below zero (version 1) in an MPEG-4 file.
    {"h264-negative-offsets.mp4", kBars,
     "-c:v libx264 -bf 2 -x264-params b-adapt=0 -g 12 -sc_threshold 0 -pix_fmt yuv420p -c:a aac -ac 2 "
     "-movflags negative_cts_offsets",
     false, false, {180, 110, 66}},
};

// A span of source frames: [from, to).
struct Span {
    int from, to;
};

std::string make_source(const peer::TempDir& dir, const Source& s) {
    std::string name = s.name;
    std::string path = dir / (name.find('.') == std::string::npos ? name + ".mov" : name);
    std::string made = s.cut_at_one_second ? dir / "whole.mov" : path;
    auto r = run("ffmpeg -nostdin -v error -y -f lavfi -i " + std::string(s.picture) + " "
                 "-f lavfi -i 'aevalsrc=0.3*sin(2*PI*(200+400*t)*t):s=44100' -t 3 " +
                 std::string(s.make) + " " + shell_quote(made) + " 2>&1");
    EXPECT_EQ(r.status, 0) << r.text;
    if (s.cut_at_one_second) {
        r = run("ffmpeg -nostdin -v error -y -ss 1 -i " + shell_quote(made) + " -c copy " + shell_quote(path) + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.text;
    }
    return path;
}

std::vector<std::string> frame_md5s(const std::string& path) {
    auto r = run("ffmpeg -nostdin -v error -i " + shell_quote(path) + " -map 0:v -f framemd5 - 2>/dev/null");
    std::vector<std::string> md5s;
    std::istringstream in(r.text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') md5s.push_back(line.substr(line.rfind(' ') + 1));
    return md5s;
}

// Frames as source frame numbers (? for a frame the source does not have),
// for failures a person can read.
std::string numbered(const std::vector<std::string>& frames, const std::vector<std::string>& source) {
    std::string out;
    for (const std::string& f : frames) {
        auto at = std::find(source.begin(), source.end(), f);
        out += at == source.end() ? "? " : std::to_string(at - source.begin()) + " ";
    }
    return out;
}

std::vector<int16_t> sound(const std::string& path) {
    auto r = run("ffmpeg -nostdin -v error -i " + shell_quote(path) + " -map 0:a -f s16le -ac 2 - 2>/dev/null");
    std::vector<int16_t> s(r.text.size() / 2);
    std::memcpy(s.data(), r.text.data(), s.size() * 2);
    return s;
}

int stored_video_samples(const std::string& path) {
    auto r = run("ffprobe -v error -select_streams v -show_entries stream=nb_frames -of csv=p=0 " + shell_quote(path));
    return std::atoi(r.text.c_str());
}

// The movie time (scale 1000) at which source frame k first shows.
TimeValue frame_time(int k) { return TimeValue((k * 1000 + kFps - 1) / kFps); }

// Edits the movie as the operation says; `frames` is how many the source shows.
void edit(Movie m, const std::string& op, int frames) {
    auto copy_and_paste = [&](int from, int to, int at) {
        SetMovieSelection(m, frame_time(from), frame_time(to) - frame_time(from));
        Movie clip = CopyMovieSelection(m);
        ASSERT_NE(clip, nullptr);
        SetMovieSelection(m, frame_time(at), 0);
        PasteMovieSelection(m, clip);
        ASSERT_EQ(GetMoviesError(), noErr);
        DisposeMovie(clip);
    };
    if (op == "double") {
        copy_and_paste(0, frames, frames);
    } else if (op == "paste-from-delta-frame") {
        copy_and_paste(5, 20, 10);
    } else {
        SetMovieSelection(m, 0, frame_time(kFps));
        ClearMovieSelection(m);
        ASSERT_EQ(GetMoviesError(), noErr);
    }
}

std::vector<Span> shown_after(const std::string& op, int frames) {
    if (op == "double") return {{0, frames}, {0, frames}};
    if (op == "paste-from-delta-frame") return {{0, 10}, {5, 20}, {10, frames}};
    return {{kFps, frames}};
}

// The source's frames as ffmpeg decodes them, 64x48 RGB each.
std::vector<std::string> rgb_frames(const std::string& path) {
    auto r = run("ffmpeg -nostdin -v error -i " + shell_quote(path) + " -map 0:v -f rawvideo -pix_fmt rgb24 -");
    std::vector<std::string> frames;
    for (size_t at = 0; at + 64 * 48 * 3 <= r.text.size(); at += 64 * 48 * 3) frames.push_back(r.text.substr(at, 64 * 48 * 3));
    return frames;
}

// What the movie shows, stepping from frame to frame as the controller
// does, as source frame numbers (? for a picture the source does not have).
std::string stepped_frames(Movie movie, const std::vector<std::string>& source) {
    GWorldPtr world = nullptr;
    const Rect box{0, 0, 48, 64};
    if (NewGWorld(&world, 32, &box, nullptr, nullptr, 0) != noErr) return "no world";
    SetMovieGWorld(movie, world, nullptr);
    SetMovieBox(movie, &box);
    PixMapHandle pm = GetGWorldPixMap(world);
    std::string out;
    const OSType video = VideoMediaType;
    for (TimeValue t = 0; t >= 0;) {
        SetMovieTimeValue(movie, t);
        MoviesTask(movie, 0);
        std::string rgb;
        for (int y = 0; y < 48; ++y) {
            const UInt8* row = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm);
            for (int x = 0; x < 64; ++x) rgb.append(reinterpret_cast<const char*>(row + 4 * x + 1), 3);
        }
        auto at = std::find(source.begin(), source.end(), rgb);
        out += at == source.end() ? "? " : std::to_string(at - source.begin()) + " ";
        GetMovieNextInterestingTime(movie, nextTimeStep, 1, &video, t, 0x10000, &t, nullptr);
    }
    SetMovieGWorld(movie, nullptr, nullptr);
    DisposeGWorld(world);
    return out;
}

FSSpec spec_of(const std::string& path) {
    FSSpec spec{};
    platform::files::make_fsspec(path, &spec);
    return spec;
}

class EditedPeerMovie : public ::testing::TestWithParam<std::tuple<Source, const char*>> {};

TEST_P(EditedPeerMovie, ShowsExactlyTheFramesAndSoundExpected) {
    REQUIRE_TOOL("ffmpeg");
    const auto& [source, op_name] = GetParam();
    const std::string op = op_name;
    if (std::string(source.make).find("libx264") != std::string::npos &&
        run("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libx264").status != 0)
        GTEST_SKIP() << "no H.264 encoder";
    peer::TempDir dir;
    const std::string original = make_source(dir, source);
    const auto source_frames = frame_md5s(original);
    const auto source_sound = sound(original);
    const int frames = int(source_frames.size());
    ASSERT_GT(frames, 40);

    std::vector<std::string> want_frames;
    std::vector<int16_t> want_sound;
    for (const Span& s : shown_after(op, frames)) {
        want_frames.insert(want_frames.end(), source_frames.begin() + s.from, source_frames.begin() + s.to);
        // Sound follows the same movie times; 44.1 stereo frames a unit.
        size_t a = size_t(frame_time(s.from)) * 441 / 10 * 2, b = size_t(frame_time(s.to)) * 441 / 10 * 2;
        if (s.to == frames) b = source_sound.size();
        want_sound.insert(want_sound.end(), source_sound.begin() + long(a), source_sound.begin() + long(std::min(b, source_sound.size())));
    }

    EnterMovies();
    const std::string in_place = dir / "in-place.mov", flat = dir / "flat.mov";
    std::filesystem::copy_file(original, in_place);
    FSSpec spec = spec_of(in_place);
    SInt16 ref = 0, id = 0;
    ASSERT_EQ(OpenMovieFile(&spec, &ref, fsRdWrPerm), noErr);
    Movie movie = nullptr;
    ASSERT_EQ(NewMovieFromFile(&movie, ref, &id, nullptr, newMovieActive, nullptr), noErr);
    edit(movie, op, frames);
    ASSERT_EQ(UpdateMovieResource(movie, ref, id, nullptr), noErr);
    FSSpec flat_spec = spec_of(flat);
    Movie copy = FlattenMovieData(movie, 0x41, &flat_spec, 'TVOD', smSystemScript, 0x90000000);
    ASSERT_NE(copy, nullptr);
    DisposeMovie(copy);
    DisposeMovie(movie);
    CloseMovieFile(ref);

    // Only what the edits show and the frames those depend on: from the key
    // frame (every 12th) before each shown run; reordered frames may add
    // the few decoded between.
    const int stored = stored_video_samples(flat), want_stored = source.stored[op_index(op)];
    EXPECT_GE(stored, want_stored);
    EXPECT_LE(stored, want_stored + (source.exact_sound ? 0 : 3));
    // Kinora plays what it saved the same way (it decodes Animation only).
    const auto source_rgb = rgb_frames(original);
    const std::string want_stepped = numbered(want_frames, source_frames);
    for (const std::string& saved : {in_place, flat}) {
        SCOPED_TRACE(saved);
        if (std::string(source.make).find("qtrle") != std::string::npos) {
            FSSpec saved_spec = spec_of(saved);
            SInt16 saved_ref = 0, saved_id = 0;
            Movie reopened = nullptr;
            ASSERT_EQ(OpenMovieFile(&saved_spec, &saved_ref, fsRdPerm), noErr);
            ASSERT_EQ(NewMovieFromFile(&reopened, saved_ref, &saved_id, nullptr, newMovieActive, nullptr), noErr);
            EXPECT_EQ(stepped_frames(reopened, source_rgb), want_stepped);
            DisposeMovie(reopened);
            CloseMovieFile(saved_ref);
        }
        const auto shown = frame_md5s(saved);
        EXPECT_TRUE(shown == want_frames) << "shows " << numbered(shown, source_frames) << "\nwant "
                                          << numbered(want_frames, source_frames);
        // Every packet of both tracks decodes without a complaint.
        EXPECT_EQ(run("ffmpeg -nostdin -v error -i " + shell_quote(saved) + " -f framemd5 - 2>&1 >/dev/null").text, "");
        auto heard = sound(saved);
        if (source.exact_sound) {
            size_t d = 0;
            while (d < heard.size() && d < want_sound.size() && heard[d] == want_sound[d]) ++d;
            EXPECT_TRUE(heard == want_sound) << heard.size() << " sound values, want " << want_sound.size()
                                             << "; they differ from value " << d;
        } else {
            // Compressed sound: as long, and its first span as ffmpeg decodes
            // it from the source (later spans start mid-packet, which ffmpeg
            // does not trim), which needs the packet before the cut.
            EXPECT_NEAR(double(heard.size()), double(want_sound.size()), 2 * 1024 * 2);
            const Span first = shown_after(op, frames)[0];
            const size_t span = std::min<size_t>({size_t(frame_time(first.to - first.from)) * 441 / 10 * 2 - 4096,
                                                  heard.size(), want_sound.size()});
            double error = 0, signal = 0;
            for (size_t i = 0; i < span; ++i) {
                error += std::pow(double(heard[i]) - want_sound[i], 2);
                signal += std::pow(double(want_sound[i]), 2);
            }
            EXPECT_LT(std::sqrt(error / signal), 0.001) << "over the first " << span / 2 << " frames";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Movies, EditedPeerMovie,
                         ::testing::Combine(::testing::ValuesIn(kSources),
                                            ::testing::ValuesIn(kOperations)),
                         [](const auto& info) {
                             std::string n = std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param);
                             std::replace_if(n.begin(), n.end(), [](char c) { return c == '-' || c == '.'; }, '_');
                             return n;
                         });

}  // namespace
