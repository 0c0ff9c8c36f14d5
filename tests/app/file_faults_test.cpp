// Save, Save As and Export through the application, of movies whose sample
// data lies past 4 GiB, stopped by a crash before each file operation they
// make and by a full disk at each write. A clean run counts the operations
// and writes (KINORA_REPORT_FILE_OPS) and gives the new file; then for
// every k the run is repeated with KINORA_CRASH_AT_FILE_OP=k or
// KINORA_FAIL_FILE_WRITE_AT=k. Whatever the point, the movie opened stays
// as it was (or, saved in place, reads as the old movie or the new one),
// the destination is the old file or the complete new one, nothing but the
// platform's hidden temporaries is left beside them, a full disk is told
// to the user, and the next run clears what a crash left.
//
// The big movies are sparse: a small movie's samples moved behind a hole of
// 4 GiB into a 64-bit mdat, its movie after them with 64-bit chunk
// offsets. Only a few kilobytes are ever written or compared.
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <regex>

#include "platform/core/Bytes.h"
#include "platform/movies/format/MovieFile.h"
#include "tests/app/AppRun.h"

using namespace apptest;
namespace pm = platform::movies;

namespace {

using Bytes = std::vector<UInt8>;

constexpr UInt64 kFar = (UInt64(1) << 32) + 4096;   // where the big movies' samples start
constexpr int kCrashStatus = 86;

Bytes read_range(pm::DataFile& f, UInt64 at, UInt64 n) {
    Bytes b(n);
    EXPECT_TRUE(f.read_at(at, b.data(), b.size()).ok());
    return b;
}

// `small` made big: ftyp, an mdat of 64-bit size over a hole and the
// samples from kFar on, then the movie with its chunks moved there.
// Returns how many bytes of samples it holds (0: failed).
UInt64 make_big(const fs::path& small, const fs::path& big) {
    auto in = pm::open_data_file(small, pm::OpenMode::read).value();
    auto contents = pm::read_movie_file(*in).value();
    const auto& atoms = contents.layout.atoms;
    auto mdat = std::find_if(atoms.begin(), atoms.end(), [](auto& a) { return a.type == platform::fourcc("mdat"); });
    EXPECT_EQ(atoms.front().type, platform::fourcc("ftyp"));
    platform::ByteWriter head(read_range(*in, 0, atoms.front().size));
    const Bytes data = read_range(*in, mdat->offset + mdat->header_size, mdat->size - mdat->header_size);
    const UInt64 shift = kFar - (mdat->offset + mdat->header_size);
    for (pm::Track& t : contents.movie.tracks)
        for (UInt32 c = 1; c <= t.media.samples.chunk_count(); ++c)
            t.media.samples.set_chunk_offset(c, t.media.samples.chunk_offsets()[c - 1] + shift);
    const Bytes moov = contents.movie.write().value();
    const UInt64 mdat_size = kFar + data.size() - head.size();
    head.u32(1);
    head.u32(platform::fourcc("mdat"));
    head.u64(mdat_size);
    auto out = pm::open_data_file(big, pm::OpenMode::create).value();
    const bool written = out->write_at(0, head.data(), head.size()).ok() &&
                         out->write_at(kFar, data.data(), data.size()).ok() &&
                         out->write_at(kFar + data.size(), moov.data(), moov.size()).ok();
    return written ? data.size() : 0;
}

// The parts of a file that hold data (a hole is skipped), with their bytes.
std::vector<std::pair<off_t, std::string>> data_regions(const fs::path& path) {
    std::vector<std::pair<off_t, std::string>> regions;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return regions;
    for (off_t at = 0;;) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0) break;
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        std::string bytes(size_t(hole - data), '\0');
        if (::pread(fd, bytes.data(), bytes.size(), data) != ssize_t(bytes.size())) break;
        regions.emplace_back(data, std::move(bytes));
        at = hole;
    }
    ::close(fd);
    return regions;
}

// The movie a reader takes from the file: its first moov.
Bytes live_movie(const fs::path& path) {
    auto f = pm::open_data_file(path, pm::OpenMode::read);
    if (!f.ok()) return {};
    auto layout = pm::scan_movie_file(**f);
    if (!layout.ok() || !layout->movie_atom()) return {};
    return read_range(**f, layout->movie_atom()->offset, layout->movie_atom()->size);
}

// A small file's bytes with the times of its movie, tracks and media set to
// 0: an export stamps them with the clock.
Bytes without_times(const fs::path& path) {
    Bytes bytes = read_bytes(path);
    auto f = pm::open_data_file(path, pm::OpenMode::read);
    if (!f.ok()) return bytes;
    auto contents = pm::read_movie_file(**f);
    if (!contents.ok()) return bytes;
    pm::MovieModel& m = contents->movie;
    m.header.creation_time = m.header.modification_time = 0;
    for (pm::Track& t : m.tracks) {
        t.header.creation_time = t.header.modification_time = 0;
        t.media.header.creation_time = t.media.header.modification_time = 0;
    }
    const Bytes moov = m.write().value();
    const pm::TopAtom* at = contents->layout.movie_atom();
    EXPECT_EQ(moov.size(), at->size);
    std::copy(moov.begin(), moov.end(), bytes.begin() + long(at->offset));
    return bytes;
}

// What ffprobe reads of a movie: its streams and their frame counts.
std::string probe(const fs::path& path) {
    auto r = run_program({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                          "stream=codec_name,duration_ts,nb_read_packets", "-of", "csv", path.string()});
    return r.status == 0 && r.err.empty() ? r.out : "unreadable: " + r.err;
}

// The movie's name in the folder, the small template made first by ffmpeg, and its ffmpeg options.
struct Kind { const char* movie; const char* small; const char* codecs; };

struct Operation {
    const char* name;
    const char* action;   // script lines, MOVIE standing for the movie's name
    const char* dest;     // the file written ("MOVIE": a copy over the movie); "" for the movie in place
    bool replaces;        // the destination already exists
    const char* done;     // script lines after a clean run
    const char* failed;   // after a full disk
};

const Kind kKinds[] = {{"Big.mov", "Small.mov", "-c:v qtrle -c:a pcm_s16be"},
                       {"Big.mp4", "Small.mp4", "-c:v libx264 -preset ultrafast -g 10 -c:a aac -b:a 64k"}};

const Operation kOperations[] = {
    {"Save in place after a cut",
     "key right\nkey right\nkey right\nkey shift+right\nkey shift+right\nkey shift+right\n"
     "menu \"Edit\" \"Cut\"\nmenu \"File\" \"Save\"\n",
     "", false, "expect menu-item \"File\" \"Save\" disabled\n",
     "expect dialog \"Could not save \xE2\x80\x9CMOVIE\xE2\x80\x9D: the disk is full.\"\nkey return\n"
     "menu \"File\" \"Close\"\nbutton \"Don't Save\"\n"},
    {"Save As a new file", "menu \"File\" \"Save As\"\ntype \"Copy.mov\"\nkey return\n", "Copy.mov", false,
     "expect front \"Copy.mov\"\n",
     "expect dialog \"Could not save \xE2\x80\x9C" "Copy.mov\xE2\x80\x9D: the disk is full.\"\nkey return\n"
     "expect front \"MOVIE\"\n"},
    {"Save As over another movie",
     "menu \"File\" \"Save As\"\ntype \"Other.mov\"\nkey return\nexpect dialog \"already exists\"\nbutton \"Replace\"\n",
     "Other.mov", true, "expect front \"Other.mov\"\n",
     "expect dialog \"Could not save \xE2\x80\x9COther.mov\xE2\x80\x9D: the disk is full.\"\nkey return\n"
     "expect front \"MOVIE\"\n"},
    {"Save As over itself",
     "menu \"File\" \"Save As\"\ntype \"MOVIE\"\nkey return\nexpect dialog \"already exists\"\nbutton \"Replace\"\n",
     "MOVIE", true, "expect front \"MOVIE\"\n",
     "expect dialog \"Could not save \xE2\x80\x9CMOVIE\xE2\x80\x9D: the disk is full.\"\nkey return\n"
     "expect front \"MOVIE\"\n"},
    {"Export", "menu \"Movie\" \"Export\"\ntype \"Export.mp4\"\nkey return\n", "Export.mp4", false,
     "expect file Export.mp4\n",
     "expect dialog \"Could not export \xE2\x80\x9C" "Export.mp4\xE2\x80\x9D: the disk is full.\"\nkey return\n"
     "expect front \"MOVIE\"\n"},
};

std::string with_movie(std::string s, const std::string& movie) {
    for (size_t at; (at = s.find("MOVIE")) != std::string::npos;) s.replace(at, 5, movie);
    return s;
}

class FileFaults : public AppTest {
protected:
    // The folder as a case starts: the big movie, and the file to be
    // replaced; nothing else.
    void reset(const Kind& kind, const std::string& dest, bool replaces) {
        for (const auto& e : fs::directory_iterator(work())) fs::remove(e.path());
        samples_ = make_big(dir / kind.small, work(kind.movie));
        ASSERT_GT(samples_, 0u);
        if (replaces && dest != kind.movie) fs::copy_file(dir / "Small.mov", work(dest));
    }

    // Files beside the movie that are neither it, the destination nor a
    // temporary of the platform's naming for the destination (hidden, so
    // never taken for the document), and the temporaries.
    std::pair<std::vector<std::string>, std::vector<std::string>> leftovers(const Kind& kind, const std::string& dest) {
        const std::regex temporary("\\." + std::regex_replace(dest, std::regex("\\."), "\\.") + "\\.[a-z0-9]{8}\\.tmp");
        std::vector<std::string> strays, temporaries;
        for (const auto& e : fs::directory_iterator(work())) {
            const std::string name = e.path().filename();
            if (name == kind.movie || name == dest) continue;
            (std::regex_match(name, temporary) ? temporaries : strays).push_back(name);
        }
        return {strays, temporaries};
    }

    UInt64 samples_ = 0;   // bytes of sample data in the big movie, from kFar
};

TEST_F(FileFaults, ACrashOrAFullDiskAtAnyWriteLosesNothing) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    KINORA_REQUIRE_TOOL("ffprobe");
    {
        struct stat st;
        const fs::path probe_file = dir / "sparse";
        auto f = pm::open_data_file(probe_file, pm::OpenMode::create).value();
        if (!f->write_at(kFar, "x", 1).ok() || ::stat(probe_file.c_str(), &st) != 0 || UInt64(st.st_blocks) * 512 > kFar / 2)
            GTEST_SKIP() << "the temporary folder's file system keeps no sparse files";
        fs::remove(probe_file);
    }
    for (const Kind& kind : kKinds)
        ASSERT_EQ(run_shell("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=s=160x120:r=25:d=1 -f lavfi -i "
                            "sine=frequency=440:sample_rate=44100:duration=1 " + std::string(kind.codecs) + " " +
                            quote((dir / kind.small).string())).status, 0);

    for (const Kind& kind : kKinds) {
        for (const Operation& op : kOperations) {
            SCOPED_TRACE(std::string(kind.movie) + ": " + op.name);
            const bool in_place = !*op.dest;
            const std::string dest_name = in_place ? kind.movie : with_movie(op.dest, kind.movie);
            const bool onto_movie = dest_name == kind.movie;
            const fs::path movie = work(kind.movie), dest = work(dest_name);
            auto set_up = [&] { reset(kind, dest_name, op.replaces); };
            const std::string head = with_movie("odoc MOVIE\nexpect front \"MOVIE\"\n" + std::string(op.action), kind.movie);
            const std::string clean = head + with_movie(op.done, kind.movie);
            const std::string full = head + with_movie(op.failed, kind.movie);

            // The clean run: how many operations and writes, and what it writes.
            set_up();
            const auto movie_before = data_regions(movie);
            const Bytes old_movie = live_movie(movie);
            const std::string old_probe = probe(movie);
            const Bytes old_dest = op.replaces && !onto_movie ? read_bytes(dest) : Bytes{};
            ASSERT_EQ(old_probe.find("unreadable"), std::string::npos) << old_probe;
            ASSERT_NE(dump(movie).find("'co64'"), std::string::npos);
            const fs::path report = dir / "ops.txt";
            ASSERT_EQ(run(clean, "KINORA_REPORT_FILE_OPS=" + report.string()).status, 0) << read_file(dir / "err.txt");
            long operations = 0, writes = 0;
            std::istringstream(read_file(report)) >> operations >> writes;
            ASSERT_GT(writes, 0);
            const Bytes new_movie = live_movie(movie);
            const Bytes new_dest = in_place ? Bytes{} : without_times(dest);
            const std::string new_probe = probe(dest);
            ASSERT_EQ(new_probe.find("unreadable"), std::string::npos) << new_probe;
            ASSERT_TRUE(!in_place || new_movie != old_movie);

            // The movie file and the destination as either state allows.
            auto check = [&](bool crashed) {
                if (!in_place) {
                    EXPECT_TRUE(onto_movie || data_regions(movie) == movie_before) << "the movie opened was changed";
                    const bool present = fs::exists(dest);
                    const bool old_state = onto_movie    ? data_regions(movie) == movie_before
                                           : op.replaces ? present && read_bytes(dest) == old_dest : !present;
                    // A failed write leaves the old state; a crash may leave the complete new file.
                    EXPECT_TRUE(old_state || (crashed && present && fs::file_size(dest) == new_dest.size() &&
                                              without_times(dest) == new_dest))
                        << "the destination is neither the old file nor the complete new one";
                } else {
                    const Bytes live = live_movie(movie);
                    EXPECT_TRUE(live == old_movie || (crashed && live == new_movie)) << "the movie is neither old nor new";
                    const std::string probed = probe(movie);
                    EXPECT_TRUE(probed == old_probe || (crashed && probed == new_probe)) << probed;
                    const auto regions = data_regions(movie);
                    EXPECT_TRUE(regions.size() >= 2 && regions[0] == movie_before[0] && regions[1].first == kFar &&
                                regions[1].second.compare(0, samples_, movie_before[1].second, 0, samples_) == 0)
                        << "the sample data changed";
                }
                auto [strays, temporaries] = leftovers(kind, dest_name);
                EXPECT_TRUE(strays.empty()) << strays.front();
                EXPECT_TRUE(crashed || temporaries.empty()) << temporaries.front();
                return temporaries.size();
            };

            // The first crash that leaves the most temporaries (before the
            // copy takes the destination's name).
            long most_left = 0;
            size_t most = 0;
            for (long k = 1; k <= operations; ++k) {
                SCOPED_TRACE("crash before operation " + std::to_string(k));
                set_up();
                ASSERT_EQ(run(clean, "KINORA_CRASH_AT_FILE_OP=" + std::to_string(k)).status, kCrashStatus);
                if (size_t left = check(true); left > most) most = left, most_left = k;
            }
            for (long k = 1; k <= writes; ++k) {
                SCOPED_TRACE("disk full at write " + std::to_string(k));
                set_up();
                ASSERT_EQ(run(full, "KINORA_FAIL_FILE_WRITE_AT=" + std::to_string(k)).status, 0)
                    << read_file(dir / "err.txt");
                check(false);
            }
            // What a crash left, the next run clears.
            if (most_left) {
                set_up();
                ASSERT_EQ(run(clean, "KINORA_CRASH_AT_FILE_OP=" + std::to_string(most_left)).status, kCrashStatus);
                ASSERT_EQ(run(clean, "").status, 0) << read_file(dir / "err.txt");
                EXPECT_TRUE(leftovers(kind, dest_name).second.empty()) << "a crash's temporary is left for good";
            }
        }
    }
}

}  // namespace
