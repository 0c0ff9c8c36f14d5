// DecompressImage: compressed frames drawn back into pixel maps, checked
// against QuickDraw's own copy of the source.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/QuickDraw.h"
#include "platform/Utilities.h"
#include "tests/quickdraw/qd_test_util.h"

using qdtest::GWorld;
using qdtest::UsePort;

namespace {

PixMapHandle pixmap(const GWorld& w) { return GetGWorldPixMap(w.get()); }

// A frame like the new movie's: red field, a blue number, some green text.
void draw_frame(const GWorld& w, SInt16 width, SInt16 height) {
    UsePort use(w.get());
    Rect r = {0, 0, height, width};
    ForeColor(redColor), PaintRect(&r);
    ForeColor(blueColor), MoveTo(SInt16(width / 2), SInt16(height / 2)), TextSize(SInt16(height / 3)), DrawString("42"_p);
    ForeColor(greenColor), MoveTo(12, SInt16(height / 2)), DrawString("Whoa"_p);
}

struct Frame {
    ImageDescriptionHandle desc = reinterpret_cast<ImageDescriptionHandle>(NewHandle(4));
    std::vector<char> data;
    ~Frame() { DisposeHandle(reinterpret_cast<Handle>(desc)); }
};

void compress(const GWorld& w, CodecType type, Frame& f) {
    Rect r = w.pm().bounds;
    SInt32 max = 0;
    ASSERT_EQ(GetMaxCompressionSize(pixmap(w), &r, 0, codecNormalQuality, type, 0, &max), noErr);
    f.data.assign(size_t(max), 0);
    ASSERT_EQ(CompressImage(pixmap(w), &r, codecNormalQuality, type, f.desc, f.data.data()), noErr);
}

// Every pixel of two 32-bit worlds.
void expect_same(const GWorld& a, const GWorld& b, int width, int height) {
    for (SInt16 y = 0; y < height; ++y)
        for (SInt16 x = 0; x < width; ++x) ASSERT_EQ(a.at(x, y), b.at(x, y)) << "at " << x << "," << y;
}

}  // namespace

TEST(DecompressImage, DrawsWhatWasCompressedAtEveryDepth) {
    const SInt16 width = 77, height = 40;
    Rect r = {0, 0, height, width};
    for (SInt16 depth : {1, 2, 4, 8, 16, 32}) {
        for (CodecType type : {kAnimationCodecType, kRawCodecType}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << " type " << (type == kRawCodecType ? "raw" : "rle"));
            GWorld source(depth, r), expected(32, r), got(32, r);
            draw_frame(source, width, height);
            Frame f;
            compress(source, type, f);
            CopyBits(source.bits(), expected.bits(), &r, &r, srcCopy, nullptr);
            ASSERT_EQ(DecompressImage(f.data.data(), f.desc, pixmap(got), nullptr, &r, srcCopy, nullptr), noErr);
            expect_same(expected, got, width, height);
        }
    }
}

TEST(DecompressImage, ScalesAndMasksLikeCopyBits) {
    const SInt16 width = 64, height = 32;
    Rect from = {0, 0, height, width}, to = {0, 0, SInt16(height * 2), SInt16(width * 2)};
    GWorld source(8, from), expected(32, to), got(32, to);
    draw_frame(source, width, height);
    Frame f;
    compress(source, kAnimationCodecType, f);

    RgnHandle mask = NewRgn();
    SetRectRgn(mask, 0, 0, width, SInt16(height * 2));   // the left half only
    CopyBits(source.bits(), expected.bits(), &from, &to, srcCopy, mask);
    ASSERT_EQ(DecompressImage(f.data.data(), f.desc, pixmap(got), nullptr, &to, srcCopy, mask), noErr);
    expect_same(expected, got, width * 2, height * 2);
    EXPECT_EQ(std::tuple(got.at(0, 0), got.at(width * 2 - 1, 0)), std::tuple(0xFF0000u, 0xFFFFFFu)) << "outside the mask nothing is drawn";
    DisposeRgn(mask);
}

TEST(DecompressImage, RefusesDamagedDataAndLeavesTheDestination) {
    Rect r = {0, 0, 10, 20};
    GWorld source(32, r), got(32, r);
    draw_frame(source, 20, 10);
    Frame f;
    compress(source, kAnimationCodecType, f);
    const UInt32 before = got.at(5, 5);
    std::vector<char> damaged = f.data;
    damaged[6] = 0;   // the first line's skip byte: 0 is never valid
    EXPECT_EQ((std::tuple{DecompressImage(damaged.data(), f.desc, pixmap(got), nullptr, &r, srcCopy, nullptr), got.at(5, 5),
                          DecompressImage(nullptr, f.desc, pixmap(got), nullptr, &r, srcCopy, nullptr)}),
              std::tuple(codecBadDataErr, before, paramErr));
    (**f.desc).cType = 'none';
    EXPECT_EQ(DecompressImage(f.data.data(), f.desc, pixmap(got), nullptr, &r, srcCopy, nullptr), noCodecErr);
}
