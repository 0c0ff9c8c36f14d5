#include "platform/codecs/raw/RawCodec.h"

#include <cstring>

#include "platform/core/Bytes.h"

namespace platform::codecs::raw {

Result<size_t> frame_size(SInt32 width, SInt32 height, int depth) {
    if (!is_pixel_depth(depth)) return fail(paramErr, "unsupported depth");
    if (width <= 0 || height <= 0) return fail(paramErr, "empty image");
    UInt64 size = 0;
    if (mul_overflows(visible_row_bytes(width, depth), UInt64(height), &size) || size > 0x7FFFFFFF)
        return fail(codecSizeErr, "image too large for one sample");
    return size_t(size);
}

Result<size_t> encode_frame(const ConstPixelView& frame, int depth, std::span<UInt8> out) {
    TRY(check_view(frame));
    if (frame.depth != depth && !(depth == 24 && frame.depth == 32))
        return fail(paramErr, "source depth does not match the coded depth");
    const size_t size = TRY(frame_size(frame.width, frame.height, depth));
    if (out.size() < size) return fail(codecImageBufErr, "output buffer too small");

    const size_t row = visible_row_bytes(frame.width, depth);
    const unsigned bits = unsigned(UInt64(frame.width) * UInt64(depth) % 8);
    UInt8* o = out.data();
    for (SInt32 y = 0; y < frame.height; ++y, o += row) {
        const UInt8* s = frame.row(y);
        if (frame.depth == depth) {
            std::memcpy(o, s, row);
            if (bits) o[row - 1] &= UInt8(0xFF << (8 - bits));
        } else {
            for (SInt32 x = 0; x < frame.width; ++x) std::memcpy(o + 3 * x, s + 4 * x + 1, 3);
        }
    }
    return size;
}

Result<void> decode_frame(std::span<const UInt8> data, int depth, const PixelView& dst) {
    TRY(check_view(dst));
    if (dst.depth != depth && !(depth == 24 && dst.depth == 32))
        return fail(paramErr, "destination depth does not match the image");
    const size_t size = TRY(frame_size(dst.width, dst.height, depth));
    if (data.size() < size) return fail(codecBadDataErr, "image data ends early");

    const size_t row = visible_row_bytes(dst.width, depth);
    const UInt8* s = data.data();
    for (SInt32 y = 0; y < dst.height; ++y, s += row) {
        UInt8* d = dst.row(y);
        if (dst.depth == depth) {
            std::memcpy(d, s, row);
        } else {
            for (SInt32 x = 0; x < dst.width; ++x) {
                d[4 * x] = 0xFF;
                std::memcpy(d + 4 * x + 1, s + 3 * x, 3);
            }
        }
    }
    return ok();
}

}  // namespace platform::codecs::raw
