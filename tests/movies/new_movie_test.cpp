// The New command's movie, built by the system's own authoring code and
// left at build/test-output/new-movie.mov with its Save As copy beside it
// (new-movie-flat.mov) for the peer checks. Read back with our reader:
// the tracks the New command makes, every frame equal to what was drawn.
#include <gtest/gtest.h>

#include <tuple>

#include "AuthoringDouble.h"
#include "NewMovie.h"
#include "NewMovieReading.h"
#include "platform/Memory.h"

using namespace newmovie;

namespace {

const std::string kDir = std::string(KINORA_BUILD_DIR) + "/test-output";

// Top-level atom types in file order.
std::vector<OSType> top_level(const std::string& path) {
    std::vector<OSType> types;
    for (const auto& a : tbtest::layout(path)) types.push_back(a.type);
    return types;
}

void expect_new_movie(const std::string& path) {
    SCOPED_TRACE(path);
    OpenedMovie m(path);
    ASSERT_EQ(m.err, noErr);
    ASSERT_EQ(GetMovieTrackCount(m.movie), 2);
    EXPECT_EQ(std::tuple(GetMovieTimeScale(m.movie), GetMovieDuration(m.movie)), std::tuple(600, 4200));

    Track video = GetMovieIndTrack(m.movie, 1);
    EXPECT_EQ(GetMovieIndTrackType(m.movie, 1, VideoMediaType, movieTrackMediaType), video) << "video first";
    Media vm = GetTrackMedia(video), sm = GetTrackMedia(GetMovieIndTrack(m.movie, 2));
    SoundFacts snd = application_sound();
    EXPECT_EQ(std::tuple(GetMediaSampleCount(vm), GetMediaDuration(vm), GetMediaSampleDescriptionCount(vm), UInt32(GetMediaSampleCount(sm))),
              std::tuple(kFrames, kFrames * 60, 1, snd.samples)) << "the 70 frames share one description";
    Handle desc = NewHandle(0);
    GetMediaSampleDescription(sm, 1, (SampleDescriptionHandle)desc);
    ASSERT_EQ(GetHandleSize(desc), 36);
    const SoundDescription& d = **(SoundDescriptionHandle)desc;   // it keeps the exact rate
    EXPECT_EQ(std::tuple(OSType(d.dataFormat), UInt32(d.sampleRate)), std::tuple(OSType(k8BitOffsetBinaryFormat), snd.rate_fixed));
    DisposeHandle(desc);
    for (int n = 1; n <= kFrames; ++n) {
        OSErr err = noErr;
        auto ours = decoded_frame_rgb(video, n, &err);
        ASSERT_EQ(err, noErr) << "frame " << n;
        ASSERT_TRUE(ours == drawn_frame_rgb(n)) << "frame " << n << " differs from the frame drawn";
    }

    FInfo info{};
    FSSpec spec = spec_for(path);
    ASSERT_EQ(FSpGetFInfo(&spec, &info), noErr);
    EXPECT_EQ(std::tuple(info.fdType, info.fdCreator), std::tuple(OSType(kQTFileTypeMovie), OSType(sigMoviePlayer)));
}

}  // namespace

TEST(NewMovie, BuildsTheNewCommandsMovieAndItsFlattenedCopy) {
    Paths paths;
    try {
        paths = build(kDir);
    } catch (const AuthoringFailure& e) {
        FAIL() << "the authoring code stopped with \"" << e.what() << "\"";
    }
    expect_new_movie(paths.movie);
    expect_new_movie(paths.flat);

    auto plain = top_level(paths.movie), flat = top_level(paths.flat);
    ASSERT_GE(plain.size(), 3u);
    EXPECT_EQ(plain[0], platform::fourcc("ftyp"));
    auto moov = std::find(flat.begin(), flat.end(), platform::fourcc("moov")), mdat = std::find(flat.begin(), flat.end(), platform::fourcc("mdat"));
    EXPECT_TRUE(moov < mdat && mdat != flat.end()) << "the flattened copy has its movie before its data";
}
