// The look's push button (PushButton.h).
#include "platform/quickdraw/kit/PushButton.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::kit {

namespace {

void paint(const quickdraw::Region& r, quickdraw::RGB8 c) {
    const RGBColor rgb = quickdraw::to_rgb_color(c);
    RGBForeColor(&rgb);
    for (const Rect& box : r.rects()) PaintRect(&box);
}

}  // namespace

quickdraw::Region rounded_rect(const Rect& r, SInt16 radius) {
    const SInt32 h = r.bottom - r.top;
    if (radius <= 0 || h <= 0 || r.right <= r.left) return quickdraw::Region(r);
    std::vector<Rect> rows;
    rows.reserve(size_t(h));
    for (SInt32 i = 0; i < h; ++i) {
        double t = 0;
        if (i < radius) t = radius - i - 0.5;
        else if (i >= h - radius) t = i - (h - radius) + 0.5;
        const SInt32 in = t > 0 ? SInt32(std::lround(radius - std::sqrt(std::max(0.0, double(radius) * radius - t * t)))) : 0;
        rows.push_back(to_rect(r.left + in, r.top + i, r.right - in, r.top + i + 1));
    }
    return quickdraw::Region::from_rects(rows);
}

Rect ring_area(const Rect& button) { return inset(button, -(kRingGap + kRingWidth)); }

void draw_push_button(const Rect& r, std::string_view title, ButtonState state) {
    const SInt16 radius = SInt16(std::min<SInt32>(kButtonRadius, (r.bottom - r.top) / 2));
    quickdraw::Region face = rounded_rect(r, radius);
    quickdraw::Region inner = rounded_rect(inset(r, 1), SInt16(std::max(0, radius - 1)));
    quickdraw::Region border = face;
    border.subtract(inner);
    paint(inner, state.pressed ? palette::kHighlight : palette::kButtonFace);
    paint(border, state.enabled ? palette::kButtonBorder : palette::kButtonBorderDisabled);
    if (state.is_default) {
        quickdraw::Region ring = rounded_rect(inset(r, -(kRingGap + kRingWidth)), SInt16(radius + kRingGap + kRingWidth));
        ring.subtract(rounded_rect(inset(r, -kRingGap), SInt16(radius + kRingGap)));
        paint(ring, state.enabled ? palette::kDefaultRing : palette::kButtonBorderDisabled);
    }
    TextFont(applFont);
    TextSize(kTextSize);
    TextFace(normal);
    TextMode(srcOr);
    const SInt16 length = SInt16(std::min<size_t>(title.size(), 32767));
    const SInt32 width = TextWidth(title.data(), 0, length);
    FontInfo fi;
    GetFontInfo(&fi);
    const RGBColor ink = quickdraw::to_rgb_color(state.pressed   ? palette::kHighlightText
                                                 : state.enabled ? palette::kText
                                                                 : palette::kDisabledText);
    RGBForeColor(&ink);
    MoveTo(SInt16(centred_left(r, width)), SInt16(centred_baseline(r.top, r.bottom, fi.ascent, fi.descent)));
    DrawText(title.data(), 0, length);
}

}  // namespace platform::kit
