// Fuzzes the image decoders behind the graphics importers (libpng, libjpeg,
// giflib and our glue around them; BMP and single-image files too): the
// format chosen by content, the header probed, then the whole image.
#include <cstddef>
#include <cstdint>

#include "platform/importers/ImageFormats.h"

using namespace platform::importers;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const UInt8> file(data, size);
    auto format = sniff_image(file);
    if (!format) return 0;
    auto info = probe_image(*format, file);
    // Images of many megapixels are refused or decoded by the unit tests.
    if (!info.ok() || UInt64(info->width) * UInt64(info->height) > (1u << 20)) return 0;
    auto image = decode_image_file(*format, file);
    if (image.ok() && (image->width != info->width || image->height != info->height ||
                       image->pixels.size() != size_t(info->width) * size_t(info->height) * 4))
        __builtin_trap();
    return 0;
}
