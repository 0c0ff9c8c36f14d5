// Save As survives a crash at any point: for every k, a child process does
// a Save As (FlattenMovieData) and is ended by the file layer just before
// its k-th write, truncate, sync, rename or unlink; the source is untouched
// and the destination is byte for byte the old file (or absent) or the
// complete new one, which ffprobe and ffmpeg read. (Save at every point of
// failure: MovieFileUpdate, in movie_file_test.) A full disk fails either
// with dskFulErr and leaves the original.
#include <cstring>
#include <map>

#include "ToolboxTestSupport.h"
#include "platform/files/FaultInjection.h"

using namespace tbtest;
namespace faults = platform::files::faults;

namespace {

// Gives a movie a name of `size` bytes.
void add_name(Movie m, Size size) {
    Handle h = NewHandle(size);
    std::memset(*h, 'x', size_t(size));
    AddUserDataText(GetMovieUserData(m), h, kUserDataTextFullName, 1, 0);
    DisposeHandle(h);
}

// Runs `op` in a child; returns its exit status.
int in_child(long crash_at, const std::function<OSErr()>& op) {
    return testsupport::run_in_child([&] {
        faults::crash_before_operation(crash_at);
        return op() == noErr ? 0 : 1;
    });
}

// Operations the file layer counts while `op` runs in this process.
long count_operations(const std::function<OSErr()>& op) {
    long before = faults::operation_count();
    EXPECT_EQ(op(), noErr);
    return faults::operation_count() - before;
}

class CrashConsistency : public testing::Test {
protected:
    void SetUp() override {
        template_ = dir_ / "template.mov";
        Movie m = make_movie(template_, MovieSpec{6, 8000, 1600, ""});
        add_name(m, 500);
        ASSERT_EQ(UpdateMovieResource(m, Opened(template_).ref, movieInDataForkResID, nullptr), noErr);
        DisposeMovie(m);
        samples_ = samples_of_file(template_);
        ASSERT_FALSE(samples_.empty());
    }

    void reset(const std::string& name, const std::string& from) {
        std::filesystem::copy_file(from, dir_ / name, std::filesystem::copy_options::overwrite_existing);
    }

    void remove_temporaries() {
        for (auto& e : std::filesystem::directory_iterator(dir_.path()))
            if (e.path().extension() == ".tmp") std::filesystem::remove(e.path());
    }

    TempFolder dir_;
    std::string template_;
    Bytes samples_;
};

// A Save of the movie grown by a 60000-byte name, past its free space.
OSErr save(const std::string& path) {
    Opened m(path);
    if (m.err != noErr) return m.err;
    add_name(m.movie, 60000);
    return UpdateMovieResource(m.movie, m.ref, movieInDataForkResID, nullptr);
}

OSErr save_as(const std::string& source, const std::string& dest) {
    Opened m(source);
    return m.err != noErr ? m.err : flatten_to(m.movie, dest);
}

}  // namespace

TEST_F(CrashConsistency, SaveAsLeavesTheOldDestinationOrTheCompleteCopy) {
    struct Case { const char* name; std::string dest; bool dest_exists; } cases[] = {   // dest empty: the source itself
        {"a new file", "copy.mov", false}, {"over another file", "other.mov", true}, {"over its own source", "", true}};
    DisposeMovie(make_movie(dir_ / "other-template.mov", MovieSpec{2, 8000, 100, ""}));   // to be overwritten
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = dir_ / "source.mov", dest = c.dest.empty() ? source : (dir_ / c.dest).string();
        auto set_up = [&] {
            reset("source.mov", template_);
            std::filesystem::remove(dir_ / "copy.mov");
            if (c.dest == "other.mov") reset("other.mov", dir_ / "other-template.mov");
            remove_temporaries();
        };
        set_up();
        const Bytes source_before = read_bytes(source);
        const Bytes dest_before = c.dest_exists ? read_bytes(dest) : Bytes{};
        long n = count_operations([&] { return save_as(source, dest); });
        const Bytes dest_after = read_bytes(dest);
        ASSERT_NE(dest_after, dest_before);

        std::map<int, bool> peer_checked;
        for (long k = 1; k <= n + 1; ++k) {
            SCOPED_TRACE(k);
            set_up();
            int status = in_child(k, [&] { return save_as(source, dest); });
            ASSERT_EQ(status, k <= n ? faults::kCrashExitStatus : 0);
            if (dest != source) { EXPECT_EQ(read_bytes(source), source_before) << "the source is untouched"; }
            const bool present = std::filesystem::exists(dest);
            const Bytes now = present ? read_bytes(dest) : Bytes{};
            const int state = c.dest_exists ? !(present && now == dest_before) : present;
            ASSERT_TRUE(!state || now == dest_after) << "the destination is neither the old file nor the copy";
            if (present && !peer_checked[state]) {
                peer_checked[state] = true;
                EXPECT_TRUE(peer_clean(dest));
                if (state) { EXPECT_EQ(samples_of_file(dest), samples_); }
            }
        }
    }
}

TEST_F(CrashConsistency, AFullDiskIsReportedAndTheOriginalStays) {
    std::string path = dir_ / "m.mov";
    reset("m.mov", template_);
    const Bytes old_moov = first_moov(path);
    long before = faults::write_count();
    ASSERT_EQ(save(path), noErr);
    long save_writes = faults::write_count() - before;
    for (long k = 1; k <= save_writes; ++k) {
        SCOPED_TRACE(k);
        reset("m.mov", template_);
        faults::fail_write(k);
        EXPECT_EQ(save(path), dskFulErr);
        faults::fail_write(0);
        EXPECT_EQ((std::tuple{first_moov(path), samples_of_file(path)}), std::tuple(old_moov, samples_));
    }

    reset("other.mov", template_);
    const Bytes other = read_bytes(dir_ / "other.mov");
    before = faults::write_count();
    ASSERT_EQ(save_as(path, dir_ / "copy.mov"), noErr);
    long flatten_writes = faults::write_count() - before;
    for (long k = 1; k <= flatten_writes; ++k) {
        SCOPED_TRACE(k);
        faults::fail_write(k);
        EXPECT_EQ(save_as(path, dir_ / "other.mov"), dskFulErr);
        faults::fail_write(0);
        EXPECT_EQ(read_bytes(dir_ / "other.mov"), other);
        for (auto& e : std::filesystem::directory_iterator(dir_.path())) EXPECT_NE(e.path().extension(), ".tmp");
    }
}
