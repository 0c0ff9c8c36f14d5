// Window pixel centres are mapped onto the screen in whole numbers
// (twice the coordinate, to keep the half pixel exact): a window of the
// screen's own size maps every pixel onto itself with no blending.
#include "platform/hosts/sdl/ScreenScaler.h"

#include <algorithm>
#include <cstring>

namespace platform::host {

void ScreenScaler::fit(ScreenSize screen, int width, int height, int scale) {
    screen_ = screen;
    out_w_ = std::max(width, 0);
    out_h_ = std::max(height, 0);
    place_ = {};
    columns_.clear();
    rows_.clear();
    if (screen.width <= 0 || screen.height <= 0 || out_w_ == 0 || out_h_ == 0) return;
    if (scale >= 1 && SInt64(screen.width) * scale <= out_w_ && SInt64(screen.height) * scale <= out_h_) {
        place_.left = (out_w_ - screen.width * scale) / 2;
        place_.top = (out_h_ - screen.height * scale) / 2;
        place_.right = place_.left + screen.width * scale;
        place_.bottom = place_.top + screen.height * scale;
        columns_ = whole_taps(screen.width, scale);
        rows_ = whole_taps(screen.height, scale);
        return;
    }
    // The side that limits the scale fills the window exactly; the other
    // is rounded and never exceeds it.
    int w, h;
    if (SInt64(out_w_) * screen.height <= SInt64(out_h_) * screen.width) {
        w = out_w_;
        h = int((SInt64(screen.height) * out_w_ * 2 + screen.width) / (SInt64(screen.width) * 2));
    } else {
        h = out_h_;
        w = int((SInt64(screen.width) * out_h_ * 2 + screen.height) / (SInt64(screen.height) * 2));
    }
    w = std::clamp(w, 1, out_w_);
    h = std::clamp(h, 1, out_h_);
    place_.left = (out_w_ - w) / 2;
    place_.top = (out_h_ - h) / 2;
    place_.right = place_.left + w;
    place_.bottom = place_.top + h;
    columns_ = taps(screen.width, w);
    rows_ = taps(screen.height, h);
}

bool ScreenScaler::unscaled() const {
    return place_.right - place_.left == screen_.width && place_.bottom - place_.top == screen_.height;
}

std::vector<ScreenScaler::Tap> ScreenScaler::taps(int screenSide, int outSide) {
    std::vector<Tap> t(static_cast<size_t>(outSide));
    const SInt64 den = 2 * SInt64(outSide);
    for (int o = 0; o < outSide; ++o) {
        // Twice the screen coordinate of window pixel o's centre, minus
        // the half pixel of the screen's own centres, over 2 * outSide.
        SInt64 num = (2 * SInt64(o) + 1) * screenSide - outSide;
        if (num < 0) num = 0;
        int first = int(num / den);
        int weight = int(((num % den) * 256 + outSide) / den);
        if (weight == 256) {
            ++first;
            weight = 0;
        }
        if (first >= screenSide - 1) {
            first = screenSide - 1;
            weight = 0;
        }
        t[size_t(o)] = {first, weight ? first + 1 : first, weight};
    }
    return t;
}

// Each screen pixel copied to `scale` window pixels, unblended.
std::vector<ScreenScaler::Tap> ScreenScaler::whole_taps(int screenSide, int scale) {
    std::vector<Tap> t(size_t(screenSide) * size_t(scale));
    for (size_t o = 0; o < t.size(); ++o) t[o] = {int(o) / scale, int(o) / scale, 0};
    return t;
}

OutputRect ScreenScaler::affected(ScreenRect r) const {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, screen_.width);
    r.bottom = std::min(r.bottom, screen_.height);
    if (r.left >= r.right || r.top >= r.bottom || columns_.empty()) return {};
    // Taps only move forward: the window pixels touching [lo, hi) are one run.
    auto span = [](const std::vector<Tap>& t, int lo, int hi, int origin, int* from, int* to) {
        auto first = std::partition_point(t.begin(), t.end(), [&](const Tap& p) { return p.second < lo; });
        auto last = std::partition_point(first, t.end(), [&](const Tap& p) { return p.first < hi; });
        *from = origin + int(first - t.begin());
        *to = origin + int(last - t.begin());
    };
    OutputRect o;
    span(columns_, r.left, r.right, place_.left, &o.left, &o.right);
    span(rows_, r.top, r.bottom, place_.top, &o.top, &o.bottom);
    if (o.empty()) return {};
    return o;
}

void ScreenScaler::draw(const UInt8* screen, size_t screenRowBytes, OutputRect o, UInt8* out,
                        size_t outRowBytes) const {
    const int left = std::max(o.left, place_.left), right = std::min(o.right, place_.right);
    const int top = std::max(o.top, place_.top), bottom = std::min(o.bottom, place_.bottom);
    if (left >= right || top >= bottom) return;
    out += size_t(top - o.top) * outRowBytes + size_t(left - o.left) * 4;
    if (unscaled()) {
        for (int y = top; y < bottom; ++y)
            std::memcpy(out + size_t(y - top) * outRowBytes,
                        screen + size_t(y - place_.top) * screenRowBytes + size_t(left - place_.left) * 4,
                        size_t(right - left) * 4);
        return;
    }
    for (int y = top; y < bottom; ++y) {
        const Tap& ty = rows_[size_t(y - place_.top)];
        const UInt8* r0 = screen + size_t(ty.first) * screenRowBytes;
        const UInt8* r1 = screen + size_t(ty.second) * screenRowBytes;
        const int wy = ty.weight;
        UInt8* d = out + size_t(y - top) * outRowBytes;
        for (int x = left; x < right; ++x, d += 4) {
            const Tap& tx = columns_[size_t(x - place_.left)];
            const UInt8* p00 = r0 + size_t(tx.first) * 4;
            const UInt8* p01 = r0 + size_t(tx.second) * 4;
            const UInt8* p10 = r1 + size_t(tx.first) * 4;
            const UInt8* p11 = r1 + size_t(tx.second) * 4;
            const int wx = tx.weight;
            d[0] = 0;
            for (int c = 1; c < 4; ++c) {
                int upper = p00[c] * (256 - wx) + p01[c] * wx;
                int lower = p10[c] * (256 - wx) + p11[c] * wx;
                d[c] = UInt8((upper * (256 - wy) + lower * wy + 32768) >> 16);
            }
        }
    }
}

void ScreenScaler::to_screen(int x, int y, int* sx, int* sy) const {
    auto map = [](int v, int origin, int outSide, int screenSide) {
        if (outSide <= 0) return 0;
        SInt64 num = (2 * SInt64(v - origin) + 1) * screenSide;
        int s = num < 0 ? 0 : int(num / (2 * SInt64(outSide)));
        return std::clamp(s, 0, std::max(screenSide - 1, 0));
    };
    *sx = map(x, place_.left, place_.right - place_.left, screen_.width);
    *sy = map(y, place_.top, place_.bottom - place_.top, screen_.height);
}

}  // namespace platform::host
