#include "tests/support/Pictures.h"

#include <png.h>

#include <fstream>
#include <string>

namespace testsupport {

Picture read_png(const std::filesystem::path& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return {};
    png.format = PNG_FORMAT_RGB;
    Picture p;
    p.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, p.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return {};
    }
    p.width = int(png.width);
    p.height = int(png.height);
    return p;
}

Picture read_ppm(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    Picture p;
    int max = 0;
    in >> magic >> p.width >> p.height >> max;
    in.get();   // the one white-space byte before the pixels
    if (!in || magic != "P6" || max != 255 || p.width <= 0 || p.height <= 0 || p.width > 65535 || p.height > 65535)
        return {};
    p.rgb.resize(std::size_t(p.width) * std::size_t(p.height) * 3);
    if (!in.read(reinterpret_cast<char*>(p.rgb.data()), std::streamsize(p.rgb.size()))) return {};
    return p;
}

}  // namespace testsupport
