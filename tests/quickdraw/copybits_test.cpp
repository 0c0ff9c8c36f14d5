// CopyBits: depth conversions, scaling, masks, clipping, overlap, modes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/StandardColors.h"
#include "qd_test_util.h"

using qdtest::GWorld;
using qdtest::rect;
using qdtest::UsePort;

namespace {

// Fills a world with a reproducible pattern of pixel values.
void scribble(GWorld& gw, UInt32 seed) {
    const PixMap& pm = gw.pm();
    const int depth = pm.pixelSize;
    const UInt32 mask = depth == 32 ? 0xFFFFFF : depth == 16 ? 0x7FFF : (1u << depth) - 1;
    std::mt19937 rng(seed);
    for (SInt16 y = pm.bounds.top; y < pm.bounds.bottom; ++y)
        for (SInt16 x = pm.bounds.left; x < pm.bounds.right; ++x) gw.set(x, y, rng() & mask);
}

std::vector<UInt32> snapshot(const GWorld& gw) {
    std::vector<UInt32> v;
    const PixMap& pm = gw.pm();
    for (SInt16 y = pm.bounds.top; y < pm.bounds.bottom; ++y)
        for (SInt16 x = pm.bounds.left; x < pm.bounds.right; ++x) v.push_back(gw.at(x, y));
    return v;
}

void copy_all(const GWorld& from, const GWorld& to, SInt16 mode = srcCopy) {
    UsePort use(to.get());
    CopyBits(from.bits(), to.bits(), &from.pm().bounds, &to.pm().bounds, mode, nullptr);
}

}  // namespace

TEST(CopyBits, IndexedAndSixteenBitPixelsSurviveATripThroughThirtyTwoBits) {
    for (SInt16 depth : {1, 2, 4, 8, 16}) {
        SCOPED_TRACE(depth);
        const Rect r = rect(0, 0, 256, 128);   // 32768 pixels: every 16-bit value fits
        GWorld src(depth, r), deep(32, r), back(depth, r);
        if (depth == 16) {
            for (UInt32 v = 0; v < 32768; ++v) src.set(SInt16(v % 256), SInt16(v / 256), v);
        } else {
            scribble(src, 11);
        }
        copy_all(src, deep);
        copy_all(deep, back);
        EXPECT_EQ(snapshot(back), snapshot(src));
        for (SInt16 x = 0; x < 64 && depth >= 8; ++x) {   // 8 bits: the table's colour; 16: each 5 bits widened
            const UInt32 v = src.at(x, 0), got = deep.at(x, 0);
            auto c = platform::quickdraw::standard_palette(8)[v & 0xFF];
            auto widen = [&](int shift) { UInt32 k = (v >> shift) & 0x1F; return (k << 3) | (k >> 2); };
            EXPECT_EQ(got, depth == 8 ? (UInt32(c.r) << 16) | (UInt32(c.g) << 8) | c.b
                                      : (widen(10) << 16) | (widen(5) << 8) | widen(0));
        }
    }
}

TEST(CopyBits, DeepToShallowPicksTheNearestColour) {
    const Rect r = rect(0, 0, 64, 64);
    GWorld src(32, r);
    scribble(src, 3);
    for (SInt16 depth : {1, 2, 4, 8, 16}) {
        SCOPED_TRACE(depth);
        GWorld dst(depth, r);
        copy_all(src, dst);
        UsePort use(dst.get());
        for (SInt16 y = 0; y < 64; y += 3)
            for (SInt16 x = 0; x < 64; x += 5) {
                UInt32 v = src.at(x, y);
                RGBColor c{UInt16(((v >> 16) & 0xFF) * 0x101), UInt16(((v >> 8) & 0xFF) * 0x101), UInt16((v & 0xFF) * 0x101)};
                ASSERT_EQ(SInt32(dst.at(x, y)), Color2Index(&c)) << x << "," << y << " colour " << std::hex << v;
            }
    }
}

TEST(CopyBits, ScalingUpRepeatsAndScalingDownSamplesEachBlock) {
    for (SInt16 depth : {4, 8, 32}) {
        SCOPED_TRACE(depth);
        GWorld src(depth, rect(0, 0, 12, 9)), up(depth, rect(0, 0, 36, 27)), down(depth, rect(0, 0, 4, 3));
        scribble(src, 21);
        copy_all(src, up);
        for (SInt16 y = 0; y < 27; ++y)
            for (SInt16 x = 0; x < 36; ++x) ASSERT_EQ(up.at(x, y), src.at(x / 3, y / 3));
        copy_all(src, down);
        for (SInt16 y = 0; y < 3; ++y)
            for (SInt16 x = 0; x < 4; ++x) {
                bool fromBlock = false;
                for (int k = 0; k < 9; ++k) fromBlock = fromBlock || down.at(x, y) == src.at(SInt16(3 * x + k % 3), SInt16(3 * y + k / 3));
                EXPECT_TRUE(fromBlock) << x << "," << y;
            }
    }
}

TEST(CopyBits, OnlyTheMaskClipAndSourceBoundsAreWritten) {
    // mask: empty for none; clip: the destination port's; expected: the destination pixels that change.
    struct Case { const char* name; Rect srcRect, dstRect, mask, clip, expected; } cases[] = {
        {"plain", rect(0, 0, 20, 20), rect(5, 5, 25, 25), {}, rect(-100, -100, 100, 100), rect(5, 5, 25, 25)},
        {"mask", rect(0, 0, 20, 20), rect(5, 5, 25, 25), rect(10, 0, 15, 40), rect(-100, -100, 100, 100), rect(10, 5, 15, 25)},
        {"clip", rect(0, 0, 20, 20), rect(5, 5, 25, 25), {}, rect(0, 20, 40, 40), rect(5, 20, 25, 25)},
        {"source end", rect(10, 10, 30, 30), rect(0, 0, 20, 20), {}, rect(-100, -100, 100, 100), rect(0, 0, 10, 10)},
        {"source start", rect(-10, -5, 10, 15), rect(0, 0, 20, 20), {}, rect(-100, -100, 100, 100), rect(10, 5, 20, 20)},
        {"scaled source start", rect(-10, 0, 10, 20), rect(0, 0, 40, 20), {}, rect(-100, -100, 100, 100), rect(20, 0, 40, 20)},
        {"dest edge", rect(0, 0, 20, 20), rect(30, 30, 50, 50), {}, rect(-100, -100, 100, 100), rect(30, 30, 40, 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GWorld src(32, rect(0, 0, 20, 20)), dst(32, rect(0, 0, 40, 40));
        {
            UsePort use(src.get());
            ForeColor(redColor), PaintRect(&src.pm().bounds);
        }
        UsePort use(dst.get());
        ClipRect(&c.clip);
        RgnHandle mask = EmptyRect(&c.mask) ? nullptr : NewRgn();
        if (mask) RectRgn(mask, &c.mask);
        CopyBits(src.bits(), dst.bits(), &c.srcRect, &c.dstRect, srcCopy, mask);
        if (mask) DisposeRgn(mask);
        for (SInt16 y = 0; y < 40; ++y)
            for (SInt16 x = 0; x < 40; ++x)
                ASSERT_EQ(dst.at(x, y), PtInRect(Point{y, x}, &c.expected) ? 0xFF0000u : 0xFFFFFFu) << x << "," << y;
    }
}

TEST(CopyBits, OverlappingCopiesWithinOneWorldReadTheOriginalPixels) {
    struct Case { SInt16 depth; SInt16 dh, dv; bool scale; };
    Case cases[] = {{32, 3, 2, false}, {32, -4, -1, false}, {8, 0, 5, false}, {8, 7, 0, false},
                    {4, 1, 1, false},  {32, 2, 2, true},   {16, -3, 4, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " by " << c.dh << "," << c.dv << (c.scale ? " scaled" : ""));
        const Rect all = rect(0, 0, 40, 30);
        GWorld gw(c.depth, all), original(c.depth, all), expected(c.depth, all);
        scribble(gw, 77);
        copy_all(gw, original);
        copy_all(gw, expected);
        const Rect from = rect(5, 5, 25, 20),
                   to = rect(SInt16(5 + c.dh), SInt16(5 + c.dv), SInt16(25 + c.dh + (c.scale ? 10 : 0)), SInt16(20 + c.dv));
        UsePort use(gw.get());
        CopyBits(gw.bits(), gw.bits(), &from, &to, srcCopy, nullptr);
        // The same copy, from the untouched original.
        CopyBits(original.bits(), expected.bits(), &from, &to, srcCopy, nullptr);
        EXPECT_EQ(snapshot(gw), snapshot(expected));
    }
}

TEST(CopyBits, OneBitSourcesUseTheTransferMode) {
    // Source: the left half set (black), the right half clear (white).
    GWorld src(1, rect(0, 0, 8, 1));
    for (SInt16 x = 0; x < 4; ++x) src.set(x, 0, 1);
    struct Case { SInt16 mode; UInt32 left, right; } cases[] = {   // what the destination's halves become
        {srcCopy, 0xFF0000, 0xFFFFFF},   // colourised: set bits take the fore colour (red)
        {srcOr, 0xFF0000, 0x00FF00},     // clear bits leave the destination alone
        {srcXor, 0xFF00FF, 0x00FF00},    // set bits invert the destination (green)
        {srcBic, 0xFFFFFF, 0x00FF00},    // set bits take the back colour
        {ditherCopy, 0xFF0000, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        GWorld dst(32, rect(0, 0, 8, 1));
        UsePort use(dst.get());
        ForeColor(greenColor), PaintRect(&dst.pm().bounds), ForeColor(redColor);
        CopyBits(src.bits(), dst.bits(), &src.pm().bounds, &dst.pm().bounds, c.mode, nullptr);
        EXPECT_EQ(std::tuple(dst.at(0, 0), dst.at(7, 0)), std::tuple(c.left, c.right));
    }
    // The colours come from the current port, the pixel values from the
    // destination's depth.
    GWorld dst(32, rect(0, 0, 8, 1)), other(8, rect(0, 0, 1, 1));
    {
        UsePort use(dst.get());
        ForeColor(greenColor), PaintRect(&dst.pm().bounds);
    }
    UsePort use(other.get());
    BackColor(cyanColor);
    CopyBits(src.bits(), dst.bits(), &src.pm().bounds, &dst.pm().bounds, srcBic, nullptr);
    EXPECT_EQ(std::tuple(dst.at(0, 0), dst.at(7, 0)), std::tuple(0x00FFFFu, 0x00FF00u));
}

TEST(CopyBits, BadArgumentsAreRefused) {
    GWorld a(8, rect(0, 0, 4, 4)), b(8, rect(0, 0, 4, 4));
    const Rect r = rect(0, 0, 4, 4), empty = rect(2, 2, 2, 4);
    PixMap odd = a.pm(), narrow = a.pm();
    odd.pixelSize = 3;
    narrow.rowBytes = 2;   // shorter than the 4-pixel bounds need
    auto copy = [&](const void* from, const Rect* fromRect) {
        CopyBits(static_cast<const BitMap*>(from), b.bits(), fromRect, &r, srcCopy, nullptr);
        return QDError();
    };
    EXPECT_EQ((std::tuple{copy(nullptr, &r), copy(a.bits(), nullptr), copy(&odd, &r), copy(&narrow, &r), copy(a.bits(), &empty)}),
              std::tuple(paramErr, paramErr, paramErr, paramErr, noErr));
}
