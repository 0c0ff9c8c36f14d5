// Settings kept in a movie's user data: controller type, looping mode,
// window position, text entries and track names; looping without a
// controller; names by media type; the image description for an effect.
#include <cstdlib>
#include <cstring>

#include "UtilitiesTestSupport.h"
#include "platform/memory/MemoryInternal.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/format/Headers.h"

using namespace utltest;

namespace {

tbtest::Bytes item_bytes(UserData ud, OSType type, SInt32 index) {
    Handle h = NewHandle(0);
    tbtest::Bytes out;
    if (GetUserData(ud, h, type, index) == noErr) out.assign(*h, *h + GetHandleSize(h));
    DisposeHandle(h);
    return out;
}

void add_item(UserData ud, OSType type, tbtest::Bytes bytes) {
    Handle h = NewHandle(Size(bytes.size()));
    if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    ASSERT_EQ(AddUserData(ud, h, type), noErr);
    DisposeHandle(h);
}

std::string taken(char* s) {
    std::string out = s ? s : "(null)";
    free(s);
    return out;
}

}  // namespace

TEST_F(UtilitiesTest, TheControllerTypeIsAFourCharacterCodeStoredBigEndian) {
    EXPECT_EQ(QTUtils_GetControllerType(nullptr), kNoControllerType);
    EXPECT_EQ(QTUtils_SetControllerType(nullptr, 'qtvr'), paramErr);

    Movie movie = tracks_movie({VideoMediaType});
    UserData ud = GetMovieUserData(movie);
    EXPECT_EQ(QTUtils_GetControllerType(movie), kNoControllerType) << "no 'ctyp' item";
    add_item(ud, kUserDataMovieControllerType, {'q', 't'});
    EXPECT_EQ(QTUtils_GetControllerType(movie), kNoControllerType) << "an item of the wrong size is no type";
    RemoveUserData(ud, kUserDataMovieControllerType, 1);

    ASSERT_EQ(QTUtils_SetControllerType(movie, 'STpn'), noErr);
    ASSERT_EQ(QTUtils_SetControllerType(movie, 'qtvr'), noErr);
    EXPECT_EQ(CountUserDataType(ud, kUserDataMovieControllerType), 1) << "the second type replaces the first";
    EXPECT_EQ(item_bytes(ud, kUserDataMovieControllerType, 1), (tbtest::Bytes{'q', 't', 'v', 'r'}));
    EXPECT_EQ(QTUtils_GetControllerType(movie), OSType('qtvr'));
    DisposeMovie(movie);
}

TEST_F(UtilitiesTest, WritingTheLoopingModeLeavesAtMostOneItem) {
    const struct {
        const char* name;
        int existing;            // 'LOOP' items there before
        SInt32 mode;
        tbtest::Bytes stored;    // the one item left, or none
        SInt32 read;             // the mode read back
        OSErr readErr;
    } cases[] = {
        {"no looping over two items", 2, kNoLooping, {}, kNoLooping, userDataItemNotFound},
        {"palindrome", 0, kPalindromeLooping, {0, 0, 0, 1}, kPalindromeLooping, noErr},
        {"normal over two items", 2, kNormalLooping, {0, 0, 0, 0}, kNormalLooping, noErr},
        {"undefined mode 5", 1, 5, {}, kNoLooping, userDataItemNotFound},
        {"negative mode", 3, -1, {}, kNoLooping, userDataItemNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Movie movie = tracks_movie({VideoMediaType});
        UserData ud = GetMovieUserData(movie);
        for (int i = 0; i < c.existing; ++i) add_item(ud, 'LOOP', {0, 0, 0, 1});
        add_item(ud, 'WLOC', {0, 1, 0, 2});   // another type, untouched
        EXPECT_EQ(QTUtils_SetMovieFileLoopingInfo(movie, c.mode), noErr);
        EXPECT_EQ(CountUserDataType(ud, 'LOOP'), c.stored.empty() ? 0 : 1);
        if (!c.stored.empty()) {
            EXPECT_EQ(item_bytes(ud, 'LOOP', 1), c.stored);
        }
        EXPECT_EQ(CountUserDataType(ud, 'WLOC'), 1);
        SInt32 mode = 12345;
        EXPECT_EQ(QTUtils_GetMovieFileLoopingInfo(movie, &mode), c.readErr);
        EXPECT_EQ(mode, c.read);
        DisposeMovie(movie);
    }
    EXPECT_EQ(QTUtils_SetMovieFileLoopingInfo(nullptr, kNormalLooping), paramErr);
    SInt32 mode = 12345;
    EXPECT_EQ(QTUtils_GetMovieFileLoopingInfo(nullptr, &mode), paramErr);
    EXPECT_EQ(mode, kNoLooping) << "the default is delivered with the error";
}

TEST_F(UtilitiesTest, TheWindowPositionComesFromTheWlocItem) {
    const struct {
        const char* name;
        tbtest::Bytes item;   // empty: no item
        Point expected;
        bool found;
    } cases[] = {
        {"vertical 100, horizontal 200", {0x00, 0x64, 0x00, 0xC8}, {100, 200}, true},
        {"negative coordinates", {0xFF, 0xF6, 0xFF, 0xEC}, {-10, -20}, true},
        {"no item", {}, {50, 50}, false},
        {"an item of the wrong size", {0x00, 0x64}, {50, 50}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Movie movie = tracks_movie({VideoMediaType});
        if (!c.item.empty()) add_item(GetMovieUserData(movie), 'WLOC', c.item);
        Point p = {-1, -1};
        OSErr err = QTUtils_GetWindowPositionFromFile(movie, &p);
        EXPECT_EQ(err == noErr, c.found) << err;
        EXPECT_EQ(p.v, c.expected.v);
        EXPECT_EQ(p.h, c.expected.h);
        DisposeMovie(movie);
    }
    Point p = {-1, -1};
    EXPECT_EQ(QTUtils_GetWindowPositionFromFile(nullptr, &p), paramErr);
    EXPECT_EQ(p.v, 50);
    EXPECT_EQ(p.h, 50);
}

TEST_F(UtilitiesTest, TextEntryFailuresAreReported) {
    Movie movie = tracks_movie({VideoMediaType});
    EXPECT_EQ(QTUtils_AddUserDataTextToMovie(movie, nullptr, kUserDataTextCopyright), paramErr);
    platform::memory::fail_allocation(1);
    EXPECT_EQ(QTUtils_AddCopyrightToMovie(movie, (char*)"no room"), memFullErr);
    platform::memory::fail_allocation(0);
    EXPECT_EQ(CountUserDataType(GetMovieUserData(movie), kUserDataTextCopyright), 0);
    DisposeMovie(movie);
}

TEST_F(UtilitiesTest, MakingAMovieLoopSetsItsTimeBaseFlags) {
    const struct {
        SInt32 before;
        Boolean palindrome;
        SInt32 after;
    } cases[] = {
        {0, false, loopTimeBase},
        {0, true, loopTimeBase | palindromeLoopTimeBase},
        {palindromeLoopTimeBase, false, loopTimeBase},
        {loopTimeBase | palindromeLoopTimeBase, true, loopTimeBase | palindromeLoopTimeBase},
        {maintainTimeBaseZero, false, maintainTimeBaseZero | loopTimeBase},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " " << int(c.palindrome));
        Movie movie = tracks_movie({VideoMediaType});
        TimeBase tb = GetMovieTimeBase(movie);
        SetTimeBaseFlags(tb, c.before);
        EXPECT_EQ(QTUtils_MakeMovieLoop(movie, c.palindrome), noErr);
        EXPECT_EQ(GetTimeBaseFlags(tb), c.after);
        DisposeMovie(movie);
    }
    EXPECT_EQ(QTUtils_MakeMovieLoop(nullptr, true), paramErr);
}

TEST_F(UtilitiesTest, TrackNamesReplaceEachOther) {
    Movie movie = tracks_movie({VideoMediaType, SoundMediaType});
    Track video = GetMovieIndTrack(movie, 1), sound = GetMovieIndTrack(movie, 2);
    UserData ud = GetTrackUserData(video);

    EXPECT_EQ(taken(QTUtils_GetTrackName(video)), "(null)") << "no name yet";
    add_item(ud, kUserDataName, {});
    EXPECT_EQ(taken(QTUtils_GetTrackName(video)), "(null)") << "an empty name is none";
    add_item(ud, kUserDataName, {'o', 'l', 'd'});

    ASSERT_EQ(QTUtils_SetTrackName(video, (char*)"Frames"), noErr);
    ASSERT_EQ(QTUtils_SetTrackName(video, (char*)"Red frames"), noErr);
    EXPECT_EQ(CountUserDataType(ud, kUserDataName), 1) << "every earlier name is gone";
    EXPECT_EQ(item_bytes(ud, kUserDataName, 1), (tbtest::Bytes{'R', 'e', 'd', ' ', 'f', 'r', 'a', 'm', 'e', 's'}))
        << "neither length byte nor terminator";
    char* name = QTUtils_GetTrackName(video);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "Red frames");
    free(name);
    EXPECT_EQ(taken(QTUtils_GetTrackName(sound)), "(null)") << "names are per track";

    EXPECT_EQ(QTUtils_SetTrackName(nullptr, (char*)"x"), paramErr);
    EXPECT_EQ(QTUtils_SetTrackName(video, nullptr), paramErr);
    EXPECT_EQ(QTUtils_GetTrackName(nullptr), nullptr);
    DisposeMovie(movie);
}

TEST_F(UtilitiesTest, NamesByMediaTypeNumberTracksOfTheSameType) {
    // A disabled video track counts when the others are numbered.
    Movie movie = tracks_movie({VideoMediaType, SoundMediaType, VideoMediaType, TextMediaType, VideoMediaType},
                               {false, false, true});
    Track bare = NewMovieTrack(movie, 0, 0, kNoVolume);   // no media
    const char* expected[] = {"Video 1", "Sound", "Video 2", "Text", "Video 3"};
    for (SInt32 i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(taken(QTUtils_MakeTrackNameByType(GetMovieIndTrack(movie, i))), expected[i - 1]);
    }
    EXPECT_EQ(QTUtils_MakeTrackNameByType(bare), nullptr);
    EXPECT_EQ(QTUtils_MakeTrackNameByType(nullptr), nullptr);
    DisposeMovie(movie);
}

TEST_F(UtilitiesTest, ALongHandlerNameKeepsRoomForTheNumber) {
    // Twelve tracks of a media type whose handler has a name of 254 characters.
    const OSType kType = 'zzzz';
    Movie movie = tracks_movie(std::vector<OSType>(12, kType));
    for (SInt32 i = 1; i <= 12; ++i)
        platform::movies::media_of(GetTrackMedia(GetMovieIndTrack(movie, i)))->data().handler =
            platform::movies::Handler::make('mhlr', kType, std::string(254, 'H'));
    const struct {
        SInt32 track;
        std::string name;   // at most 255 characters
    } cases[] = {
        {1, std::string(253, 'H') + " 1"},
        {9, std::string(253, 'H') + " 9"},
        {10, std::string(252, 'H') + " 10"},
        {12, std::string(252, 'H') + " 12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.track);
        EXPECT_EQ(taken(QTUtils_MakeTrackNameByType(GetMovieIndTrack(movie, c.track))), c.name);
    }
    DisposeMovie(movie);
}
