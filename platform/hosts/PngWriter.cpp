// Saving screen pixels as PNG through libpng: 8-bit RGB, no interlace.
#include "platform/hosts/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace platform::host {

Result<void> write_png_xrgb(const std::string& path, const UInt8* pixels, int width,
                            int height, size_t rowBytes) {
    if (!pixels || width <= 0 || height <= 0 || rowBytes < size_t(width) * 4)
        return fail(paramErr, "bad screenshot geometry");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return fail(fnOpnErr, "cannot create the screenshot file");

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(f);
        std::remove(path.c_str());
        return fail(memFullErr, "cannot start the PNG writer");
    }
    std::vector<UInt8> row(size_t(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        std::remove(path.c_str());
        return fail(ioErr, "writing the PNG failed");
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const UInt8* src = pixels + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            row[size_t(x) * 3 + 0] = src[x * 4 + 1];
            row[size_t(x) * 3 + 1] = src[x * 4 + 2];
            row[size_t(x) * 3 + 2] = src[x * 4 + 3];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0) {
        std::remove(path.c_str());
        return fail(ioErr, "writing the PNG failed");
    }
    return ok();
}

}  // namespace platform::host
