// The Resource Manager's API: opening, the search chain, handles and their
// lifetimes, counting and indexing, string lists.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/core/FourCC.h"
#include "platform/memory/MemoryInternal.h"
#include "platform/resources/AppResources.h"
#include "platform/resources/ResourceFile.h"
#include "tests/support/TempFolder.h"

using platform::fourcc;
using platform::resources::ResourceFile;

namespace {

constexpr SInt8 kReadPermission = 1;   // fsRdPerm
const ResType kTest = fourcc("TEST");
const ResType kOther = fourcc("OTHR");
const ResType kStrings = fourcc("STR#");

std::vector<UInt8> bytes_of(const std::string& s) { return std::vector<UInt8>(s.begin(), s.end()); }
std::string text_of(Handle h) { return std::string(*h, size_t(GetHandleSize(h))); }
std::string pstring_text(const unsigned char* s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

std::string write_temp(const std::string& name, const std::vector<UInt8>& bytes) {
    const std::string path = testsupport::test_folder() / name;
    testsupport::write_bytes(path, bytes);
    return path;
}

// An open resource file, closed when the test ends.
struct Opened {
    explicit Opened(const std::string& path) : refNum(OpenResourceFileAtPath(path.c_str(), kReadPermission)) {}
    ~Opened() {
        if (refNum > 0) CloseResFile(refNum);
    }
    SInt16 refNum;
};

std::string older_file() {
    ResourceFile f;
    EXPECT_TRUE(f.add(kTest, 1, "Alpha", bytes_of("older 1")).ok());
    EXPECT_TRUE(f.add(kTest, 2, "Shared", bytes_of("older 2"), resPurgeable).ok());
    // three strings, then a damaged list whose count claims five
    std::vector<UInt8> list{0, 3, 3, 'o', 'n', 'e', 0, 5, 't', 'h', 'r', 'e', 'e'};
    EXPECT_TRUE(f.add(kStrings, 1000, std::nullopt, list).ok());
    EXPECT_TRUE(f.add(kStrings, 1001, std::nullopt, {0, 5, 1, 'a', 1, 'b'}).ok());
    return write_temp("older.rsrc", *f.write());
}

std::string newer_file() {
    ResourceFile f;
    EXPECT_TRUE(f.add(kTest, 1, "Beta", bytes_of("newer 1")).ok());
    EXPECT_TRUE(f.add(kOther, 9, "shared", bytes_of("other 9")).ok());
    return write_temp("newer.rsrc", *f.write());
}

}  // namespace

TEST(ResourceManager, TheSearchChainRunsFromTheCurrentFileDown) {
    Opened older(older_file());
    ASSERT_GT(older.refNum, 0);
    Opened newer(newer_file());
    ASSERT_GT(newer.refNum, 0);
    EXPECT_EQ(CurResFile(), newer.refNum) << "opening makes a file current";

    // The newer file hides the older one; the search goes on down the chain.
    Handle h1 = GetResource(kTest, 1), h2 = GetResource(kTest, 2);
    ASSERT_TRUE(h1 && h2);
    EXPECT_EQ(std::tuple(text_of(h1), HomeResFile(h1), text_of(h2), HomeResFile(h2)),
              std::tuple("newer 1", newer.refNum, "older 2", older.refNum));
    EXPECT_EQ((std::tuple{Get1Resource(kTest, 2), ResError()}), std::tuple(Handle(nullptr), OSErr(resNotFound)))
        << "Get1 looks in the current file only";

    UseResFile(older.refNum);
    EXPECT_EQ(GetResource(kOther, 9), nullptr) << "files above the current one are not searched";
    EXPECT_EQ(text_of(Get1Resource(kTest, 1)), "older 1");

    UseResFile(12345);
    EXPECT_EQ((std::tuple{ResError(), CurResFile()}), std::tuple(OSErr(resFNotFound), older.refNum)) << "a bad reference number changes nothing";
}

TEST(ResourceManager, GetIndStringReadsListsAndGivesEmptyStringsOtherwise) {
    Opened older(older_file());
    struct Case { SInt16 list, index; const char* expected; };
    const Case cases[] = {
        {1000, 1, "one"}, {1000, 2, ""},  {1000, 3, "three"}, {1000, 0, ""}, {1000, 4, ""},
        {1000, -1, ""},   {1001, 2, "b"}, {1001, 4, ""},      {4242, 1, ""},
    };
    for (const Case& c : cases) {
        Str255 s;
        std::memset(s, 0x77, sizeof s);
        GetIndString(s, c.list, c.index);
        EXPECT_EQ(pstring_text(s), c.expected) << c.list << "," << c.index;
    }
}

// Handles stay the same until released or disposed of (the map then
// forgets them); closing a file releases its handles and makes the file
// below it current.
TEST(ResourceManager, HandleLifetimes) {
    const long before = platform::memory::live_handle_count();
    Opened older(older_file());
    Handle h = GetResource(kTest, 1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetResource(kTest, 1), h) << "repeated calls give the same handle";
    ReleaseResource(h);
    EXPECT_EQ(platform::memory::live_handle_count(), before);
    DisposeHandle(GetResource(kTest, 1));
    EXPECT_EQ(platform::memory::live_handle_count(), before);
    EXPECT_EQ(text_of(GetResource(kTest, 1)), "older 1");

    Handle plain = NewHandle(4);
    ReleaseResource(plain);
    EXPECT_EQ((std::tuple{ResError(), HomeResFile(plain)}), std::tuple(OSErr(resNotFound), SInt16(-1)));
    DisposeHandle(plain);

    SInt16 newer = OpenResourceFileAtPath(newer_file().c_str(), kReadPermission);
    ASSERT_NE(GetResource(kOther, 9), nullptr);
    CloseResFile(newer);
    EXPECT_EQ(CurResFile(), older.refNum);
    CloseResFile(newer);   // again
    EXPECT_EQ(ResError(), resFNotFound);
    CloseResFile(older.refNum);
    older.refNum = 0;
    EXPECT_EQ(platform::memory::live_handle_count(), before);
}

TEST(ResourceManager, OpeningReportsWhatIsWrong) {
    const std::string good = older_file();
    // Damaged files are the resource file reader's tests'.
    struct Case { std::string path; OSErr code; };
    const Case cases[] = {
        {testsupport::test_folder() / "no-such-file.rsrc", fnfErr}, {write_temp("empty.rsrc", {}), eofErr},
        {good + "/x.rsrc", dirNFErr},   // a file where a folder should be
        {testsupport::test_folder().str(), notAFileErr}, {"", paramErr},
    };
    const SInt16 current = CurResFile();
    for (const Case& c : cases)   // a failed open changes nothing
        EXPECT_EQ((std::tuple{OpenResourceFileAtPath(c.path.c_str(), kReadPermission), ResError(), CurResFile()}),
                  std::tuple(SInt16(-1), c.code, current)) << c.path;

    Opened first(good);
    Opened other(newer_file());
    EXPECT_EQ(OpenResourceFileAtPath(good.c_str(), kReadPermission), first.refNum)
        << "a file already open keeps its reference number";
    EXPECT_EQ(CurResFile(), other.refNum) << "and reopening it does not make it current";
}

TEST(ResourceManager, TheApplicationFileComesFromTheEnvironmentOrBesideTheExecutable) {
    const std::string path = newer_file();
    setenv("KINORA_RESOURCES", path.c_str(), 1);
    auto r = platform::resources::open_application_resources();
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_NE(Get1Resource(kOther, 9), nullptr);
    CloseResFile(*r);

    setenv("KINORA_RESOURCES", (testsupport::test_folder() / "missing.rsrc").c_str(), 1);
    EXPECT_EQ(platform::resources::open_application_resources().code(), resFNotFound);
    unsetenv("KINORA_RESOURCES");
    // Tests run from build/tests, where no Kinora.rsrc lies beside them.
    EXPECT_NE(platform::resources::application_resources_path().find("/tests/Kinora.rsrc"), std::string::npos);
}
