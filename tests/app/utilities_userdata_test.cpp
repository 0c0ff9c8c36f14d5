// Settings kept in a movie's user data: looping mode, window position and
// track names.
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
        SInt32 mode = 12345;
        EXPECT_EQ((std::tuple{CountUserDataType(ud, 'LOOP'), item_bytes(ud, 'LOOP', 1), CountUserDataType(ud, 'WLOC'),
                              QTUtils_GetMovieFileLoopingInfo(movie, &mode), mode}),
                  std::tuple(c.stored.empty() ? 0 : 1, c.stored, 1, c.readErr, c.read));
        DisposeMovie(movie);
    }
    SInt32 mode = 12345;
    EXPECT_EQ((std::tuple{QTUtils_GetMovieFileLoopingInfo(nullptr, &mode), mode}), std::tuple(OSErr(paramErr), SInt32(kNoLooping)))
        << "the default is delivered with the error";
}

TEST_F(UtilitiesTest, TheWindowPositionComesFromTheWlocItem) {
    const struct {
        const char* name;
        tbtest::Bytes item;   // empty: no item
        Point expected;
        bool found;
    } cases[] = {
        {"vertical 100, horizontal 200", {0x00, 0x64, 0x00, 0xC8}, {100, 200}, true},
        {"negative coordinates", {0xFF, 0xF6, 0xFF, 0xEC}, {-10, -20}, true}, {"no item", {}, {50, 50}, false},
        {"an item of the wrong size", {0x00, 0x64}, {50, 50}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Movie movie = tracks_movie({VideoMediaType});
        if (!c.item.empty()) add_item(GetMovieUserData(movie), 'WLOC', c.item);
        Point p = {-1, -1};
        const bool found = QTUtils_GetWindowPositionFromFile(movie, &p) == noErr;
        EXPECT_EQ(std::tuple(found, p.v, p.h), std::tuple(c.found, c.expected.v, c.expected.h));
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
    // Every earlier name is gone; stored with neither length byte nor terminator; names are per track.
    const std::string red = "Red frames";
    EXPECT_EQ(std::tuple(CountUserDataType(ud, kUserDataName), item_bytes(ud, kUserDataName, 1), taken(QTUtils_GetTrackName(video)),
                         taken(QTUtils_GetTrackName(sound)), QTUtils_SetTrackName(video, nullptr)),
              std::tuple(1, tbtest::Bytes(red.begin(), red.end()), red, std::string("(null)"), OSErr(paramErr)));
    DisposeMovie(movie);
}
