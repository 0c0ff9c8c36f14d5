// Open files: reading, writing, the mark, the end of file, and who may write.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "platform/Files.h"
#include "platform/files/AccessPaths.h"
#include "platform/files/Catalog.h"
#include "platform/files/FileIO.h"
#include "tests/support/PString.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using namespace testsupport;

namespace files = platform::files;
namespace fs = std::filesystem;

namespace {

FSSpec spec_for(const fs::path& path) {
    FSSpec spec{};
    OSErr err = files::make_fsspec(path, &spec);
    EXPECT_TRUE(err == noErr || err == fnfErr) << err;
    return spec;
}

// Closes every reference number a test opened, even when it fails early.
struct Refs {
    ~Refs() {
        for (SInt16 r : refs) FSClose(r);
    }
    SInt16 open(const FSSpec& spec, SInt8 perm, OSErr* err) {
        SInt16 ref = 0;
        *err = FSpOpenDF(&spec, perm, &ref);
        if (*err == noErr) refs.push_back(ref);
        return ref;
    }
    std::vector<SInt16> refs;
};

}  // namespace

TEST(FileAccess, ReadWriteMarkAndEndOfFile) {
    TempFolder tmp;
    FSSpec spec = spec_for(tmp / "data.bin");
    ASSERT_EQ(FSpCreate(&spec, 'ttxt', 'TEXT', smSystemScript), noErr);
    Refs refs;
    OSErr err;
    SInt16 ref = refs.open(spec, fsRdWrPerm, &err);
    ASSERT_EQ(err, noErr);
    ASSERT_GT(ref, 0);

    SInt32 n = 10, pos = -1, eof = -1;
    ASSERT_EQ(FSWrite(ref, &n, "0123456789"), noErr);
    ASSERT_EQ(std::tuple(GetFPos(ref, &pos), GetEOF(ref, &eof)), std::tuple(noErr, noErr));
    EXPECT_EQ(std::tuple(n, pos, eof), std::tuple(10, 10, 10));

    // Positioning: each mode from a known mark; errors leave or clamp the mark as documented.
    const struct { SInt16 mode; SInt32 offset; OSErr err; SInt32 mark_after; } moves[] = {
        {fsFromStart, 3, noErr, 3},  {fsFromMark, 2, noErr, 5},  {fsAtMark, 99, noErr, 5},
        {fsFromLEOF, -4, noErr, 6},  {fsFromMark, -7, posErr, 6}, {fsFromStart, -1, posErr, 6},
        {fsFromLEOF, 5, eofErr, 10}, {fsFromStart, 10, noErr, 10}, {fsFromStart, 0, noErr, 0}, {9, 0, paramErr, 0},
    };
    for (const auto& m : moves) {
        EXPECT_EQ((std::tuple{SetFPos(ref, m.mode, m.offset), GetFPos(ref, &pos), pos}), std::tuple(m.err, noErr, m.mark_after))
            << "mode " << m.mode << " offset " << m.offset;
    }

    // Reads: a full read, then one that runs into the end with the partial count.
    char buf[16] = {};
    auto read = [&](SInt32 count) {
        n = count;
        const OSErr err = FSRead(ref, &n, buf);
        return std::tuple(err, n, std::string(buf, size_t(n)));
    };
    ASSERT_EQ(SetFPos(ref, fsFromStart, 2), noErr);
    EXPECT_EQ(read(4), std::tuple(noErr, 4, "2345"));
    EXPECT_EQ(read(10), std::tuple(eofErr, 4, "6789"));
    EXPECT_EQ(read(1), std::tuple(eofErr, 0, ""));

    // Overwriting in the middle, then cutting and growing the file.
    ASSERT_EQ(SetFPos(ref, fsFromStart, 8), noErr);
    n = 4;
    ASSERT_EQ(FSWrite(ref, &n, "abcd"), noErr);
    EXPECT_EQ(read_file(tmp / "data.bin"), "01234567abcd");
    ASSERT_EQ(SetEOF(ref, 5), noErr);
    ASSERT_EQ(GetFPos(ref, &pos), noErr);
    EXPECT_EQ(pos, 5) << "the mark follows a shrinking end of file";
    ASSERT_EQ(SetEOF(ref, 7), noErr);
    EXPECT_EQ(read_file(tmp / "data.bin"), std::string("01234\0\0", 7));
    EXPECT_EQ(std::tuple(SetEOF(ref, -1), FlushFile(ref)), std::tuple(paramErr, noErr));

    // Bad counts and a number that was never handed out.
    SInt32 negative = -1, one = 1, another = 1;
    EXPECT_EQ((std::tuple{FSRead(ref, &negative, buf), FSWrite(ref, &one, nullptr), FSRead(31999, &another, buf),
                          SetFPos(31999, fsFromStart, 0), FSClose(31999)}),
              std::tuple(paramErr, paramErr, rfNumErr, rfNumErr, rfNumErr));
}

TEST(FileAccess, PermissionsOfAnOpenFile) {
    TempFolder tmp;
    write_file(tmp / "f", "hello");
    FSSpec spec = spec_for(tmp / "f");
    Refs refs;
    OSErr err;
    SInt16 ro = refs.open(spec, fsRdPerm, &err);
    ASSERT_EQ(err, noErr);
    SInt32 n = 1;
    EXPECT_EQ((std::tuple{FSWrite(ro, &n, "x"), n, SetEOF(ro, 0)}), std::tuple(wrPermErr, 0, wrPermErr));
    SInt16 wo = refs.open(spec, fsWrPerm, &err);
    ASSERT_EQ(err, noErr);
    char c;
    SInt32 one = 1;
    n = 1;
    EXPECT_EQ(std::tuple(FSRead(wo, &n, &c), FSWrite(wo, &one, "J"), files::permission_of(wo).value_or(-1)),
              std::tuple(permErr, noErr, fsWrPerm));
    EXPECT_EQ(read_file(tmp / "f"), "Jello");

    SInt16 ref;
    FSSpec missing = spec_for(tmp / "missing"), folder = spec_for(tmp.path());
    EXPECT_EQ(std::tuple(FSpOpenDF(&spec, 9, &ref), FSpOpenDF(&missing, fsRdPerm, &ref), FSpOpenDF(&folder, fsRdPerm, &ref)),
              std::tuple(paramErr, fnfErr, notAFileErr));
}

TEST(FileAccess, OneWriterAtATimeInThisProcess) {
    TempFolder tmp;
    write_file(tmp / "movie.mov", "m");
    FSSpec spec = spec_for(tmp / "movie.mov");
    Refs refs;
    OSErr err;
    SInt16 writer = refs.open(spec, fsRdWrPerm, &err);
    ASSERT_EQ(err, noErr);

    const struct {
        SInt8 perm;
        OSErr err;
    } second[] = {{fsRdWrPerm, opWrErr}, {fsWrPerm, opWrErr}, {fsRdWrShPerm, opWrErr}, {fsRdPerm, noErr}};
    for (const auto& s : second) {
        refs.open(spec, s.perm, &err);
        EXPECT_EQ(err, s.err) << int(s.perm);
    }
    // fsCurPerm settles for reading while someone writes.
    SInt16 cur = refs.open(spec, fsCurPerm, &err);
    ASSERT_EQ(err, noErr);
    // Deleting a file someone writes is refused.
    EXPECT_EQ(std::tuple(files::permission_of(cur).value_or(-1), FSpDelete(&spec)), std::tuple(SInt8(fsRdPerm), fBsyErr));

    ASSERT_EQ(FSClose(writer), noErr);
    refs.refs.erase(refs.refs.begin());
    SInt16 again = refs.open(spec, fsRdWrPerm, &err);
    EXPECT_EQ(std::tuple(err, files::permission_of(again).value_or(-1)), std::tuple(noErr, SInt8(fsRdWrPerm)))
        << "closing the writer frees the file";
}

TEST(FileAccess, OneWriterAtATimeAcrossProcesses) {
    TempFolder tmp;
    write_file(tmp / "movie.mov", "m");
    FSSpec spec = spec_for(tmp / "movie.mov");

    // A child writes and waits: this process may read but not write until it is gone.
    SInt16 ref;
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t pid = fork();
    if (pid == 0) {
        SInt16 r;
        char c = FSpOpenDF(&spec, fsRdWrPerm, &r) == noErr ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_TRUE(read(ready[0], &c, 1) == 1 && c == 'y');
    EXPECT_EQ(std::tuple(FSpOpenDF(&spec, fsRdWrPerm, &ref), FSpDelete(&spec)), std::tuple(opWrErr, fBsyErr));
    ASSERT_EQ(FSpOpenDF(&spec, fsRdPerm, &ref), noErr);
    FSClose(ref);
    (void)!write(release[1], "x", 1);
    int status;
    waitpid(pid, &status, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
    ASSERT_EQ(FSpOpenDF(&spec, fsRdWrPerm, &ref), noErr) << "the lock ends with the process";
    FSClose(ref);
}

// Root opens anything whatever its permission bits, so each way a file
// refuses writers is made real: a child that gives up root meets the bits,
// the immutable attribute stops root itself, and a read-only bind mount
// gives a read-only file system.
TEST(FileAccess, FilesThatRefuseWritersOpenReadOnly) {
    TempFolder tmp;
    write_file(tmp / "locked.mov", "movie");
    chmod((tmp / "locked.mov").c_str(), 0444);
    FSSpec spec = spec_for(tmp / "locked.mov");

    auto check = [&](const FSSpec& s, OSErr expected) {
        SInt16 r;
        if (FSpOpenDF(&s, fsRdWrPerm, &r) != expected) return 1;
        if (FSpOpenDF(&s, fsWrPerm, &r) != expected) return 2;
        if (FSpOpenDF(&s, fsCurPerm, &r) != noErr) return 3;
        if (files::permission_of(r).value_or(-1) != fsRdPerm) return 4;
        char buf[8];
        SInt32 n = 5;
        if (FSRead(r, &n, buf) != noErr || std::string(buf, 5) != "movie") return 5;
        FSClose(r);
        return 0;
    };

    // 1. Permission bits, as an unprivileged user.
    EXPECT_EQ(run_in_child([&] {
                  if (geteuid() == 0) {
                      struct passwd* nobody = getpwnam("nobody");
                      if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) return kChildCannotRun;
                  }
                  return check(spec, permErr);
              }),
              0);

    // 2. The immutable attribute (root only).
    chmod((tmp / "locked.mov").c_str(), 0644);
    if (geteuid() == 0 && run_program({"chattr", "+i", tmp / "locked.mov"}).status == 0) {
        EXPECT_EQ(check(spec, permErr), 0);
        run_program({"chattr", "-i", tmp / "locked.mov"});
    }

    // 3. A read-only file system.
    fs::create_directory(tmp / "ro");
    int code = run_in_child([&] {
        fs::path ro = tmp / "ro";
        if (!private_mounts() || mount(tmp.path().c_str(), ro.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) return kChildCannotRun;
        return check(spec_for(ro / "locked.mov"), wrPermErr);
    });
    if (code == kChildCannotRun) KINORA_SKIP_OR_FAIL(cannot_mount("a read-only bind mount"));
    EXPECT_EQ(code, 0);
}

TEST(FileAccess, TooManyOpenFiles) {
    TempFolder tmp;
    write_file(tmp / "f", "");
    FSSpec spec = spec_for(tmp / "f");
    int code = run_in_child([&] {
        struct rlimit lim = {32, 32};
        if (setrlimit(RLIMIT_NOFILE, &lim) != 0) return kChildCannotRun;
        SInt16 r;
        for (int i = 0; i < 64; ++i) {
            OSErr err = FSpOpenDF(&spec, fsRdPerm, &r);
            if (err == tmfoErr) return 0;
            if (err != noErr) return 1;
        }
        return 2;
    });
    EXPECT_EQ(code, 0);
}

TEST(FileAccess, DeleteAndRename) {
    TempFolder tmp;
    write_file(tmp / "a.mov", "a");
    write_file(tmp / "b.mov", "b");
    fs::create_directory(tmp / "full");
    write_file(tmp / "full" / "x", "");
    fs::create_directory(tmp / "empty");
    FSSpec a = spec_for(tmp / "a.mov");

    EXPECT_EQ((std::tuple{FSpRename(&a, PStr("b.mov")), FSpRename(&a, PStr("x/y")), FSpRename(&a, PStr("c.mov")),
                          FSpRename(&a, PStr("d.mov"))}), std::tuple(dupFNErr, bdNamErr, noErr, fnfErr));
    EXPECT_EQ(std::tuple(read_file(tmp / "c.mov"), read_file(tmp / "b.mov")), std::tuple(std::string("a"), std::string("b")));

    FSSpec full = spec_for(tmp / "full"), empty = spec_for(tmp / "empty"), c = spec_for(tmp / "c.mov");
    EXPECT_EQ((std::tuple{FSpDelete(&full), FSpDelete(&empty), FSpDelete(&c), FSpDelete(&c), fs::exists(tmp / "c.mov")}),
              std::tuple(fBsyErr, noErr, noErr, fnfErr, false));
    EXPECT_EQ(files::open_access_path_count(), 0u);
}

// A crash while a copy is written leaves its temporary behind; the next
// copy to that name clears it. Only files of exactly the temporaries'
// naming for that name that nobody holds open go: never the document, a
// temporary still being written, another name's, or a link.
TEST(FileAccess, TemporariesLeftByACrashAreClearedAway) {
    TempFolder tmp;
    auto live = files::File::create_temp(tmp.path(), "Movie.mov");
    ASSERT_TRUE(live.ok());
    std::string stale;
    {
        auto crashed = files::File::create_temp(tmp.path(), "Movie.mov");
        ASSERT_TRUE(crashed.ok());
        stale = crashed->path().filename();
    }
    const char* kept[] = {"Movie.mov", ".Movie.mov.abcdefg.tmp", ".Movie.mov.ABCDEFGH.tmp", ".Other.mov.abcdefgh.tmp",
                          "Movie.mov.abcdefgh.tmp"};
    for (const char* name : kept) write_file(tmp / name, name);
    fs::create_symlink("Movie.mov", tmp / ".Movie.mov.linkedto.tmp");

    files::remove_stale_temps(tmp.path(), "Movie.mov");
    EXPECT_FALSE(fs::exists(tmp / stale));
    EXPECT_TRUE(fs::exists(live->path())) << "a temporary being written was removed";
    for (const char* name : kept) EXPECT_EQ(read_file(tmp / name), name);
    EXPECT_TRUE(fs::is_symlink(tmp / ".Movie.mov.linkedto.tmp"));

    ASSERT_TRUE(live->close().ok());
    files::remove_stale_temps(tmp.path(), "Movie.mov");
    EXPECT_FALSE(fs::exists(live->path()));
}
