// AnimationDecoder.h — decoding Animation ('rle ') frames.
#pragma once

#include <span>

#include "platform/codecs/PixelView.h"

namespace platform::codecs::rle {

// Decodes one frame coded at `depth` into dst, which holds the previous
// frame: a delta frame changes only the lines and units it codes, and a
// frame shorter than 8 bytes changes nothing. dst has the image's size and
// the stream's depth, or 32 bits for a 24-bit stream (the first byte of
// each pixel written is then 0xFF).
//
// A damaged frame fails with codecBadDataErr; nothing outside dst's
// visible pixels is ever written, nothing outside `data` is ever read, but
// the lines before the damage may already have been changed. A bad
// destination fails with paramErr.
Result<void> decode_frame(std::span<const UInt8> data, int depth, const PixelView& dst);

}  // namespace platform::codecs::rle
