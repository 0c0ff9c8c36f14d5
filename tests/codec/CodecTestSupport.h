// CodecTestSupport.h — pixel buffers and test pictures for the codec tests.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/codecs/PixelView.h"

namespace codectest {

using platform::codecs::ConstPixelView;
using platform::codecs::PixelView;

// An image with `slack` spare bytes at the end of every row, filled with
// 0xA5 so a test can see whether anything wrote past the pixels.
struct Image {
    SInt32 width = 0, height = 0;
    SInt16 depth = 0;
    SInt32 rowBytes = 0;
    std::vector<UInt8> bytes;

    Image() = default;
    Image(SInt32 w, SInt32 h, int d, int slack = 3)
        : width(w), height(h), depth(SInt16(d)),
          rowBytes(SInt32(platform::codecs::visible_row_bytes(w, d)) + slack), bytes(size_t(rowBytes) * size_t(h), 0xA5) {
        for (SInt32 y = 0; y < h; ++y) std::memset(row(y), 0, visible());
    }
    size_t visible() const { return platform::codecs::visible_row_bytes(width, depth); }
    UInt8* row(SInt32 y) { return bytes.data() + size_t(y) * size_t(rowBytes); }
    const UInt8* row(SInt32 y) const { return bytes.data() + size_t(y) * size_t(rowBytes); }
    PixelView view() { return {bytes.data(), rowBytes, width, height, depth}; }
    ConstPixelView cview() const { return {bytes.data(), rowBytes, width, height, depth}; }
};

// Pixel values: an index at 1-8 bits, the 16-bit word, or 0xAARRGGBB
// (24 bits: 0xRRGGBB).
inline UInt32 get_pixel(const Image& im, SInt32 x, SInt32 y) {
    const UInt8* r = im.row(y);
    switch (im.depth) {
    case 32: return (UInt32(r[4 * x]) << 24) | (UInt32(r[4 * x + 1]) << 16) | (UInt32(r[4 * x + 2]) << 8) | r[4 * x + 3];
    case 24: return (UInt32(r[3 * x]) << 16) | (UInt32(r[3 * x + 1]) << 8) | r[3 * x + 2];
    case 16: return (UInt32(r[2 * x]) << 8) | r[2 * x + 1];
    default: {
        const int d = im.depth, bit = x * d;
        return (r[bit / 8] >> (8 - d - bit % 8)) & ((1u << d) - 1);
    }
    }
}

inline void set_pixel(Image& im, SInt32 x, SInt32 y, UInt32 v) {
    UInt8* r = im.row(y);
    switch (im.depth) {
    case 32: for (int k = 0; k < 4; ++k) r[4 * x + k] = UInt8(v >> (24 - 8 * k)); break;
    case 24: for (int k = 0; k < 3; ++k) r[3 * x + k] = UInt8(v >> (16 - 8 * k)); break;
    case 16: r[2 * x] = UInt8(v >> 8); r[2 * x + 1] = UInt8(v); break;
    default: {
        const int d = im.depth, bit = x * d, shift = 8 - d - bit % 8;
        const UInt8 mask = UInt8(((1u << d) - 1) << shift);
        r[bit / 8] = UInt8((r[bit / 8] & ~mask) | ((v << shift) & mask));
    }
    }
}

// Same visible pixels (the spare bytes are not compared).
inline bool same_pixels(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (SInt32 y = 0; y < a.height; ++y)
        for (SInt32 x = 0; x < a.width; ++x)
            if (get_pixel(a, x, y) != get_pixel(b, x, y)) return false;
    return true;
}

// The spare bytes after every row still hold their fill.
inline bool slack_untouched(const Image& im) {
    for (SInt32 y = 0; y < im.height; ++y)
        for (size_t i = im.visible(); i < size_t(im.rowBytes); ++i)
            if (im.row(y)[i] != 0xA5) return false;
    return true;
}

struct Rng {
    UInt32 s;
    explicit Rng(UInt32 seed) : s(seed * 2654435761u + 1) {}
    UInt32 next() { return s ^= s << 13, s ^= s >> 17, s ^= s << 5; }
};

enum class Pattern { Solid, Noise, Gradient, Stripes, Alternating, Blocks };

inline const char* pattern_name(Pattern p) {
    static const char* const names[] = {"solid", "noise", "gradient", "stripes", "alternating", "blocks"};
    return names[int(p)];
}

// All bits of a pixel value at this depth (32 bits: alpha included).
inline UInt32 pixel_mask(int depth) { return depth == 32 ? 0xFFFFFFFFu : (1u << depth) - 1; }

inline Image make_image(SInt32 w, SInt32 h, int depth, Pattern p, UInt32 seed = 1) {
    Image im(w, h, depth);
    Rng rng(seed);
    const UInt32 mask = pixel_mask(depth);
    const UInt32 a = rng.next() & mask, b = rng.next() & mask;
    for (SInt32 y = 0; y < h; ++y)
        for (SInt32 x = 0; x < w; ++x) {
            UInt32 v = 0;
            switch (p) {
            case Pattern::Solid: v = a; break;
            case Pattern::Noise: v = rng.next(); break;
            case Pattern::Gradient: v = UInt32(x * 0x010203 + y * 0x030201); break;
            case Pattern::Stripes: v = ((x / 5 + y) % 3) ? a : b; break;
            case Pattern::Alternating: v = ((x + y) & 1) ? a : ~a; break;
            case Pattern::Blocks: v = (rng.next() % 7 == 0) ? rng.next() : (x / 9 % 2 ? a : b); break;
            }
            set_pixel(im, x, y, v & mask);
        }
    return im;
}

}  // namespace codectest
