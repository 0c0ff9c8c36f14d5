// The controller's drawing. Every entry saves the port's pen, colours and
// clip and puts them back, so drawing the bar never disturbs the caller.
//
// The bar: a light grey face framed in dark grey; a dark line between the
// parts. The play button shows a triangle when paused and two bars while
// playing. The slider is a sunken groove; the selection is a blue band in
// it; the thumb is a dark upright diamond at the current time.
#include "platform/controller/ControllerLook.h"

#include <algorithm>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::controller {

namespace {

namespace palette = kit::palette;

void colour(quickdraw::RGB8 c) {
    const RGBColor rgb = quickdraw::to_rgb_color(c);
    RGBForeColor(&rgb);
}

void fill(SInt32 left, SInt32 top, SInt32 right, SInt32 bottom) {
    const Rect r = kit::to_rect(left, top, right, bottom);
    if (!kit::is_empty(r)) PaintRect(&r);
}

void hline(SInt32 left, SInt32 right, SInt32 y) { fill(left, y, right, y + 1); }
void vline(SInt32 x, SInt32 top, SInt32 bottom) { fill(x, top, x + 1, bottom); }

// A triangle pointing right (dir > 0) or left, `h` rows high, its flat side
// at x and its point `h / 2` pixels away.
void triangle(SInt32 x, SInt32 top, SInt32 h, int dir) {
    for (SInt32 row = 0; row < h; ++row) {
        const SInt32 len = std::min(row, h - 1 - row) + 1;
        if (dir > 0) hline(x, x + len, top + row);
        else hline(x - len + 1, x + 1, top + row);
    }
}

quickdraw::RGB8 glyph_colour(bool active) { return active ? palette::kBarGlyph : palette::kBarInactive; }

void button_face(const Rect& r, bool pressed) {
    if (r.right <= r.left) return;
    colour(pressed ? palette::kBarPressed : palette::kBarFace);
    fill(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
    colour(palette::kBarLine);
    vline(r.right - 1, r.top, r.bottom);
}

void draw_speaker(const Rect& r, const BarLook& look) {
    button_face(r, look.pressed == Part::Speaker);
    colour(glyph_colour(look.active));
    const SInt32 x = r.left + 5, y = r.top + 6;
    fill(x, y, x + 3, y + 4);                    // the box
    for (SInt32 i = 0; i < 4; ++i) vline(x + 3 + i, y - i, y + 4 + i);   // the cone
    if (look.volume <= 0) {                      // muted: a cross
        for (SInt32 i = 0; i < 5; ++i) {
            fill(x + 9 + i, y - 1 + i, x + 10 + i, y + i);
            fill(x + 13 - i, y - 1 + i, x + 14 - i, y + i);
        }
        return;
    }
    const int waves = look.volume >= 0xC0 ? 3 : look.volume >= 0x60 ? 2 : 1;
    for (int w = 0; w < waves; ++w) vline(x + 9 + 2 * w, y - w, y + 4 + w);
}

void draw_play(const Rect& r, const BarLook& look) {
    button_face(r, look.pressed == Part::Play);
    colour(glyph_colour(look.active));
    const SInt32 cx = kit::centre_h(r);
    if (look.playing) {                          // pause: two bars
        fill(cx - 4, r.top + 4, cx - 1, r.bottom - 4);
        fill(cx + 1, r.top + 4, cx + 4, r.bottom - 4);
    } else {                                     // play: a triangle
        triangle(cx - 3, r.top + 3, 10, +1);
    }
}

void draw_step(const Rect& r, bool pressed, int dir, bool active) {
    button_face(r, pressed);
    colour(glyph_colour(active));
    const SInt32 cx = kit::centre_h(r);
    if (dir < 0) {
        vline(cx - 4, r.top + 4, r.bottom - 4);
        triangle(cx + 2, r.top + 4, 8, -1);
    } else {
        triangle(cx - 3, r.top + 4, 8, +1);
        vline(cx + 3, r.top + 4, r.bottom - 4);
    }
}

void draw_slider(const BarLayout& l, const BarLook& look) {
    const Rect& s = l.slider;
    if (s.right <= s.left) return;
    colour(palette::kBarFace);
    fill(s.left, s.top + 1, s.right, s.bottom - 1);
    // The groove.
    const SInt32 top = s.top + 5, bottom = s.bottom - 5;
    colour(palette::kBarGroove);
    fill(l.track_left - 2, top, l.track_right + 3, bottom);
    colour(palette::kBarGrooveInside);
    fill(l.track_left - 1, top + 1, l.track_right + 2, bottom);
    if (look.sel_right > look.sel_left) {
        colour(palette::kBarSelection);
        fill(look.sel_left, top + 1, look.sel_right + 1, bottom);
    }
    // The thumb: an upright diamond, 7 wide and 11 high.
    colour(look.active ? palette::kBarThumb : palette::kBarInactive);
    for (SInt32 row = 0; row < 11; ++row) {
        const SInt32 half = std::min<SInt32>(std::min(row, 10 - row), 3);
        hline(look.thumb_x - half, look.thumb_x + half + 1, s.top + 3 + row);
    }
}

void draw_grow(const Rect& r) {
    if (r.right <= r.left) return;
    colour(palette::kBarFace);
    fill(r.left, r.top + 1, r.right - 1, r.bottom - 1);
    colour(palette::kBarGrip);
    for (int i = 0; i < 3; ++i) {
        const SInt32 d = 4 + 4 * i;
        for (SInt32 k = 0; k < d; ++k) fill(r.right - 3 - d + k, r.bottom - 3 - k, r.right - 2 - d + k, r.bottom - 2 - k);
    }
}

}  // namespace

void draw_controller_bar(const BarLayout& l, const BarLook& look) {
    const Rect& bar = l.bar;
    if (bar.right <= bar.left) return;
    const kit::PortGuard saved(&quickdraw::current_port(), kit::Keep::drawing_state);
    PenNormal();
    ClipRect(&bar);
    colour(palette::kBarFace);
    PaintRect(&bar);
    colour(palette::kBarLine);
    FrameRect(&bar);
    if (l.speaker.right > l.speaker.left) draw_speaker(l.speaker, look);
    draw_play(l.play, look);
    draw_slider(l, look);
    if (l.step_back.right > l.step_back.left) {
        draw_step(l.step_back, look.pressed == Part::StepBack, -1, look.active);
        draw_step(l.step_forward, look.pressed == Part::StepForward, +1, look.active);
        colour(palette::kBarLine);
        vline(l.step_back.left - 1, bar.top, bar.bottom);
    } else if (l.grow.right > l.grow.left) {
        colour(palette::kBarLine);
        vline(l.grow.left - 1, bar.top, bar.bottom);
    }
    draw_grow(l.grow);
}

void draw_volume_popup(const Rect& popup, SInt16 volume) {
    const kit::PortGuard saved(&quickdraw::current_port(), kit::Keep::drawing_state);
    PenNormal();
    ClipRect(&popup);
    colour(palette::kBarFace);
    PaintRect(&popup);
    colour(palette::kPopupFrame);
    FrameRect(&popup);
    const Rect track{SInt16(popup.top + 4), SInt16(popup.left + 8), SInt16(popup.top + 4 + kVolumeTrack + 1),
                     SInt16(popup.left + 12)};
    colour(palette::kBarGroove);
    PaintRect(&track);
    const SInt32 y = y_at_volume(popup, SInt16(std::max<SInt32>(volume, 0)));
    colour(palette::kBarThumb);
    fill(popup.left + 3, y - 2, popup.right - 3, y + 3);
}

void draw_badge(const Rect& box) {
    if (box.right - box.left < 24 || box.bottom - box.top < 16) return;
    const kit::PortGuard saved(&quickdraw::current_port(), kit::Keep::drawing_state);
    PenNormal();
    const Rect b{SInt16(box.bottom - 14), SInt16(box.left + 2), SInt16(box.bottom - 2), SInt16(box.left + 22)};
    ClipRect(&b);
    colour(palette::kBarFace);
    PaintRect(&b);
    colour(palette::kPopupFrame);
    FrameRect(&b);
    triangle(b.left + 8, b.top + 2, 8, +1);
}

}  // namespace platform::controller
