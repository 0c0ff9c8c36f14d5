// Times the drawing paths that playback and authoring lean on. Not a test:
// run build/bench/quickdraw_timing (a release build) and read the figures.
#include <chrono>
#include <cstdio>

#include "platform/QuickDraw.h"

namespace {

template <class F>
double ms_per_call(F f, int n) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / n;
}

GWorldPtr world(SInt16 depth, const Rect& r) {
    GWorldPtr gw = nullptr;
    if (NewGWorld(&gw, depth, &r, nullptr, nullptr, 0) != noErr) std::perror("NewGWorld");
    return gw;
}

}  // namespace

int main() {
    const Rect hd{0, 0, 1080, 1920}, half{0, 0, 540, 960}, screen{0, 0, 768, 1024}, frame{0, 0, 100, 320};
    GWorldPtr a32 = world(32, hd), b32 = world(32, hd), h32 = world(32, half), s32 = world(32, screen);
    GWorldPtr a8 = world(8, hd), b8 = world(8, hd), a16 = world(16, hd), f8 = world(8, frame);
    // Varied content: a thousand overlapping rectangles of different colours.
    for (GWorldPtr gw : {a32, a8, a16}) {
        SetGWorld(gw, nullptr);
        for (int i = 0; i < 1000; ++i) {
            RGBColor c{UInt16(i * 77), UInt16(i * 131), UInt16(i * 199)};
            RGBForeColor(&c);
            Rect r{SInt16(i % 1000), SInt16((i * 7) % 1800), SInt16(i % 1000 + 80), SInt16((i * 7) % 1800 + 120)};
            PaintRect(&r);
        }
    }
    auto bits = [](GWorldPtr g) { return GetPortBitMapForCopyBits(g); };
    auto copy = [&](GWorldPtr from, const Rect& fr, GWorldPtr to, const Rect& tr) {
        SetGWorld(to, nullptr);
        CopyBits(bits(from), bits(to), &fr, &tr, srcCopy, nullptr);
    };
    std::printf("CopyBits 32->32 1920x1080            %7.2f ms\n", ms_per_call([&] { copy(a32, hd, b32, hd); }, 50));
    std::printf("CopyBits 32->32 960x540 to 1920x1080 %7.2f ms\n", ms_per_call([&] { copy(h32, half, b32, hd); }, 50));
    std::printf("CopyBits 32->32 1920x1080 to 1024x768%7.2f ms\n", ms_per_call([&] { copy(a32, hd, s32, screen); }, 50));
    std::printf("CopyBits 8->32 1920x1080             %7.2f ms\n", ms_per_call([&] { copy(a8, hd, b32, hd); }, 50));
    std::printf("CopyBits 16->32 1920x1080            %7.2f ms\n", ms_per_call([&] { copy(a16, hd, b32, hd); }, 20));
    std::printf("CopyBits 32->8 1920x1080             %7.2f ms\n", ms_per_call([&] { copy(a32, hd, b8, hd); }, 10));
    std::printf("CopyBits 8->8 1920x1080              %7.2f ms\n", ms_per_call([&] { copy(a8, hd, b8, hd); }, 50));
    SetGWorld(b32, nullptr);
    std::printf("PaintRect 32-bit 1920x1080           %7.2f ms\n", ms_per_call([&] { PaintRect(&hd); }, 50));
    SetGWorld(b8, nullptr);
    std::printf("PaintRect 8-bit 1920x1080            %7.2f ms\n", ms_per_call([&] { PaintRect(&hd); }, 50));
    SetGWorld(f8, nullptr);
    const unsigned char number[] = {2, '3', '7'};
    std::printf("a new-movie frame, 320x100 8-bit     %7.3f ms\n", ms_per_call([&] {
                    EraseRect(&frame);
                    ForeColor(redColor);
                    PaintRect(&frame);
                    ForeColor(blueColor);
                    MoveTo(160, 50);
                    TextSize(33);
                    DrawString(number);
                }, 500));
    for (GWorldPtr gw : {a32, b32, h32, s32, a8, b8, a16, f8}) DisposeGWorld(gw);
    return 0;
}
