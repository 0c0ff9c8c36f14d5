// Atom containers: byte layout against hand-written bytes, round trips,
// IDs and indexes, damaged containers; preferences on disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>

#include "platform/AtomContainers.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/atoms/Preferences.h"
#include "platform/core/Bytes.h"
#include "platform/files/FaultInjection.h"
#include "tests/importers/ImporterTestSupport.h"
#include "tests/support/TempFolder.h"

using testsupport::read_file;
using testsupport::TempFolder;
using testsupport::write_file;

namespace {

using Bytes = std::vector<UInt8>;

Bytes bytes_of(Handle h) { return Bytes(reinterpret_cast<UInt8*>(*h), reinterpret_cast<UInt8*>(*h) + GetHandleSize(h)); }

// One atom header, big-endian, written out by hand.
Bytes atom(UInt32 size, const char* type, UInt32 id, UInt16 count, Bytes body = {}) {
    auto be32 = [](UInt32 v) { return Bytes{UInt8(v >> 24), UInt8(v >> 16), UInt8(v >> 8), UInt8(v)}; };
    return be32(size) + Bytes(type, type + 4) + be32(id) + be32(count) + be32(0) + body;
}

Bytes container(Bytes root) { return Bytes(12, 0) + root; }

Handle handle_of(const Bytes& b) {
    Handle h = nullptr;
    EXPECT_EQ(PtrToHand(b.data(), &h, SInt32(b.size())), noErr);
    return h;
}

struct Container {
    Container() { EXPECT_EQ(QTNewAtomContainer(&h), noErr); }
    ~Container() { QTDisposeAtomContainer(h); }
    QTAtomContainer h = nullptr;
};

TEST(AtomContainers, LayoutMatchesHandWrittenBytes) {
    Container c;
    EXPECT_EQ(bytes_of(c.h), container(atom(20, "sean", 1, 0)));

    SInt32 speed = 0;
    platform::store_u32be(&speed, 28800);
    QTAtom speedAtom = 0;
    ASSERT_EQ(QTInsertChild(c.h, kParentAtomIsContainer, 'cspd', 1, 0, 4, &speed, &speedAtom), noErr);
    EXPECT_EQ(speedAtom, 32);
    QTAtom parent = 0, leaf = 0;
    ASSERT_EQ(QTInsertChild(c.h, kParentAtomIsContainer, 'prnt', 7, 0, 0, nullptr, &parent), noErr);
    ASSERT_EQ(QTInsertChild(c.h, parent, 'leaf', 2, 0, 3, (void*)"abc", &leaf), noErr);
    EXPECT_EQ((std::tuple{parent, leaf}), std::tuple(32 + 24, 32 + 24 + 20));
    Bytes expected = container(atom(20 + 24 + 43, "sean", 1, 2,
                                    atom(24, "cspd", 1, 0, {0, 0, 0x70, 0x80}) + atom(43, "prnt", 7, 1, atom(23, "leaf", 2, 0, {'a', 'b', 'c'}))));
    EXPECT_EQ(bytes_of(c.h), expected);

    // Growing and shrinking data moves what follows and fixes every size above.
    ASSERT_EQ(QTSetAtomData(c.h, speedAtom, 8, (void*)"12345678"), noErr);
    EXPECT_EQ(QTFindChildByID(c.h, kParentAtomIsContainer, 'prnt', 7, nullptr), 32 + 28);
    ASSERT_EQ(QTSetAtomData(c.h, speedAtom, 0, nullptr), noErr);
    ASSERT_EQ(QTRemoveAtom(c.h, QTFindChildByID(c.h, kParentAtomIsContainer, 'prnt', 7, nullptr)), noErr);
    EXPECT_EQ(bytes_of(c.h), container(atom(40, "sean", 1, 1, atom(20, "cspd", 1, 0))));
}

TEST(AtomContainers, FindCountAndReadBack) {
    Container c;
    // Three 'item' atoms and one 'othr' under the root, 'item' 20 inserted at
    // index 1 so it comes first among the items.
    for (QTAtomID id : {10, 30}) ASSERT_EQ(QTInsertChild(c.h, 0, 'item', id, 0, 4, &id, nullptr), noErr);
    ASSERT_EQ(QTInsertChild(c.h, 0, 'othr', 10, 0, 0, nullptr, nullptr), noErr) << "IDs are per type";
    QTAtomID twenty = 20;
    ASSERT_EQ(QTInsertChild(c.h, 0, 'item', twenty, 1, 4, &twenty, nullptr), noErr);
    EXPECT_EQ(std::tuple(QTCountChildrenOfType(c.h, 0, 'item'), QTCountChildrenOfType(c.h, 0, 'othr'), QTCountChildrenOfType(c.h, 0, 0)),
              std::tuple(3, 1, 4)) << "type 0 counts every child";
    const QTAtomID expected[] = {20, 10, 30};
    for (SInt16 index = 1; index <= 3; ++index) {
        QTAtomID id = 0, stored = 0;
        SInt16 foundIndex = 0;
        SInt32 size = 0;
        Ptr data = nullptr;
        QTAtom a = QTFindChildByIndex(c.h, 0, 'item', index, &id);
        ASSERT_NE(a, 0);
        EXPECT_EQ(std::tuple(QTFindChildByID(c.h, 0, 'item', id, &foundIndex), foundIndex), std::tuple(a, index));
        ASSERT_EQ(QTGetAtomDataPtr(c.h, a, &size, &data), noErr);
        EXPECT_EQ(data, *c.h + a + 20) << "a pointer into the container";
        std::memcpy(&stored, data, 4);
        EXPECT_EQ(std::tuple(id, size, stored), std::tuple(expected[index - 1], 4, id));
    }
    EXPECT_EQ(std::tuple(QTFindChildByIndex(c.h, 0, 'item', 4, nullptr), QTFindChildByIndex(c.h, 0, 'item', 0, nullptr),
                         QTFindChildByID(c.h, 0, 'item', 99, nullptr)), std::tuple(0, 0, 0));

    // Data taken from the container itself can be inserted into it.
    SInt32 size;
    Ptr data;
    QTAtom copy = 0;
    ASSERT_EQ(QTGetAtomDataPtr(c.h, QTFindChildByID(c.h, 0, 'item', 30, nullptr), &size, &data), noErr);
    ASSERT_EQ(QTInsertChild(c.h, 0, 'copy', 1, 0, size, data, &copy), noErr);
    ASSERT_EQ(QTGetAtomDataPtr(c.h, copy, &size, &data), noErr);
    EXPECT_EQ(std::memcmp(data, "\x1E\0\0\0", 4), 0) << "ID 30 as stored";
}

TEST(AtomContainers, IdsIndexesAndMisuse) {
    Container c;
    QTAtom a = 0, b = 0, leaf = 0;
    ASSERT_EQ(QTInsertChild(c.h, 0, 'type', 0, 0, 0, nullptr, &a), noErr);
    ASSERT_EQ(QTInsertChild(c.h, 0, 'type', 0, 0, 0, nullptr, &b), noErr);
    QTAtomID id = 0;
    QTFindChildByIndex(c.h, 0, 'type', 2, &id);
    EXPECT_EQ(id, 2) << "ID 0 takes the smallest free ID";
    ASSERT_EQ(QTInsertChild(c.h, a, 'leaf', 5, 0, 2, (void*)"hi", &leaf), noErr);
    ASSERT_EQ(QTInsertChild(c.h, QTFindChildByIndex(c.h, 0, 'type', 2, nullptr), 'leaf', 5, 0, 0, nullptr, nullptr), noErr)
        << "the same ID under another parent";

    Bytes before = bytes_of(c.h);
    struct Misuse { const char* name; OSErr got; OSErr expected; } cases[] = {
        {"duplicate type and ID", QTInsertChild(c.h, a, 'leaf', 5, 0, 0, nullptr, nullptr), duplicateAtomTypeAndIDErr},
        {"child of a leaf with data", QTInsertChild(c.h, leaf, 'x   ', 1, 0, 0, nullptr, nullptr), invalidAtomErr},
        {"parent that is no atom", QTInsertChild(c.h, 33, 'x   ', 1, 0, 0, nullptr, nullptr), invalidAtomErr},
        {"index past the end", QTInsertChild(c.h, 0, 'type', 9, 4, 0, nullptr, nullptr), paramErr},
        {"negative index", QTInsertChild(c.h, 0, 'type', 9, -1, 0, nullptr, nullptr), paramErr},
        {"type 0", QTInsertChild(c.h, 0, 0, 1, 0, 0, nullptr, nullptr), invalidAtomTypeErr},
        {"data size without data", QTInsertChild(c.h, 0, 'x   ', 1, 0, 4, nullptr, nullptr), paramErr},
        {"negative data size", QTInsertChild(c.h, 0, 'x   ', 1, 0, -1, (void*)"", nullptr), paramErr},
        {"no container", QTInsertChild(nullptr, 0, 'x   ', 1, 0, 0, nullptr, nullptr), paramErr},
        {"data of the root", QTGetAtomDataPtr(c.h, 0, nullptr, nullptr), invalidAtomErr},
        {"data of a parent", QTGetAtomDataPtr(c.h, a, nullptr, nullptr), invalidAtomErr},
        {"set data of a parent", QTSetAtomData(c.h, a, 1, (void*)"x"), invalidAtomErr},
        {"set data of no atom", QTSetAtomData(c.h, 13, 1, (void*)"x"), invalidAtomErr},
        {"remove the root", QTRemoveAtom(c.h, 0), invalidAtomErr},
        {"remove no atom", QTRemoveAtom(c.h, 31), invalidAtomErr}};
    for (const Misuse& m : cases) EXPECT_EQ(m.got, m.expected) << m.name;
    EXPECT_EQ(bytes_of(c.h), before) << "failed calls leave the container as it was";
}

TEST(AtomContainers, DamagedContainersAreRefused) {
    const Bytes leaf = atom(24, "leaf", 1, 0, {1, 2, 3, 4});
    Bytes deep = atom(20, "leaf", 1, 0);
    for (int i = 0; i < 40; ++i) deep = atom(UInt32(deep.size() + 20), "nest", 1, 1, deep);
    struct Case { const char* name; Bytes bytes; } cases[] = {
        {"empty", {}},
        {"shorter than a header", Bytes(20, 0)},
        {"root size past the end", container(atom(44, "sean", 1, 1, leaf)) + Bytes{}},
        {"root smaller than the container", container(atom(20, "sean", 1, 0)) + Bytes{0, 0}},
        {"root not 'sean'", container(atom(20, "root", 1, 0))},
        {"root holding data", container(atom(24, "sean", 1, 0, {1, 2, 3, 4}))},
        {"child past its parent", container(atom(44, "sean", 1, 1, atom(40, "leaf", 1, 0, {1, 2, 3, 4})))},
        {"child smaller than a header", container(atom(44, "sean", 1, 1, atom(12, "leaf", 1, 0, {1, 2, 3, 4})))},
        {"more children than there are", container(atom(44, "sean", 1, 2, leaf))},
        {"fewer children than there are", container(atom(68, "sean", 1, 1, leaf + leaf))},
        {"child count past the room", container(atom(44, "sean", 1, 0xFFFF, leaf))},
        {"nested too deeply", container(atom(UInt32(deep.size() + 20), "sean", 1, 1, deep))}};
    // The 44-byte root of the first damaged case declares more than it has.
    cases[2].bytes.resize(12 + 30);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Handle h = handle_of(c.bytes);
        if (!h) h = NewHandle(0);
        EXPECT_EQ(std::tuple(QTInsertChild(h, 0, 'new ', 1, 0, 0, nullptr, nullptr), QTGetAtomDataPtr(h, 32, nullptr, nullptr),
                             SetQuickTimePreference('test', h)),
                  std::tuple(invalidAtomContainerErr, invalidAtomContainerErr, invalidAtomContainerErr));
        EXPECT_EQ(std::tuple(QTFindChildByIndex(h, 0, 'leaf', 1, nullptr), QTCountChildrenOfType(h, 0, 0)), std::tuple(0, 0));
        EXPECT_EQ(bytes_of(h), c.bytes);
        DisposeHandle(h);
    }
    // A container nested just within the limit is fine.
    Bytes ok = atom(20, "leaf", 1, 0);
    for (int i = 0; i < 31; ++i) ok = atom(UInt32(ok.size() + 20), "nest", 1, 1, ok);
    Handle h = handle_of(container(atom(UInt32(ok.size() + 20), "sean", 1, 1, ok)));
    EXPECT_EQ(QTCountChildrenOfType(h, 0, 'nest'), 1);
    DisposeHandle(h);
}

// ---- Preferences

class Preferences : public testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    // A 'cspd' container holding one speed.
    static Handle speed_container(SInt32 speed) {
        QTAtomContainer c = nullptr;
        EXPECT_EQ(QTNewAtomContainer(&c), noErr);
        SInt32 be;
        platform::store_u32be(&be, UInt32(speed));
        EXPECT_EQ(QTInsertChild(c, 0, ConnectionSpeedPrefsType, 1, 0, 4, &be, nullptr), noErr);
        return c;
    }
    // The stored speed, or the error reading it (which leaves no container).
    static SInt32 stored_speed() {
        QTAtomContainer c = reinterpret_cast<QTAtomContainer>(1);
        if (OSErr err = GetQuickTimePreference(ConnectionSpeedPrefsType, &c)) {
            EXPECT_EQ(c, nullptr);
            return err;
        }
        SInt32 size = 0;
        Ptr data = nullptr;
        EXPECT_EQ(QTGetAtomDataPtr(c, QTFindChildByID(c, 0, ConnectionSpeedPrefsType, 1, nullptr), &size, &data), noErr);
        SInt32 speed = SInt32(platform::load_u32be(data));
        QTDisposeAtomContainer(c);
        return speed;
    }
    std::filesystem::path file() const { return dir / "kinora" / "cspd.prefs"; }

    TempFolder dir;
};

TEST_F(Preferences, WrittenAndReadBack) {
    EXPECT_EQ(stored_speed(), fnfErr);
    for (SInt32 value : {SInt32(kDataRate288ModemRate), SInt32(-5)}) {
        Handle speed = speed_container(value);
        ASSERT_EQ(SetQuickTimePreference(ConnectionSpeedPrefsType, speed), noErr);
        EXPECT_EQ(read_file(file()), std::string(*speed, size_t(GetHandleSize(speed)))) << "the container's own bytes";
        EXPECT_EQ(stored_speed(), value);
        QTDisposeAtomContainer(speed);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "kinora"), {}), 1) << "no temporary file left";
    EXPECT_EQ(platform::atoms::preference_file_name('a/b '), "a%2Fb%20.prefs");
    EXPECT_EQ(std::tuple(SetQuickTimePreference('cspd', nullptr), GetQuickTimePreference('cspd', nullptr)),
              std::tuple(OSErr(paramErr), OSErr(paramErr)));
}

TEST_F(Preferences, DamagedOrUnreadableFilesReadAsAbsent) {
    std::filesystem::create_directories(dir / "kinora");
    Handle speed = speed_container(1);
    std::string good(*speed, size_t(GetHandleSize(speed)));
    QTDisposeAtomContainer(speed);
    for (const std::string& contents : {std::string(), good.substr(0, good.size() - 3), std::string("speed = 2800\n"), good + "x"}) {
        write_file(file(), contents);
        EXPECT_EQ(stored_speed(), invalidAtomContainerErr) << contents;
    }
    std::filesystem::remove(file());
    std::filesystem::create_directory(file());
    EXPECT_EQ(stored_speed(), notAFileErr);
}

TEST_F(Preferences, ReplacementIsAtomic) {
    Handle first = speed_container(111), second = speed_container(222);
    ASSERT_EQ(SetQuickTimePreference(ConnectionSpeedPrefsType, first), noErr);
    // A failed write leaves the old preference.
    platform::files::faults::fail_write(1);
    EXPECT_EQ((std::tuple{SetQuickTimePreference(ConnectionSpeedPrefsType, second), stored_speed()}), std::tuple(dskFulErr, 111));
    // A crash before each disk operation of a replacement (write, sync,
    // rename, folder sync) leaves either the old or the new preference.
    for (long k = 1; k <= 4; ++k) {
        using namespace platform::files::faults;
        auto crashing = [&] { crash_before_operation(k), SetQuickTimePreference(ConnectionSpeedPrefsType, second), std::exit(0); };
        EXPECT_EXIT(crashing(), testing::ExitedWithCode(kCrashExitStatus), "") << "operation " << k;
        EXPECT_EQ(stored_speed(), k <= 3 ? 111 : 222) << "crash before operation " << k;
        ASSERT_EQ(SetQuickTimePreference(ConnectionSpeedPrefsType, first), noErr);
    }
    QTDisposeAtomContainer(first);
    QTDisposeAtomContainer(second);
}

}  // namespace
