// Settings kept in a movie's user data: controller type, looping mode,
// window position and track names.
#include <cstdlib>
#include <cstring>

#include "UtilitiesTestSupport.h"

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
        EXPECT_EQ(std::pair(p.v, p.h), std::pair(c.expected.v, c.expected.h));
        DisposeMovie(movie);
    }
}

TEST_F(UtilitiesTest, TrackNamesReplaceEachOther) {
    Movie movie = tracks_movie({VideoMediaType, SoundMediaType});
    Track video = GetMovieIndTrack(movie, 1), sound = GetMovieIndTrack(movie, 2);
    UserData ud = GetTrackUserData(video);

    add_item(ud, kUserDataName, {});
    EXPECT_EQ(taken(QTUtils_GetTrackName(video)), "(null)") << "an empty name is none";
    add_item(ud, kUserDataName, {'o', 'l', 'd'});

    ASSERT_EQ(QTUtils_SetTrackName(video, (char*)"Frames"), noErr);
    ASSERT_EQ(QTUtils_SetTrackName(video, (char*)"Red frames"), noErr);
    EXPECT_EQ(CountUserDataType(ud, kUserDataName), 1) << "every earlier name is gone";
    EXPECT_EQ(item_bytes(ud, kUserDataName, 1), (tbtest::Bytes{'R', 'e', 'd', ' ', 'f', 'r', 'a', 'm', 'e', 's'}))
        << "neither length byte nor terminator";
    EXPECT_EQ(taken(QTUtils_GetTrackName(video)), "Red frames");
    EXPECT_EQ(taken(QTUtils_GetTrackName(sound)), "(null)") << "names are per track";
    EXPECT_EQ(QTUtils_SetTrackName(video, nullptr), paramErr);
    DisposeMovie(movie);
}
