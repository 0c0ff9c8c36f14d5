// PngWriter.h — saving 32-bit x,R,G,B screen pixels as an 8-bit RGB PNG.
#pragma once

#include <string>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::host {

// `pixels` holds height rows of width x,R,G,B pixels, rowBytes apart.
Result<void> write_png_xrgb(const std::string& path, const UInt8* pixels, int width,
                            int height, size_t rowBytes);

}  // namespace platform::host
