// PixelFormat.h — pixel values and their layout in memory.
//
// Rows are big-endian whatever the host:
//   32 bits  x R G B         one byte each; we write x = 0xFF (opaque)
//   24 bits  R G B           (accepted by CopyBits; ports never have it)
//   16 bits  x1 R5 G5 B5     big-endian 16-bit word, we write x = 0
//   8/4/2/1  colour-table indexes, leftmost pixel in the most significant bits
//
// A "pixel value" is what a pixel holds: an index at the indexed depths,
// 0xXXRRGGBB at 32 bits, the 16-bit word at 16 bits. Colours pass between
// 16-bit-per-channel RGBColor and 8-bit RGB8 by taking the high byte
// (and back by repeating it); 5-bit channels expand by repeating their top
// bits, so 16 -> 8 -> 16 round trips are exact.
#pragma once

#include <cstring>

#include "platform/QuickDraw.h"
#include "platform/core/Bytes.h"
#include "platform/quickdraw/StandardColors.h"

namespace platform::quickdraw {

inline bool is_valid_depth(int depth) {
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 32;
}
inline bool is_indexed_depth(int depth) { return depth <= 8; }

inline RGB8 to_rgb8(const RGBColor& c) { return RGB8{UInt8(c.red >> 8), UInt8(c.green >> 8), UInt8(c.blue >> 8)}; }
inline RGBColor to_rgb_color(RGB8 c) {
    return RGBColor{UInt16(c.r * 0x101), UInt16(c.g * 0x101), UInt16(c.b * 0x101)};
}

inline UInt32 pack32(RGB8 c) { return 0xFF000000u | (UInt32(c.r) << 16) | (UInt32(c.g) << 8) | c.b; }
inline RGB8 unpack32(UInt32 v) { return RGB8{UInt8(v >> 16), UInt8(v >> 8), UInt8(v)}; }
inline UInt32 pack16(RGB8 c) { return (UInt32(c.r >> 3) << 10) | (UInt32(c.g >> 3) << 5) | (c.b >> 3); }
inline UInt8 expand5(UInt32 v) { return UInt8((v << 3) | (v >> 2)); }
inline RGB8 unpack16(UInt32 v) { return RGB8{expand5((v >> 10) & 31), expand5((v >> 5) & 31), expand5(v & 31)}; }
inline UInt32 rgb_key(RGB8 c) { return (UInt32(c.r) << 16) | (UInt32(c.g) << 8) | c.b; }

// One pixel of a row, at any depth (x in pixels from the row's start).
inline UInt32 read_pixel(const UInt8* row, SInt32 x, int depth) {
    switch (depth) {
    case 32: return load_u32be(row + 4 * size_t(x));
    case 24: return 0xFF000000u | load_u24be(row + 3 * size_t(x));
    case 16: return load_u16be(row + 2 * size_t(x));
    case 8: return row[x];
    default: {
        UInt32 bit = UInt32(x) * UInt32(depth);
        unsigned shift = 8 - depth - (bit & 7);
        return (row[bit >> 3] >> shift) & ((1u << depth) - 1);
    }
    }
}

inline void write_pixel(UInt8* row, SInt32 x, int depth, UInt32 v) {
    switch (depth) {
    case 32: store_u32be(row + 4 * size_t(x), v); break;
    case 24: store_u24be(row + 3 * size_t(x), v & 0xFFFFFF); break;
    case 16: store_u16be(row + 2 * size_t(x), UInt16(v)); break;
    case 8: row[x] = UInt8(v); break;
    default: {
        UInt32 bit = UInt32(x) * UInt32(depth);
        unsigned shift = 8 - depth - (bit & 7);
        UInt8 mask = UInt8(((1u << depth) - 1) << shift);
        UInt8& b = row[bit >> 3];
        b = UInt8((b & ~mask) | ((v << shift) & mask));
        break;
    }
    }
}

// The value that inverts a pixel when XORed in: every index bit, or the
// colour bits of a direct pixel (the x bits are kept).
inline UInt32 invert_mask(int depth) {
    switch (depth) {
    case 32:
    case 24: return 0x00FFFFFF;
    case 16: return 0x7FFF;
    default: return (1u << depth) - 1;
    }
}

inline UInt8* pixel_row(const PixMap& pm, SInt32 y) {
    return reinterpret_cast<UInt8*>(pm.baseAddr) + size_t(y) * size_t(pm.rowBytes);
}

}  // namespace platform::quickdraw
