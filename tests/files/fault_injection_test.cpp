// Fault injection of the file layer: injected crashes and disk-full writes.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Files.h"
#include "platform/files/Catalog.h"
#include "platform/files/FaultInjection.h"
#include "platform/files/FileIO.h"
#include "tests/support/PString.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"

using namespace testsupport;

namespace files = platform::files;
namespace faults = platform::files::faults;
namespace fs = std::filesystem;

namespace {

// Runs the helper program with extra environment variables; its exit code.
int run_helper(const fs::path& folder, const std::vector<std::string>& env, bool exit_to_shell = false) {
    std::vector<std::string> args = {KINORA_BUILD_DIR "/tests/files_fault_helper", folder.string()};
    if (exit_to_shell) args.push_back("exit");
    RunOptions options;
    options.env = env;
    return run_program(args, options).status;
}

}  // namespace

TEST(FaultInjection, EveryCrashPointLeavesTheOldOrTheNewFile) {
    TempFolder tmp;
    fs::path report = tmp / "ops.txt";
    fs::create_directory(tmp / "doc");
    ASSERT_EQ(run_helper(tmp / "doc", {"KINORA_REPORT_FILE_OPS=" + report.string()}), 0);
    const std::string complete = "new contents complete";
    EXPECT_EQ(read_file(tmp / "doc" / "doc.txt"), complete);
    int count = std::stoi(read_file(report));
    EXPECT_EQ(count, 6) << "3 writes, a sync, a rename, a folder sync";

    // The report also comes out when the process leaves through ExitToShell.
    fs::remove(report);
    ASSERT_EQ(run_helper(tmp / "doc", {"KINORA_REPORT_FILE_OPS=" + report.string()}, true), 0);
    EXPECT_EQ(std::stoi(read_file(report)), count);

    for (int k = 1; k <= count; ++k) {
        SCOPED_TRACE(k);
        fs::path folder = tmp / ("crash" + std::to_string(k));
        fs::create_directory(folder);
        write_file(folder / "doc.txt", "old");
        EXPECT_EQ(run_helper(folder, {"KINORA_CRASH_AT_FILE_OP=" + std::to_string(k)}), faults::kCrashExitStatus);
        // Up to the rename (operation 5) the old file stands; from then on the new one.
        EXPECT_EQ(read_file(folder / "doc.txt"), k <= 5 ? "old" : complete);
        // The temporary file holds exactly the writes made before the crash.
        size_t leftovers = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().filename() == "doc.txt") continue;
            ++leftovers;
            const char* expected[] = {"", "new ", "new contents ", complete.c_str(), complete.c_str()};
            EXPECT_EQ(read_file(entry.path()), expected[k - 1]);
        }
        EXPECT_EQ(leftovers, k <= 5 ? 1u : 0u);
    }

    // A crash point past the last operation changes nothing.
    EXPECT_EQ(run_helper(tmp / "doc", {"KINORA_CRASH_AT_FILE_OP=" + std::to_string(count + 1)}), 0);
}

TEST(FaultInjection, InjectedDiskFullWriteWritesNothing) {
    TempFolder tmp;
    FSSpec spec{};
    ASSERT_EQ(files::make_fsspec(tmp / "f.bin", &spec), fnfErr);
    ASSERT_EQ(FSpCreate(&spec, 'TVOD', 'MooV', smSystemScript), noErr);
    SInt16 ref;
    ASSERT_EQ(FSpOpenDF(&spec, fsRdWrPerm, &ref), noErr);

    long before = faults::write_count();
    faults::fail_write(2);
    SInt32 n = 3;
    EXPECT_EQ(FSWrite(ref, &n, "abc"), noErr);
    n = 3;
    EXPECT_EQ(FSWrite(ref, &n, "def"), dskFulErr);
    EXPECT_EQ(n, 0);
    n = 3;
    EXPECT_EQ(FSWrite(ref, &n, "ghi"), noErr) << "only the chosen write fails";
    EXPECT_EQ(faults::write_count() - before, 3);
    FSClose(ref);
    EXPECT_EQ(read_file(tmp / "f.bin"), "abcghi");

    // Finder information is a write too: a failing one leaves no half-made file.
    FSSpec other{};
    ASSERT_EQ(files::make_fsspec(tmp / "g.mov", &other), fnfErr);
    faults::fail_write(1);
    EXPECT_EQ(FSpCreate(&other, 'TVOD', 'MooV', smSystemScript), dskFulErr);
    EXPECT_FALSE(fs::exists(tmp / "g.mov"));
}
