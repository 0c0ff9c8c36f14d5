// Fragmented movies: every moof's runs become one sample table per track,
// whatever way their data offsets are given; damage is refused or, for a
// recording cut short, what came before it opens.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "MovieTestSupport.h"
#include "platform/movies/format/Fragments.h"
#include "tests/support/TempFolder.h"

using namespace movietest;
using Bytes = std::vector<UInt8>;

namespace {

struct Knobs {
    bool mvex = true;
    UInt32 description = 0;          // given in the second video traf when not 0
    UInt32 second_sound_count = 5;
    UInt64 second_fragment_at = 0;   // where the second moof goes (0: right after the first)
};

void full_header(ByteWriter& w, UInt8 version, UInt32 flags) {
    w.u8(version);
    w.u24(flags);
}

Bytes moov_bytes(bool with_mvex) {
    MovieModel m;
    m.header.time_scale = 600;
    m.header.next_track_id = 3;
    Track video = Track::make(1, kVide, 600, 320 << 16, 100 << 16, 0);
    video.media.descriptions.entries.push_back(rle_description().write());
    Track sound = Track::make(2, kSoun, 1000, 0, 0, 0x100);
    sound.media.descriptions.entries.push_back(raw_sound_description().write());
    m.tracks = {video, sound};
    if (with_mvex) {
        ByteWriter w;
        size_t mvex = begin_atom(w, kMvex);
        const UInt32 defaults[2][5] = {{1, 1, 100, 0, 0x10000}, {2, 1, 1, 2, 0}};
        for (const auto& d : defaults) {
            size_t trex = begin_atom(w, kTrex);
            full_header(w, 0, 0);
            for (UInt32 v : d) w.u32(v);
            (void)end_atom(w, trex);
        }
        (void)end_atom(w, mvex);
        m.kept.keep(kTrak, w.bytes());
    }
    return m.write().value();
}

// One moof starting at `at`, `size` bytes long (0 while measuring); its
// mdat follows it.
Bytes moof_bytes(int which, UInt64 at, UInt64 size, const Knobs& k) {
    const UInt64 data = at + size + 8;
    ByteWriter w;
    size_t moof = begin_atom(w, kMoof);
    size_t traf = begin_atom(w, kTraf);
    size_t box = begin_atom(w, kTfhd);
    if (which == 1) {
        // Video: base is the moof, a data offset, per-sample sizes and
        // composition offsets, the first sample's flags.
        full_header(w, 0, 0x20000);
        w.u32(1);
        (void)end_atom(w, box);
        box = begin_atom(w, kTfdt);
        full_header(w, 1, 0);
        w.u64(0);
        (void)end_atom(w, box);
        box = begin_atom(w, kTrun);
        full_header(w, 1, 0x1 | 0x4 | 0x200 | 0x800);
        w.u32(3);
        w.u32(UInt32(size + 8));
        w.u32(0);
        for (auto [bytes, offset] : {std::pair{10, 0}, {20, 200}, {30, -100}}) {
            w.u32(UInt32(bytes));
            w.s32(offset);
        }
    } else {
        // Video: an explicit 64-bit base, a run without a data offset, a
        // decode time 200 units after the samples before.
        full_header(w, 0, 0x1 | (k.description ? 0x2 : 0));
        w.u32(1);
        w.u64(data);
        if (k.description) w.u32(k.description);
        (void)end_atom(w, box);
        box = begin_atom(w, kTfdt);
        full_header(w, 0, 0);
        w.u32(500);
        (void)end_atom(w, box);
        box = begin_atom(w, kTrun);
        full_header(w, 0, 0x4 | 0x200);
        w.u32(2);
        w.u32(0);
        w.u32(5);
        w.u32(6);
    }
    (void)end_atom(w, box);
    (void)end_atom(w, traf);

    traf = begin_atom(w, kTraf);
    box = begin_atom(w, kTfhd);
    if (which == 1) {
        // Sound: the base is where the video's data ended; defaults only.
        full_header(w, 0, 0);
        w.u32(2);
    } else {
        full_header(w, 0, 0x20000 | 0x10);
        w.u32(2);
        w.u32(4);
    }
    (void)end_atom(w, box);
    box = begin_atom(w, kTfdt);
    full_header(w, 0, 0);
    w.u32(which == 1 ? 10 : 60);   // the track starts 10 units late
    (void)end_atom(w, box);
    box = begin_atom(w, kTrun);
    full_header(w, 0, which == 1 ? 0 : 0x1);
    w.u32(which == 1 ? 50 : k.second_sound_count);
    if (which == 2) w.u32(UInt32(size + 8 + 11));
    (void)end_atom(w, box);
    (void)end_atom(w, traf);
    (void)end_atom(w, moof);
    Bytes out = w.take();
    const size_t mdat = which == 1 ? 60 + 100 : 11 + 20;
    ByteWriter m;
    m.u32(UInt32(mdat + 8));
    m.u32(kMdat);
    for (size_t i = 0; i < mdat; ++i) m.u8(UInt8(i));
    out.insert(out.end(), m.bytes().begin(), m.bytes().end());
    return out;
}

// ftyp, moov, then two fragments. With second_fragment_at the bytes stop
// after the first fragment and `second` holds the second one.
Bytes fragmented_file(const Knobs& k = {}, Bytes* second = nullptr) {
    ByteWriter w;
    (void)FileType{}.write(w);
    Bytes out = w.take();
    const Bytes moov = moov_bytes(k.mvex);
    out.insert(out.end(), moov.begin(), moov.end());
    for (int which : {1, 2}) {
        const UInt64 at = which == 2 && k.second_fragment_at ? k.second_fragment_at : out.size();
        const size_t size = moof_bytes(which, at, 0, k).size() - (which == 1 ? 168 : 39);
        Bytes f = moof_bytes(which, at, size, k);
        if (which == 2 && second) *second = f;
        else out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

struct Want {
    UInt32 number;
    UInt64 offset_from_data;   // from the start of its fragment's data
    UInt32 size, duration;
    UInt64 time;
    bool sync;
    SInt32 composition;
};

}  // namespace

TEST(Fragments, EveryRunJoinsItsTracksSampleTable) {
    const Bytes file = fragmented_file();
    auto c = read_bytes(file);
    ASSERT_TRUE(c.ok()) << c.error().message;
    const auto& atoms = c->layout.atoms;
    const UInt64 data1 = atoms[2].end() + 8, data2 = atoms[4].end() + 8;

    const SampleTable& video = c->movie.tracks[0].media.samples;
    ASSERT_EQ(video.sample_count(), 5u);
    const Want want[] = {{1, 0, 10, 100, 0, true, 0},        {2, 10, 20, 100, 100, false, 200},
                         {3, 30, 30, 300, 200, false, -100}, {4, 0, 5, 100, 500, true, 0},
                         {5, 5, 6, 100, 600, false, 0}};
    for (const Want& w : want) {
        SCOPED_TRACE(w.number);
        SampleInfo s = video.sample(w.number).value();
        EXPECT_EQ(s.offset, (w.number <= 3 ? data1 : data2) + w.offset_from_data);
        EXPECT_EQ(s.size, w.size);
        EXPECT_EQ(s.duration, w.duration);
        EXPECT_EQ(s.time, w.time);
        EXPECT_EQ(s.sync, w.sync);
        EXPECT_EQ(video.composition_offset(w.number), w.composition);
    }

    const Track& sound = c->movie.tracks[1];
    ASSERT_EQ(sound.media.samples.sample_count(), 55u);
    EXPECT_EQ(sound.media.samples.sample(1)->offset, data1 + 60) << "after the video traf's data";
    EXPECT_EQ(sound.media.samples.sample(51)->offset, data2 + 11);
    EXPECT_EQ(sound.media.samples.sample(51)->size, 4u);
    EXPECT_EQ(sound.media.samples.duration(), 55u) << "no gap: the second decode time follows the first run";
    ASSERT_TRUE(sound.edits && sound.edits->list);
    const std::vector<EditEntry> delayed{{6, -1, 0x10000}, {33, 0, 0x10000}};
    EXPECT_EQ(sound.edits->list->entries, delayed) << "10 of 1000 late is 6 of 600";
    EXPECT_EQ(c->movie.header.duration, 700u);

    // Written, it is an ordinary movie.
    EXPECT_FALSE(is_fragmented(c->movie));
    EXPECT_EQ(find_atom(c->movie.write().value(), "moov/mvex"), SIZE_MAX);
}

TEST(Fragments, DamageIsRefusedAndACutShortRecordingOpensUpToTheCut) {
    const Bytes whole = fragmented_file();
    const Bytes cut(whole.begin(), whole.end() - 5);
    struct Case {
        const char* what;
        Bytes file;
        OSErr code;
        UInt32 video_samples, sound_samples;
    } cases[] = {
        {"cut inside the last sound run", cut, noErr, 5, 50},
        {"moofs without an mvex are not the movie's", fragmented_file({.mvex = false}), noErr, 0, 0},
        {"a missing description", fragmented_file({.description = 2}), invalidSampleDescIndex, 0, 0},
        {"more samples than the file could hold", fragmented_file({.second_sound_count = 0x7FFFFFFF}),
         invalidMovie, 0, 0},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        auto c = read_bytes(t.file);
        ASSERT_EQ(c.code(), t.code);
        if (!c.ok()) continue;
        EXPECT_EQ(c->movie.tracks[0].media.samples.sample_count(), t.video_samples);
        EXPECT_EQ(c->movie.tracks[1].media.samples.sample_count(), t.sound_samples);
    }
}

TEST(Fragments, SavedInPlaceTheFragmentsBecomeFreeSpace) {
    MemoryFile file(fragmented_file());
    MovieModel movie = read_movie_file(file).value().movie;
    ASSERT_TRUE(update_movie_file(file, movie).ok());
    auto c = read_movie_file(file);
    ASSERT_TRUE(c.ok()) << c.error().message;
    for (const TopAtom& a : c->layout.atoms) EXPECT_NE(a.type, kMoof);
    EXPECT_EQ(c->movie, movie);
}

// The second fragment 4 GiB into a sparse file: its 64-bit base reads,
// and the movie written from it takes 64-bit chunk offsets.
TEST(Fragments, FragmentsPastFourGigabytes) {
    testsupport::TempFolder dir;
    const std::string path = dir / "big.mp4";
    auto file = open_data_file(path, OpenMode::create).value();
    const UInt64 far = (UInt64(1) << 32) + 4096;
    Bytes second;
    Bytes head = fragmented_file({.second_fragment_at = far}, &second);
    // An mdat of 64-bit size covers the hole up to the second fragment.
    ByteWriter hole;
    hole.u32(1);
    hole.u32(kMdat);
    hole.u64(far - head.size());
    head.insert(head.end(), hole.bytes().begin(), hole.bytes().end());
    if (!file->write_at(0, head.data(), head.size()).ok() || !file->write_at(far, second.data(), second.size()).ok())
        GTEST_SKIP() << "this file system cannot hold a sparse file past 4 GiB";

    auto c = read_movie_file(*file);
    ASSERT_TRUE(c.ok()) << c.error().message;
    const SampleTable& video = c->movie.tracks[0].media.samples;
    ASSERT_EQ(video.sample_count(), 5u);
    EXPECT_GT(video.sample(4)->offset, far);
    const Bytes moov = c->movie.write().value();
    EXPECT_NE(find_atom(moov, "moov/trak/mdia/minf/stbl/co64"), SIZE_MAX);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_LT(UInt64(st.st_blocks) * 512, UInt64(1) << 20) << "the test file stays sparse";
}
