// Tracking the mouse on a window frame: DragWindow, DragAlignedWindow,
// AlignWindow and TrackGoAway.
//
// Tracking polls the Event Manager (WaitMouseUp, which presents the screen
// and lets a script deliver its next input) until the button goes up, and
// takes the mouse-up out of the queue, as the classic calls did.
//
// Dragging shows the frame's outline, inverted on the screen, where the
// window will land: the mouse is held inside the bounds rectangle, and the
// landing place is moved as little as needed to keep the title bar
// reachable (WindowFrame.h). DragAlignedWindow and AlignWindow then put the
// alignment rectangle's left edge (window-local; the content when none is
// given) on a multiple of 4 pixels in global coordinates, to the nearer
// one; when that would break reachability the other multiple is used.
#include <algorithm>
#include <optional>

#include "platform/Events.h"
#include "platform/Windows.h"
#include "platform/events/EventsInternal.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/FrameDrawing.h"
#include "platform/windows/ScreenPixels.h"
#include "platform/windows/WindowManager.h"

namespace platform::windows {
namespace {

using quickdraw::Region;

Point pin(Point p, const Rect& limit) {
    if (kit::is_empty(limit)) return p;
    return Point{SInt16(std::clamp<SInt32>(p.v, limit.top, limit.bottom - 1)),
                 SInt16(std::clamp<SInt32>(p.h, limit.left, limit.right - 1))};
}

struct Offset {
    SInt32 dh = 0, dv = 0;
    bool operator==(const Offset&) const = default;
};

// Where a window lands when the mouse moved by (dh, dv): reachable and,
// when alignLeft is given (global), aligned.
class Landing {
public:
    Landing(const Window& w, std::optional<SInt32> alignLeft)
        : spec_(w.spec()), content_(w.content()), desktop_(WindowManager::get().desktop_rect()), alignLeft_(alignLeft) {}

    Offset at(SInt32 dh, SInt32 dv) const {
        Offset o{dh, dv};
        Point fix = reachable_offset(spec_, geometry(o), desktop_);
        o.dh += fix.h;
        o.dv += fix.v;
        if (alignLeft_) {
            SInt16 a = align_offset(*alignLeft_ + o.dh);
            Offset aligned{o.dh + a, o.dv};
            if (a != 0 && reachable_offset(spec_, geometry(aligned), desktop_).h != 0)
                aligned.dh = o.dh + (a < 0 ? a + 4 : a - 4);
            o = aligned;
        }
        return o;
    }

    FrameGeometry geometry(Offset o) const {
        Rect c = quickdraw::to_rect(content_.left + o.dh, content_.top + o.dv, content_.right + o.dh, content_.bottom + o.dv);
        return frame_geometry(spec_, c);
    }

private:
    FrameSpec spec_;
    Rect content_;
    Rect desktop_;
    std::optional<SInt32> alignLeft_;
};

void drag(Window* w, Point startPt, const Rect* boundsRect, std::optional<Rect> alignment) {
    WindowManager& wm = WindowManager::get();
    if (!w->visible) return;
    if (!(events::current_modifiers() & cmdKey)) wm.select(w);

    const Rect limit = boundsRect ? *boundsRect : wm.desktop_rect();
    std::optional<SInt32> alignLeft;
    if (alignment) alignLeft = SInt32(alignment->left) + w->local_offset().h;
    const Landing landing(*w, alignLeft);
    const Point start = pin(startPt, limit);

    auto outline = [&](Offset o) {
        Region r = drag_outline(w->spec(), landing.geometry(o));
        r.intersect(wm.gray_region());
        return r;
    };
    Offset shown = landing.at(0, 0);
    invert_screen_region(outline(shown));
    auto follow = [&] {
        Point p = pin(events::mouse_position(), limit);
        Offset now = landing.at(p.h - start.h, p.v - start.v);
        if (now == shown) return;
        invert_screen_region(outline(shown));
        shown = now;
        invert_screen_region(outline(shown));
    };
    while (WaitMouseUp()) follow();
    follow();
    invert_screen_region(outline(shown));

    if (shown.dh || shown.dv) {
        Rect c = w->content();
        wm.move_to(w, c.left + shown.dh, c.top + shown.dv);
    }
}

}  // namespace
}  // namespace platform::windows

using platform::windows::WindowManager;

void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect) {
    if (auto* w = WindowManager::get().find(window)) platform::windows::drag(w, startPt, boundsRect, std::nullopt);
}

void DragAlignedWindow(WindowRef window, Point startPt, Rect* boundsRect, Rect* alignmentRect,
                       DragGrayRgnUPP /*actionProc*/) {
    auto* w = WindowManager::get().find(window);
    if (!w) return;
    Rect align{};
    GetWindowPortBounds(window, &align);
    if (alignmentRect) align = *alignmentRect;
    platform::windows::drag(w, startPt, boundsRect, align);
}

void AlignWindow(WindowRef wp, Boolean /*fast*/, Rect* alignmentRect, void* /*alignmentProc*/) {
    WindowManager& wm = WindowManager::get();
    auto* w = wm.find(wp);
    if (!w) return;
    Rect align{};
    GetWindowPortBounds(wp, &align);
    if (alignmentRect) align = *alignmentRect;
    const platform::windows::Landing landing(*w, SInt32(align.left) + w->local_offset().h);
    platform::windows::Offset o = landing.at(0, 0);
    if (o.dh || o.dv) {
        Rect c = w->content();
        wm.move_to(w, c.left + o.dh, c.top + o.dv);
    }
}

Boolean TrackGoAway(WindowRef window, Point thePt) {
    WindowManager& wm = WindowManager::get();
    auto* w = wm.find(window);
    if (!w || !w->visible) return false;
    const Rect box = w->geometry().close_box;
    if (box.right <= box.left) return false;
    bool inside = platform::kit::contains(box, thePt);
    wm.redraw_frame(w, inside);
    auto follow = [&] {
        bool now = platform::kit::contains(box, platform::events::mouse_position());
        if (now != inside) {
            inside = now;
            wm.redraw_frame(w, inside);
        }
    };
    while (WaitMouseUp()) follow();
    follow();
    if (inside) wm.redraw_frame(w, false);
    return inside;
}
