// DecodedImage.h — what the image decoders produce, and the rules they share.
//
// Every decoder turns a file held in memory into 32-bit pixels in
// QuickDraw's layout (x, R, G, B bytes per pixel; x = 0xFF), rows top to
// bottom, no padding. Decoders first read the header alone (probe), so a
// file can be recognised and measured without decoding it.
//
// Limits: width and height at most 16384 (the largest graphics world we
// make) and at most 64 megapixels. An image over them is refused with
// codecSizeErr before anything is allocated for its pixels.
//
// Result codes shared by all decoders:
//   codecBadDataErr   damaged or truncated data, zero dimensions, colour
//                     indexes past the palette, offsets outside the file
//   codecSizeErr      over the limits above
//   codecUnimpErr     a valid file using a feature we do not decode
//
// Alpha is composited on white, per 8-bit channel c with alpha a (0..255):
//     out = (c * a + 255 * (255 - a) + 127) / 255     (integer division)
// that is c * a/255 + 255 * (1 - a/255) rounded to nearest, halves up.
// 16-bit channels are first reduced to 8 bits exactly, v * 255 / 65535
// rounded to nearest: (v * 255 + 32895) >> 16.
#pragma once

#include <span>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::importers {

inline constexpr SInt32 kMaxImageSide = 16384;
inline constexpr UInt64 kMaxImagePixels = 64ull * 1024 * 1024;

struct ImageInfo {
    SInt32 width = 0;
    SInt32 height = 0;
};

struct DecodedImage {
    SInt32 width = 0;
    SInt32 height = 0;
    std::vector<UInt8> pixels;   // width * 4 bytes per row, x R G B

    UInt8* row(SInt32 y) { return pixels.data() + size_t(y) * size_t(width) * 4; }
    const UInt8* row(SInt32 y) const { return pixels.data() + size_t(y) * size_t(width) * 4; }
};

// codecBadDataErr for a zero dimension, codecSizeErr over the limits.
Result<ImageInfo> checked_dimensions(UInt64 width, UInt64 height);

// An image of that size, every pixel white. Checks the dimensions first.
Result<DecodedImage> make_white_image(UInt64 width, UInt64 height);

inline UInt8 composite_on_white(UInt32 c, UInt32 a) {
    return UInt8((c * a + 255 * (255 - a) + 127) / 255);
}
inline UInt8 reduce_16_to_8(UInt32 v) { return UInt8((v * 255 + 32895) >> 16); }

inline void put_pixel(UInt8* p, UInt8 r, UInt8 g, UInt8 b) {
    p[0] = 0xFF;
    p[1] = r;
    p[2] = g;
    p[3] = b;
}

}  // namespace platform::importers
