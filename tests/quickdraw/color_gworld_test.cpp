// Graphics worlds and colours: creation at every depth, the classic eight
// colours, nearest-colour mapping, colour tables.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "platform/Memory.h"
#include "platform/QuickDraw.h"
#include "platform/memory/MemoryInternal.h"
#include "platform/quickdraw/StandardColors.h"
#include "qd_test_util.h"

using qdtest::GWorld;
using qdtest::rect;
using qdtest::UsePort;

TEST(GWorlds, EveryDepthStartsWhiteWithItsTable) {
    struct Case { SInt16 asked, depth; UInt32 white; int tableEntries; } cases[] = {
        {1, 1, 0, 2}, {2, 2, 0, 4}, {4, 4, 0, 16}, {8, 8, 0, 256},
        {16, 16, 0x7FFF, 0}, {32, 32, 0xFFFFFF, 0}, {0, 32, 0xFFFFFF, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        GWorld gw(c.asked, rect(-10, 5, 27, 18));   // bounds need not start at 0
        ASSERT_EQ(gw.err, noErr);
        const PixMap& pm = gw.pm();
        EXPECT_EQ(std::tuple(pm.pixelSize, pm.pixelType, pm.rowBytes % 4, pm.bounds.left, pm.bounds.bottom),
                  std::tuple(c.depth, c.depth > 8 ? RGBDirect : 0, 0, -10, 18));
        EXPECT_GE(pm.rowBytes * 8, 37 * c.depth);
        EXPECT_EQ(std::tuple(GetPixRowBytes(GetGWorldPixMap(gw.get())), GetPixBaseAddr(GetGWorldPixMap(gw.get()))),
                  std::tuple(SInt32(pm.rowBytes), pm.baseAddr));
        for (SInt16 y = 5; y < 18; ++y)
            for (SInt16 x = -10; x < 27; ++x) ASSERT_EQ(gw.at(x, y), c.white) << x << "," << y;
        ASSERT_NE(pm.pmTable, nullptr);
        EXPECT_EQ((**pm.pmTable).ctSize + 1, c.tableEntries);
    }
}

TEST(GWorlds, BadRequestsFailCleanly) {
    struct Case { SInt16 depth; Rect bounds; OSErr expected; } cases[] = {
        {3, rect(0, 0, 10, 10), paramErr}, {24, rect(0, 0, 10, 10), paramErr}, {8, rect(0, 0, 0, 10), paramErr},
        {8, rect(10, 10, 0, 0), paramErr},
        {32, rect(-32768, -32768, 32767, 32767), memFullErr},   // 16 GiB
    };
    for (const Case& c : cases) {
        GWorldPtr gw = reinterpret_cast<GWorldPtr>(1);
        EXPECT_EQ((std::tuple{NewGWorld(&gw, c.depth, &c.bounds, nullptr, nullptr, 0), QDError(), gw}),
                  std::tuple(c.expected, c.expected, GWorldPtr(nullptr))) << c.depth;
    }
    EXPECT_EQ(NewGWorld(nullptr, 8, &cases[0].bounds, nullptr, nullptr, 0), paramErr);
}

TEST(GWorlds, RunningOutOfMemoryLeaksNothing) {
    const Rect r = rect(0, 0, 16, 16);
    long handles = platform::memory::live_handle_count();
    for (long n = 1; n <= 3; ++n) {
        platform::memory::fail_allocation(n);
        GWorldPtr gw = nullptr;
        OSErr err = NewGWorld(&gw, 8, &r, nullptr, nullptr, 0);
        platform::memory::fail_allocation(0);
        if (err == noErr) DisposeGWorld(gw);
        else { EXPECT_EQ(std::tuple(err, gw), std::tuple(OSErr(memFullErr), GWorldPtr(nullptr))); }
        EXPECT_EQ(platform::memory::live_handle_count(), handles) << n;
    }
}

TEST(GWorlds, CurrentPortComesBackAndADisposedPortIsNotUsed) {
    CGrafPtr before;
    GDHandle beforeDevice;
    GetGWorld(&before, &beforeDevice);
    {
        GWorld gw(8, rect(0, 0, 4, 4));
        SetGWorld(gw.get(), nullptr);
        CGrafPtr now;
        GetPort(&now);
        EXPECT_EQ(std::tuple(now, GetGDevice()), std::tuple(gw.get(), GetMainDevice()));
    }
    // The world was disposed of while current: drawing must not touch it.
    CGrafPtr now;
    GetPort(&now);
    EXPECT_NE(now, nullptr);
    Rect r = rect(0, 0, 2, 2);
    EraseRect(&r);
    SetPort(before);
}

TEST(Colors, ClassicColorsLandOnTheirExactValues) {
    struct Color { SInt32 name; UInt32 index8, rgb32; UInt32 rgb16; UInt32 index1; } colors[] = {
        {blackColor, 255, 0x000000, 0x0000, 1}, {whiteColor, 0, 0xFFFFFF, 0x7FFF, 0},
        {redColor, 35, 0xFF0000, 0x7C00, 1},    {greenColor, 185, 0x00FF00, 0x03E0, 1},
        {blueColor, 210, 0x0000FF, 0x001F, 1},  {cyanColor, 180, 0x00FFFF, 0x03FF, 0},
        {magentaColor, 30, 0xFF00FF, 0x7C1F, 0}, {yellowColor, 5, 0xFFFF00, 0x7FE0, 0},
    };
    GWorld g1(1, rect(0, 0, 8, 1)), g8(8, rect(0, 0, 8, 1)), g16(16, rect(0, 0, 8, 1)), g32(32, rect(0, 0, 8, 1));
    for (const Color& c : colors) {
        SCOPED_TRACE(c.name);
        struct Target { GWorld& gw; UInt32 expected; };
        Target targets[] = {{g1, c.index1}, {g8, c.index8}, {g16, c.rgb16}, {g32, c.rgb32}};
        for (const Target& t : targets) {
            UsePort use(t.gw.get());
            ForeColor(c.name);
            Rect r = rect(2, 0, 3, 1);
            PaintRect(&r);
            RGBColor fore;
            GetForeColor(&fore);
            const UInt32 painted = t.gw.at(2, 0);
            BackColor(c.name), EraseRect(&r);
            EXPECT_EQ(std::tuple(painted, UInt32(Color2Index(&fore)), t.gw.at(2, 0)), std::tuple(t.expected, t.expected, t.expected))
                << "depth " << t.gw.pm().pixelSize;
            ForeColor(blackColor), BackColor(whiteColor);
        }
    }
}

TEST(Colors, Color2IndexIsTheNearestEntryAndIndex2ColorItsInverse) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> channel(0, 0xFFFF);
    for (int depth : {1, 2, 4, 8}) {
        SCOPED_TRACE(depth);
        GWorld gw(SInt16(depth), rect(0, 0, 1, 1));
        UsePort use(gw.get());
        auto table = platform::quickdraw::standard_palette(depth);
        for (size_t i = 0; i < table.size(); ++i) {
            RGBColor c;
            Index2Color(SInt32(i), &c);
            EXPECT_EQ(std::tuple(int(c.red), Color2Index(&c)), std::tuple(table[i].r * 0x101, SInt32(i))) << "every entry maps to itself";
        }
        for (int k = 0; k < 200; ++k) {
            RGBColor c{UInt16(channel(rng)), UInt16(channel(rng)), UInt16(channel(rng))};
            long best = -1, bestD = 0;
            for (size_t i = 0; i < table.size(); ++i) {
                long dr = (c.red >> 8) - table[i].r, dg = (c.green >> 8) - table[i].g, db = (c.blue >> 8) - table[i].b;
                long d = dr * dr + dg * dg + db * db;
                if (best < 0 || d < bestD) best = long(i), bestD = d;
            }
            EXPECT_EQ(Color2Index(&c), best);
        }
    }
}

TEST(Colors, AGWorldDrawsWithTheTableItWasGiven) {
    // A grey table: pure red has no exact entry and lands on the nearest grey.
    CTabHandle grey = GetCTable(40);
    GWorld gw(8, rect(0, 0, 2, 1), grey);
    ASSERT_EQ(gw.err, noErr);
    DisposeCTable(grey);   // the world keeps its own copy
    UsePort use(gw.get());
    ForeColor(redColor);
    Rect r = rect(0, 0, 1, 1);
    PaintRect(&r);
    RGBColor got;
    Index2Color(SInt32(gw.at(0, 0)), &got);
    EXPECT_EQ(got.red, got.green);
    EXPECT_NEAR(got.red >> 8, 85, 1) << "(255, 0, 0) is nearest to the grey of 255/3";
}
