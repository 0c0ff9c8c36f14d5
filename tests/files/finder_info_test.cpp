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
    const struct { const char* name; OSType type; } cases[] = {
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
        EXPECT_EQ(std::tuple(info.fdType, info.fdCreator), std::tuple(c.type, OSType(0)));
    }
}

TEST(FinderInfo, StoredInfoWinsAndIsTheBigEndianRecord) {
    TempFolder tmp;
    write_file(tmp / "clip.txt", "data");
    FSSpec spec = spec_for(tmp / "clip.txt");
    FInfo info{};
    info.fdType = 'MooV', info.fdCreator = 'TVOD', info.fdFlags = kIsStationery, info.fdLocation = {12, -34};
    ASSERT_EQ(FSpSetFInfo(&spec, &info), noErr);

    // The attribute holds the big-endian record.
    char raw[32];
    ASSERT_EQ(getxattr((tmp / "clip.txt").c_str(), files::kFinderInfoAttribute, raw, sizeof raw), 16);
    EXPECT_EQ(std::string(raw, 8), "MooVTVOD");

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

    auto stored = [&](const std::string& attribute) {
        EXPECT_EQ(setxattr(path.c_str(), files::kFinderInfoAttribute, attribute.data(), attribute.size(), 0), 0);
        EXPECT_EQ(FSpGetFInfo(&spec, &got), noErr);
        return got;
    };
    // Type and creator alone are enough; the rest reads as 0.
    stored("TEXTttxt");
    EXPECT_EQ(std::tuple(got.fdType, got.fdCreator, got.fdFlags), std::tuple(OSType('TEXT'), OSType('ttxt'), UInt16(0)));
    // Fewer than 8 bytes is damage: the extension decides.
    EXPECT_EQ(stored("TEX").fdType, OSType('PNGf'));
    // Longer than the record: the extra bytes are ignored.
    stored("JPEGogle" + std::string(40, '\x01'));
    EXPECT_EQ(std::tuple(got.fdType, got.fdFldr), std::tuple(OSType('JPEG'), SInt16(0x0101)));
}

TEST(FinderInfo, FoldersMissingFilesAndCreation) {
    TempFolder tmp;
    fs::create_directory(tmp / "dir");
    FInfo info{};
    FSSpec dir = spec_for(tmp / "dir"), missing = spec_for(tmp / "none.mov");
    EXPECT_EQ(std::tuple(FSpGetFInfo(&dir, &info), FSpSetFInfo(&dir, &info), FSpGetFInfo(&missing, &info), FSpSetFInfo(&missing, &info)),
              std::tuple(notAFileErr, notAFileErr, fnfErr, fnfErr));

    FSSpec created = spec_for(tmp / "New Movie");
    ASSERT_EQ(FSpCreate(&created, 'TVOD', 'MooV', smCurrentScript), noErr);
    ASSERT_EQ(FSpGetFInfo(&created, &info), noErr);
    EXPECT_EQ(std::tuple(info.fdType, info.fdCreator, fs::file_size(tmp / "New Movie")),
              std::tuple(OSType('MooV'), OSType('TVOD'), 0u));
    EXPECT_EQ(std::tuple(FSpCreate(&created, 'TVOD', 'MooV', smCurrentScript), FSpCreate(&dir, 'TVOD', 'MooV', smCurrentScript)),
              std::tuple(dupFNErr, dupFNErr));
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
