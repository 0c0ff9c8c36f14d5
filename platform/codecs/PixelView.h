// PixelView.h — the pixel buffers codecs read and write.
//
// Pixels are in the classic big-endian layout whatever the host:
//   32 bits  A (or unused x), R, G, B bytes
//   24 bits  R, G, B bytes (packed; codecs only)
//   16 bits  x1-R5-G5-B5, big-endian
//   8, 4, 2, 1 bits  colour-table indexes, most significant bits first
// Each row starts rowBytes after the previous one; only the first
// visible_row_bytes(width, depth) bytes of a row belong to the image.
#pragma once

#include <cstddef>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::codecs {

struct PixelView {
    UInt8* base = nullptr;
    SInt32 rowBytes = 0;
    SInt32 width = 0;
    SInt32 height = 0;
    SInt16 depth = 0;

    UInt8* row(SInt32 y) const { return base + size_t(y) * size_t(rowBytes); }
};

struct ConstPixelView {
    const UInt8* base = nullptr;
    SInt32 rowBytes = 0;
    SInt32 width = 0;
    SInt32 height = 0;
    SInt16 depth = 0;

    ConstPixelView() = default;
    ConstPixelView(const UInt8* b, SInt32 rb, SInt32 w, SInt32 h, SInt16 d)
        : base(b), rowBytes(rb), width(w), height(h), depth(d) {}
    ConstPixelView(const PixelView& v)
        : base(v.base), rowBytes(v.rowBytes), width(v.width), height(v.height), depth(v.depth) {}

    const UInt8* row(SInt32 y) const { return base + size_t(y) * size_t(rowBytes); }
};

constexpr bool is_pixel_depth(int depth) {
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 ||
           depth == 32;
}

// Bytes of a row that hold the image's pixels.
constexpr size_t visible_row_bytes(SInt32 width, int depth) {
    return (size_t(width) * size_t(depth) + 7) / 8;
}

// Checks a view's geometry: a known depth, a non-empty size, rows long
// enough for the width, and an extent that fits in memory arithmetic.
Result<void> check_view(const ConstPixelView& v);

}  // namespace platform::codecs
