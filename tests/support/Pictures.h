// Pictures that programs under test saved (PNG screenshots, PPM window
// captures), read into 8-bit R, G, B pixels for comparison.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace testsupport {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;   // rows of R, G, B; empty when the file could not be read

    bool empty() const { return rgb.empty(); }
    // The pixel at (x, y) as 0xRRGGBB.
    std::uint32_t at(int x, int y) const {
        const std::uint8_t* p = &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
        return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
    }
};

// Any PNG, converted to 8-bit RGB by libpng (alpha composited on black).
Picture read_png(const std::filesystem::path& path);
// A binary PPM (P6) with a maximum value of 255.
Picture read_ppm(const std::filesystem::path& path);

}  // namespace testsupport
