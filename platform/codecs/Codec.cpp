#include "platform/codecs/Codec.h"

#include "platform/codecs/raw/RawCodec.h"
#include "platform/codecs/rle/AnimationDecoder.h"
#include "platform/codecs/rle/AnimationEncoder.h"

namespace platform::codecs {
namespace {

class AnimationCodec final : public Codec {
public:
    CodecType type() const override { return kAnimationCodecType; }
    const char* name() const override { return "Animation"; }
    bool supports_depth(int depth) const override { return is_pixel_depth(depth); }
    Result<size_t> max_size(SInt32 width, SInt32 height, int depth) const override {
        return rle::max_frame_size(width, height, depth);
    }
    Result<size_t> encode(const ConstPixelView& frame, int depth, const ConstPixelView* previous,
                          std::span<UInt8> out) const override {
        rle::Encoder encoder;
        return encoder.encode(frame, depth, previous, out);
    }
    Result<void> decode(std::span<const UInt8> data, int depth,
                        const PixelView& dst) const override {
        return rle::decode_frame(data, depth, dst);
    }
};

class RawCodec final : public Codec {
public:
    CodecType type() const override { return kRawCodecType; }
    const char* name() const override { return "None"; }
    bool supports_depth(int depth) const override { return is_pixel_depth(depth); }
    Result<size_t> max_size(SInt32 width, SInt32 height, int depth) const override {
        return raw::frame_size(width, height, depth);
    }
    Result<size_t> encode(const ConstPixelView& frame, int depth, const ConstPixelView*,
                          std::span<UInt8> out) const override {
        return raw::encode_frame(frame, depth, out);
    }
    Result<void> decode(std::span<const UInt8> data, int depth,
                        const PixelView& dst) const override {
        return raw::decode_frame(data, depth, dst);
    }
};

OutsideDecoder outside_decoder = nullptr;

const AnimationCodec kAnimation;
const RawCodec kRaw;
const Codec* const kCodecs[] = {&kAnimation, &kRaw};

}  // namespace

const Codec* find_codec(CodecType type) {
    for (const Codec* c : kCodecs)
        if (c->type() == type) return c;
    return nullptr;
}

int decoded_depth(SInt16 d) {
    if (d == 33 || d == 34 || d == 36 || d == 40) return d - 32;
    return is_pixel_depth(d) ? d : 0;
}

void set_outside_decoder(OutsideDecoder decoder) { outside_decoder = decoder; }

Result<void> decode_image(const ImageDescription& desc, std::span<const UInt8> data,
                          const PixelView& dst) {
    const Codec* codec = find_codec(desc.cType);
    if (!codec && outside_decoder) {
        if (desc.width <= 0 || desc.height <= 0) return fail(badImageDescription, "image description without a usable size");
        if (dst.width != desc.width || dst.height != desc.height)
            return fail(paramErr, "destination differs from the image in size");
        return outside_decoder(desc, data, dst);
    }
    if (!codec) return fail(noCodecErr, "no codec of that type");
    const int depth = decoded_depth(desc.depth);
    if (depth == 0 || !codec->supports_depth(depth) || desc.width <= 0 || desc.height <= 0)
        return fail(badImageDescription, "image description without a usable size or depth");
    if (dst.width != desc.width || dst.height != desc.height)
        return fail(paramErr, "destination differs from the image in size");
    return codec->decode(data, depth, dst);
}

}  // namespace platform::codecs
