// The movie toolbox's model through its calls: tracks and their lookups,
// samples in and out, edits and track times, track references, user
// data, the movie box and the state the window framework keeps.
#include <cstring>
#include <tuple>

#include "ToolboxTestSupport.h"

using namespace tbtest;

namespace {

// A movie of three tracks without a file: video (enabled), sound
// (disabled), video, each with media but no samples.
struct ThreeTracks {
    ThreeTracks() {
        movie = NewMovie(newMovieActive);
        for (OSType type : {VideoMediaType, SoundMediaType, VideoMediaType}) {
            Track t = NewMovieTrack(movie, type == VideoMediaType ? 160 << 16 : 0, type == VideoMediaType ? 120 << 16 : 0,
                                    type == SoundMediaType ? kFullVolume : kNoVolume);
            NewTrackMedia(t, type, 600, nullptr, 0);
            tracks.push_back(t);
        }
        SetTrackEnabled(tracks[1], false);
    }
    ~ThreeTracks() { DisposeMovie(movie); }
    Movie movie;
    std::vector<Track> tracks;
};


}  // namespace

TEST(MovieToolbox, TrackLookupsByIndexTypeCharacteristicAndEnabledState) {
    ThreeTracks m;
    EXPECT_EQ(GetMovieTrackCount(m.movie), 3);
    EXPECT_EQ(std::tuple(GetMovieIndTrack(m.movie, 0), GetMovieIndTrack(m.movie, 4)), std::tuple(Track(nullptr), Track(nullptr))) << "before the first and past the last";
    struct Case { SInt32 index; OSType type; SInt32 flags; int expected; /* index into tracks, -1 for none */ } cases[] = {
        {1, VideoMediaType, movieTrackMediaType, 0},
        {2, VideoMediaType, movieTrackMediaType, 2},
        {3, VideoMediaType, movieTrackMediaType, -1},
        {1, SoundMediaType, movieTrackMediaType, 1},
        {1, SoundMediaType, movieTrackMediaType | movieTrackEnabledOnly, -1},
        {1, AudioMediaCharacteristic, movieTrackCharacteristic, 1},
        {1, AudioMediaCharacteristic, movieTrackCharacteristic | movieTrackEnabledOnly, -1},
        {2, VisualMediaCharacteristic, movieTrackCharacteristic | movieTrackEnabledOnly, 2},
        {1, TimeCodeMediaType, movieTrackMediaType, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " flags " << c.flags);
        Track t = GetMovieIndTrackType(m.movie, c.index, c.type, c.flags);
        EXPECT_EQ(t, c.expected < 0 ? nullptr : m.tracks[size_t(c.expected)]);
    }
}

TEST(MovieToolbox, StaleAndForeignReferencesGiveErrorsNotCrashes) {
    Movie movie = NewMovie(0);
    Track t = NewMovieTrack(movie, 0, 0, 0);
    DisposeMovieTrack(t);
    EXPECT_EQ((std::tuple{GetTrackMedia(t), GetMoviesError()}), std::tuple(nullptr, invalidTrack));
    DisposeMovie(movie);
    EXPECT_EQ((std::tuple{GetMovieTrackCount(movie), GetMoviesError()}), std::tuple(0, invalidMovie));
    int not_a_movie = 0;
    EXPECT_EQ(GetMovieDuration(reinterpret_cast<Movie>(&not_a_movie)), 0);
    EXPECT_EQ((std::tuple{GetMoviesError(), BeginMediaEdits(nullptr)}), std::tuple(invalidMovie, invalidMedia));
}

TEST(MovieToolbox, SamplesAddedAreReadBackWithTheirTimesFlagsAndDescriptions) {
    TempFolder dir;
    SInt16 file = 0;   // samples need a file: the movie's
    Movie movie = begin_movie(dir / "m.mov", &file);
    Track track = NewMovieTrack(movie, 8 << 16, 8 << 16, 0);
    Media media = NewTrackMedia(track, VideoMediaType, 600, nullptr, 0);
    ASSERT_NE(media, nullptr);
    ASSERT_EQ(BeginMediaEdits(media), noErr);

    ImageDescriptionHandle desc = (ImageDescriptionHandle)NewHandleClear(sizeof(ImageDescription));
    ImageDescription& d = **desc;
    d.idSize = sizeof(ImageDescription), d.cType = 'raw ', d.width = 8, d.height = 8, d.depth = 8, d.clutID = -1;
    Handle bytes = NewHandle(200);
    for (int i = 0; i < 200; ++i) (*bytes)[i] = char(i);
    struct Add { SInt32 offset; UInt32 size; TimeValue duration; SInt16 flags; SInt32 data_size; /* the description's */ } adds[] = {{0, 64, 60, 0, 64}, {64, 64, 30, mediaSampleNotSync, 64}, {10, 20, 90, 0, 20}};
    TimeValue expected_time = 0;
    for (const Add& a : adds) {
        (**desc).dataSize = a.data_size;
        TimeValue at = -1;
        ASSERT_EQ(AddMediaSample(media, bytes, a.offset, a.size, a.duration, (SampleDescriptionHandle)desc, 1, a.flags, &at), noErr);
        EXPECT_EQ(at, expected_time);
        expected_time += a.duration;
    }
    EXPECT_EQ(GetMediaSampleDescriptionCount(media), 1) << "descriptions differing only in dataSize are one";
    (**desc).depth = 24;
    ASSERT_EQ(AddMediaSample(media, bytes, 0, 8, 10, (SampleDescriptionHandle)desc, 1, 0, nullptr), noErr);
    EXPECT_EQ(GetMediaSampleDescriptionCount(media), 2);
    ASSERT_EQ(EndMediaEdits(media), noErr);
    EXPECT_EQ(std::tuple(GetMediaDuration(media), GetMediaSampleCount(media)), std::tuple(190, 4));

    struct Read { TimeValue at; SInt32 offset, size; TimeValue start, duration; SInt16 flags; SInt32 description; } reads[] = {{0, 0, 64, 0, 60, 0, 1}, {59, 0, 64, 0, 60, 0, 1}, {60, 64, 64, 60, 30, mediaSampleNotSync, 1},
                 {100, 10, 20, 90, 90, 0, 1}, {185, 0, 8, 180, 10, 0, 2}};
    Handle out = NewHandle(0);
    Handle outDesc = NewHandle(0);
    for (const Read& r : reads) {
        SInt32 size = 0, index = 0, count = 0;
        TimeValue start = -1, duration = -1;
        SInt16 flags = -1;
        ASSERT_EQ(GetMediaSample(media, out, 0, &size, r.at, &start, &duration, (SampleDescriptionHandle)outDesc, &index, 1, &count, &flags), noErr);
        EXPECT_EQ(std::make_tuple(size, start, duration, flags, index, count),
                  std::make_tuple(r.size, r.start, r.duration, r.flags, r.description, 1)) << "at " << r.at;
        EXPECT_EQ(std::memcmp(*out, *bytes + r.offset, size_t(size)), 0) << "at " << r.at;
        EXPECT_EQ((**(ImageDescriptionHandle)outDesc).cType, OSType('raw ')) << "descriptions come back in host order";
    }
    EXPECT_EQ(GetMediaSample(media, out, 0, nullptr, 190, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr), timeNotInMedia);
    EXPECT_EQ(GetMediaSample(media, out, 10, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr), maxSizeToGrowTooSmall);
    // Bad arguments change nothing.
    EXPECT_EQ(AddMediaSample(media, bytes, 190, 20, 1, nullptr, 1, 0, nullptr), paramErr) << "past the handle";
    EXPECT_EQ(AddMediaSample(media, bytes, 0, 10, 1, nullptr, 3, 0, nullptr), paramErr) << "10 bytes in 3 samples";
    EXPECT_EQ((std::tuple{AddMediaSample(media, bytes, 0, 10, 0, nullptr, 1, 0, nullptr), GetMediaSampleCount(media)}), std::tuple(paramErr, 4));
    for (Handle h : {out, outDesc, bytes, Handle(desc)}) DisposeHandle(h);
    CloseMovieFile(file);
    DisposeMovie(movie);
}

TEST(MovieToolbox, InsertingMediaBuildsTheTrackTimeline) {
    TempFolder dir;
    Movie movie = make_movie(dir / "m.mov", MovieSpec{20, 8000, 0, ""});   // 20 frames: 1200 units
    Track video = GetMovieIndTrack(movie, 1);
    EXPECT_EQ(GetTrackDuration(video), 1200);
    // Another copy of frames 5...9 in the middle, then the first second at
    // the end, then half a second of nothing and a frame after it.
    ASSERT_EQ(InsertMediaIntoTrack(video, 600, 240, 300, 0x10000), noErr);
    EXPECT_EQ(GetTrackDuration(video), 1500);
    ASSERT_EQ(InsertMediaIntoTrack(video, -1, 0, 600, 0x20000), noErr);
    EXPECT_EQ(GetTrackDuration(video), 1800) << "600 units at double rate take 300";
    ASSERT_EQ(InsertMediaIntoTrack(video, 2100, 0, 60, 0x10000), noErr);
    EXPECT_EQ((std::tuple{GetTrackDuration(video), GetMovieDuration(movie)}), std::tuple(2160, 2160));
    EXPECT_EQ(InsertMediaIntoTrack(video, 0, 1190, 60, 0x10000), invalidDuration) << "past the media's end";
    EXPECT_EQ(InsertMediaIntoTrack(video, 0, 0, 60, 0), paramErr);

    // Where samples start in track time: frame starts, the inserted edit's
    // own starts, and the start of the edit after the gap.
    std::vector<TimeValue> starts;
    TimeValue t = 0;
    SInt16 flags = nextTimeMediaSample | nextTimeEdgeOK;
    while (t >= 0) {
        GetTrackNextInterestingTime(video, flags, t, 0x10000, &t, nullptr);
        if (t >= 0) starts.push_back(t);
        flags = nextTimeMediaSample;
    }
    std::vector<TimeValue> expected;
    // Frames 1-10, frames 5-9, frames 11-20, frames 1-10 at double rate, frame 1 after the gap.
    for (auto [from, to, step] : {std::tuple(0, 1500, 60), std::tuple(1500, 1800, 30), std::tuple(2100, 2101, 1)})
        for (TimeValue f = from; f < to; f += step) expected.push_back(f);
    EXPECT_EQ(starts, expected);

    // Backward from the end, and edits.
    GetTrackNextInterestingTime(video, nextTimeMediaSample, 2100, -0x10000, &t, nullptr);
    EXPECT_EQ(t, 1770);
    TimeValue duration = 0;
    GetTrackNextInterestingTime(video, nextTimeTrackEdit, 650, 0x10000, &t, &duration);
    EXPECT_EQ(std::tuple(t, duration), std::tuple(900, 600));
    DisposeMovie(movie);
}

TEST(MovieToolbox, TrackReferencesAddCountGetDeleteAndWalkTypes) {
    ThreeTracks m;
    Track a = m.tracks[0], b = m.tracks[1], c = m.tracks[2];
    SInt32 first = 0, second = 0;
    ASSERT_EQ(AddTrackReference(a, b, 'chap', &first), noErr);
    ASSERT_EQ(AddTrackReference(a, c, 'chap', &second), noErr);
    ASSERT_EQ(AddTrackReference(a, c, 'sync', nullptr), noErr);
    EXPECT_EQ(std::tuple(first, second, GetTrackReferenceCount(a, 'chap')), std::tuple(1, 2, 2));
    EXPECT_EQ(std::tuple(GetTrackReference(a, 'chap', 2), GetTrackReference(a, 'chap', 3)), std::tuple(c, Track(nullptr)));
    EXPECT_EQ(std::tuple(GetNextTrackReferenceType(a, 0), GetNextTrackReferenceType(a, 'chap'), GetNextTrackReferenceType(a, 'sync')), std::tuple(OSType('chap'), OSType('sync'), OSType(0)));

    // Deleting moves later references down; an empty type goes away.
    ASSERT_EQ(DeleteTrackReference(a, 'chap', 1), noErr);
    EXPECT_EQ(GetTrackReference(a, 'chap', 1), c);
    ASSERT_EQ(DeleteTrackReference(a, 'sync', 1), noErr);
    EXPECT_EQ((std::tuple{GetNextTrackReferenceType(a, 'chap'), DeleteTrackReference(a, 'sync', 1)}), std::tuple(0u, paramErr));

    // A disposed track's references go with it.
    DisposeMovieTrack(c);
    EXPECT_EQ(GetTrackReferenceCount(a, 'chap'), 0);

    Movie other = NewMovie(0);
    Track foreign = NewMovieTrack(other, 0, 0, 0);
    EXPECT_EQ(AddTrackReference(a, foreign, 'chap', nullptr), trackNotInMovie);
    DisposeMovie(other);
}

TEST(MovieToolbox, UserDataItemsAreRawBytesCountedFromOne) {
    ThreeTracks m;
    for (UserData ud : {GetMovieUserData(m.movie), GetTrackUserData(m.tracks[1])}) {
        UInt32 loop = 0x01020304, back = 0xFFFFFFFF;
        EXPECT_EQ(GetUserDataItem(ud, &back, 4, 'LOOP', 0), userDataItemNotFound);
        EXPECT_EQ(back, 0xFFFFFFFFu) << "a missing item leaves the buffer alone";
        ASSERT_EQ(SetUserDataItem(ud, &loop, 4, 'LOOP', 0), noErr) << "index 0 adds";
        loop = 0x05060708;
        ASSERT_EQ(SetUserDataItem(ud, &loop, 4, 'LOOP', 0), noErr) << "index 0 replaces the first";
        EXPECT_EQ(CountUserDataType(ud, 'LOOP'), 1);
        ASSERT_EQ(SetUserDataItem(ud, &loop, 4, 'LOOP', 2), noErr) << "one past the last adds";
        EXPECT_EQ((std::tuple{SetUserDataItem(ud, &loop, 4, 'LOOP', 4), CountUserDataType(ud, 'LOOP')}), std::tuple(userDataItemNotFound, 2));
        ASSERT_EQ(GetUserDataItem(ud, &back, 4, 'LOOP', 1), noErr);
        EXPECT_EQ(back, 0x05060708u);
        UInt16 small = 0;
        EXPECT_EQ(GetUserDataItem(ud, &small, 2, 'LOOP', 1), paramErr) << "the buffer must be the item's size";

        Handle h = NewHandle(0);
        ASSERT_EQ(GetUserData(ud, h, 'LOOP', 2), noErr);
        EXPECT_EQ(GetHandleSize(h), 4);
        ASSERT_EQ(AddUserData(ud, h, 'name'), noErr);
        EXPECT_EQ(std::tuple(GetNextUserDataType(ud, 0), GetNextUserDataType(ud, 'LOOP'), GetNextUserDataType(ud, 'name')), std::tuple(OSType('LOOP'), OSType('name'), OSType(0)));

        ASSERT_EQ(RemoveUserData(ud, 'LOOP', 1), noErr);
        EXPECT_EQ((std::tuple{CountUserDataType(ud, 'LOOP'), RemoveUserData(ud, 'LOOP', 2)}), std::tuple(1, userDataItemNotFound));
        DisposeHandle(h);
    }
}

TEST(MovieToolbox, TheMovieBoxIsTheNaturalBoundsThroughTheMatrix) {
    ThreeTracks m;
    Rect box;
    GetMovieBox(m.movie, &box);
    EXPECT_EQ(std::tuple(box.right, box.bottom), std::tuple(SInt16(160), SInt16(120)));
    Rect bigger{10, 20, 250, 340};   // twice the size, moved
    SetMovieBox(m.movie, &bigger);
    GetMovieBox(m.movie, &box);
    EXPECT_EQ(std::memcmp(&box, &bigger, sizeof box), 0);
    Rect natural;
    GetMovieNaturalBoundsRect(m.movie, &natural);
    EXPECT_EQ(natural.right, 160);
    // Disabled visual tracks take no room; sound tracks never do.
    SetTrackEnabled(m.tracks[0], false);
    SetTrackEnabled(m.tracks[2], false);
    GetMovieNaturalBoundsRect(m.movie, &natural);
    EXPECT_EQ(natural.right - natural.left, 0);
}
