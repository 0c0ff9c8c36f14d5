// Fragmented movies: every moof's runs join one sample table per track,
// whichever way their data offsets are given; damage is refused, and a
// recording cut short opens up to the cut. Their sample groups and
// dependency flags join the tables too; encrypted ones (and copies of part
// of an encrypted regular movie) are never saved without their encryption
// information.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "MovieTestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/movies/format/Fragments.h"
#include "tests/support/TempFolder.h"

using namespace movietest;
using Bytes = std::vector<UInt8>;

namespace {

using Track = platform::movies::Track;   // not the toolbox's handle

// An atom of big-endian words (a full atom's first word is its version
// and flags) followed by its children.
Bytes box(const char (&type)[5], std::vector<UInt32> words, std::vector<Bytes> children = {}) {
    ByteWriter w;
    size_t at = begin_atom(w, fourcc(type));
    for (UInt32 v : words) w.u32(v);
    for (const Bytes& c : children) w.bytes(c);
    (void)end_atom(w, at);
    return w.take();
}

struct Knobs {
    bool mvex = true;
    UInt32 description = 1;          // named by the second video traf
    UInt32 second_sound_count = 5;
    UInt64 second_at = 0;            // where the second fragment goes (0: next)
    bool groups = false;             // sample groups and dependency flags (group_atoms)
    bool encrypted = false;          // the second video traf carries an senc
};

// An atom with bytes added to its body.
Bytes with_bytes(Bytes atom, const Bytes& more) {
    atom.insert(atom.end(), more.begin(), more.end());
    store_u32be(atom.data(), UInt32(atom.size()));
    return atom;
}

// An sgpd of version 1 with one-byte entries.
Bytes sgpd(const char (&type)[5], const Bytes& entries) {
    return with_bytes(box("sgpd", {0x01000000, fourcc(type), 1, UInt32(entries.size())}), entries);
}

// What the video trafs say besides their runs. The moov has one 'rap '
// description; the first traf maps its three samples to it and to none,
// the second maps its two to a description of its own and to the moov's,
// adds a 'roll' grouping the first did not have and a 'tele' one naming a
// description it does not hold. Both give dependency flags; only the
// first sound traf does. The first video sdtp has a byte to spare.
std::vector<Bytes> group_atoms(int which, bool video) {
    if (!video) return which == 1 ? std::vector<Bytes>{with_bytes(box("sdtp", {0}), Bytes(50, 0x10))} : std::vector<Bytes>{};
    if (which == 1) return {box("sbgp", {0, fourcc("rap "), 2, 1, 1, 2, 0}), box("sdtp", {0, 0x20101000})};
    return {sgpd("rap ", {0x81}), box("sbgp", {0, fourcc("rap "), 2, 1, 0x10001, 1, 1}),
            sgpd("roll", {0x7F}), box("sbgp", {0x01000000, fourcc("roll"), 7, 1, 2, 0x10001}),
            box("sbgp", {0, fourcc("tele"), 1, 2, 0x10002}), with_bytes(box("sdtp", {0}), {0x20, 0x10})};
}

// The first fragment: video based at the moof with data offsets, per-sample
// sizes and composition offsets (three samples); sound based where the
// video's data ended, defaults only (50 samples), 10 units late. The
// second: video at an explicit 64-bit base 200 units after the first
// run's end (two samples); sound at the moof with a default size.
Bytes fragment(int which, UInt64 at, const Knobs& k) {
    auto traf = [&](bool video, std::vector<Bytes> atoms) {
        if (k.groups) for (Bytes& b : group_atoms(which, video)) atoms.push_back(std::move(b));
        if (k.encrypted && video && which == 2) atoms.push_back(box("senc", {0, 2, 1, 2, 3, 4, 5, 6}));
        return box("traf", {}, std::move(atoms));
    };
    auto moof = [&](UInt32 size) {
        const UInt64 data = at + size + 8;
        if (which == 1)
            return box("moof", {}, {traf(true, {box("tfhd", {0x20000, 1}), box("tfdt", {0x01000000, 0, 0}),
                                                box("trun", {0x01000A05, 3, size + 8, 0, 10, 0, 20, 200, 30, UInt32(-100)})}),
                                    traf(false, {box("tfhd", {0, 2}), box("tfdt", {0, 10}), box("trun", {0, 50})})});
        return box("moof", {}, {traf(true, {box("tfhd", {0x3, 1, UInt32(data >> 32), UInt32(data), k.description}),
                                            box("tfdt", {0, 500}), box("trun", {0x204, 2, 0, 5, 6})}),
                                traf(false, {box("tfhd", {0x20010, 2, 4}), box("tfdt", {0, 60}),
                                             box("trun", {0x1, k.second_sound_count, size + 8 + 11})})});
    };
    Bytes out = moof(UInt32(moof(0).size()));
    Bytes mdat = box("mdat", {});
    mdat.resize(8 + (which == 1 ? 160 : 31), 7);
    store_u32be(mdat.data(), UInt32(mdat.size()));
    out.insert(out.end(), mdat.begin(), mdat.end());
    return out;
}

// moov, then both fragments; with second_at the second one goes to `second`.
Bytes fragmented_file(const Knobs& k = {}, Bytes* second = nullptr) {
    MovieModel m;
    m.header.next_track_id = 3;
    Track video = Track::make(1, kVide, 600, 320 << 16, 100 << 16, 0);
    video.media.descriptions.entries.push_back(rle_description().write());
    video.edits = Edits{EditList{{}, {{0, 100, 0x10000}}}, {}};   // from 100 to an end not yet known
    if (k.groups) video.media.kept_stbl.keep(kStco, sgpd("rap ", {0x00}));
    Track sound = Track::make(2, kSoun, 1000, 0, 0, 0x100);
    sound.media.descriptions.entries.push_back(raw_sound_description().write());
    m.tracks = {video, sound};
    if (k.mvex) m.kept.keep(kTrak, box("mvex", {}, {box("trex", {0, 1, 1, 100, 0, 0x10000}), box("trex", {0, 2, 1, 1, 2, 0})}));
    Bytes out = m.write().value();
    for (int which : {1, 2}) {
        Bytes& to = which == 2 && second ? *second : out;
        const Bytes f = fragment(which, which == 2 && k.second_at ? k.second_at : out.size(), k);
        to.insert(to.end(), f.begin(), f.end());
    }
    return out;
}

}  // namespace

TEST(Fragments, EveryRunJoinsItsTracksSampleTable) {
    auto c = read_bytes(fragmented_file());
    ASSERT_TRUE(c.ok()) << c.error().message;
    const UInt64 data1 = c->layout.atoms[1].end() + 8, data2 = c->layout.atoms[3].end() + 8;
    const SampleTable& video = c->movie.tracks[0].media.samples;
    ASSERT_EQ(video.sample_count(), 5u);
    // number: offset, size, decode time, duration, sync, composition offset
    const std::tuple<UInt64, UInt32, UInt64, UInt32, bool, SInt32> want[] = {
        {data1, 10, 0, 100, true, 0},        {data1 + 10, 20, 100, 100, false, 200},
        {data1 + 30, 30, 200, 300, false, -100}, {data2, 5, 500, 100, true, 0}, {data2 + 5, 6, 600, 100, false, 0}};
    for (UInt32 n = 1; n <= 5; ++n) {
        const SampleInfo s = video.sample(n).value();
        EXPECT_EQ(std::make_tuple(s.offset, s.size, s.time, s.duration, s.sync, video.composition_offset(n)), want[n - 1]) << "sample " << n;
    }
    const auto& sound = c->movie.tracks[1];
    ASSERT_EQ(sound.media.samples.sample_count(), 55u);
    EXPECT_EQ(sound.media.samples.sample(1)->offset, data1 + 60) << "after the video traf's data";
    EXPECT_EQ(sound.media.samples.sample(51)->offset, data2 + 11);
    EXPECT_EQ(sound.media.samples.duration(), 55u) << "no gap: the second decode time follows the first run";
    const std::vector<EditEntry> delayed{{6, -1, 0x10000}, {33, 0, 0x10000}};
    EXPECT_EQ(sound.edits->list->entries, delayed) << "10 of 1000 late is 6 of 600";
    EXPECT_EQ((std::tuple{c->movie.tracks[0].edits->list->entries[0].track_duration, c->movie.header.duration}), std::tuple(600u, 600u));
    EXPECT_EQ(find_atom(c->movie.write().value(), "moov/mvex"), SIZE_MAX) << "written as an ordinary movie";
}

TEST(Fragments, DamageIsRefusedAndACutShortRecordingOpensUpToTheCut) {
    const Bytes whole = fragmented_file();
    const struct {
        Bytes file;
        OSErr code;
        UInt32 video, sound;   // samples read
    } cases[] = {
        {Bytes(whole.begin(), whole.end() - 5), noErr, 5, 50},   // the last sound run is cut
        {fragmented_file({.mvex = false}), noErr, 0, 0},           // moofs that are not the movie's
        {fragmented_file({.description = 2}), invalidSampleDescIndex, 0, 0},
        {fragmented_file({.second_sound_count = 0x7FFFFFFF}), invalidMovie, 0, 0}};
    for (const auto& t : cases) {
        auto c = read_bytes(t.file);
        ASSERT_EQ(c.code(), t.code) << &t - cases;
        if (c.ok()) {
            EXPECT_EQ(std::make_pair(c->movie.tracks[0].media.samples.sample_count(), c->movie.tracks[1].media.samples.sample_count()),
                      std::make_pair(t.video, t.sound)) << &t - cases;
        }
    }
}

// The second fragment 4 GiB into a sparse file: its 64-bit base reads, and
// the movie written from it takes 64-bit chunk offsets.
TEST(Fragments, FragmentsPastFourGigabytes) {
    testsupport::TempFolder dir;
    const std::string path = dir / "big.mp4";
    auto file = open_data_file(path, OpenMode::create).value();
    const UInt64 far = (UInt64(1) << 32) + 4096;
    Bytes second, head = fragmented_file({.second_at = far}, &second);
    ByteWriter hole;   // an mdat of 64-bit size up to the second fragment
    hole.u32(1), hole.u32(kMdat), hole.u64(far - head.size());
    head.insert(head.end(), hole.bytes().begin(), hole.bytes().end());
    if (!file->write_at(0, head.data(), head.size()).ok() || !file->write_at(far, second.data(), second.size()).ok())
        GTEST_SKIP() << "this file system cannot hold a sparse file past 4 GiB";

    auto c = read_movie_file(*file);
    ASSERT_TRUE(c.ok()) << c.error().message;
    ASSERT_EQ(c->movie.tracks[0].media.samples.sample_count(), 5u);
    EXPECT_GT(c->movie.tracks[0].media.samples.sample(4)->offset, far);
    EXPECT_NE(find_atom(c->movie.write().value(), "moov/trak/mdia/minf/stbl/co64"), SIZE_MAX);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_LT(UInt64(st.st_blocks) * 512, UInt64(1) << 20) << "the test file stays sparse";
}

// Kept atoms of a type, in order.
std::vector<Bytes> kept_of(const platform::movies::Media& m, const char (&type)[5]) {
    std::vector<Bytes> out;
    for (const auto& [after, atom] : m.kept_stbl.atoms())
        if (atom.type == fourcc(type)) out.push_back(atom.bytes);
    return out;
}

// The groups of both fragments become the video table's, as a regular file
// holds them; Save As writes them, and ffprobe reads the copy.
TEST(Fragments, SampleGroupsAndDependencyFlagsJoinAcrossFragments) {
    testsupport::TempFolder dir;
    testsupport::write_bytes(dir / "groups.mp4", fragmented_file({.groups = true}));
    auto c = read_bytes(fragmented_file({.groups = true}));
    ASSERT_TRUE(c.ok()) << c.error().message;
    const platform::movies::Media& video = c->movie.tracks[0].media;
    const std::vector<Bytes> sbgp{box("sbgp", {0, fourcc("rap "), 4, 1, 1, 2, 0, 1, 2, 1, 1}),
                                  box("sbgp", {0x01000000, fourcc("roll"), 7, 2, 3, 0, 2, 1})};
    EXPECT_EQ(kept_of(video, "sbgp"), sbgp) << "the traf's own description is the track's second; 'tele' names none";
    EXPECT_EQ(kept_of(video, "sgpd"), (std::vector<Bytes>{sgpd("rap ", {0x00, 0x81}), sgpd("roll", {0x7F})}));
    EXPECT_EQ(kept_of(video, "sdtp"), std::vector<Bytes>{with_bytes(box("sdtp", {0}), {0x20, 0x10, 0x10, 0x20, 0x10})});
    EXPECT_TRUE(kept_of(c->movie.tracks[1].media, "sdtp").empty()) << "the second sound traf had no flags";

    tbtest::Opened opened(dir / "groups.mp4", fsRdPerm);
    ASSERT_EQ(opened.err, noErr);
    ASSERT_EQ(tbtest::flatten_to(opened.movie, dir / "copy.mov"), noErr);
    auto copy = read_bytes(testsupport::read_bytes(dir / "copy.mov"));
    ASSERT_TRUE(copy.ok());
    const platform::movies::Media& copied = copy->movie.tracks[0].media;
    EXPECT_EQ(std::tuple(kept_of(copied, "sbgp"), kept_of(copied, "sgpd"), kept_of(copied, "sdtp")),
              std::tuple(kept_of(video, "sbgp"), kept_of(video, "sgpd"), kept_of(video, "sdtp")));
    if (testsupport::peer_available("ffprobe")) {
        auto probed = testsupport::run_program({"ffprobe", "-v", "error", "-show_streams", (dir / "copy.mov").string()});
        EXPECT_TRUE(probed.status == 0 && probed.err.empty()) << probed.err;
    }
}

// Encryption information in a fragment cannot be carried into a saved
// movie: Save As and Save refuse before writing anything.
TEST(Fragments, EncryptedMediaAreNeverSavedWithoutTheirEncryptionInformation) {
    testsupport::TempFolder dir;
    const std::string path = dir / "encrypted.mp4";
    const Bytes original = fragmented_file({.encrypted = true});
    testsupport::write_bytes(path, original);
    tbtest::Opened opened(path, fsRdWrPerm);
    ASSERT_EQ(opened.err, noErr);
    EXPECT_EQ(tbtest::flatten_to(opened.movie, dir / "copy.mov"), featureUnsupported);
    EXPECT_EQ(tbtest::flatten_to(opened.movie, path), featureUnsupported);
    EXPECT_EQ(UpdateMovieResource(opened.movie, opened.ref, movieInDataForkResID, nullptr), featureUnsupported);
    EXPECT_EQ(testsupport::read_bytes(path), original);
    size_t files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1u) << "no copy or temporary file left";

    // A regular movie keeps its video's encryption information when copied
    // whole; a copy of part of it would lose it.
    MemoryFile plain(standard_movie_file(100));
    MovieModel model = read_movie_file(plain).value().movie;
    model.tracks[0].media.kept_stbl.keep(kStco, box("senc", {0, 0}));
    ASSERT_TRUE(update_movie_file(plain, model).ok());
    testsupport::write_bytes(dir / "plain.mov", plain.bytes());
    tbtest::Opened regular(dir / "plain.mov", fsRdWrPerm);
    ASSERT_EQ(tbtest::flatten_to(regular.movie, dir / "whole.mov"), noErr);
    SetMovieSelection(regular.movie, 0, 600);
    ClearMovieSelection(regular.movie);
    EXPECT_EQ(tbtest::flatten_to(regular.movie, dir / "part.mov"), featureUnsupported);
    EXPECT_FALSE(std::filesystem::exists(dir / "part.mov"));
}
