#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "MovieTestSupport.h"
#include "platform/movies/format/Alias.h"
#include "tests/support/TempFolder.h"

using namespace movietest;
using Bytes = std::vector<UInt8>;

namespace {

MovieModel movie_of(const Bytes& file) {
    auto c = read_bytes(file);
    EXPECT_TRUE(c.ok()) << (c.ok() ? "" : c.error().message);
    return c.ok() ? std::move(c->movie) : MovieModel{};
}

}  // namespace

TEST(MovieFileWriter, WritesFtypThenAGrowingMdatThenTheMovie) {
    MemoryFile file;
    auto w = MovieFileWriter::create(file).value();
    const Bytes head{0, 0, 0, 20, 'f', 't', 'y', 'p', 'q', 't', ' ', ' ', 0x20, 0x05, 0x03, 0x00,
                     'q', 't', ' ', ' ', 0, 0, 0, 8, 'w', 'i', 'd', 'e', 0, 0, 0, 0, 'm', 'd', 'a', 't'};
    EXPECT_EQ(file.bytes(), head);
    EXPECT_EQ(w.append(Bytes(10, 7)).value(), 36u);
    EXPECT_EQ(read_bytes(file.bytes()).code(), noMovieFound) << "an unfinished file holds no movie, not damage";

    MovieModel m = sound_movie({{36, 10}});
    TopAtom moov = w.append_movie(m, 100).value();
    EXPECT_EQ(load_u32be(&file.bytes()[28]), 8u + 10u) << "mdat size patched";
    EXPECT_EQ(moov.offset, 46u);

    auto layout = scan_movie_file(file).value();
    ASSERT_EQ(layout.atoms.size(), 5u);
    EXPECT_EQ(std::tuple(layout.atoms[4].type, layout.atoms[4].size, layout.file_type->major_brand), std::tuple(kFree, 100u, kBrandQT));

    // More data after the movie goes into a new mdat; the file still reads.
    EXPECT_EQ(w.append(Bytes(5, 1)).value(), moov.end() + 100 + 16);
    ASSERT_TRUE(w.finish_data().ok());
    EXPECT_EQ(movie_of(file.bytes()), m);
}

namespace {

// Writes only what lands in the first megabyte; remembers everything else
// as (offset, size), so a writer can be driven past 4 GiB in memory.
class SparseRecorder final : public DataFile {
public:
    Result<UInt64> size() override { return size_; }
    Result<void> read_at(UInt64 o, void* b, size_t n) override { return head_.read_at(o, b, n); }
    Result<void> write_at(UInt64 o, const void* d, size_t n) override {
        if (o + n <= (1u << 20)) TRY(head_.write_at(o, d, n));
        else far_[o] = n;
        size_ = std::max(size_, o + n);
        return ok();
    }
    Result<void> sync() override { return ok(); }
    Result<void> truncate(UInt64 s) override { size_ = s; return head_.truncate(std::min<UInt64>(s, 1u << 20)); }
    const std::string& path() const override { return head_.path(); }
    const Bytes& head() const { return head_.bytes(); }
    std::map<UInt64, size_t> far_;

private:
    MemoryFile head_;
    UInt64 size_ = 0;
};

}  // namespace

TEST(MovieFileWriter, MdatPastFourGigabytesTakesA64BitHeader) {
    const size_t big = (size_t(1) << 32) + 64;
    void* zeros = mmap(nullptr, big, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(zeros, MAP_FAILED);
    SparseRecorder file;
    auto w = MovieFileWriter::create(file).value();
    EXPECT_EQ(w.append(std::span(static_cast<const UInt8*>(zeros), big)).value(), 36u);
    UInt64 past = w.append(Bytes(4, 9)).value();
    EXPECT_EQ(past, 36u + big);
    ASSERT_TRUE(w.finish_data().ok());
    munmap(zeros, big);

    const Bytes& h = file.head();   // the wide atom became a 64-bit size; the data still starts at 36
    EXPECT_EQ(std::tuple(load_u32be(&h[20]), load_u32be(&h[24]), load_u64be(&h[28])), std::tuple(1u, kMdat, 16u + big + 4));

    // The chunk past 4 GiB goes into co64.
    auto moov = sound_movie({{36, 64}, {past, 4}}).write().value();
    EXPECT_NE(find_atom(moov, "moov/trak/mdia/minf/stbl/co64"), SIZE_MAX);
    EXPECT_EQ(find_atom(moov, "moov/trak/mdia/minf/stbl/stco"), SIZE_MAX);
}

// A file whose mdat was left growing past 4 GiB (a recording cut off) is
// closed with a 64-bit size in place of the wide atom before a movie goes
// after it.
TEST(MovieFileWriter, AGrowingMdatPastFourGigabytesClosesOverItsWideAtom) {
    SparseRecorder file;
    auto w = MovieFileWriter::create(file).value();
    ASSERT_TRUE(w.append(Bytes(64, 1)).ok());
    const UInt64 end = (UInt64(1) << 32) + 100;
    ASSERT_TRUE(file.write_at(end - 4, "data", 4).ok());
    EXPECT_EQ(prepare_end_of_file(file).value(), end);
    const Bytes& h = file.head();
    EXPECT_EQ(std::tuple(load_u32be(&h[20]), load_u32be(&h[24]), load_u64be(&h[28])), std::tuple(1u, kMdat, end - 20));
}

// A movie-first file: ftyp, the movie (its chunks placed where the data
// will be), the reserve, then an mdat of the size announced, which the data
// must fill exactly; past 4 GiB the mdat takes the 16-byte header.
TEST(MovieFileWriter, MovieFirstFilesPlaceTheDataAfterTheMovieAndItsReserve) {
    MovieModel m = sound_movie({{0, 10}});
    auto movie_at = [&](UInt64 data_start) -> Result<Bytes> {
        m.tracks[0].media.samples.set_chunk_offset(1, data_start);
        return m.write();
    };

    MemoryFile file;
    auto w = MovieFileWriter::create_movie_first(file, 10, movie_at).value();
    const UInt64 data_start = w.end();
    EXPECT_EQ((std::tuple{w.append(Bytes(4, 7)).value(), w.append(Bytes(6, 8)).value()}), std::tuple(data_start, data_start + 4));
    EXPECT_EQ(w.append(Bytes(1, 9)).code(), internalQuickTimeError) << "more than the mdat holds";
    ASSERT_TRUE(w.finish_data().ok());

    auto layout = scan_movie_file(file).value();
    ASSERT_EQ(layout.atoms.size(), 4u);
    const OSType order[] = {kFtyp, kMoov, kFree, kMdat};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(layout.atoms[i].type, order[i]) << i;
    EXPECT_EQ(std::tuple(layout.atoms[2].size, layout.atoms[3].offset + 8, layout.atoms[3].size),
              std::tuple(movie_reserve(layout.atoms[1].size), data_start, 18u));
    EXPECT_EQ((std::tuple{movie_of(file.bytes()), file.bytes()[data_start]}), std::tuple(m, 7));

    MemoryFile short_file;
    auto s = MovieFileWriter::create_movie_first(short_file, 10, movie_at).value();
    ASSERT_TRUE(s.append(Bytes(9, 7)).ok());
    EXPECT_EQ(s.finish_data().code(), internalQuickTimeError) << "less than the mdat announced";

    SparseRecorder big;
    const UInt64 far = (UInt64(1) << 32);
    auto b = MovieFileWriter::create_movie_first(big, far, movie_at).value();
    const Bytes& h = big.head();
    ASSERT_EQ(h.size(), b.end());
    EXPECT_EQ(std::tuple(load_u32be(&h[b.end() - 16]), load_u32be(&h[b.end() - 12]), load_u64be(&h[b.end() - 8])), std::tuple(1u, kMdat, far + 16));
}

// An encrypted media's saio gives the file offset of its senc's entries:
// wherever a movie is written (after its data, in place of the old one,
// before its data), the offset follows them.
TEST(MovieFileWriter, SampleEncryptionOffsetsFollowTheMovie) {
    MovieModel m = sound_movie({{0, 2}});
    for (const std::vector<UInt32>& words : {std::vector<UInt32>{kSenc, 0, 2, 1, 2, 3, 4}, {kSaio, 0, 1, 12345}}) {
        ByteWriter w;
        const size_t at = begin_atom(w, words[0]);
        for (size_t i = 1; i < words.size(); ++i) w.u32(words[i]);
        ASSERT_TRUE(end_atom(w, at).ok());
        m.tracks[0].media.kept_stbl.keep(kStco, w.bytes());
    }
    auto entries_and_offset = [](const Bytes& file) {
        const size_t senc = find_atom(file, "moov/trak/mdia/minf/stbl/senc");
        const size_t saio = find_atom(file, "moov/trak/mdia/minf/stbl/saio");
        return senc == SIZE_MAX || saio == SIZE_MAX ? std::pair<UInt64, UInt64>{}
                                                    : std::pair<UInt64, UInt64>{senc + 16, load_u32be(&file[saio + 16])};
    };

    MemoryFile file;
    auto w = MovieFileWriter::create(file).value();
    ASSERT_TRUE(w.append(Bytes(2, 7)).ok());
    ASSERT_TRUE(w.append_movie(m).ok());
    const auto appended = entries_and_offset(file.bytes());
    EXPECT_EQ(appended.second, appended.first);
    m.header.preferred_rate = 0x20000;
    ASSERT_TRUE(update_movie_file(file, m).ok());
    const auto saved = entries_and_offset(file.bytes());
    EXPECT_EQ(saved.second, saved.first);
    EXPECT_NE(saved.first, appended.first) << "the movie moved";

    MemoryFile first;
    auto movie_at = [&](UInt64) { return m.write(); };
    ASSERT_TRUE(MovieFileWriter::create_movie_first(first, 2, movie_at).ok());
    const auto before_data = entries_and_offset(first.bytes());
    EXPECT_EQ(before_data.second, before_data.first);
}

namespace {

MovieModel edited(MovieModel m, const char* text) {
    if (!m.user_data) m.user_data = UserData{};
    m.user_data->add(fourcc("note"), Bytes(text, text + strlen(text)));
    return m;
}

struct UpdateCase { const char* name; std::function<Bytes(const MovieModel& old, const MovieModel& next)> make; };

Bytes file_with_reserve(const MovieModel& old, UInt32 reserve) {
    MemoryFile f(standard_movie_file(200));
    auto layout = scan_movie_file(f).value();
    // Rewrite the movie at the end with the reserve asked for.
    auto w = MovieFileWriter::append_to(f, layout.movie_atom()->offset).value();
    EXPECT_TRUE(w.append_movie(old, reserve).ok());
    return f.bytes();
}

}  // namespace

TEST(MovieFileUpdate, ACrashAtAnyPointLeavesTheOldOrTheNewMovie) {
    MovieModel old;
    standard_movie_file(200, &old);
    MovieModel next = edited(old, "second version");
    UInt32 next_size = UInt32(next.write()->size());
    const UpdateCase cases[] = {
        {"into reserved space with room to spare", [&](const MovieModel& o, const MovieModel&) { return file_with_reserve(o, 4096); }},
        {"into reserved space of exactly its size", [&](const MovieModel& o, const MovieModel&) { return file_with_reserve(o, next_size); }},
        {"at the end: reserve too small", [&](const MovieModel& o, const MovieModel&) { return file_with_reserve(o, next_size + 4); }},
        {"at the end: no reserve", [&](const MovieModel& o, const MovieModel&) { return file_with_reserve(o, 0); }},
        {"after a movie that runs to the end of the file", [&](const MovieModel& o, const MovieModel&) {
             Bytes b = file_with_reserve(o, 0);
             store_u32be(&b[find_atom(b, "moov")], 0);
             return b;
         }},
        {"at the end, after a stale movie that readers skip", [&](const MovieModel& o, const MovieModel&) {
             Bytes b = file_with_reserve(o, 0);
             const Bytes stale = edited(o, "stale").write().value();
             b.insert(b.end(), stale.begin(), stale.end());
             return b;
         }},
    };
    for (const UpdateCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes original = c.make(old, next);
        MemoryFile scan(original);
        const TopAtom old_atom = *scan_movie_file(scan).value().movie_atom();
        const size_t old_at = old_atom.offset, old_size = old_atom.size;
        ASSERT_EQ(movie_of(original), old);

        long total = 0;
        for (long budget = 0;; ++budget) {
            MemoryFile f(original);
            f.fail_after(budget);
            auto r = update_movie_file(f, next);
            MovieModel now = movie_of(f.bytes());
            // The live movie's body is never rewritten; its header is only
            // retyped (and given its real size when it had none).
            for (size_t i = old_at + 8; i < old_at + old_size; ++i) {
                ASSERT_EQ(f.bytes()[i], original[i]) << "byte " << i << " of the old movie, budget " << budget;
            }
            if (!r.ok()) {
                EXPECT_TRUE(now == old || now == next) << "budget " << budget;
                continue;
            }
            EXPECT_EQ((std::tuple{now, load_u32be(&f.bytes()[old_at + 4])}), std::tuple(next, kFree));
            const auto saved = scan_movie_file(f).value();
            EXPECT_FALSE(saved.end.damaged) << "every byte of the saved file in a whole atom";
            EXPECT_EQ(saved.end.end, f.bytes().size());
            total = budget;
            break;
        }
        EXPECT_GE(total, 4) << "body, new movie retyped, old movie retyped, with syncs";
    }
}

TEST(Alias, RelativePathsAndLevels) {
    struct Row { const char* movie; const char* target; const char* relative; UInt16 from, to; };
    const Row rows[] = {
        {"/a/b/m.mov", "/a/b/s.raw", "s.raw", 1, 1},
        {"/a/b/m.mov", "/a/b/media/s.raw", "media/s.raw", 1, 2},
        {"/a/b/m.mov", "/a/s.raw", "../s.raw", 2, 1},
        {"/a/b/m.mov", "/a/c/d/s.raw", "../c/d/s.raw", 2, 3},
        {"/m.mov", "/x/s.raw", "x/s.raw", 1, 2}};
    for (const Row& r : rows) {
        auto rec = make_alias(r.movie, r.target).value();
        auto a = parse_alias(rec).value();
        EXPECT_EQ(std::make_tuple(a.relative_path, a.absolute_path, a.levels_from, a.levels_to, a.file_name),
                  std::make_tuple(std::string(r.relative), std::string(r.target), r.from, r.to, std::string("s.raw")));
        EXPECT_EQ(std::make_pair(size_t(load_u16be(&rec[4])), load_u16be(&rec[6])), std::make_pair(rec.size(), UInt16(2)))
            << "record size and version";
    }
    // A relative movie path; then records of another version, longer than
    // their bytes, with an extra longer than the record.
    auto damaged = [](auto change) {
        auto rec = make_alias("/a/m.mov", "/a/s.raw").value();
        change(rec);
        return parse_alias(rec).code();
    };
    EXPECT_EQ((std::tuple{make_alias("m.mov", "/a").code(), damaged([](Bytes& r) { r[6] = 3; }),
                          damaged([](Bytes& r) { store_u16be(&r[4], UInt16(r.size() + 1)); }), damaged([](Bytes& r) { store_u16be(&r[152], 0x7FFF); })}),
              std::tuple(paramErr, invalidDataRef, invalidDataRef, invalidDataRef));
}

TEST(Alias, ResolvesRelativeFirstThenAbsoluteAndOnlyRegularFiles) {
    testsupport::TempFolder dir;
    for (const char* sub : {"movies", "media", "elsewhere/media", "elsewhere/movies"}) std::filesystem::create_directories(dir / sub);
    std::string movie = dir / "movies/m.mov";
    testsupport::write_bytes(dir / "media/s.raw", Bytes(100, 1));
    testsupport::write_bytes(dir / "elsewhere/media/s.raw", Bytes(50, 1));
    DataRef ref;
    ref.full.flags = 0;
    ref.data = make_alias(movie, absolute_path(dir / "media/s.raw").value()).value();

    auto r = resolve_data_ref(ref, movie, 0);
    EXPECT_EQ(std::tuple(r.found, r.size), std::tuple(true, UInt64(100)));
    // Seen from a movie elsewhere, the relative path wins over the absolute.
    auto moved = resolve_data_ref(ref, dir / "elsewhere/movies/m.mov", 0);
    EXPECT_EQ(std::tuple(moved.found, moved.size, moved.path), std::tuple(true, UInt64(50), absolute_path(dir / "elsewhere/media/s.raw").value()));
    // Without the relative file, the absolute path.
    auto far = resolve_data_ref(ref, dir / "nowhere/deeper/m.mov", 0);
    EXPECT_EQ(std::tuple(far.found, far.size), std::tuple(true, UInt64(100)));

    // Folders, devices and pipes are never followed.
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    for (std::string target : {dir / "media", std::filesystem::path("/dev/zero"), dir / "pipe", dir / "missing"}) {
        DataRef bad = ref;
        bad.data = make_alias(movie, target).value();
        auto b = resolve_data_ref(bad, movie, 0);
        EXPECT_EQ(std::tuple(b.found, b.error), std::tuple(false, OSErr(couldNotResolveDataRef))) << target;
    }
    DataRef url;
    url.type = kUrl, url.full.flags = 0;
    url.data = {'.', '.', '/', 'm', 'e', 'd', 'i', 'a', '/', 's', '.', 'r', 'a', 'w', 0};
    EXPECT_TRUE(resolve_data_ref(url, movie, 0).found);
    EXPECT_TRUE(resolve_data_ref(DataRef::self(), movie, 77).in_movie_file);
}

TEST(MovieFileReader, ChunksAreCheckedAgainstTheFileTheyLiveIn) {
    testsupport::TempFolder dir;
    std::string movie_path = dir / "m.mov";
    testsupport::write_bytes(dir / "s.raw", Bytes(1000, 0x80));
    auto make = [&](UInt32 samples) {
        MovieModel m;
        Track t = Track::make(1, kSoun, 8000, 0, 0, 0x100);
        DataRef ext;
        ext.full.flags = 0;
        ext.data = make_alias(absolute_path(movie_path).value(), absolute_path(dir / "s.raw").value()).value();
        t.media.data_info->refs->entries = {ext};
        t.media.descriptions.entries.push_back(raw_sound_description().write());
        EXPECT_TRUE(t.media.samples.add_chunk(0, samples, 1, 1, 1, true).ok());
        m.tracks.push_back(t);
        auto f = open_data_file(movie_path, OpenMode::create).value();
        auto w = MovieFileWriter::create(*f).value();
        EXPECT_TRUE(w.append_movie(m, 0).ok());
        return read_movie_file(*f);
    };
    auto good = make(1000);
    ASSERT_TRUE(good.ok()) << good.error().message;
    EXPECT_TRUE(good->data_refs[0][0].found);
    EXPECT_EQ(make(1001).code(), invalidSampleTable) << "one byte past the end of the sound file";
    std::filesystem::remove(dir / "s.raw");
    auto missing = make(1001);
    ASSERT_TRUE(missing.ok()) << "a missing data file is reported, not refused";
    EXPECT_FALSE(missing->data_refs[0][0].found);
}
