// Finder information: stored in our attribute, implied by extensions.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <tuple>

#include "platform/Files.h"
#include "platform/files/Catalog.h"
#include "platform/files/FinderInfo.h"
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

}  // namespace

TEST(FinderInfo, TypeFollowsTheExtensionWhenNoneIsStored) {
    TempFolder tmp;
    const struct {
        const char* name;
        OSType type;
    } cases[] = {
        {"a.mov", 'MooV'}, {"a.MOV", 'MooV'}, {"a.mp4", 'MooV'}, {"a.png", 'PNGf'}, {"a.JPEG", 'JPEG'},
        {"a.gif", 'GIFf'}, {"a.bmp", 'BMPf'}, {"a.wav", 'WAVE'}, {"a.aifc", 'AIFC'}, {"a.qtif", 'qtif'},
        {"a.txt", 'TEXT'}, {"a.avi", 0}, {"noext", 0}, {".mov", 0}, {"a.mov.bak", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(tmp / c.name, "");
        FSSpec spec = spec_for(tmp / c.name);
        FInfo info{};
        ASSERT_EQ(FSpGetFInfo(&spec, &info), noErr);
        EXPECT_EQ(info.fdType, c.type);
        EXPECT_EQ(info.fdCreator, 0u);
    }
}

TEST(FinderInfo, StoredInfoWinsAndIsTheBigEndianRecord) {
    TempFolder tmp;
    write_file(tmp / "clip.txt", "data");
    FSSpec spec = spec_for(tmp / "clip.txt");
    FInfo info{};
    info.fdType = 'MooV';
    info.fdCreator = 'TVOD';
    info.fdFlags = kIsStationery;
    info.fdLocation = {12, -34};
    ASSERT_EQ(FSpSetFInfo(&spec, &info), noErr);

    // The attribute holds the big-endian record.
    UInt8 raw[32];
    ssize_t n = getxattr((tmp / "clip.txt").c_str(), files::kFinderInfoAttribute, raw, sizeof raw);
    ASSERT_EQ(n, 16);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), 8), "MooVTVOD");

    FInfo got{};
    ASSERT_EQ(FSpGetFInfo(&spec, &got), noErr);
    EXPECT_EQ(std::tuple(got.fdType, got.fdCreator, got.fdFlags, got.fdLocation.v, got.fdLocation.h),
              std::tuple(OSType('MooV'), OSType('TVOD'), UInt16(kIsStationery), SInt16(12), SInt16(-34)));
}

TEST(FinderInfo, DamagedOrShortAttributes) {
    TempFolder tmp;
    write_file(tmp / "a.png", "");
    auto path = (tmp / "a.png").string();
    FSSpec spec = spec_for(tmp / "a.png");
    FInfo got{};

    // Type and creator alone are enough; the rest reads as 0.
    ASSERT_EQ(setxattr(path.c_str(), files::kFinderInfoAttribute, "TEXTttxt", 8, 0), 0);
    ASSERT_EQ(FSpGetFInfo(&spec, &got), noErr);
    EXPECT_EQ(std::tuple(got.fdType, got.fdCreator, got.fdFlags), std::tuple(OSType('TEXT'), OSType('ttxt'), UInt16(0)));

    // Fewer than 8 bytes is damage: the extension decides.
    ASSERT_EQ(setxattr(path.c_str(), files::kFinderInfoAttribute, "TEX", 3, 0), 0);
    ASSERT_EQ(FSpGetFInfo(&spec, &got), noErr);
    EXPECT_EQ(got.fdType, OSType('PNGf'));

    // Longer than the record: the extra bytes are ignored.
    std::string longer = "JPEGogle" + std::string(40, '\x01');
    ASSERT_EQ(setxattr(path.c_str(), files::kFinderInfoAttribute, longer.data(), longer.size(), 0), 0);
    ASSERT_EQ(FSpGetFInfo(&spec, &got), noErr);
    EXPECT_EQ(got.fdType, OSType('JPEG'));
    EXPECT_EQ(got.fdFldr, 0x0101);
}

TEST(FinderInfo, FoldersMissingFilesAndCreation) {
    TempFolder tmp;
    fs::create_directory(tmp / "dir");
    FInfo info{};
    FSSpec dir = spec_for(tmp / "dir");
    EXPECT_EQ(FSpGetFInfo(&dir, &info), notAFileErr);
    EXPECT_EQ(FSpSetFInfo(&dir, &info), notAFileErr);
    FSSpec missing = spec_for(tmp / "none.mov");
    EXPECT_EQ(FSpGetFInfo(&missing, &info), fnfErr);
    EXPECT_EQ(FSpSetFInfo(&missing, &info), fnfErr);

    FSSpec created = spec_for(tmp / "New Movie");
    ASSERT_EQ(FSpCreate(&created, 'TVOD', 'MooV', smCurrentScript), noErr);
    ASSERT_EQ(FSpGetFInfo(&created, &info), noErr);
    EXPECT_EQ(std::tuple(info.fdType, info.fdCreator, fs::file_size(tmp / "New Movie")),
              std::tuple(OSType('MooV'), OSType('TVOD'), 0u));
    EXPECT_EQ(FSpCreate(&created, 'TVOD', 'MooV', smCurrentScript), dupFNErr);
    EXPECT_EQ(FSpCreate(&dir, 'TVOD', 'MooV', smCurrentScript), dupFNErr);
}

TEST(FinderInfo, FileSystemWithoutAttributes) {
    TempFolder tmp;
    fs::path mnt = tmp / "ramfs";
    fs::create_directory(mnt);
    // A child mounts a file system that keeps no extended attributes.
    int code = run_in_child([&] {
        if (!private_mounts() || mount("none", mnt.c_str(), "ramfs", 0, nullptr) != 0) return kChildCannotRun;
        FSSpec spec = spec_for(mnt / "clip.mov");
        if (FSpCreate(&spec, 'TVOD', 'MooV', smSystemScript) != noErr) return 1;   // still created
        FInfo info{};
        if (FSpGetFInfo(&spec, &info) != noErr || info.fdType != 'MooV' || info.fdCreator != 0) return 2;
        info.fdCreator = 'TVOD';
        if (FSpSetFInfo(&spec, &info) != ioErr) return 3;   // refused, not pretended
        return 0;
    });
    if (code == kChildCannotRun) KINORA_SKIP_OR_FAIL(cannot_mount("a ramfs"));
    EXPECT_EQ(code, 0);
}
