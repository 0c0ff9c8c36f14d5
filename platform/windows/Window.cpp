// The window record and its port.
#include "platform/windows/Window.h"

#include <new>

#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/WindowPort.h"

namespace platform::windows {

using quickdraw::Region;

Result<std::unique_ptr<Window>> Window::create(const Rect& content, std::string title, SInt16 procID,
                                                bool goAwayFlag, SRefCon refCon) {
    GrafPtr port = TRY(quickdraw::new_window_port(content));
    std::unique_ptr<Window> w(new (std::nothrow) Window(port, procID, frame_spec(procID, goAwayFlag)));
    if (!w) {
        quickdraw::dispose_window_port(port);
        return fail(memFullErr, "no memory for a window");
    }
    w->title = std::move(title);
    w->refCon = refCon;
    quickdraw::set_port_owner(port, static_cast<OpaqueWindowPtr*>(w.get()));
    // Nothing shows until the Window Manager has placed the window.
    (void)quickdraw::set_port_visible_region(port, Region());
    return w;
}

Window::~Window() { quickdraw::dispose_window_port(port_); }

Rect Window::content() const { return quickdraw::port_global_rect(port_); }

Point Window::local_offset() const {
    const quickdraw::GrafPort* p = quickdraw::port_from(port_);
    if (!p) return Point{0, 0};
    Point g = p->local_to_global(Point{0, 0});
    return g;
}

Region Window::to_global(const Region& local) const {
    Point o = local_offset();
    Region r = local;
    r.offset(o.h, o.v);
    return r;
}

Region Window::to_local(const Region& global) const {
    Point o = local_offset();
    Region r = global;
    r.offset(-SInt32(o.h), -SInt32(o.v));
    return r;
}

void Window::apply_visible_region(const Region& above) {
    Region vis = content_visible;
    if (updating) vis.intersect(updating_area);
    vis.subtract(above);
    (void)quickdraw::set_port_visible_region_global(port_, vis);
}

}  // namespace platform::windows
