#include "platform/codecs/PixelView.h"

#include "platform/core/Bytes.h"

namespace platform::codecs {

Result<void> check_view(const ConstPixelView& v) {
    if (!v.base) return fail(paramErr, "no pixels");
    if (!is_pixel_depth(v.depth)) return fail(paramErr, "unsupported pixel depth");
    if (v.width <= 0 || v.height <= 0) return fail(paramErr, "empty image");
    if (v.rowBytes <= 0 || size_t(v.rowBytes) < visible_row_bytes(v.width, v.depth))
        return fail(paramErr, "rows shorter than the image width");
    UInt64 extent = 0;
    if (mul_overflows(UInt64(v.rowBytes), UInt64(v.height), &extent) || extent > SIZE_MAX / 2)
        return fail(paramErr, "image too large");
    return ok();
}

}  // namespace platform::codecs
