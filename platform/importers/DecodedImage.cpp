#include "platform/importers/DecodedImage.h"

#include <new>

namespace platform::importers {

Result<ImageInfo> checked_dimensions(UInt64 width, UInt64 height) {
    if (width == 0 || height == 0) return fail(codecBadDataErr, "image with no pixels");
    if (width > UInt64(kMaxImageSide) || height > UInt64(kMaxImageSide) ||
        width * height > kMaxImagePixels)
        return fail(codecSizeErr, "image larger than the platform draws");
    return ImageInfo{SInt32(width), SInt32(height)};
}

Result<DecodedImage> make_white_image(UInt64 width, UInt64 height) {
    ImageInfo info = TRY(checked_dimensions(width, height));
    DecodedImage image;
    image.width = info.width;
    image.height = info.height;
    try {
        image.pixels.assign(size_t(width) * size_t(height) * 4, 0xFF);
    } catch (const std::bad_alloc&) {
        return fail(memFullErr, "no memory for the image's pixels");
    }
    return image;
}

}  // namespace platform::importers
