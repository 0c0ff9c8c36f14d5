// Choosing an image format by content, and handing the file to its decoder.
#include "platform/importers/ImageFormats.h"

#include <cstring>

#include "platform/importers/QtifFile.h"

namespace platform::importers {

std::optional<ImageFormat> sniff_image(std::span<const UInt8> s) {
    auto starts = [&](const char* magic, size_t n) {
        return s.size() >= n && std::memcmp(s.data(), magic, n) == 0;
    };
    if (starts("\x89PNG\r\n\x1A\n", 8)) return ImageFormat::png;
    if (starts("\xFF\xD8\xFF", 3)) return ImageFormat::jpeg;
    if (starts("GIF87a", 6) || starts("GIF89a", 6)) return ImageFormat::gif;
    if (starts("BM", 2) && s.size() >= 18) {
        UInt32 header = UInt32(s[14]) | (UInt32(s[15]) << 8) | (UInt32(s[16]) << 16) |
                        (UInt32(s[17]) << 24);
        if (header == 12 || header == 40 || header == 52 || header == 56 || header == 64 ||
            header == 108 || header == 124)
            return ImageFormat::bmp;
    }
    if (looks_like_qtif(s)) return ImageFormat::qtif;
    return std::nullopt;
}

Result<ImageInfo> probe_image(ImageFormat format, std::span<const UInt8> file) {
    switch (format) {
        case ImageFormat::png: return probe_png(file);
        case ImageFormat::jpeg: return probe_jpeg(file);
        case ImageFormat::gif: return probe_gif(file);
        case ImageFormat::bmp: return probe_bmp(file);
        case ImageFormat::qtif: return probe_qtif(file);
    }
    return fail(paramErr, "unknown image format");
}

Result<DecodedImage> decode_image_file(ImageFormat format, std::span<const UInt8> file) {
    switch (format) {
        case ImageFormat::png: return decode_png(file);
        case ImageFormat::jpeg: return decode_jpeg(file);
        case ImageFormat::gif: return decode_gif(file);
        case ImageFormat::bmp: return decode_bmp(file);
        case ImageFormat::qtif: return decode_qtif(file);
    }
    return fail(paramErr, "unknown image format");
}

}  // namespace platform::importers
