// ImageFormats.h — the still-image formats the graphics importers read.
//
// A file's format is decided by its content (its first bytes), never by
// its name or Finder type: sniff_image() looks at the start of the file,
// probe_image() reads and checks the header (dimensions within the limits
// of DecodedImage.h), decode_image_file() decodes the whole image.
#pragma once

#include <optional>
#include <span>

#include "platform/importers/DecodedImage.h"

namespace platform::importers {

enum class ImageFormat { png, jpeg, gif, bmp, qtif };

// How many leading bytes sniff_image wants to see (fewer are fine).
inline constexpr size_t kImageSniffBytes = 64;

// The format whose signature the data starts with. The single-image
// movie format has no signature: its first atom must be one it can start
// with ('idsc', 'idat', 'iicc', 'free', 'skip') with a size that fits.
std::optional<ImageFormat> sniff_image(std::span<const UInt8> start);

Result<ImageInfo> probe_image(ImageFormat format, std::span<const UInt8> file);
Result<DecodedImage> decode_image_file(ImageFormat format, std::span<const UInt8> file);

// Per format (PngImage.cpp, JpegImage.cpp, GifImage.cpp, BmpImage.cpp,
// QtifImage.cpp).
Result<ImageInfo> probe_png(std::span<const UInt8> file);
Result<DecodedImage> decode_png(std::span<const UInt8> file);
Result<ImageInfo> probe_jpeg(std::span<const UInt8> file);
Result<DecodedImage> decode_jpeg(std::span<const UInt8> file);
Result<ImageInfo> probe_gif(std::span<const UInt8> file);
Result<DecodedImage> decode_gif(std::span<const UInt8> file);
Result<ImageInfo> probe_bmp(std::span<const UInt8> file);
Result<DecodedImage> decode_bmp(std::span<const UInt8> file);
Result<ImageInfo> probe_qtif(std::span<const UInt8> file);
Result<DecodedImage> decode_qtif(std::span<const UInt8> file);

}  // namespace platform::importers
