// RawCodec.h — the uncompressed ('raw ') image format.
//
// The pixels as they are, row after row with no padding between rows: a
// row is ceil(width * depth / 8) bytes.
//   32 bits  A, R, G, B          16 bits  x1-5-5-5, big-endian
//   24 bits  R, G, B             8, 4, 2, 1 bits  indexes, high bits first
// Bits past the width in a row's last byte are written as zero and
// ignored when read.
#pragma once

#include <span>

#include "platform/codecs/PixelView.h"

namespace platform::codecs::raw {

// Bytes of one image; codecSizeErr past what a sample can hold.
Result<size_t> frame_size(SInt32 width, SInt32 height, int depth);

// `frame` at `depth`: its own depth, or 24 from a 32-bit frame.
Result<size_t> encode_frame(const ConstPixelView& frame, int depth, std::span<UInt8> out);

// Into dst of the same size and depth (or 32 bits for depth 24, first
// byte 0xFF). Data shorter than one image fails with codecBadDataErr.
Result<void> decode_frame(std::span<const UInt8> data, int depth, const PixelView& dst);

}  // namespace platform::codecs::raw
