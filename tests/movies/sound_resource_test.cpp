// The authoring code's sound resource reader on every resource of
// build/tests/TestSounds.rsrc, against what its source says a correct
// reader answers; and each readable sound added to a movie the way the New
// command adds its own, straight out of the resource.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "AuthoringDouble.h"
#include "QTSoundPrivate.h"
#include "ToolboxTestSupport.h"
#include "platform/Memory.h"
#include "platform/Movies.h"
#include "platform/Resources.h"
#include "tests/support/TempFolder.h"

namespace {

struct Readable { SInt16 id; SInt32 offset /* of the sample data */, samples, bytes; OSType format; SInt16 channels, bits; UInt32 rate; };

// TestSounds.r, "What a correct reader answers".
const Readable kReadable[] = {
    {1000, 48, 1000, 1000, 'raw ', 1, 8, 22050},  {1001, 36, 500, 500, 'raw ', 1, 8, 11025},
    {1002, 50, 800, 800, 'raw ', 1, 8, 22050},    {1003, 84, 1000, 4000, 'raw ', 2, 16, 22050},
    {1004, 84, 1000, 4000, 'raw ', 2, 16, 22050}, {1005, 84, 600, 200, 'MAC3', 1, 8, 22050},
    {1006, 84, 600, 400, 'MAC3', 2, 8, 22050},    {1007, 84, 600, 100, 'MAC6', 1, 8, 22050},
    {1008, 84, 600, 200, 'MAC6', 2, 8, 22050}};


Handle test_sound(SInt16 id) {
    static SInt16 file = OpenResourceFileAtPath(KINORA_BUILD_DIR "/tests/TestSounds.rsrc", fsRdPerm);
    UseResFile(file);
    return GetResource('snd ', id);
}

struct Reading {
    SoundDescriptionHandle desc = (SoundDescriptionHandle)NewHandle(4);
    SInt32 offset = -1, samples = -1, bytes = -1;
    std::string failure;
    ~Reading() { DisposeHandle((Handle)desc); }
};

void read_sound(Handle snd, Reading& r) {
    try {
        QTSound_CreateSoundDescription(snd, r.desc, &r.offset, &r.samples, &r.bytes);
    } catch (const AuthoringFailure& e) {
        r.failure = e.what();
    }
}

}  // namespace

TEST(SoundResource, ReadableResourcesGiveTheirHeaderDataAndDescription) {
    for (const Readable& want : kReadable) {
        SCOPED_TRACE(want.id);
        Handle snd = test_sound(want.id);
        ASSERT_NE(snd, nullptr);
        Reading r;
        read_sound(snd, r);
        ASSERT_EQ(r.failure, "");
        EXPECT_EQ(std::tuple(r.offset, r.samples, r.bytes), std::tuple(want.offset, want.samples, want.bytes));
        ASSERT_EQ(GetHandleSize((Handle)r.desc), 36);
        const SoundDescription& d = **r.desc;
        EXPECT_EQ(std::tuple(OSType(d.dataFormat), d.numChannels, d.sampleSize, d.sampleRate),
                  std::tuple(want.format, want.channels, want.bits, want.rate << 16));
    }
}

TEST(SoundResource, BrokenResourcesStopWithTheReadersMessage) {
    for (SInt16 id = 1100; id <= 1108; ++id) {
        Handle snd = test_sound(id);
        ASSERT_NE(snd, nullptr) << id;
        Reading r;
        read_sound(snd, r);
        EXPECT_EQ(r.failure, id <= 1101 ? "QTSound_GetSndHdrOffset error" : "Corrupt sound data") << id;
    }
}

// What the New command does with 'snd ' 128, for every readable resource:
// the data goes into the movie straight from the resource, one call.
TEST(SoundResource, EveryReadableSoundBecomesATrackWhoseSamplesReadBack) {
    testsupport::TempFolder folder("sounds");
    const std::string dir = folder.str();
    for (const Readable& want : kReadable) {
        SCOPED_TRACE(want.id);
        Handle snd = test_sound(want.id);
        Reading r;
        read_sound(snd, r);
        ASSERT_EQ(r.failure, "");

        SInt16 ref = 0;
        Movie movie = tbtest::begin_movie(dir + "/sound.mov", &ref);
        Track track = NewMovieTrack(movie, 0, 0, kFullVolume);
        Media media = NewTrackMedia(track, SoundMediaType, TimeScale(want.rate), nullptr, 0);
        ASSERT_EQ(BeginMediaEdits(media), noErr);
        ASSERT_EQ(AddMediaSample(media, snd, r.offset, UInt32(r.bytes), 1, (SampleDescriptionHandle)r.desc, r.samples, 0, nullptr), noErr);
        ASSERT_EQ(EndMediaEdits(media), noErr);
        ASSERT_EQ(InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), 0x10000), noErr);
        EXPECT_EQ(std::tuple(GetMediaSampleCount(media), GetMediaDuration(media)), std::tuple(r.samples, r.samples));

        // All the data comes back in one piece, exactly the resource's bytes.
        Handle back = NewHandle(0);
        SInt32 size = 0, count = 0;
        ASSERT_EQ(GetMediaSample(media, back, 0, &size, 0, nullptr, nullptr, nullptr, nullptr, 0, &count, nullptr), noErr);
        EXPECT_EQ(std::tuple(size, count, std::memcmp(*back, *snd + r.offset, size_t(r.bytes))), std::tuple(r.bytes, r.samples, 0));
        tbtest::finish_movie(movie, ref);

        // Flattened, compressed sound is cut between packets only.
        ASSERT_EQ(tbtest::flatten_to(movie, dir + "/sound-flat.mov"), noErr);
        Movie copy = tbtest::read_movie(dir + "/sound-flat.mov");
        Media copied = GetTrackMedia(GetMovieIndTrack(copy, 1));
        SInt32 packet = (want.format == 'MAC3' || want.format == 'MAC6') ? 6 : 1;
        for (TimeValue t = 0; t < GetMediaDuration(copied);) {
            ASSERT_EQ(GetMediaSample(copied, back, 0, &size, t, nullptr, nullptr, nullptr, nullptr, 0, &count, nullptr), noErr);
            EXPECT_EQ(count % packet, 0) << "a chunk of " << count << " samples at " << t;
            EXPECT_EQ(std::memcmp(*back, *snd + r.offset + (want.bytes * t / want.samples), size_t(size)), 0);
            t += count;
        }
        DisposeHandle(back);
        DisposeMovie(copy);
        DisposeMovie(movie);
    }
}
