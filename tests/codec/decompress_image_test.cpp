// DecompressImage: compressed frames drawn back into pixel maps, checked
// against QuickDraw's own copy of the source.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/QuickDraw.h"
#include "platform/Utilities.h"

namespace {

struct World {
    GWorldPtr gw = nullptr;
    World(SInt16 depth, SInt16 w, SInt16 h, CTabHandle table = nullptr) {
        Rect r = {0, 0, h, w};
        EXPECT_EQ(NewGWorld(&gw, depth, &r, table, nullptr, 0), noErr);
    }
    ~World() { DisposeGWorld(gw); }
    PixMapHandle pm() const { return GetGWorldPixMap(gw); }
    const BitMap* bits() const { return GetPortBitMapForCopyBits(gw); }
    UInt32 pixel32(int x, int y) const {
        const PixMap& p = **pm();
        const UInt8* row = reinterpret_cast<const UInt8*>(p.baseAddr) + y * p.rowBytes + x * 4;
        return (UInt32(row[1]) << 16) | (UInt32(row[2]) << 8) | row[3];
    }
};

// A frame like the new movie's: red field, a blue number, some green text.
void draw_frame(World& w, SInt16 width, SInt16 height) {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(w.gw, nullptr);
    Rect r = {0, 0, height, width};
    ForeColor(redColor), PaintRect(&r);
    ForeColor(blueColor), MoveTo(SInt16(width / 2), SInt16(height / 2)), TextSize(SInt16(height / 3)), DrawString("42"_p);
    ForeColor(greenColor), MoveTo(12, SInt16(height / 2)), DrawString("Whoa"_p);
    SetGWorld(savedPort, savedDevice);
}

struct Frame {
    ImageDescriptionHandle desc = reinterpret_cast<ImageDescriptionHandle>(NewHandle(4));
    std::vector<char> data;
    ~Frame() { DisposeHandle(reinterpret_cast<Handle>(desc)); }
};

void compress(const World& w, CodecType type, Frame& f) {
    Rect r = (**w.pm()).bounds;
    SInt32 max = 0;
    ASSERT_EQ(GetMaxCompressionSize(w.pm(), &r, 0, codecNormalQuality, type, 0, &max), noErr);
    f.data.assign(size_t(max), 0);
    ASSERT_EQ(CompressImage(w.pm(), &r, codecNormalQuality, type, f.desc, f.data.data()), noErr);
}

// Every pixel of two 32-bit worlds.
void expect_same(const World& a, const World& b, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(a.pixel32(x, y), b.pixel32(x, y)) << "at " << x << "," << y;
}

}  // namespace

TEST(DecompressImage, DrawsWhatWasCompressedAtEveryDepth) {
    const SInt16 width = 77, height = 40;
    for (SInt16 depth : {1, 2, 4, 8, 16, 32}) {
        for (CodecType type : {kAnimationCodecType, kRawCodecType}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << " type " << (type == kRawCodecType ? "raw" : "rle"));
            World source(depth, width, height);
            draw_frame(source, width, height);
            Frame f;
            compress(source, type, f);
            World expected(32, width, height), got(32, width, height);
            Rect r = {0, 0, height, width};
            CopyBits(source.bits(), expected.bits(), &r, &r, srcCopy, nullptr);
            ASSERT_EQ(DecompressImage(f.data.data(), f.desc, got.pm(), nullptr, &r, srcCopy, nullptr), noErr);
            expect_same(expected, got, width, height);
        }
    }
}

TEST(DecompressImage, ScalesAndMasksLikeCopyBits) {
    const SInt16 width = 64, height = 32;
    World source(8, width, height);
    draw_frame(source, width, height);
    Frame f;
    compress(source, kAnimationCodecType, f);

    Rect from = {0, 0, height, width};
    Rect to = {0, 0, SInt16(height * 2), SInt16(width * 2)};
    RgnHandle mask = NewRgn();
    SetRectRgn(mask, 0, 0, width, SInt16(height * 2));   // the left half only
    World expected(32, SInt16(width * 2), SInt16(height * 2)), got(32, SInt16(width * 2), SInt16(height * 2));
    CopyBits(source.bits(), expected.bits(), &from, &to, srcCopy, mask);
    ASSERT_EQ(DecompressImage(f.data.data(), f.desc, got.pm(), nullptr, &to, srcCopy, mask), noErr);
    expect_same(expected, got, width * 2, height * 2);
    EXPECT_EQ(std::tuple(got.pixel32(0, 0), got.pixel32(width * 2 - 1, 0)), std::tuple(0xFF0000u, 0xFFFFFFu))
        << "outside the mask nothing is drawn";
    DisposeRgn(mask);
}

TEST(DecompressImage, RefusesDamagedDataAndLeavesTheDestination) {
    World source(32, 20, 10);
    draw_frame(source, 20, 10);
    Frame f;
    compress(source, kAnimationCodecType, f);
    World got(32, 20, 10);
    Rect r = {0, 0, 10, 20};
    const UInt32 before = got.pixel32(5, 5);
    std::vector<char> damaged = f.data;
    damaged[6] = 0;   // the first line's skip byte: 0 is never valid
    EXPECT_EQ((std::tuple{DecompressImage(damaged.data(), f.desc, got.pm(), nullptr, &r, srcCopy, nullptr), got.pixel32(5, 5),
                          DecompressImage(nullptr, f.desc, got.pm(), nullptr, &r, srcCopy, nullptr)}),
              std::tuple(codecBadDataErr, before, paramErr));
    (**f.desc).cType = 'none';
    EXPECT_EQ(DecompressImage(f.data.data(), f.desc, got.pm(), nullptr, &r, srcCopy, nullptr), noCodecErr);
}
