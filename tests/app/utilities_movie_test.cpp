// Movie queries: which tracks a movie has (enabled or not), the preferred
// volume, the frame count and duration of a track.
#include "UtilitiesTestSupport.h"

using namespace utltest;

namespace {

struct TrackCase {
    const char* name;
    std::vector<OSType> types;
    std::vector<bool> disabled;
    bool video, streamed, timecode, sound;
};

}  // namespace

TEST_F(UtilitiesTest, TrackQueriesFollowTypeAndEnabledState) {
    const TrackCase cases[] = {
        {"no tracks", {}, {}, false, false, false, false}, {"video", {VideoMediaType}, {}, true, false, false, false},
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
        EXPECT_EQ(std::tuple(bool(QTUtils_IsMediaTypeInMovie(movie, VideoMediaType)), bool(QTUtils_IsStreamedMovie(movie)),
                             bool(QTUtils_MovieHasTimeCodeTrack(movie)), bool(QTUtils_MovieHasSoundTrack(movie)),
                             QTUtils_GetSoundMediaHandler(movie) != nullptr),
                  std::tuple(c.video, c.streamed, c.timecode, c.sound, c.sound));
        DisposeMovie(movie);
    }
    EXPECT_FALSE(QTUtils_MovieHasSoundTrack(nullptr));
}

TEST_F(UtilitiesTest, ThePreferredVolumeBecomesTheLevelThePlayingVolumeHas) {
    const struct { SInt16 preferred, current, expected; } cases[] = {
        {256, -128, 128},   // muted at half volume: its level is 128
        {100, 200, 200}, {256, 0, 0},
        {256, -32768, 32767},   // muted at the lowest value: the loudest level, not a negative one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.preferred << " / " << c.current);
        Movie movie = tracks_movie({SoundMediaType});
        SetMoviePreferredVolume(movie, c.preferred), SetMovieVolume(movie, c.current);
        EXPECT_EQ(QTUtils_UpdateMovieVolumeSetting(movie), noErr);
        EXPECT_EQ(std::tuple(GetMoviePreferredVolume(movie), GetMovieVolume(movie)), std::tuple(c.expected, c.current))
            << "the playing volume is left alone";
        DisposeMovie(movie);
    }
}

TEST_F(UtilitiesTest, TheFrameCountFollowsTheTracksEditsNotItsMedia) {
    tbtest::Opened file(movie_file("edits.mov", {.frames = 20, .sound_samples = 0, .sound_file = ""}));
    ASSERT_EQ(file.err, noErr);
    Track video = GetMovieIndTrack(file.movie, 1);
    // Frames 8 to 20 leave the track; the media keeps all 20 samples.
    SetMovieSelection(file.movie, 7 * 60, 13 * 60), ClearMovieSelection(file.movie);
    ASSERT_EQ(GetTrackDuration(video), 7 * 60);
    EXPECT_EQ(std::tuple(GetMediaSampleCount(GetTrackMedia(video)), QTUtils_GetFrameCount(video), QTUtils_GetFrameDuration(video)),
              std::tuple(20, 7, 60));
}
