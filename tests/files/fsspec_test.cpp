// FSSpecs: making them from names and paths, resolving them, long names.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/files/Catalog.h"
#include "tests/support/PString.h"
#include "tests/support/TempFolder.h"

using namespace testsupport;

namespace files = platform::files;
namespace fs = std::filesystem;

namespace {

std::string name_of(const FSSpec& spec) { return files::spec_name(spec); }

fs::path resolved(const FSSpec& spec) {
    auto p = files::path_of(spec);
    EXPECT_TRUE(p.ok());
    return p.ok() ? *p : fs::path();
}

// Runs in `folder` as the working directory, restoring the old one.
struct InFolder {
    explicit InFolder(const fs::path& folder) : old(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(old); }
    fs::path old;
};

}  // namespace

TEST(FSMakeFSSpec, NamesAndPathsTable) {
    TempFolder tmp;
    write_file(tmp / "movie.mov", "x");
    write_file(tmp / "a:b.mov", "x");   // ':' is an ordinary character
    fs::create_directory(tmp / "sub");
    write_file(tmp / "sub" / "inner.png", "x");
    write_file(tmp / "notafolder", "x");
    InFolder cwd(tmp.path());

    struct Case {
        std::string name;
        OSErr err;
        fs::path path;   // what the spec resolves to (when it is filled in)
    } cases[] = {
        {"movie.mov", noErr, tmp / "movie.mov"}, {"a:b.mov", noErr, tmp / "a:b.mov"},
        {"missing.mov", fnfErr, tmp / "missing.mov"}, {"sub/inner.png", noErr, tmp / "sub" / "inner.png"},
        {"sub/../movie.mov", noErr, tmp / "movie.mov"}, {"sub", noErr, tmp / "sub"}, {"sub/", noErr, tmp / "sub"},
        {"", noErr, tmp.path()}, {(tmp / "sub" / "inner.png").string(), noErr, tmp / "sub" / "inner.png"},
        {"nosuchfolder/x.mov", dirNFErr, {}}, {"notafolder/x.mov", dirNFErr, {}},
        {std::string("bad\0name", 8), bdNamErr, {}}, {"bad\xFFname.mov", bdNamErr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FSSpec spec{};
        EXPECT_EQ(FSMakeFSSpec(0, 0, PStr(c.name), &spec), c.err);
        if (c.err == noErr || c.err == fnfErr) { EXPECT_EQ(std::tuple(spec.vRefNum, resolved(spec)), std::tuple(SInt16(-1), c.path)); }
    }
}

TEST(FSMakeFSSpec, FolderIDsAndVolumes) {
    TempFolder tmp;
    fs::create_directory(tmp / "sub");
    write_file(tmp / "sub" / "f.txt", "x");

    FSSpec folder;
    ASSERT_EQ(FSMakeFSSpec(0, 0, PStr((tmp / "sub").string()), &folder), noErr);
    EXPECT_EQ(name_of(folder), "sub");
    // The folder's own ID: resolve its contents through it.
    FSSpec inner, inner2, root, tmpFolder, spec;
    ASSERT_EQ(FSMakeFSSpec(-1, folder.parID, PStr("sub/f.txt"), &inner), noErr);
    ASSERT_EQ(FSMakeFSSpec(0, inner.parID, PStr("f.txt"), &inner2), noErr);
    EXPECT_EQ(std::tuple(inner2.parID, resolved(inner2)), std::tuple(inner.parID, tmp / "sub" / "f.txt"));

    ASSERT_EQ(FSMakeFSSpec(0, 0, PStr("/"), &root), noErr);
    ASSERT_EQ(FSMakeFSSpec(0, fsRtDirID, PStr("tmp"), &tmpFolder), noErr);
    EXPECT_EQ(std::tuple(resolved(root), resolved(tmpFolder)), std::tuple(fs::path("/"), fs::path("/tmp")));

    EXPECT_EQ(std::tuple(FSMakeFSSpec(0, 987654, PStr("x"), &spec), FSMakeFSSpec(7, 0, PStr("x"), &spec),
                         FSMakeFSSpec(0, 0, PStr("x"), nullptr)), std::tuple(dirNFErr, nsvErr, paramErr));
}

TEST(FSSpecPaths, HandMadeSpecsAreChecked) {
    TempFolder tmp;
    FSSpec dir;
    ASSERT_EQ(FSMakeFSSpec(0, 0, PStr(tmp.path().string()), &dir), noErr);
    FSSpec spec{};
    ASSERT_EQ(FSMakeFSSpec(0, 0, PStr((tmp / "x").string()), &spec), fnfErr);
    for (const std::string& name : {std::string("a/b"), std::string(".."), std::string("."), std::string("a\0b", 3), std::string("\xC3")}) {
        files::set_spec_name(&spec, name);
        EXPECT_EQ(files::path_of(spec).code(), bdNamErr) << name;
    }
    spec.name[0] = 64;   // longer than an FSSpec name can be
    EXPECT_EQ(files::path_of(spec).code(), bdNamErr);
    files::set_spec_name(&spec, "x");
    spec.vRefNum = 3;
    EXPECT_EQ(files::path_of(spec).code(), nsvErr);
}

TEST(LongNames, ResolveToExactlyTheirFile) {
    TempFolder tmp;
    // Two names sharing their first 100 bytes, one of them not yet a file.
    const std::string common(100, 'L'), first = common + "-first.mov", second = common + "-second.mov";
    const std::string utf8 = std::string(30, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9" + std::string(40, 'y') + ".png";
    write_file(tmp / first, "first");

    FSSpec a, b, c;
    ASSERT_EQ(files::make_fsspec(tmp / first, &a), noErr);
    ASSERT_EQ(files::make_fsspec(tmp / second, &b), fnfErr);
    ASSERT_EQ(files::make_fsspec(tmp / utf8, &c), fnfErr);
    for (const FSSpec* s : {&a, &b, &c}) EXPECT_TRUE(name_of(*s).size() <= 63 && name_of(*s).find('#') != std::string::npos) << name_of(*s);
    EXPECT_NE(name_of(a), name_of(b));
    EXPECT_EQ(name_of(a).substr(name_of(a).size() - 4), ".mov");
    EXPECT_EQ(std::tuple(resolved(a), resolved(b), resolved(c)), std::tuple(tmp / first, tmp / second, tmp / utf8));

    // The stand-in is stable and reaches the right file for every call.
    FSSpec again;
    ASSERT_EQ(FSMakeFSSpec(0, a.parID, PStr(first), &again), noErr);
    EXPECT_EQ(name_of(again), name_of(a));
    ASSERT_EQ(FSpCreate(&b, 'TVOD', 'MooV', smSystemScript), noErr);
    EXPECT_TRUE(fs::exists(tmp / second));
    SInt16 ref;
    ASSERT_EQ(FSpOpenDF(&a, fsRdPerm, &ref), noErr);
    char buf[16] = {};
    SInt32 n = sizeof buf;
    EXPECT_EQ(FSRead(ref, &n, buf), eofErr);
    EXPECT_EQ(std::string(buf, n), "first");
    FSClose(ref);
    ASSERT_EQ(FSpDelete(&a), noErr);
    EXPECT_TRUE(!fs::exists(tmp / first) && fs::exists(tmp / second));

    // A real file that happens to carry a stand-in's name is never confused with it.
    write_file(tmp / name_of(b), "impostor");
    FSSpec impostor;
    EXPECT_EQ(std::tuple(files::make_fsspec(tmp / name_of(b), &impostor), resolved(b)), std::tuple(OSErr(bdNamErr), tmp / second));

    // Stand-ins are the same in every folder, unless a real file there has that name.
    fs::create_directory(tmp / "other");
    write_file(tmp / "other" / name_of(c), "real");
    FSSpec elsewhere;
    ASSERT_EQ(files::make_fsspec(tmp / "other" / utf8, &elsewhere), fnfErr);
    EXPECT_EQ(std::tuple(name_of(elsewhere) == name_of(c), resolved(elsewhere)), std::tuple(false, tmp / "other" / utf8));
}
