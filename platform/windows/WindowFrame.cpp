// Frame geometry, hit testing and the reachability rule (WindowFrame.h).
#include "platform/windows/WindowFrame.h"

#include <algorithm>

#include "platform/quickdraw/kit/Rects.h"

namespace platform::windows {
namespace {

using quickdraw::Region;
using quickdraw::to_rect;


}  // namespace

FrameSpec frame_spec(SInt16 procID, bool goAwayFlag) {
    FrameSpec s;
    switch (procID) {
    case documentProc:
    case zoomDocProc:
        s.kind = FrameKind::Document;
        s.grow_box = true;
        break;
    case dBoxProc: s.kind = FrameKind::ModalDialog; break;
    case plainDBox: s.kind = FrameKind::Plain; break;
    case altDBoxProc: s.kind = FrameKind::Shadowed; break;
    case movableDBoxProc: s.kind = FrameKind::MovableDialog; break;
    default: s.kind = FrameKind::Document; break;
    }
    s.close_box = goAwayFlag && s.kind == FrameKind::Document;
    return s;
}

FrameGeometry frame_geometry(const FrameSpec& spec, const Rect& content) {
    FrameGeometry g;
    g.content = content;
    switch (spec.kind) {
    case FrameKind::Document:
    case FrameKind::MovableDialog:
        g.outline = to_rect(content.left - 1, content.top - kTitleBarHeight, content.right + 1, content.bottom + 1);
        g.title_bar = to_rect(g.outline.left, g.outline.top, g.outline.right, content.top);
        break;
    case FrameKind::ModalDialog: g.outline = kit::inset(content, -kModalBorder); break;
    case FrameKind::Plain:
    case FrameKind::Shadowed: g.outline = kit::inset(content, -1); break;
    }
    if (spec.close_box) {
        SInt32 top = g.title_bar.top + (kTitleBarHeight - kCloseBoxSize) / 2;
        SInt32 left = g.title_bar.left + kCloseBoxInset;
        g.close_box = to_rect(left, top, left + kCloseBoxSize, top + kCloseBoxSize);
    }
    if (spec.grow_box)
        g.grow_box = to_rect(std::max<SInt32>(content.left, content.right - kGrowBoxSize),
                             std::max<SInt32>(content.top, content.bottom - kGrowBoxSize), content.right, content.bottom);
    return g;
}

Region FrameGeometry::structure(const FrameSpec& spec) const {
    Region r(outline);
    if (spec.kind == FrameKind::Shadowed) {
        Rect shadow = outline;
        shadow.left = SInt16(shadow.left + kShadow);
        shadow.top = SInt16(shadow.top + kShadow);
        shadow.right = SInt16(shadow.right + kShadow);
        shadow.bottom = SInt16(shadow.bottom + kShadow);
        r.unite(shadow);
    }
    return r;
}

Rect FrameGeometry::structure_bounds(const FrameSpec& spec) const { return structure(spec).bounds(); }

SInt16 hit_test(const FrameSpec& spec, const FrameGeometry& g, Point p, bool active) {
    if (!g.structure(spec).contains(p)) return inDesk;
    if (kit::contains(g.content, p)) return active && kit::contains(g.grow_box, p) ? SInt16(inGrow) : SInt16(inContent);
    if (active && kit::contains(g.close_box, p)) return inGoAway;
    return spec.draggable() ? SInt16(inDrag) : SInt16(inContent);
}

Point reachable_offset(const FrameSpec& spec, const FrameGeometry& g, const Rect& desktop) {
    const Rect handle = spec.title_bar() ? g.title_bar : g.structure_bounds(spec);
    SInt32 dh = 0, dv = 0;
    // Vertically: the top edge between the menu bar and kMinReachable rows
    // above the bottom of the screen.
    if (handle.top < desktop.top) dv = desktop.top - handle.top;
    else if (handle.top > desktop.bottom - kMinReachable) dv = desktop.bottom - kMinReachable - handle.top;
    // Sideways: some of it on the screen.
    SInt32 need = std::min<SInt32>(kMinReachable, handle.right - handle.left);
    if (handle.right < desktop.left + need) dh = desktop.left + need - handle.right;
    else if (handle.left > desktop.right - need) dh = desktop.right - need - handle.left;
    return Point{SInt16(dv), SInt16(dh)};
}

SInt16 align_offset(SInt32 left) {
    SInt32 rem = ((left % 4) + 4) % 4;
    return SInt16(rem <= 2 ? -rem : 4 - rem);
}

}  // namespace platform::windows
