// BenchFrames.h — the pictures the codec benchmarks code.
#pragma once

#include <cstring>
#include <vector>

#include "platform/Types.h"

namespace benchframes {

// The new movie's frames: 320x100 at 8 bits, a red field (index 35) with
// the frame number in blue (index 210) from the centre, 33 pixels high.
// The digits are blocky 5x7 glyphs scaled by 4 (QuickDraw text is not on
// this branch); the lead switches this to the real drawing when it lands.
inline std::vector<UInt8> movie_frame(int number) {
    static const char* const kGlyphs[10][7] = {
        {"01110", "10001", "10011", "10101", "11001", "10001", "01110"},
        {"00100", "01100", "00100", "00100", "00100", "00100", "01110"},
        {"01110", "10001", "00001", "00010", "00100", "01000", "11111"},
        {"11111", "00010", "00100", "00010", "00001", "10001", "01110"},
        {"00010", "00110", "01010", "10010", "11111", "00010", "00010"},
        {"11111", "10000", "11110", "00001", "00001", "10001", "01110"},
        {"00110", "01000", "10000", "11110", "10001", "10001", "01110"},
        {"11111", "00001", "00010", "00100", "01000", "01000", "01000"},
        {"01110", "10001", "10001", "01110", "10001", "10001", "01110"},
        {"01110", "10001", "10001", "01111", "00001", "00010", "01100"},
    };
    const int w = 320, h = 100, scale = 4;
    std::vector<UInt8> px(size_t(w) * h, 35);
    const std::string digits = std::to_string(number);
    int penX = w / 2;
    const int top = h / 2 - 7 * scale;
    for (char c : digits) {
        const auto& g = kGlyphs[c - '0'];
        for (int gy = 0; gy < 7; ++gy)
            for (int gx = 0; gx < 5; ++gx)
                if (g[gy][gx] == '1')
                    for (int y = 0; y < scale; ++y)
                        std::memset(&px[size_t(top + gy * scale + y) * w + size_t(penX + gx * scale)], 210, scale);
        penX += 6 * scale;
    }
    return px;
}

// A natural-looking 32-bit (x, R, G, B) frame: smooth gradients, shapes that
// move with `t`, and sparse noise.
inline std::vector<UInt8> natural_frame(int w, int h, int t) {
    std::vector<UInt8> px(size_t(w) * h * 4);
    UInt32 s = 0x9E3779B9u ^ UInt32(t * 7919);
    for (int y = 0; y < h; ++y) {
        UInt8* row = &px[size_t(y) * w * 4];
        for (int x = 0; x < w; ++x) {
            int r = (x * 255) / w, g = (y * 255) / h, b = ((x + y + 4 * t) / 8) & 0xFF;
            const int cx = w / 3 + 6 * t, cy = h / 2, dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy < (h / 5) * (h / 5)) r = 230, g = 40, b = 60;              // a disc
            if (x > w / 2 && x < w / 2 + w / 6 && y > h / 6 + 2 * t && y < h / 3 + 2 * t)    // a box
                r = 20, g = 200, b = 90;
            if (y > 3 * h / 4 && ((x / 16 + y / 16) & 1)) r = g = b = 240;                   // a checker floor
            s ^= s << 13, s ^= s >> 17, s ^= s << 5;
            if ((s & 63) == 0) r ^= int(s >> 8) & 31, g ^= int(s >> 16) & 31;                // sensor noise
            row[4 * x] = 0xFF;
            row[4 * x + 1] = UInt8(r), row[4 * x + 2] = UInt8(g), row[4 * x + 3] = UInt8(b);
        }
    }
    return px;
}

// The same frame as packed R, G, B.
inline std::vector<UInt8> natural_frame_rgb(int w, int h, int t) {
    const std::vector<UInt8> argb = natural_frame(w, h, t);
    std::vector<UInt8> rgb(size_t(w) * h * 3);
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i) std::memcpy(&rgb[3 * i], &argb[4 * i + 1], 3);
    return rgb;
}

}  // namespace benchframes
