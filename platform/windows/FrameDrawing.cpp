// Window frames, the grow box, the desktop and the empty menu bar.
#include "platform/windows/FrameDrawing.h"

#include <algorithm>

#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/Appearance.h"
#include "platform/windows/ChromePainter.h"
#include "platform/windows/ScreenPixels.h"

namespace platform::windows {
namespace {

using quickdraw::Region;
using kit::inset;
using quickdraw::to_rect;
namespace palette = kit::palette;

// The title bar between the outline's top row and the line above the content.
Rect title_interior(const FrameGeometry& g) {
    return to_rect(g.title_bar.left + 1, g.title_bar.top + 1, g.title_bar.right - 1, g.title_bar.bottom - 1);
}

void draw_title_bar(ChromePainter& p, const Window& w, const FrameGeometry& g, bool closeBoxPressed) {
    const bool active = w.hilited;
    const Rect in = title_interior(g);
    p.fill(in, active ? palette::kTitleBar : palette::kTitleBarInactive);
    if (active)
        for (SInt32 y = in.top + 2; y < in.bottom - 2; y += 2)
            p.fill(to_rect(in.left + 2, y, in.right - 2, y + 1), palette::kTitleStripe);

    const Rect area = title_text_area(w.spec(), g);
    std::string shown = elide_to_width(w.title, area.right - area.left,
                                       [](std::string_view s) { return SInt32(chrome_text_width(s, bold)); });
    if (!shown.empty()) {
        SInt16 width = chrome_text_width(shown, bold);
        SInt16 left = SInt16(kit::centred_left(area, width));
        if (active) p.fill(to_rect(left - 6, in.top + 1, left + width + 6, in.bottom - 1), palette::kTitleBar);
        p.text(shown, left, chrome_baseline(in.top, in.bottom), active ? palette::kText : palette::kTitleTextInactive,
               bold);
    }
    if (active && w.spec().close_box) {
        const Rect& box = g.close_box;
        p.fill(inset(box, -2), palette::kTitleBar);
        p.fill(box, palette::kFrame);
        p.fill(inset(box, 1), closeBoxPressed ? palette::kCloseBoxPressed : palette::kCloseBox);
    }
}

}  // namespace

Rect title_text_area(const FrameSpec& spec, const FrameGeometry& g) {
    Rect in = title_interior(g);
    // The same margin on both sides keeps the title centred over the window.
    SInt32 margin = spec.close_box ? kCloseBoxInset + kCloseBoxSize + 8 : 8;
    if (in.right - in.left < 2 * margin) return to_rect(in.left, in.top, in.left, in.bottom);
    return to_rect(in.left + margin, in.top, in.right - margin, in.bottom);
}

void draw_frame(const Window& w, bool closeBoxPressed) {
    if (!w.visible) return;
    const FrameGeometry g = w.geometry();
    Region clip = w.structure_visible;
    clip.subtract(Region(g.content));
    if (!clip.empty()) {
        ChromePainter p(clip);
        switch (w.spec().kind) {
        case FrameKind::Document:
        case FrameKind::MovableDialog:
            p.frame(g.outline, palette::kFrame);
            p.fill(to_rect(g.outline.left, g.content.top - 1, g.outline.right, g.content.top), palette::kFrame);
            draw_title_bar(p, w, g, closeBoxPressed);
            break;
        case FrameKind::ModalDialog:
            p.fill(g.outline, palette::kFrame);
            p.fill(inset(g.outline, 1), palette::kContent);
            p.fill(inset(g.outline, 2), palette::kDialogBand);
            p.fill(inset(g.outline, 4), palette::kContent);
            p.fill(inset(g.outline, 5), palette::kFrame);
            break;
        case FrameKind::Plain: p.fill(g.outline, palette::kFrame); break;
        case FrameKind::Shadowed:
            p.fill(to_rect(g.outline.left + kShadow, g.outline.top + kShadow, g.outline.right + kShadow,
                           g.outline.bottom + kShadow),
                   palette::kFrame);
            p.fill(g.outline, palette::kFrame);
            break;
        }
    }
    draw_grow_box(w);
}

void draw_grow_box(const Window& w) {
    if (!w.visible || !w.spec().grow_box) return;
    const Rect box = w.geometry().grow_box;
    Region clip(box);
    clip.intersect(w.content_visible);
    if (clip.empty()) return;
    ChromePainter p(clip);
    p.fill(box, palette::kContent);
    p.fill(to_rect(box.left, box.top, box.right, box.top + 1), palette::kFrame);
    p.fill(to_rect(box.left, box.top, box.left + 1, box.bottom), palette::kFrame);
    if (w.hilited) {
        p.frame(to_rect(box.left + 4, box.top + 4, box.left + 10, box.top + 10), palette::kFrame);
        p.frame(to_rect(box.left + 6, box.top + 6, box.left + 13, box.top + 13), palette::kFrame);
    }
}

void draw_desktop(const Region& global) { fill_screen_region(global, palette::kDesktop); }

void draw_empty_menu_bar() {
    const SInt16 width = quickdraw::screen().width();
    fill_screen_region(Region(Rect{0, 0, SInt16(look::kMenuBarHeight - 1), width}), palette::kMenuBar);
    fill_screen_region(Region(Rect{SInt16(look::kMenuBarHeight - 1), 0, look::kMenuBarHeight, width}),
                       palette::kFrame);
}

Region drag_outline(const FrameSpec& spec, const FrameGeometry& g) {
    const Rect outer = g.outline;
    Region r(outer);
    r.subtract(Region(inset(outer, 1)));
    if (spec.title_bar()) r.unite(to_rect(outer.left, g.content.top - 1, outer.right, g.content.top));
    return r;
}

}  // namespace platform::windows
