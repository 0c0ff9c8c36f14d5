// Encode -> decode at every depth must give back every visible pixel, write
// nothing past them, and stay within the size bound.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "platform/codecs/rle/AnimationDecoder.h"
#include "platform/codecs/rle/AnimationEncoder.h"

using namespace codectest;
using namespace platform;
using namespace platform::codecs;

namespace {

const int kDepths[] = {1, 2, 4, 8, 16, 24, 32};
const Pattern kPatterns[] = {Pattern::Solid, Pattern::Noise, Pattern::Gradient, Pattern::Stripes, Pattern::Alternating, Pattern::Blocks};

// Decodes `frame` into `into` and checks it against `expected`.
void expect_decodes_to(const std::vector<UInt8>& frame, int depth, Image& into, const Image& expected, const std::string& what) {
    auto r = rle::decode_frame(frame, depth, into.view());
    ASSERT_TRUE(r.ok()) << what << ": " << r.error().message;
    EXPECT_TRUE(same_pixels(into, expected)) << what;
    EXPECT_TRUE(slack_untouched(into)) << what << ": wrote past the row";
}

TEST(AnimationRoundTrip, KeyFramesAtEveryDepthWidthAndPattern) {
    const SInt32 widths[] = {1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 31, 33, 127, 128, 129, 255, 257, 2048};
    for (int depth : kDepths)
        for (SInt32 w : widths)
            for (Pattern p : kPatterns) {
                const std::string what = "depth " + std::to_string(depth) + " width " + std::to_string(w) + " " + pattern_name(p);
                const Image src = make_image(w, 3, depth, p, UInt32(w * 31 + depth));
                auto frame = rle::encode_frame(src.cview(), depth);
                ASSERT_TRUE(frame.ok()) << what;
                EXPECT_LE(frame->size(), *rle::max_frame_size(w, 3, depth)) << what;
                Image out = make_image(w, 3, depth, Pattern::Noise, 99);   // garbage first
                expect_decodes_to(*frame, depth, out, src, what);
            }
}

// 24-bit coding from 32-bit x,R,G,B pixels drops the first byte; decoding
// a 24-bit stream into 32 bits sets it to 0xFF.
TEST(AnimationRoundTrip, Depth24FromAndTo32BitPixels) {
    Image src = make_image(37, 4, 32, Pattern::Blocks, 5);
    auto frame = rle::encode_frame(src.cview(), 24);
    ASSERT_TRUE(frame.ok());

    Image packed(37, 4, 24), wide(37, 4, 32);
    ASSERT_TRUE(rle::decode_frame(*frame, 24, packed.view()).ok() && rle::decode_frame(*frame, 24, wide.view()).ok());
    for (SInt32 y = 0; y < 4; ++y)
        for (SInt32 x = 0; x < 37; ++x) {
            const UInt32 rgb = get_pixel(src, x, y) & 0xFFFFFF;
            ASSERT_EQ(std::tuple(get_pixel(packed, x, y), get_pixel(wide, x, y)), std::tuple(rgb, 0xFF000000u | rgb));
        }

    // Pixels that differ only in the dropped byte code the same stream.
    Image other = src;
    for (SInt32 y = 0; y < 4; ++y) other.row(y)[0] ^= 0x5A;
    EXPECT_EQ(*rle::encode_frame(other.cview(), 24), *frame);
}

// A sequence of delta frames, each against the one before, decoded one on
// top of the other, must track the source exactly.
TEST(AnimationRoundTrip, DeltaFramesTrackTheSource) {
    for (int depth : kDepths) {
        for (SInt32 w : {5, 16, 33, 700, 2048}) {
            const SInt32 h = 6;
            std::vector<Image> frames{make_image(w, h, depth, Pattern::Blocks, UInt32(w))};
            Rng rng(UInt32(depth * 7 + w));
            const UInt32 mask = pixel_mask(depth);
            auto next = [&](auto&& change) {
                Image f = frames.back();
                change(f);
                frames.push_back(std::move(f));
            };
            next([](Image&) {});                                                  // no change
            next([&](Image& f) { set_pixel(f, 0, 0, ~get_pixel(f, 0, 0) & mask); }); // first pixel
            next([&](Image& f) { set_pixel(f, w - 1, h - 1, ~get_pixel(f, w - 1, h - 1) & mask); });
            next([&](Image& f) {    // scattered changes with long unchanged stretches
                for (int k = 0; k < 6; ++k) set_pixel(f, SInt32(rng.next() % UInt32(w)), 2, rng.next() & mask);
            });
            next([&](Image& f) {    // a whole middle line, then a repeated run
                for (SInt32 x = 0; x < w; ++x) set_pixel(f, x, 3, x < w / 2 ? 1 : rng.next() & mask);
            });
            next([&](Image& f) { f = make_image(w, h, depth, Pattern::Noise, rng.next()); });

            const std::string what = "depth " + std::to_string(depth) + " width " + std::to_string(w);
            Image out(w, h, depth);
            rle::Encoder encoder;
            std::vector<UInt8> buf(*rle::max_frame_size(w, h, depth));
            for (size_t i = 0; i < frames.size(); ++i) {
                const ConstPixelView prev = i ? frames[i - 1].cview() : ConstPixelView{};
                auto n = encoder.encode(frames[i].cview(), depth, i ? &prev : nullptr, buf);
                ASSERT_TRUE(n.ok()) << what;
                std::vector<UInt8> frame(buf.begin(), buf.begin() + long(*n));
                expect_decodes_to(frame, depth, out, frames[i], what + " frame " + std::to_string(i));
            }
        }
    }
}

// The bound holds on the content that codes worst: no two neighbouring
// units alike, at widths around the literal limit, key frames and delta
// frames against a frame that differs everywhere; 32-bit noise meets it,
// less the line range.
TEST(AnimationRoundTrip, MaxFrameSizeBoundsEveryFrame) {
    for (int depth : kDepths)
        for (SInt32 units : {1, 2, 126, 127, 128, 254, 255, 1000})
            for (Pattern p : {Pattern::Alternating, Pattern::Noise}) {
                const SInt32 per = depth >= 16 ? 1 : depth == 1 ? 16 : 32 / depth, w = units * per - (per > 1);
                const Image a = make_image(w, 4, depth, p, UInt32(units)), b = make_image(w, 4, depth, Pattern::Noise, UInt32(units + 1));
                const size_t bound = *rle::max_frame_size(w, 4, depth), key = rle::encode_frame(a.cview(), depth)->size();
                const ConstPixelView bv = b.cview();
                const std::string what = std::string(pattern_name(p)) + " depth " + std::to_string(depth) + " width " + std::to_string(w);
                EXPECT_TRUE(key <= bound && rle::encode_frame(a.cview(), depth, &bv)->size() <= bound) << what;
                if (depth == 32 && p == Pattern::Noise) { EXPECT_EQ(key, bound - 8) << what; }
            }
}

// The encoder refuses a buffer too small and sources it cannot code.
TEST(AnimationRoundTrip, EncoderChecksItsArguments) {
    const Image src = make_image(20, 4, 8, Pattern::Noise);
    std::vector<UInt8> small(30);
    std::vector<UInt8> big(*rle::max_frame_size(20, 4, 8));
    const Image other = make_image(21, 4, 8, Pattern::Noise);
    const ConstPixelView prev = other.cview();
    rle::Encoder encoder;
    // Then: a depth mismatch, a depth it cannot code, a previous frame of another size.
    EXPECT_EQ((std::tuple{encoder.encode(src.cview(), 8, nullptr, small).code(), encoder.encode(src.cview(), 16, nullptr, big).code(),
                          encoder.encode(src.cview(), 3, nullptr, big).code(), encoder.encode(src.cview(), 8, &prev, big).code(),
                          rle::max_frame_size(30000, 30000, 32).code()}), std::tuple(codecImageBufErr, paramErr, paramErr, paramErr, codecSizeErr));
}

}  // namespace
