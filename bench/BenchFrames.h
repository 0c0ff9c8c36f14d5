// BenchFrames.h — the pictures the codec benchmarks code.
#pragma once

#include <cstring>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/Types.h"
#include "platform/Utilities.h"

namespace benchframes {

// One of the new movie's frames, drawn the way the application draws it: an
// 8-bit world erased, painted red, the frame number in blue from the centre
// in 33 points, and on frame 70 "Whoa cool!" in green. Rows are packed
// (320 bytes) as the codec benchmarks expect.
inline std::vector<UInt8> movie_frame(int number) {
    const SInt16 w = 320, h = 100;
    Rect frame = {0, 0, h, w};
    GWorldPtr world = nullptr;
    if (NewGWorld(&world, 8, &frame, nullptr, nullptr, 0) != noErr) return {};
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(world, nullptr);
    EraseRect(&frame);
    ForeColor(redColor);
    PaintRect(&frame);
    ForeColor(blueColor);
    Str255 digits;
    NumToString(number, digits);
    MoveTo(w / 2, h / 2);
    TextSize(h / 3);
    DrawString(digits);
    if (number == 70) {
        ForeColor(greenColor);
        MoveTo(12, h / 2);
        TextSize(h / 4);
        DrawString("Whoa cool!"_p);
    }
    SetGWorld(savedPort, savedDevice);
    const PixMap& pm = **GetGWorldPixMap(world);
    std::vector<UInt8> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(&px[size_t(y) * w], reinterpret_cast<const UInt8*>(pm.baseAddr) + size_t(y) * size_t(pm.rowBytes), w);
    DisposeGWorld(world);
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
