// Segments of one track inserted into another by reference: the frames
// play where they were put, read from the file they are in. (Saved, reopened
// through the reference and flattened: the editing and movie files tests.)
#include <tuple>

#include "ToolboxTestSupport.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/editing/Segments.h"
#include "platform/movies/editing/TrackEdits.h"

using namespace tbtest;
namespace mv = platform::movies;

namespace {

mv::TrackObject& object(Track t) { return *mv::track_of(t); }

// The bytes of the sample playing at each track time given.
std::vector<Bytes> frames_at(Track track, std::initializer_list<TimeValue> times) {
    std::vector<Bytes> out;
    Media media = GetTrackMedia(track);
    Handle h = NewHandle(0);
    for (TimeValue t : times) {
        // Track time to media time through the edit that plays it.
        auto& d = object(track).data();
        auto edits = mv::timeline(d, GetMovieTimeScale(GetTrackMovie(track)));
        auto at = mv::edit_at(edits, UInt64(t));
        if (!at || edits[at->index].media_time < 0) {
            out.push_back({});
            continue;
        }
        TimeValue media_time = TimeValue(edits[at->index].media_time + SInt64(t - TimeValue(at->start)));
        SInt32 size = 0;
        GetMediaSample(media, h, 0, &size, media_time, nullptr, nullptr, nullptr, nullptr, 1, nullptr, nullptr);
        out.emplace_back(*h, *h + size);
    }
    DisposeHandle(h);
    return out;
}

}  // namespace

TEST(Segments, InsertedFramesPlayFromTheFileTheyLiveIn) {
    TempFolder dir;
    DisposeMovie(make_movie(dir / "a.mov", MovieSpec{20, 8000, 0, ""}));
    DisposeMovie(make_movie(dir / "b.mov", MovieSpec{10, 8000, 0, ""}));
    Opened a(dir / "a.mov", fsRdPerm);
    Track from = GetMovieIndTrack(a.movie, 1);
    auto wanted = frames_at(from, {300, 360, 540});
    Opened b(dir / "b.mov");
    Track to = GetMovieIndTrack(b.movie, 1);
    auto before = frames_at(to, {0, 60, 120});
    // a's frames 6...10 go between b's frames 2 and 3.
    ASSERT_TRUE(mv::insert_track_segment(object(from), 300, 300, object(to), 120).ok());
    EXPECT_EQ(std::tuple(GetTrackDuration(to), GetMovieDuration(b.movie)), std::tuple(900, 900));
    EXPECT_EQ(frames_at(to, {0, 60}), std::vector<Bytes>(before.begin(), before.begin() + 2));
    EXPECT_EQ(frames_at(to, {120, 180, 360}), wanted);
    EXPECT_EQ(frames_at(to, {420}), std::vector<Bytes>{before[2]}) << "b's frame 3 moved on";
    EXPECT_EQ(GetMediaSampleDescriptionCount(GetTrackMedia(to)), 2) << "the same description, for another data reference";
}

TEST(Segments, WithinOneTrackEmptyStretchesAndMismatchedMedia) {
    TempFolder dir;
    Movie m = make_movie(dir / "m.mov", MovieSpec{10, 8000, 8000, ""});
    Track video = GetMovieIndTrack(m, 1);
    auto first_two = frames_at(video, {0, 60});
    // An empty stretch in the source stays empty in the copy.
    ASSERT_EQ(InsertMediaIntoTrack(video, 900, 0, 60, 0x10000), noErr);   // frames, a 300 gap, frame 1
    ASSERT_TRUE(mv::insert_track_segment(object(video), 0, 120, object(video), 600).ok());
    EXPECT_EQ(frames_at(video, {600, 660}), first_two);
    EXPECT_EQ(GetMediaSampleDescriptionCount(GetTrackMedia(video)), 1) << "its own file: no new reference";
    // Now: frames 0-600, the copy 600-720, nothing 720-1020, frame 1 1020-1080.
    // 700-1100 is the end of the copied frame 2, the gap, frame 1 and 20
    // units past the end, which play nothing.
    ASSERT_TRUE(mv::insert_track_segment(object(video), 700, 400, object(video), 0).ok());
    EXPECT_EQ(frames_at(video, {0, 100, 300, 350, 390}), (std::vector<Bytes>{first_two[1], {}, {}, first_two[0], {}}));
    EXPECT_EQ(GetTrackDuration(video), 1480);
    auto r = mv::insert_track_segment(object(GetMovieIndTrack(m, 2)), 0, 100, object(video), 0);
    EXPECT_EQ(r.code(), mediaTypesDontMatch);
    DisposeMovie(m);
}
