// Damaged movie files: each one refused with its own result code, never
// read out of bounds (the same cases run under ASan in the sanitizer build).
#include <gtest/gtest.h>

#include <functional>

#include "MovieTestSupport.h"

using namespace movietest;

namespace {

using Bytes = std::vector<UInt8>;

// One video track whose chunks hold 2, 1 and 1 samples, the second chunk
// not a sync sample: stsc has two runs and there is an stss.
Bytes two_run_movie(const std::function<void(MovieModel&)>& tweak = {}) {
    MemoryFile file;
    auto w = MovieFileWriter::create(file).value();
    MovieModel m;
    Track t = Track::make(1, kVide, 600, 0, 0, 0);
    t.media.descriptions.entries.push_back(rle_description().write());
    const struct { UInt32 count; bool sync; } chunks[] = {{2, true}, {1, false}, {1, true}};
    for (auto c : chunks) {
        UInt64 at = w.append(frame_bytes(c.count, 10 * c.count)).value();
        EXPECT_TRUE(t.media.samples.add_chunk(at, c.count, 10, 60, 1, c.sync).ok());
    }
    m.tracks.push_back(std::move(t));
    m.update_durations();
    if (tweak) tweak(m);
    EXPECT_TRUE(w.append_movie(m, 0).ok());
    return file.bytes();
}

void patch32(Bytes& b, const std::string& path, size_t offset, UInt32 value) {
    size_t at = find_atom(b, path);
    ASSERT_NE(at, SIZE_MAX) << path;
    store_u32be(&b[at + offset], value);
}

// An empty 'clip' atom inside `depth` more.
Bytes nested(int depth) {
    Bytes atom;
    for (int i = 0; i <= depth; ++i) {
        Bytes outer(8);
        store_u32be(outer.data(), UInt32(atom.size() + 8)), store_u32be(outer.data() + 4, kClip);
        outer.insert(outer.end(), atom.begin(), atom.end());
        atom = std::move(outer);
    }
    return atom;
}

// Adds an atom at the end of the moov (the file's last atom).
void append_to_moov(Bytes& b, const Bytes& atom) {
    size_t moov = find_atom(b, "moov");
    b.insert(b.end(), atom.begin(), atom.end());
    store_u32be(&b[moov], load_u32be(&b[moov]) + UInt32(atom.size()));
}

struct Case { const char* name; std::function<Bytes()> make; OSErr code; };

Bytes standard() { return standard_movie_file(300); }

Bytes with(const std::function<void(Bytes&)>& change, Bytes b = standard()) {
    change(b);
    return b;
}

// A maker of the file with one 32-bit field of the atom at `path` changed.
// `path` may start with a sample table's name alone: it lies in moov/trak/mdia/minf/stbl.
std::function<Bytes()> patched(std::string path, size_t offset, UInt32 value, bool two_runs = false) {
    if (path.rfind("st", 0) == 0 || path.rfind("co", 0) == 0) path = "moov/trak/mdia/minf/stbl/" + path;
    return [=] { return with([&](Bytes& b) { patch32(b, path, offset, value); }, two_runs ? two_run_movie() : standard()); };
}

const Case kCases[] = {
    {"empty file", [] { return Bytes{}; }, noMovieFound},
    {"no movie", [] {
         MemoryFile f;
         auto w = MovieFileWriter::create(f).value();
         EXPECT_TRUE(w.append(frame_bytes(1, 100)).ok());
         EXPECT_TRUE(w.finish_data().ok());
         return f.bytes();
     }, noMovieFound},
    {"random bytes", [] { return frame_bytes(3, 4000); }, invalidMovie},
    {"truncated movie atom", [] { return with([](Bytes& b) { b.resize(b.size() - 10); }); }, invalidMovie},
    {"truncated in the data before the movie", [] { return with([](Bytes& b) { b.resize(100); }); }, invalidMovie},
    {"64-bit size below its header", [] { return with([](Bytes& b) { b.insert(b.begin(), {0, 0, 0, 1, 'f', 'r', 'e', 'e', 0, 0, 0, 0, 0, 0, 0, 8}); }); }, invalidMovie},
    {"child of size 0", patched("moov/trak", 0, 0), invalidMovie},
    {"child size below its header", patched("moov/trak/tkhd", 0, 4), invalidMovie},
    {"child larger than its parent", [] {
         return with([](Bytes& b) { patch32(b, "moov/trak/tkhd", 0, load_u32be(&b[find_atom(b, "moov/trak")]) + 8); });
     }, invalidMovie},
    {"nesting too deep", [] { return with([](Bytes& b) { append_to_moov(b, nested(kMaxAtomDepth + 2)); }); }, invalidMovie},
    {"movie without header", patched("moov/mvhd", 4, fourcc("mvhx")), invalidMovie},
    {"movie header of unknown version", [] { return with([](Bytes& b) { b[find_atom(b, "moov/mvhd") + 8] = 2; }); }, invalidMovie},
    {"movie time scale 0", patched("moov/mvhd", 20, 0), invalidMovie},
    {"track without media", patched("moov/trak/mdia", 4, fourcc("mdix")), invalidTrack},
    {"media time scale 0", patched("moov/trak/mdia/mdhd", 20, 0), invalidMedia},
    {"edit count past its atom", patched("moov/trak/edts/elst", 12, 0xFFFFFFFF), badEditList},
    {"data reference count past its atom", patched("moov/trak/mdia/minf/dinf/dref", 12, 0x40000000), invalidDataRef},
    {"description count past its atom", patched("stsd", 12, 0xFFFFFFFF), invalidSampleDescription},
    {"description longer than its list", patched("stsd", 16, 86 + 4), invalidSampleDescription},
    {"description shorter than its header", patched("stsd", 16, 12), invalidSampleDescription},
    {"image description shorter than 86 bytes", [] {
         return two_run_movie([](MovieModel& m) {
             auto& e = m.tracks[0].media.descriptions.entries[0].bytes;
             e.resize(40);
             store_u32be(e.data(), 40);
         });
     }, badImageDescription},
    {"sound description shorter than 36 bytes", [] {
         return two_run_movie([](MovieModel& m) {
             m.tracks[0].media.handler.subtype = kSoun;
             auto& e = m.tracks[0].media.descriptions.entries[0].bytes;
             e.resize(30);
             store_u32be(e.data(), 30);
         });
     }, invalidSampleDescription},
    {"description names a missing data reference", [] {
         return with([](Bytes& b) { b[find_atom(b, "moov/trak/mdia/minf/stbl/stsd") + 16 + 15] = 2; });
     }, badDataRefIndex},
    {"time-to-sample count past its atom", patched("stts", 12, 0x20000000), invalidSampleTable},
    {"sample size count past its atom", patched("stsz", 16, 0xFFFFFFFF), invalidSampleTable},
    {"sample-to-chunk count past its atom", patched("stsc", 12, 0x15555556), invalidSampleTable},
    {"chunk offset count past its atom", patched("stco", 12, 0x40000000), invalidSampleTable},
    {"sample table without chunk offsets", patched("stco", 4, fourcc("stcx")), invalidSampleTable},
    {"time-to-sample and sample sizes disagree", patched("stts", 16, 69), invalidSampleTable},
    {"sample-to-chunk not starting at chunk 1", patched("stsc", 16, 2), invalidSampleTable},
    {"sample-to-chunk out of order", patched("stsc", 28, 1, true), invalidSampleTable},
    {"sample-to-chunk past the last chunk", patched("stsc", 28, 4, true), invalidSampleTable},
    {"chunks hold more samples than there are", patched("stsc", 20, 3, true), invalidSampleTable},
    {"sample-to-chunk names a missing description", patched("stsc", 24, 2), invalidSampleDescIndex},
    {"sync sample 0", patched("stss", 16, 0, true), invalidSampleTable},
    {"sync samples out of order", patched("stss", 20, 1, true), invalidSampleTable},
    {"chunk offset past the end of the file", [] {
         return with([](Bytes& b) { patch32(b, "moov/trak/mdia/minf/stbl/stco", 16, UInt32(b.size())); });
     }, invalidSampleTable},
    {"chunk running past the end of the file", [] {
         return with([](Bytes& b) { patch32(b, "moov/trak/mdia/minf/stbl/stco", 16, UInt32(b.size() - 50)); });
     }, invalidSampleTable},
};

}  // namespace

TEST(DamagedMovieFiles, EachIsRefusedWithItsCode) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = c.make();
        auto r = read_bytes(bytes);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.code(), c.code) << r.error().message;
    }
}

TEST(DamagedMovieFiles, TolerableOddities) {
    struct Ok { const char* name; std::function<void(Bytes&)> change; };
    const Ok cases[] = {
        {"movie of size 0 at the end of the file", [](Bytes& b) { patch32(b, "moov", 0, 0); }},
        {"movie with a 64-bit size", [](Bytes& b) {
             size_t at = find_atom(b, "moov");
             UInt32 size = load_u32be(&b[at]);
             UInt8 h[8];
             store_u64be(h, UInt64(size) + 8);
             b.insert(b.begin() + long(at) + 8, h, h + 8);
             store_u32be(&b[at], 1);
         }},
        {"junk shorter than a header after the movie", [](Bytes& b) { b.insert(b.end(), {1, 2, 3}); }},
        {"damaged atom after the movie", [](Bytes& b) { b.insert(b.end(), {0, 0, 0, 99, 'f', 'r', 'e', 'e', 0}); }},
        {"second movie after the first", [](Bytes& b) { b.insert(b.end(), {0, 0, 0, 8, 'm', 'o', 'o', 'v'}); }},
        {"nesting within the limit", [](Bytes& b) { append_to_moov(b, nested(kMaxAtomDepth - 2)); }}};
    for (const Ok& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = standard();
        c.change(b);
        auto r = read_bytes(b);
        ASSERT_TRUE(r.ok()) << r.error().message;
        EXPECT_EQ(r->movie.tracks.size(), 2u) << "the first movie wins";
    }
}
