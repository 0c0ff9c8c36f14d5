// Codec.h — the codecs inside the platform, found by codec type.
//
// This is what the image-compression calls, the movie toolbox and playback
// use: size, encode and decode whole images on pixel buffers (PixelView.h).
#pragma once

#include <span>

#include "platform/Compression.h"
#include "platform/codecs/PixelView.h"

namespace platform::codecs {

class Codec {
public:
    virtual ~Codec() = default;

    virtual CodecType type() const = 0;
    // The name image descriptions carry ("Animation", "None").
    virtual const char* name() const = 0;
    virtual bool supports_depth(int depth) const = 0;
    // The most bytes one image of this size and depth can take.
    virtual Result<size_t> max_size(SInt32 width, SInt32 height, int depth) const = 0;
    // Compresses `frame` at `depth` (the frame's own depth, or 24 from a
    // 32-bit frame). With a `previous` frame a codec that can code
    // differences does so; otherwise the result stands alone.
    virtual Result<size_t> encode(const ConstPixelView& frame, int depth,
                                  const ConstPixelView* previous, std::span<UInt8> out) const = 0;
    // Decodes one image into dst, which holds the previous image (for
    // codecs with differences). dst has the image's depth, or 32 for 24.
    virtual Result<void> decode(std::span<const UInt8> data, int depth,
                                const PixelView& dst) const = 0;
};

// The codec of that type, or null.
const Codec* find_codec(CodecType type);

// The pixel depth an image of the described depth decodes to: grey depths
// (33, 34, 36, 40) are their index depths; 0 for an unknown depth.
int decoded_depth(SInt16 descriptionDepth);

// Decodes the image `desc` describes into dst (the image's size, its
// decoded depth, or 32 bits for depth 24). noCodecErr for an unknown
// codec, badImageDescription for a description no image can have,
// paramErr for a destination that does not fit it.
Result<void> decode_image(const ImageDescription& desc, std::span<const UInt8> data,
                          const PixelView& dst);

// Decodes images of codecs not listed here (FFmpeg's, platform/codecs/libav)
// for decode_image: noCodecErr for a type it does not know either. The
// platform's entry sets it; the codecs cannot name that library themselves.
using OutsideDecoder = Result<void> (*)(const ImageDescription& desc, std::span<const UInt8> data,
                                        const PixelView& dst);
void set_outside_decoder(OutsideDecoder decoder);

}  // namespace platform::codecs
