// Movie files through the toolbox: creating and opening them, reading and
// saving movies (byte-identical when nothing changed, growth moved out of
// the way), flattening onto new files, other files and the movie's own,
// damaged files refused with a code, and progress.
#include <sys/stat.h>

#include <cstring>

#include "MovieTestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/files/Catalog.h"
#include "platform/files/FaultInjection.h"
#include "platform/movies/progress/MovieProgress.h"
#include "platform/movies/format/Alias.h"

using namespace tbtest;
namespace mv = platform::movies;

// A file another window holds open for writing is never replaced under it,
// by a new movie file or a flatten, nor opened for writing a second time.
TEST(MovieFiles, AFileAnotherMovieWritesIsNeverReplaced) {
    TempFolder dir;
    DisposeMovie(make_movie(dir / "a.mov"));
    DisposeMovie(make_movie(dir / "b.mov", MovieSpec{5, 8000, 800, ""}));
    Opened other(dir / "b.mov");
    ASSERT_EQ(other.err, noErr);
    const Bytes before = read_bytes(dir / "b.mov");
    FSSpec spec = spec_for(dir / "b.mov");
    Movie made = nullptr;
    SInt16 ref = 0;
    EXPECT_EQ(std::tuple(CreateMovieFile(&spec, sigMoviePlayer, 0, 0x90000001, &ref, &made), OpenMovieFile(&spec, &ref, fsRdWrPerm)), std::tuple(opWrErr, opWrErr));
    ASSERT_EQ(OpenMovieFile(&spec, &ref, fsRdPerm), noErr);
    EXPECT_EQ(CloseMovieFile(ref), noErr);
    Opened a(dir / "a.mov", fsRdPerm);
    EXPECT_EQ(UpdateMovieResource(a.movie, a.ref, movieInDataForkResID, nullptr), wrPermErr) << "opened read-only";
    EXPECT_EQ((std::tuple{flatten_to(a.movie, dir / "b.mov"), read_bytes(dir / "b.mov")}), std::tuple(opWrErr, before));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no temporary file left";
}

TEST(MovieFiles, ReadingThenSavingUnchangedWritesTheSameMovie) {
    TempFolder dir;
    // A movie as another writer might store it: atoms we do not know, at
    // each level, and a user data list ending in a 32-bit zero.
    mv::MovieModel model;
    mv::MemoryFile f(movietest::standard_movie_file(4000, &model));
    const UInt8 odd[] = {0, 0, 0, 12, 'x', 'y', 'z', 'w', 1, 2, 3, 4};
    model.tracks[0].kept.keep(mv::kTkhd, odd), model.tracks[1].media.kept_stbl.keep(mv::kStsz, odd), model.kept.keep(0, odd);
    model.user_data = mv::UserData{{{'WLOC', {0, 100, 0, 200}}}, {0, 0, 0, 0}};
    ASSERT_TRUE(mv::MovieFileWriter::append_to(f, mv::scan_movie_file(f).value().movie_atom()->offset).value().append_movie(model, 0).ok());
    write_bytes(dir / "kept.mov", f.bytes());
    // Our own files too, and again after the first rewrite.
    DisposeMovie(make_movie(dir / "ours.mov"));
    for (const char* name : {"kept.mov", "ours.mov", "ours.mov"}) {
        SCOPED_TRACE(name);
        const Bytes before = first_moov(dir / name);
        {
            Opened m(dir / name);
            ASSERT_EQ(m.err, noErr);
            ASSERT_EQ(UpdateMovieResource(m.movie, m.ref, movieInDataForkResID, nullptr), noErr);
        }
        EXPECT_EQ(first_moov(dir / name), before) << "nothing lost, nothing changed";
    }
    EXPECT_EQ(count_of(dir / "ours.mov", "moov"), 1u);
}

TEST(MovieFiles, FlatteningMakesASelfContainedInterleavedCopyWherever) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "media");
    // The sound lives outside the movie.
    DisposeMovie(make_movie(dir / "source.mov", MovieSpec{30, 8000, 8000 * 3, dir / "media/sound.raw"}));
    Bytes samples = samples_of_file(dir / "source.mov");
    ASSERT_GT(samples.size(), 24000u) << "the frames and the sound";

    struct Case { const char* name; std::function<std::string()> destination; /* sets it up, gives its path */ } cases[] = {
        {"a new file", [&] { return dir / "new.mov"; }},
        {"over another file", [&] { write_bytes(dir / "old.mov", Bytes(100, 7)); return dir / "old.mov"; }},
        {"through a link", [&] {
             write_bytes(dir / "target.mov", Bytes(10, 1));
             std::filesystem::create_symlink(dir / "target.mov", dir / "link.mov");
             return dir / "link.mov";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string dest = c.destination();
        Opened source(dir / "source.mov", fsRdPerm);
        ASSERT_EQ(flatten_to(source.movie, dest), noErr);
        EXPECT_EQ(samples_of_file(dest), samples);
        auto atoms = layout(dest);
        ASSERT_GE(atoms.size(), 3u);
        EXPECT_EQ(std::tuple(count_of(dest, "mdat"), atoms[1].type), std::tuple(size_t(1), platform::fourcc("moov")));
        EXPECT_TRUE(peer_clean(dest));
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.mov")) << "the link stays, its target is replaced";
    EXPECT_GT(std::filesystem::file_size(dir / "target.mov"), 10u);

    // Self-contained: the copies play without the sound file.
    std::filesystem::remove(dir / "media/sound.raw");
    EXPECT_EQ(samples_of_file(dir / "new.mov"), samples);
    Opened orphan(dir / "source.mov", fsRdPerm);
    EXPECT_EQ((std::tuple{flatten_to(orphan.movie, dir / "again.mov"), std::filesystem::exists(dir / "again.mov")}), std::tuple(couldNotResolveDataRef, false));
}

TEST(MovieFiles, FlatteningOntoTheMoviesOwnFileWorks) {
    TempFolder dir;
    std::string path = dir / "self.mov";
    DisposeMovie(make_movie(path));
    ::chmod(path.c_str(), 0640);
    std::filesystem::create_hard_link(path, dir / "hard.mov");
    Bytes samples = samples_of_file(path);
    for (const char* dest : {"self.mov", "hard.mov"}) {
        SCOPED_TRACE(dest);
        Opened window(path);   // the window holds its own file open for writing
        ASSERT_EQ(window.err, noErr);
        SInt32 count = GetMovieTrackCount(window.movie);
        ASSERT_EQ(flatten_to(window.movie, dir / dest), noErr);
        EXPECT_EQ(samples_of_file(dir / dest), samples);
        EXPECT_EQ(all_samples(window.movie), samples) << "the old movie still reads the file it has open";
        EXPECT_EQ(GetMovieTrackCount(window.movie), count);
        EXPECT_EQ(std::filesystem::status(dir / dest).permissions(), std::filesystem::perms(0640)) << "permission bits kept";
    }
    // The window's file was replaced: saving into it now is refused.
    Opened m(path);
    ASSERT_EQ(flatten_to(m.movie, path), noErr);
    Bytes now = read_bytes(path);
    EXPECT_EQ((std::tuple{UpdateMovieResource(m.movie, m.ref, movieInDataForkResID, nullptr), read_bytes(path)}), std::tuple(fnfErr, now));
}

// CreateMovieFile and FlattenMovieData judge a destination alike: a folder
// is never a movie file, with or without createMovieFileDeleteCurFile.
TEST(MovieFiles, NewFileCallsCheckTheirDestinationAlike) {
    TempFolder dir;
    Movie m = make_movie(dir / "m.mov");
    std::filesystem::create_directory(dir / "folder");
    DisposeMovie(make_movie(dir / "taken.mov"));
    struct Case { const char* name; SInt32 create_flags; OSErr expected; } cases[] = {{"folder", 0, notAFileErr},
                 {"folder", SInt32(createMovieFileDeleteCurFile), notAFileErr},
                 {"taken.mov", 0, dupFNErr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.create_flags));
        FSSpec spec = spec_for(dir / c.name);
        SInt16 ref = 0;
        Movie made = nullptr;
        EXPECT_EQ((std::tuple{CreateMovieFile(&spec, sigMoviePlayer, 0, c.create_flags, &ref, &made), made,
                              FlattenMovieData(m, 0x41, &spec, sigMoviePlayer, smSystemScript, c.create_flags), GetMoviesError()}),
                  std::tuple(c.expected, nullptr, nullptr, c.expected));
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
    DisposeMovie(m);
}

TEST(MovieFiles, ActiveTracksOnlyAndNoInterleaving) {
    TempFolder dir;
    Movie m = make_movie(dir / "m.mov", MovieSpec{20, 8000, 8000 * 4, ""});
    SetTrackEnabled(GetMovieIndTrack(m, 1), false);
    ASSERT_EQ(flatten_to(m, dir / "sound-only.mov", 0x41 | flattenActiveTracksOnly), noErr);
    EXPECT_EQ(GetMovieTrackCount(Opened(dir / "sound-only.mov", fsRdPerm).movie), 1);

    // Interleaved, the sound's half-second chunks come between video chunks;
    // not interleaved, each track's data is in one run.
    auto chunk_order = [&](const std::string& path) {
        auto f = mv::open_data_file(path, mv::OpenMode::read).value();
        auto c = mv::read_movie_file(*f).value();
        std::vector<std::pair<UInt64, int>> chunks;
        for (size_t t = 0; t < c.movie.tracks.size(); ++t)
            for (UInt64 o : c.movie.tracks[t].media.samples.chunk_offsets()) chunks.push_back({o, int(t)});
        std::sort(chunks.begin(), chunks.end());
        int switches = 0;
        for (size_t i = 1; i < chunks.size(); ++i) switches += chunks[i].second != chunks[i - 1].second;
        return switches;
    };
    SetTrackEnabled(GetMovieIndTrack(m, 1), true);
    ASSERT_EQ(flatten_to(m, dir / "woven.mov"), noErr);
    ASSERT_EQ(flatten_to(m, dir / "plain.mov", 0x41 | flattenDontInterleaveFlatten), noErr);
    EXPECT_GE(chunk_order(dir / "woven.mov"), 6) << "4 s of both tracks in half-second chunks";
    EXPECT_EQ(std::tuple(chunk_order(dir / "plain.mov"), samples_of_file(dir / "woven.mov")), std::tuple(1, samples_of_file(dir / "plain.mov")));
    DisposeMovie(m);
}

// Long runs of samples are copied file to file: the kernel's copy and the
// process's make the same file; a failing write (the copies' too) or a
// source cut short is reported and leaves no file behind.
TEST(MovieFiles, FlatteningCopiesLongRunsAlikeAndFailsCleanly) {
    namespace faults = platform::files::faults;
    TempFolder dir;
    DisposeMovie(make_movie(dir / "source.mov", MovieSpec{10, 8000, 8000 * 40, dir / "sound.raw"}));
    Opened source(dir / "source.mov", fsRdPerm);
    const SInt32 flags = 0x41 | flattenDontInterleaveFlatten;   // the sound in one run of 320 000 bytes
    long before = faults::write_count();
    ASSERT_EQ(flatten_to(source.movie, dir / "kernel.mov", flags), noErr);
    const long writes = faults::write_count() - before;
    faults::refuse_kernel_copies(true);
    EXPECT_EQ(flatten_to(source.movie, dir / "process.mov", flags), noErr);
    faults::refuse_kernel_copies(false);
    EXPECT_EQ(std::tuple(read_bytes(dir / "kernel.mov"), samples_of_file(dir / "kernel.mov")), std::tuple(read_bytes(dir / "process.mov"), samples_of_file(dir / "source.mov")));

    for (long k = 1; k <= writes + 1; ++k) {
        SCOPED_TRACE(k);
        if (k > writes) std::filesystem::resize_file(dir / "sound.raw", 100000);   // cut short
        faults::fail_write(k);
        EXPECT_EQ(flatten_to(source.movie, dir / "failed.mov", flags), k > writes ? eofErr : dskFulErr);
        faults::fail_write(0);
        EXPECT_FALSE(std::filesystem::exists(dir / "failed.mov"));
    }
    for (auto& e : std::filesystem::directory_iterator(dir.path())) EXPECT_NE(e.path().extension(), ".tmp");
}

TEST(MovieFiles, ProgressIsReportedAndCanStopAFlatten) {
    TempFolder dir;
    Movie m = make_movie(dir / "m.mov", MovieSpec{40, 8000, 8000 * 10, ""});
    struct Log { std::vector<SInt16> messages; std::vector<Fixed> percents; bool stop = false; } log;
    MovieProgressUPP proc = [](Movie, SInt16 message, SInt16 op, Fixed percent, SRefCon refcon) -> OSErr {
        auto* l = reinterpret_cast<Log*>(refcon);
        EXPECT_EQ(op, progressOpFlatten);
        l->messages.push_back(message);
        l->percents.push_back(percent);
        return (l->stop && message == movieProgressUpdatePercent && percent > 0) ? userCanceledErr : noErr;
    };
    SetMovieProgressProc(m, proc, reinterpret_cast<SRefCon>(&log));
    ASSERT_EQ(flatten_to(m, dir / "copy.mov"), noErr);
    ASSERT_GE(log.messages.size(), 3u);
    EXPECT_EQ(std::tuple(log.messages.front(), log.messages.back()), std::tuple(SInt16(movieProgressOpen), SInt16(movieProgressClose)));
    EXPECT_TRUE(std::is_sorted(log.percents.begin() + 1, log.percents.end() - 1));
    EXPECT_EQ(log.percents[log.percents.size() - 2], 0x10000);

    log = Log{};
    log.stop = true;
    Bytes before = read_bytes(dir / "copy.mov");
    EXPECT_EQ((std::tuple{flatten_to(m, dir / "copy.mov"), read_bytes(dir / "copy.mov"), log.messages.back()}), std::tuple(progressProcAborted, before, movieProgressClose));
    DisposeMovie(m);
}

// What the file reader refuses is tested on its own; what the toolbox adds
// when it makes tracks of a movie read: one ID for two tracks.
TEST(MovieFiles, TwoTracksWithOneIdAreRefused) {
    TempFolder dir;
    DisposeMovie(make_movie(dir / "good.mov", MovieSpec{5, 8000, 800, ""}));
    Bytes b = read_bytes(dir / "good.mov");
    const char tkhd[] = "tkhd";
    const size_t first = size_t(std::search(b.begin(), b.end(), tkhd, tkhd + 4) - b.begin()) - 4;
    ASSERT_LT(first, b.size());
    platform::store_u32be(&b[first + 20], 2);   // the video track takes the sound track's ID
    write_bytes(dir / "bad.mov", b);
    Opened m(dir / "bad.mov", fsRdPerm);
    EXPECT_EQ(std::tuple(m.err, m.movie), std::tuple(OSErr(invalidTrack), Movie(nullptr)));
}
