// Copies between files: the kernel's copy and the process's give the same
// bytes, also from one file system to another; a source that ends early
// fails; and a copy is one counted write that the fault switches reach.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/Files.h"
#include "platform/files/FaultInjection.h"
#include "platform/files/FileIO.h"
#include "tests/support/TempFolder.h"

using namespace testsupport;

namespace files = platform::files;
namespace faults = platform::files::faults;
namespace fs = std::filesystem;

namespace {

// A folder on another file system (a tmpfs), when the machine has one.
struct OtherFileSystem {
    OtherFileSystem() {
        std::string name = "/dev/shm/kinora-copy-XXXXXX";
        if (fs::is_directory("/dev/shm") && ::mkdtemp(name.data())) path = name;
    }
    ~OtherFileSystem() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    fs::path path;
};

}  // namespace

TEST(FileCopy, TheSameBytesWhoeverCopiesThem) {
    TempFolder dir("file-copy");
    OtherFileSystem other;
    // More than a few of the process's steps, from and to odd offsets.
    std::vector<std::uint8_t> source((size_t(3) << 20) + 5000);
    for (size_t i = 0; i < source.size(); ++i) source[i] = std::uint8_t((i * 131) ^ (i >> 11));
    write_bytes(dir / "source", source);
    auto in = files::File::open(dir / "source", files::Access::Read).value();
    const size_t from = 1234, n = source.size() - from - 99;

    struct Case {
        const char* name;
        fs::path folder;
        bool refused;
    } cases[] = {{"by the kernel", dir.path(), false}, {"by the process", dir.path(), true},
                 {"to another file system", other.path, false}};
    for (const Case& c : cases) {
        if (c.folder.empty()) continue;
        SCOPED_TRACE(c.name);
        auto out = files::File::open(c.folder / c.name, files::Access::ReadWrite, files::Create::Exclusive).value();
        ASSERT_TRUE(out.write_at("head", 4, 0).ok());
        faults::refuse_kernel_copies(c.refused);
        size_t copied = 0;
        auto done = out.copy_from(in, from, n, 4, &copied);
        auto short_source = out.copy_from(in, source.size() - 10, 100, 4 + n, &copied);
        faults::refuse_kernel_copies(false);
        ASSERT_TRUE(done.ok()) << done.error().message;
        std::vector<std::uint8_t> expected{'h', 'e', 'a', 'd'};
        expected.insert(expected.end(), source.begin() + from, source.begin() + from + n);
        std::vector<std::uint8_t> got = read_bytes(c.folder / c.name);
        got.resize(std::min(got.size(), expected.size()));
        EXPECT_EQ(got, expected);
        ASSERT_FALSE(short_source.ok());
        EXPECT_EQ(short_source.code(), eofErr);
        EXPECT_LE(copied, 10u);
    }
}

TEST(FileCopy, IsOneWriteThatTheFaultSwitchesReach) {
    TempFolder dir("file-copy");
    write_bytes(dir / "source", std::vector<std::uint8_t>(size_t(2) << 20, 7));
    auto in = files::File::open(dir / "source", files::Access::Read).value();
    auto out = files::File::open(dir / "copy", files::Access::ReadWrite, files::Create::Exclusive).value();
    long before = faults::write_count();
    ASSERT_TRUE(out.copy_from(in, 0, size_t(2) << 20, 0).ok());
    EXPECT_EQ(faults::write_count(), before + 1);

    faults::fail_write(1);
    auto failed = out.copy_from(in, 0, 100, size_t(2) << 20);
    faults::fail_write(0);
    EXPECT_EQ(failed.code(), dskFulErr);
    EXPECT_EQ(out.size().value(), size_t(2) << 20) << "nothing written";
}
