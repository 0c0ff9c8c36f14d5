// Known-answer frames written by hand from the stream layout, and damaged
// frames the decoder must refuse without touching memory it does not own.
#include <gtest/gtest.h>

#include <optional>

#include "CodecTestSupport.h"
#include "platform/codecs/rle/AnimationDecoder.h"
#include "platform/codecs/rle/AnimationEncoder.h"
#include "platform/core/Bytes.h"

using namespace codectest;
using namespace platform;
using namespace platform::codecs;

namespace {

Image image_of(SInt32 w, SInt32 h, int depth, const std::vector<UInt32>& pixels) {
    Image im(w, h, depth);
    for (SInt32 i = 0; i < w * h; ++i) set_pixel(im, i % w, i / w, pixels[size_t(i)]);
    return im;
}

// With `previous`, a delta frame against those pixels.
struct Vector {
    const char* name; int depth; SInt32 w, h; std::vector<UInt32> pixels; std::optional<std::vector<UInt32>> previous; std::vector<UInt8> bytes;
};

const std::vector<Vector> kVectors = {
    {"32-bit run then literal", 32, 3, 1, {0x01102030, 0x01102030, 0xFF0000FF}, {},
     {0, 0, 0, 0x13, 0, 0, 0x01, 0xFE, 0x01, 0x10, 0x20, 0x30, 0x01, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0}},
    {"24-bit one run", 24, 4, 1, {0x123456, 0x123456, 0x123456, 0x123456}, {},
     {0, 0, 0, 0x0D, 0, 0, 0x01, 0xFC, 0x12, 0x34, 0x56, 0xFF, 0}},
    {"24-bit runs are cut at 128", 24, 130, 1, std::vector<UInt32>(130, 0x123456), {},
     {0, 0, 0, 0x11, 0, 0, 0x01, 0x80, 0x12, 0x34, 0x56, 0xFE, 0x12, 0x34, 0x56, 0xFF, 0}},
    {"16-bit literal line and run line", 16, 2, 2, {0x7C00, 0x03E0, 0x001F, 0x001F}, {},
     {0, 0, 0, 0x13, 0, 0, 0x01, 0x02, 0x7C, 0x00, 0x03, 0xE0, 0xFF, 0x01, 0xFE, 0x00, 0x1F, 0xFF, 0}},
    {"8-bit padding joins the run", 8, 5, 1, {1, 2, 3, 4, 1}, {},
     {0, 0, 0, 0x0E, 0, 0, 0x01, 0xFE, 0x01, 0x02, 0x03, 0x04, 0xFF, 0}},
    {"8-bit padding is zero otherwise", 8, 5, 1, {1, 2, 3, 4, 9}, {},
     {0, 0, 0, 0x12, 0, 0, 0x01, 0x02, 0x01, 0x02, 0x03, 0x04, 0x09, 0, 0, 0, 0xFF, 0}},
    {"4-bit literal of two units", 4, 16, 1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {},
     {0, 0, 0, 0x12, 0, 0, 0x01, 0x02, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xFF, 0}},
    {"2-bit run over a padded unit", 2, 40, 1, [] { std::vector<UInt32> v; for (int i = 0; i < 40; ++i) v.push_back(UInt32(i % 4)); return v; }(), {},
     {0, 0, 0, 0x0E, 0, 0, 0x01, 0xFD, 0x1B, 0x1B, 0x1B, 0x1B, 0xFF, 0}},
    {"1-bit pairs", 1, 20, 2, [] { std::vector<UInt32> v(20, 1); for (int i = 0; i < 20; ++i) v.push_back(i % 2 ? 0u : 1u); return v; }(), {},
     {0, 0, 0, 0x10, 0, 0, 0x80, 0xFE, 0xFF, 0xFF, 0x80, 0xFE, 0xAA, 0xAA, 0, 0}},
    {"24-bit delta: one pixel in the middle", 24, 3, 3, {0, 0, 0, 0, 0x010203, 0, 0, 0, 0}, std::vector<UInt32>(9, 0),
     {0, 0, 0, 0x15, 0, 0x08, 0, 1, 0, 0, 0, 1, 0, 0, 0x02, 0x01, 0x01, 0x02, 0x03, 0xFF, 0}},
    {"32-bit delta: skip code inside the line", 32, 8, 1, {0x11223344, 0, 0, 0, 0, 0, 0, 0x55667788}, std::vector<UInt32>(8, 0),
     {0, 0, 0, 0x15, 0, 0, 0x01, 0x01, 0x11, 0x22, 0x33, 0x44, 0x00, 0x07, 0x01, 0x55, 0x66, 0x77, 0x88, 0xFF, 0}},
    {"1-bit delta: skip in the line's first pair", 1, 48, 1,
     [] { std::vector<UInt32> v(48, 0); for (int i = 32; i < 48; ++i) v[size_t(i)] = 1; return v; }(), std::vector<UInt32>(48, 0),
     {0, 0, 0, 0x0C, 0, 0, 0x82, 0x01, 0xFF, 0xFF, 0, 0}},
    {"unchanged frame", 24, 2, 2, {5, 6, 7, 8}, std::vector<UInt32>{5, 6, 7, 8},
     {0, 0, 0, 0x07, 0, 0, 0}}};

// The encoder writes exactly the bytes; the decoder rebuilds the pixels
// from them (on top of the previous frame for a delta frame).
TEST(AnimationVectors, EncodeToTheExpectedBytesAndBack) {
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.name);
        const Image src = image_of(v.w, v.h, v.depth, v.pixels);
        Image out = v.previous ? image_of(v.w, v.h, v.depth, *v.previous) : Image(v.w, v.h, v.depth);
        const ConstPixelView pv = out.cview();
        auto frame = rle::encode_frame(src.cview(), v.depth, v.previous ? &pv : nullptr);
        ASSERT_TRUE(frame.ok());
        EXPECT_EQ(*frame, v.bytes);
        auto r = rle::decode_frame(v.bytes, v.depth, out.view());
        ASSERT_TRUE(r.ok()) << r.error().message;
        EXPECT_TRUE(same_pixels(out, src));
    }
}

// Streams other encoders may write and our encoder does not.
TEST(AnimationVectors, DecoderTakesOtherWritersForms) {
    // Header 0x0008 covering every line, chunk size with its top bits set,
    // and no end-of-frame byte.
    const std::vector<UInt8> ranged = {0xC0, 0, 0, 0x15, 0, 0x08, 0, 0, 0, 0, 0, 2, 0, 0, 0x01, 0xFE, 0x00, 0x1F, 0xFF, 0x01, 0xFF};
    Image im(2, 2, 16);
    ASSERT_TRUE(rle::decode_frame(ranged, 16, im.view()).ok());
    EXPECT_TRUE(same_pixels(im, image_of(2, 2, 16, {0x1F, 0x1F, 0, 0})));

    // 1-bit: a skip-only pair, a second pair skipping on in the same line,
    // and data that ends at a pair boundary without the end pair.
    const std::vector<UInt8> pairs = {0, 0, 0, 0x0E, 0, 0, 0x81, 0xFF, 0x01, 0x01, 0xF0, 0x0F, 0x80, 0xFF};
    Image mono = image_of(48, 2, 1, std::vector<UInt32>(96, 1));
    ASSERT_TRUE(rle::decode_frame(pairs, 1, mono.view()).ok());
    for (SInt32 x = 0; x < 48; ++x) EXPECT_EQ(get_pixel(mono, x, 0), x < 36 || x >= 44 ? 1u : 0u) << x;

    // Chunk size below 8 with more data after it: nothing changes.
    const std::vector<UInt8> tiny = {0, 0, 0, 6, 0, 0, 0x01, 0xFE, 0x00, 0x1F, 0xFF};
    Image keep = image_of(2, 1, 16, {7, 7});
    ASSERT_TRUE(rle::decode_frame(tiny, 16, keep.view()).ok());
    EXPECT_TRUE(same_pixels(keep, image_of(2, 1, 16, {7, 7})));
}

// The chunk size is patched to the length unless the case keeps its own.
struct Damaged { const char* name; int depth; std::vector<UInt8> bytes; bool keepChunk = false; };

// 8-bit images are 8 pixels (2 units) by 2 lines; 1-bit images 32 by 2.
const std::vector<Damaged> kDamaged = {
    {"chunk size larger than the data", 8, {0, 0, 1, 0, 0, 0, 1, 0xFF, 1, 0xFF, 0}, true},
    {"chunk size smaller than its own field", 8, {0, 0, 0, 2, 0, 0, 1, 0xFF, 1, 0xFF, 0}, true},
    {"line range cut short", 8, {0, 0, 0, 0, 0, 0x08, 0, 0, 0, 0}},
    {"line range starts past the height", 8, {0, 0, 0, 0, 0, 0x08, 0, 3, 0, 0, 0, 0, 0, 0, 0}},
    {"line range runs past the height", 8, {0, 0, 0, 0, 0, 0x08, 0, 1, 0, 0, 0, 2, 0, 0, 1, 0xFF, 1, 0xFF, 0}},
    {"skip byte 0", 8, {0, 0, 0, 0, 0, 0, 0, 0xFF, 1, 0xFF, 0}},
    {"opening skip past the line", 8, {0, 0, 0, 0, 0, 0, 4, 0xFF, 1, 0xFF, 0}},
    {"skip code past the line", 8, {0, 0, 0, 0, 0, 0, 1, 0, 4, 0xFF, 1, 0xFF, 0}},
    {"skip code byte 0", 8, {0, 0, 0, 0, 0, 0, 1, 0, 0, 0xFF, 1, 0xFF, 0}},
    {"skip code without its byte", 8, {0, 0, 0, 0, 0, 0, 1, 0}},
    {"literal past the line", 8, {0, 0, 0, 0, 0, 0, 1, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0xFF, 1, 0xFF, 0}},
    {"run past the line", 8, {0, 0, 0, 0, 0, 0, 2, 0xFE, 1, 2, 3, 4, 0xFF, 1, 0xFF, 0}},
    {"literal past the data", 8, {0, 0, 0, 0, 0, 0, 1, 2, 1, 2, 3, 4, 5}},
    {"run past the data", 8, {0, 0, 0, 0, 0, 0, 1, 0xFE, 1, 2}},
    {"line without its end code", 8, {0, 0, 0, 0, 0, 0, 1, 2, 1, 2, 3, 4, 5, 6, 7, 8}},
    {"fewer lines than the header says", 8, {0, 0, 0, 0, 0, 0, 1, 0xFF}},
    {"1-bit: units before the first line", 1, {0, 0, 0, 0, 0, 0, 0x00, 0x01, 0xFF, 0xFF, 0, 0}},
    {"1-bit: more lines than the range", 1, {0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x80, 0xFF, 0x80, 0xFF, 0, 0}},
    {"1-bit: pair cut short", 1, {0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x80}},
    {"1-bit: skip past the line", 1, {0, 0, 0, 0, 0, 0, 0x83, 0x01, 0xFF, 0xFF, 0, 0}},
    {"1-bit: literal past the line", 1, {0, 0, 0, 0, 0, 0, 0x81, 0x02, 1, 2, 3, 4, 0, 0}},
    {"1-bit: run past the line", 1, {0, 0, 0, 0, 0, 0, 0x80, 0xFD, 1, 2, 0, 0}},
    {"1-bit: run past the data", 1, {0, 0, 0, 0, 0, 0, 0x80, 0xFE, 1}},
    {"1-bit: literal past the data", 1, {0, 0, 0, 0, 0, 0, 0x80, 0x02, 1, 2, 3}}};

TEST(AnimationVectors, DamagedFramesAreRefusedWithoutStrayWrites) {
    for (const Damaged& d : kDamaged) {
        std::vector<UInt8> bytes = d.bytes;
        if (!d.keepChunk) store_u32be(bytes.data(), UInt32(bytes.size()));
        Image out(d.depth == 1 ? 32 : 8, 2, d.depth, 16);
        auto r = rle::decode_frame(bytes, d.depth, out.view());
        EXPECT_EQ(std::tuple(r.code(), slack_untouched(out)), std::tuple(OSErr(codecBadDataErr), true)) << d.name;
    }
}

// Cutting a frame anywhere before the end of its last line is damage.
// Depth 2 to 32 frames need no end-of-frame byte; 1-bit frames may end at
// any pair boundary.
TEST(AnimationVectors, EveryTruncationIsRefusedOrHarmless) {
    for (int depth : {1, 2, 4, 8, 16, 24, 32}) {
        const Image src = make_image(41, 3, depth, Pattern::Blocks, 3);
        const std::vector<UInt8> frame = *rle::encode_frame(src.cview(), depth);
        for (size_t len = 8; len < frame.size(); ++len) {
            std::vector<UInt8> cut(frame.begin(), frame.begin() + long(len));
            store_u32be(cut.data(), UInt32(len));
            Image out(41, 3, depth, 8);
            auto r = rle::decode_frame(cut, depth, out.view());
            if (depth > 1) { EXPECT_EQ(r.ok(), len == frame.size() - 1) << "depth " << depth << " cut at " << len; }
            EXPECT_TRUE((r.ok() || r.code() == codecBadDataErr) && slack_untouched(out));
        }
    }
}

TEST(AnimationVectors, DecoderChecksItsDestination) {
    const std::vector<UInt8> frame = kVectors[0].bytes;
    Image wrong(3, 1, 24), ok(3, 1, 32);
    PixelView narrow = ok.view();
    narrow.rowBytes = 11;   // shorter than 3 pixels of 4 bytes
    EXPECT_EQ(std::tuple(rle::decode_frame(frame, 32, wrong.view()).code(), rle::decode_frame(frame, 32, narrow).code(),
                         rle::decode_frame(frame, 12, ok.view()).code()), std::tuple(paramErr, paramErr, paramErr));
}

}  // namespace
