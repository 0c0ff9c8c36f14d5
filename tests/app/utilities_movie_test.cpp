// Movie queries: which tracks a movie has (enabled or not), panorama and
// object movies by their controller type, the preferred volume, frame
// duration and count, removing references to a track, and whether a file is
// an image or a movie.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "UtilitiesTestSupport.h"
#include "platform/Errors.h"
#include "platform/memory/MemoryInternal.h"

using namespace utltest;

namespace {

struct TrackCase {
    const char* name;
    std::vector<OSType> types;
    std::vector<bool> disabled;
    bool video, streamed, timecode, sound;
};

// A little-endian 2x2 24-bit BMP, which a graphics importer reads.
tbtest::Bytes bmp_file() {
    tbtest::Bytes b = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                       40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
                       0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 6; ++i) b.push_back(UInt8(0x40 * row + i));
        b.push_back(0);
        b.push_back(0);
    }
    return b;
}

// An 8-bit mono WAV file of 800 samples at 8000 Hz, which a movie importer reads.
tbtest::Bytes wav_file() {
    const UInt32 n = 800;
    auto le32 = [](tbtest::Bytes& b, UInt32 v) {
        for (int i = 0; i < 4; ++i) b.push_back(UInt8(v >> (8 * i)));
    };
    tbtest::Bytes b = {'R', 'I', 'F', 'F'};
    le32(b, 36 + n);
    for (char c : std::string("WAVEfmt ")) b.push_back(UInt8(c));
    le32(b, 16);
    b.insert(b.end(), {1, 0, 1, 0});   // PCM, mono
    le32(b, 8000);
    le32(b, 8000);
    b.insert(b.end(), {1, 0, 8, 0});   // block align 1, 8 bits
    for (char c : std::string("data")) b.push_back(UInt8(c));
    le32(b, n);
    for (UInt32 i = 0; i < n; ++i) b.push_back(UInt8(128 + (i % 32) - 16));
    return b;
}

}  // namespace

TEST_F(UtilitiesTest, TrackQueriesFollowTypeAndEnabledState) {
    const TrackCase cases[] = {
        {"no tracks", {}, {}, false, false, false, false},
        {"video", {VideoMediaType}, {}, true, false, false, false},
        {"disabled video", {VideoMediaType}, {true}, false, false, false, false},
        {"sound", {SoundMediaType}, {}, false, false, false, true},
        {"only sound disabled", {VideoMediaType, SoundMediaType}, {false, true}, true, false, false, false},
        {"disabled time code still counts", {TimeCodeMediaType}, {true}, false, false, true, false},
        {"time code", {VideoMediaType, TimeCodeMediaType}, {}, true, false, true, false},
        {"stream", {kQTSStreamMediaType}, {}, false, true, false, false},
        {"disabled stream", {kQTSStreamMediaType}, {true}, false, false, false, false},
        {"text", {TextMediaType}, {}, false, false, false, false},
    };
    for (const TrackCase& c : cases) {
        SCOPED_TRACE(c.name);
        Movie movie = tracks_movie(c.types, c.disabled);
        EXPECT_EQ(QTUtils_IsMediaTypeInMovie(movie, VideoMediaType), c.video);
        EXPECT_EQ(QTUtils_IsStreamedMovie(movie), c.streamed);
        EXPECT_EQ(QTUtils_MovieHasTimeCodeTrack(movie), c.timecode);
        EXPECT_EQ(QTUtils_MovieHasSoundTrack(movie), c.sound);
        EXPECT_EQ(QTUtils_GetSoundMediaHandler(movie) != nullptr, c.sound);
        DisposeMovie(movie);
    }
    // A null movie has nothing.
    EXPECT_FALSE(QTUtils_IsMediaTypeInMovie(nullptr, VideoMediaType));
    EXPECT_FALSE(QTUtils_IsStreamedMovie(nullptr));
    EXPECT_FALSE(QTUtils_MovieHasTimeCodeTrack(nullptr));
    EXPECT_FALSE(QTUtils_MovieHasSoundTrack(nullptr));
    EXPECT_EQ(QTUtils_GetSoundMediaHandler(nullptr), nullptr);
}

TEST_F(UtilitiesTest, ThePreferredVolumeBecomesTheLevelThePlayingVolumeHas) {
    const struct {
        SInt16 preferred, current, expected;
    } cases[] = {
        {256, -128, 128},   // muted at half volume: its level is 128
        {256, -256, 256},   // muted at full volume: nothing to change
        {256, 256, 256},
        {100, 200, 200},
        {256, 0, 0},
        {256, -32768, 32767},   // muted at the lowest value: the loudest level, not a negative one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.preferred << " / " << c.current);
        Movie movie = tracks_movie({SoundMediaType});
        SetMoviePreferredVolume(movie, c.preferred);
        SetMovieVolume(movie, c.current);
        EXPECT_EQ(QTUtils_UpdateMovieVolumeSetting(movie), noErr);
        EXPECT_EQ(GetMoviePreferredVolume(movie), c.expected);
        EXPECT_EQ(GetMovieVolume(movie), c.current) << "the playing volume is left alone";
        DisposeMovie(movie);
    }
}

TEST_F(UtilitiesTest, FrameDurationAndCountOfTracks) {
    tbtest::Opened file(movie_file("frames.mov", spec_frames(20)));
    ASSERT_EQ(file.err, noErr);
    Track video = GetMovieIndTrackType(file.movie, 1, VideoMediaType, movieTrackMediaType);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(QTUtils_GetFrameDuration(video), 60);
    EXPECT_EQ(QTUtils_GetFrameCount(video), 20);

    // Tracks whose media holds no samples, and a track without media.
    Movie empty = tracks_movie({VideoMediaType});
    Track hollow = GetMovieIndTrack(empty, 1);
    Track bare = NewMovieTrack(empty, 0, 0, kNoVolume);

    const struct {
        const char* name;
        Track track;
        TimeValue duration;
        SInt32 count;
    } cases[] = {
        {"no samples", hollow, 0, 0},
        {"no media", bare, 0, 0},
        {"null track", nullptr, 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QTUtils_GetFrameDuration(c.track), c.duration);
        EXPECT_EQ(QTUtils_GetFrameCount(c.track), c.count);
    }
    DisposeMovie(empty);
}

TEST_F(UtilitiesTest, TheFrameCountFollowsTheTracksEditsNotItsMedia) {
    tbtest::Opened file(movie_file("edits.mov", spec_frames(20, 0)));
    ASSERT_EQ(file.err, noErr);
    Track video = GetMovieIndTrack(file.movie, 1);
    // Frames 8 to 20 leave the track; the media keeps all 20 samples.
    SetMovieSelection(file.movie, 7 * 60, 13 * 60);
    ClearMovieSelection(file.movie);
    ASSERT_EQ(GetTrackDuration(video), 7 * 60);
    EXPECT_EQ(GetMediaSampleCount(GetTrackMedia(video)), 20);
    EXPECT_EQ(QTUtils_GetFrameCount(video), 7);
    EXPECT_EQ(QTUtils_GetFrameDuration(video), 60);
}

TEST_F(UtilitiesTest, DeletingReferencesToATrackLeavesEveryOtherReference) {
    Movie movie = tracks_movie({VideoMediaType, VideoMediaType, TextMediaType, TimeCodeMediaType});
    Track a = GetMovieIndTrack(movie, 1), b = GetMovieIndTrack(movie, 2), c = GetMovieIndTrack(movie, 3),
          d = GetMovieIndTrack(movie, 4);
    // (holder, referenced, type) in the order they are added.
    const struct {
        Track from, to;
        OSType type;
    } refs[] = {
        {b, a, 'sync'}, {b, d, 'tmcd'}, {c, a, 'chap'}, {c, b, 'chap'}, {c, a, 'chap'},
        {a, b, 'sync'}, {a, d, 'tmcd'}, {d, c, 'scpt'}, {b, a, 'scpt'},
    };
    for (const auto& r : refs) ASSERT_EQ(AddTrackReference(r.from, r.to, r.type, nullptr), noErr);

    EXPECT_EQ(QTUtils_DeleteAllReferencesToTrack(a), noErr);

    // Every live reference, as (holder, referenced, type).
    auto live = [&] {
        std::vector<std::tuple<Track, Track, OSType>> out;
        for (Track t : {a, b, c, d})
            for (OSType type = GetNextTrackReferenceType(t, 0); type; type = GetNextTrackReferenceType(t, type))
                for (SInt32 i = 1; i <= GetTrackReferenceCount(t, type); ++i)
                    if (Track to = GetTrackReference(t, type, i)) out.emplace_back(t, to, type);
        return out;
    };
    auto left = live();
    for (const auto& [from, to, type] : left) EXPECT_TRUE(to != a || from == a) << "a reference to a remains";
    const std::tuple<Track, Track, OSType> kept[] = {
        {b, d, 'tmcd'}, {c, b, 'chap'}, {a, b, 'sync'}, {a, d, 'tmcd'}, {d, c, 'scpt'}};
    for (const auto& k : kept) EXPECT_NE(std::find(left.begin(), left.end(), k), left.end());
    EXPECT_EQ(left.size(), std::size(kept));

    // Nothing refers to a any more: a second pass deletes nothing.
    EXPECT_EQ(QTUtils_DeleteAllReferencesToTrack(a), noErr);
    EXPECT_EQ(live().size(), std::size(kept));
    EXPECT_EQ(QTUtils_DeleteAllReferencesToTrack(nullptr), paramErr);
    DisposeMovie(movie);
}

TEST_F(UtilitiesTest, FileKindsByFinderTypeAndByImporter) {
    std::string movie = movie_file("clip.mov");
    std::string image = dir / "picture.bmp";
    std::string sound = dir / "tone.wav";
    std::string text = dir / "notes.txt";
    std::string typed = dir / "typed-as-movie.dat";
    std::string imageAsMovie = dir / "image-typed-moov.bmp";
    tbtest::write_bytes(image, bmp_file());
    tbtest::write_bytes(sound, wav_file());
    tbtest::write_bytes(text, {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
    tbtest::write_bytes(typed, {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
    tbtest::write_bytes(imageAsMovie, bmp_file());
    for (const std::string& path : {typed, imageAsMovie}) {
        FSSpec fs = tbtest::spec_for(path);
        FInfo info{};
        ASSERT_EQ(FSpGetFInfo(&fs, &info), noErr);
        info.fdType = kQTFileTypeMovie;
        ASSERT_EQ(FSpSetFInfo(&fs, &info), noErr);
    }

    const struct {
        std::string path;
        bool image, movie;
    } cases[] = {
        {movie, false, true},
        {image, true, false},   // images are not movies: graphics importers do not count
        {sound, false, true},   // a movie importer takes it
        {text, false, false},
        {typed, false, true},   // a 'MooV' file is a movie file without any importer being asked
        {imageAsMovie, true, true},
        {dir / "missing.mov", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FSSpec fs = tbtest::spec_for(c.path);
        long handles = platform::memory::live_handle_count();
        EXPECT_EQ(QTUtils_IsImageFile(&fs), c.image);
        EXPECT_EQ(QTUtils_IsMovieFile(&fs), c.movie);
        EXPECT_EQ(platform::memory::live_handle_count(), handles) << "the alias is disposed of";
    }
}
