// ScreenScaler.h — the screen shown in a window of any size, centred with
// black around it. At a whole-number scale that fits, each screen pixel
// becomes a square of window pixels (crisp); otherwise the screen is
// fitted with its aspect kept and drawn with bilinear filtering, the same
// value for a window pixel whichever part it is drawn with, so that
// redrawing only what changed leaves no seams. Pixels are 32-bit x,R,G,B
// bytes on both sides.
#pragma once

#include <vector>

#include "platform/Types.h"
#include "platform/hostapi/Host.h"

namespace platform::host {

// A rectangle of the window, in pixels; half-open like ScreenRect.
struct OutputRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return left >= right || top >= bottom; }
};

class ScreenScaler {
public:
    // Fits a screen of `screen` into a window of `width` x `height` pixels,
    // `scale` window pixels a screen pixel when the window holds that much.
    void fit(ScreenSize screen, int width, int height, int scale = 0);

    ScreenSize screen() const { return screen_; }
    int output_width() const { return out_w_; }
    int output_height() const { return out_h_; }
    // Where the screen lies in the window.
    OutputRect placement() const { return place_; }
    // One window pixel per screen pixel: drawing is a plain copy.
    bool unscaled() const;

    // The window pixels whose value depends on screen rectangle `r`.
    OutputRect affected(ScreenRect r) const;

    // Draws window rectangle `o` (inside the placement) from `screen`, a
    // whole screen of pixels, into `out`, whose first byte is window pixel
    // (o.left, o.top).
    void draw(const UInt8* screen, size_t screenRowBytes, OutputRect o, UInt8* out, size_t outRowBytes) const;

    // The screen pixel under window pixel (x, y), clamped to the screen.
    void to_screen(int x, int y, int* sx, int* sy) const;

private:
    // For each window column (row) inside the placement: the two screen
    // columns (rows) it blends and the second's weight in 1/256 (with no
    // weight, both are the one it copies).
    struct Tap {
        int first;
        int second;
        int weight;
    };
    static std::vector<Tap> taps(int screenSide, int outSide);
    static std::vector<Tap> whole_taps(int screenSide, int scale);

    ScreenSize screen_{};
    int out_w_ = 0, out_h_ = 0;
    OutputRect place_{};
    std::vector<Tap> columns_, rows_;
};

}  // namespace platform::host
