#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Errors.h"
#include "platform/Memory.h"
#include "platform/memory/MemoryInternal.h"

namespace mem = platform::memory;

namespace {
void fill(Handle h, Size n) {
    for (Size i = 0; i < n; ++i) (*h)[i] = char(i * 7 + 3);
}
bool holds_pattern(Handle h, Size n) {
    for (Size i = 0; i < n; ++i) if ((*h)[i] != char(i * 7 + 3)) return false;
    return true;
}
bool locked(Handle h) { return (HGetState(h) & kHandleLockedMask) != 0; }
}  // namespace

TEST(Handles, GrowingAnUnlockedHandleMovesTheBlockButKeepsTheBytes) {
    Handle h = NewHandle(100);
    ASSERT_NE(h, nullptr);
    fill(h, 100);
    char* before = *h;
    SetHandleSize(h, 1 << 20);
    ASSERT_EQ(MemError(), noErr);
    EXPECT_EQ(std::tuple(GetHandleSize(h), *h == before, holds_pattern(h, 100)), std::tuple(1 << 20, false, true))
        << "a block with no room left moves to grow";
    SetHandleSize(h, 10);
    EXPECT_EQ(std::tuple(GetHandleSize(h), holds_pattern(h, 10)), std::tuple(10, true));
    DisposeHandle(h);
    EXPECT_EQ(MemError(), noErr);
}

TEST(Handles, ALockedHandleNeverMoves) {
    Handle h = NewHandle(64);
    fill(h, 64), HLock(h);
    char* before = *h;
    SetHandleSize(h, 4096);
    EXPECT_EQ((std::tuple{MemError(), GetHandleSize(h)}), std::tuple(OSErr(memFullErr), 64));
    SetHandleSize(h, 32);       // shrinking and growing back within the block is fine
    SetHandleSize(h, 64);
    EXPECT_EQ((std::tuple{MemError(), *h, holds_pattern(h, 32)}), std::tuple(OSErr(noErr), before, true));
    EmptyHandle(h);
    EXPECT_EQ(MemError(), memLockedErr);
    // HSetState puts back a saved state; unlocked, the handle grows.
    SInt8 state = HGetState(h);
    HUnlock(h), HSetState(h, state);
    EXPECT_TRUE(locked(h));
    HUnlock(h), SetHandleSize(h, 4096);
    EXPECT_EQ((std::tuple{MemError(), holds_pattern(h, 32)}), std::tuple(OSErr(noErr), true));
    DisposeHandle(h);
}

TEST(Handles, EmptyHandlesHaveANilMasterPointerAndCanBeFilled) {
    Handle e = NewEmptyHandle();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ((std::tuple{*e, GetHandleSize(e), MemError()}), std::tuple((char*)nullptr, 0, OSErr(nilHandleErr)));
    ReallocateHandle(e, 5);
    EXPECT_EQ(GetHandleSize(e), 5);
    DisposeHandle(e);
}

TEST(Handles, BadArgumentsSetMemError) {
    char* fakeMaster = nullptr;
    Handle bogus = &fakeMaster;
    EXPECT_EQ((std::tuple{GetHandleSize(nullptr), MemError(), GetHandleSize(bogus), MemError()}),
              std::tuple(0, OSErr(nilHandleErr), 0, OSErr(memWZErr)));
    SetHandleSize(bogus, 10);
    EXPECT_EQ(MemError(), memWZErr);
    DisposeHandle(bogus);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ((std::tuple{NewHandle(-1), MemError()}), std::tuple(Handle(nullptr), OSErr(paramErr)));
}

TEST(Handles, CopyingAndAppending) {
    Handle h = nullptr;
    ASSERT_EQ(PtrToHand("movie", &h, 5), noErr);
    ASSERT_EQ(PtrAndHand(" file", h, 5), noErr);
    ASSERT_EQ(GetHandleSize(h), 10);
    EXPECT_EQ(std::memcmp(*h, "movie file", 10), 0);
    Handle copy = h;
    ASSERT_EQ(HandToHand(&copy), noErr);
    EXPECT_NE(copy, h);
    ASSERT_EQ(HandAndHand(h, copy), noErr);
    ASSERT_EQ(HandAndHand(copy, copy), noErr) << "appending a handle to itself";
    EXPECT_EQ(std::string(*copy, size_t(GetHandleSize(copy))), "movie filemovie filemovie filemovie file");
    HLock(h);
    ASSERT_EQ(HandAndHand(h, copy), noErr);
    EXPECT_TRUE(locked(h)) << "the source's lock state is restored";
    DisposeHandle(h), DisposeHandle(copy);
}

TEST(Pointers, APtrNeverMoves) {
    Ptr p = NewPtr(100);
    ASSERT_NE(p, nullptr);
    std::memset(p, 0x5A, 100);
    SetPtrSize(p, 300);           // within the room it was given
    EXPECT_EQ((std::tuple{MemError(), p[99], p[299]}), std::tuple(OSErr(noErr), 0x5A, 0)) << "grown room reads as zeros";
    SetPtrSize(p, 1 << 20);       // would have to move: refused
    EXPECT_EQ((std::tuple{MemError(), GetPtrSize(p)}), std::tuple(OSErr(memFullErr), 300));
    DisposePtr(p);
    EXPECT_EQ(MemError(), noErr);
    char local[4];
    DisposePtr(local);
    EXPECT_EQ(MemError(), memWZErr);
}

TEST(ResourceHandles, DisposingOneTellsItsOwner) {
    Handle seen = nullptr;
    mem::set_resource_release_hook([&](Handle h) { seen = h; });
    Handle h = NewHandle(4);
    mem::set_resource_flag(h, true);
    EXPECT_NE(HGetState(h) & kHandleIsResourceMask, 0);
    DisposeHandle(h);
    EXPECT_EQ(seen, h);
    mem::set_resource_release_hook(nullptr);
}
