// GetMaxCompressionSize and CompressImage on pixel maps, as the movie
// authoring code calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "CodecTestSupport.h"
#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/codecs/Codec.h"
#include "platform/codecs/ImageDescriptionIO.h"
#include "platform/core/Bytes.h"
#include "platform/memory/MemoryInternal.h"
#include "platform/quickdraw/StandardColors.h"

using namespace codectest;
using namespace platform;
using namespace platform::codecs;

namespace {

// A pixel map over an Image, its bounds' top-left at (left, top).
struct Map {
    Image im;
    PixMap pm{};
    PixMap* ptr = &pm;

    explicit Map(Image image, SInt16 left = 0, SInt16 top = 0) : im(std::move(image)) {
        pm.baseAddr = reinterpret_cast<Ptr>(im.bytes.data()), pm.rowBytes = im.rowBytes;
        pm.bounds = Rect{top, left, SInt16(top + im.height), SInt16(left + im.width)};
        pm.pixelSize = im.depth;
        pm.pixelType = im.depth >= 16 ? SInt16(RGBDirect) : SInt16(0);
    }
    Map(const Map&) = delete;
    PixMapHandle handle() { return &ptr; }
};

struct Compressed {
    OSErr err = noErr;
    ImageDescriptionHandle desc = nullptr;
    std::vector<UInt8> data;
    ~Compressed() {
        if (desc) DisposeHandle(reinterpret_cast<Handle>(desc));
    }
};

// Sizes the buffer with GetMaxCompressionSize, then compresses into it
// with a 4-byte description handle, as the authoring code does.
void compress(Map& m, const Rect* r, CodecType type, Compressed& out) {
    SInt32 max = 0;
    out.err = GetMaxCompressionSize(m.handle(), r, 0, codecNormalQuality, type, anyCodec, &max);
    if (out.err) return;
    out.data.assign(size_t(max), 0);
    out.desc = reinterpret_cast<ImageDescriptionHandle>(NewHandle(4));
    out.err = CompressImage(m.handle(), r, codecNormalQuality, type, out.desc, reinterpret_cast<Ptr>(out.data.data()));
}

Image decode(const Compressed& c) {
    const ImageDescription& d = **c.desc;
    Image im(d.width, d.height, decoded_depth(d.depth));
    auto r = decode_image(d, std::span(c.data).first(size_t(d.dataSize)), im.view());
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message);
    return im;
}

Image sub_image(const Image& src, SInt32 left, SInt32 top, SInt32 w, SInt32 h) {
    Image out(w, h, src.depth);
    for (SInt32 y = 0; y < h; ++y)
        for (SInt32 x = 0; x < w; ++x) set_pixel(out, x, y, get_pixel(src, left + x, top + y));
    return out;
}

// srcRect is in the pixel map's bounds coordinates, and may start inside a
// byte at depths below 8.
TEST(CompressImage, CompressesTheSourceRectangleOnly) {
    for (int depth : {1, 2, 4, 8, 16, 32}) {
        Map m(make_image(50, 20, depth, Pattern::Noise, 3), 10, 20);
        const Rect r{23, 13, 31, 42};   // pixels (3, 3) to (32, 11)
        Compressed c;
        compress(m, &r, kAnimationCodecType, c);
        ASSERT_EQ(c.err, noErr) << depth;
        const ImageDescription& d = **c.desc;
        EXPECT_EQ(std::tuple(d.cType, d.width, d.height, d.depth, load_u32be(c.data.data())),
                  std::tuple(OSType('rle '), 29, 8, depth, UInt32(d.dataSize))) << "last: the frame's own size field";
        EXPECT_TRUE(same_pixels(decode(c), sub_image(m.im, 3, 3, 29, 8))) << depth;
    }
}

// A pixel map whose table is not the standard one keeps its colours: the
// table travels in the description (clutID 0).
TEST(CompressImage, CarriesANonStandardColourTable) {
    Map m(make_image(16, 4, 4, Pattern::Noise));
    const size_t bytes = 8 + 16 * sizeof(ColorSpec);
    Handle table = NewHandleClear(Size(bytes));
    auto* ct = reinterpret_cast<ColorTable*>(*table);
    ct->ctSize = 15;
    ColorSpec* specs = ct->ctTable;
    for (int i = 0; i < 16; ++i) specs[i] = ColorSpec{SInt16(i), RGBColor{UInt16(i * 0x1111), 0x8000, 0}};
    m.pm.pmTable = reinterpret_cast<CTabHandle>(table);

    Compressed c;
    compress(m, nullptr, kAnimationCodecType, c);
    ASSERT_EQ(c.err, noErr);
    ASSERT_EQ(GetHandleSize(reinterpret_cast<Handle>(c.desc)), Size(86 + bytes));
    EXPECT_EQ(std::tuple((**c.desc).idSize, (**c.desc).clutID), std::tuple(SInt32(86 + bytes), SInt16(0)));
    EXPECT_EQ(std::memcmp(reinterpret_cast<UInt8*>(*c.desc) + 86 + 8, specs, 16 * sizeof(ColorSpec)), 0);

    // The standard table of the depth needs no copy.
    const auto standard = quickdraw::standard_palette(4);
    for (int i = 0; i < 16; ++i) {
        const auto& e = standard[size_t(i)];
        specs[i].rgb = RGBColor{UInt16(e.r * 0x101), UInt16(e.g * 0x101), UInt16(e.b * 0x101)};
    }
    Compressed plain;
    compress(m, nullptr, kAnimationCodecType, plain);
    ASSERT_EQ(plain.err, noErr);
    EXPECT_EQ(std::tuple((**plain.desc).clutID, GetHandleSize(reinterpret_cast<Handle>(plain.desc))), std::tuple(SInt16(-1), Size(86)));
    DisposeHandle(table);
}

TEST(CompressImage, RefusesBadArguments) {
    Map m(make_image(16, 4, 8, Pattern::Noise));
    std::vector<UInt8> data(4096);
    Ptr buf = reinterpret_cast<Ptr>(data.data());
    auto desc = reinterpret_cast<ImageDescriptionHandle>(NewHandle(4));
    const Rect empty{2, 2, 2, 10}, outside{0, 0, 5, 16}, whole{0, 0, 4, 16};
    PixMapHandle nilMap = nullptr;
    SInt32 size = 0;

    struct Case { const char* name; OSErr got, expected; } cases[] = {
        {"max: no size", GetMaxCompressionSize(m.handle(), &whole, 0, 0, kAnimationCodecType, 0, nullptr), paramErr},
        {"max: empty rect", GetMaxCompressionSize(m.handle(), &empty, 0, 0, kAnimationCodecType, 0, &size), paramErr},
        {"max: unknown codec", GetMaxCompressionSize(m.handle(), &whole, 0, 0, 'jpeg', 0, &size), noCodecErr},
        {"max: depth 3", GetMaxCompressionSize(m.handle(), &whole, 3, 0, kAnimationCodecType, 0, &size), paramErr},
        {"max: depth 24", GetMaxCompressionSize(m.handle(), &whole, 24, 0, kAnimationCodecType, 0, &size), noErr},
        {"compress: no pixel map", CompressImage(nilMap, &whole, 0, kAnimationCodecType, desc, buf), paramErr},
        {"compress: no data", CompressImage(m.handle(), &whole, 0, kAnimationCodecType, desc, nullptr), paramErr},
        {"compress: rect outside the bounds", CompressImage(m.handle(), &outside, 0, kAnimationCodecType, desc, buf), paramErr}};
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;

    // Pixel maps of depth 3, with short rows, without pixels.
    for (auto damage :
         {+[](PixMap& p) { p.pixelSize = 3; }, +[](PixMap& p) { p.rowBytes = 15; }, +[](PixMap& p) { p.baseAddr = nullptr; }}) {
        Map bad(make_image(16, 4, 8, Pattern::Noise));
        damage(bad.pm);
        EXPECT_EQ(CompressImage(bad.handle(), &whole, 0, kAnimationCodecType, desc, buf), paramErr);
    }

    Map huge(Image(1, 1, 32));
    huge.pm.bounds = Rect{0, 0, 30000, 30000};
    EXPECT_EQ(GetMaxCompressionSize(huge.handle(), nullptr, 0, 0, kAnimationCodecType, 0, &size), codecSizeErr);
    DisposeHandle(reinterpret_cast<Handle>(desc));
}

// A description handle that cannot grow makes CompressImage fail with the
// Memory Manager's code, not write past the handle.
TEST(CompressImage, ReportsADescriptionThatCannotGrow) {
    Map m(make_image(16, 4, 8, Pattern::Noise));
    std::vector<UInt8> data(4096);
    auto compress_into = [&](Handle h) {
        return CompressImage(m.handle(), nullptr, 0, kAnimationCodecType, reinterpret_cast<ImageDescriptionHandle>(h),
                             reinterpret_cast<Ptr>(data.data()));
    };
    Handle locked = NewHandle(4), h = NewHandle(4);
    HLock(locked);
    EXPECT_EQ((std::tuple{compress_into(locked), GetHandleSize(locked)}), std::tuple(memFullErr, 4));
    memory::fail_allocation(1);
    const OSErr err = compress_into(h);
    memory::fail_allocation(0);
    EXPECT_EQ(err, memFullErr);
    DisposeHandle(locked), DisposeHandle(h);
}

}  // namespace
