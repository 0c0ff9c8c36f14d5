// Fuzzes our BMP decoder: the header alone, then the whole image.
#include <cstddef>
#include <cstdint>

#include "platform/importers/ImageFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const UInt8> file(data, size);
    auto info = platform::importers::probe_bmp(file);
    // Images of many megapixels are refused or decoded by the unit tests;
    // here they would only slow every run down.
    if (!info.ok() || UInt64(info->width) * UInt64(info->height) > (1u << 20)) return 0;
    auto image = platform::importers::decode_bmp(file);
    if (image.ok() && (image->width != info->width || image->height != info->height)) __builtin_trap();
    return 0;
}
