// Window ports: ports drawing into the screen at a window's place.
#include "platform/quickdraw/WindowPort.h"

#include "platform/quickdraw/PixMaps.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Screen.h"

namespace platform::quickdraw {
namespace {

// Pixel map bounds that put local (portRect.left, portRect.top) at global
// (left, top).
Rect bounds_for(const Rect& portRect, SInt32 left, SInt32 top) {
    const Screen& s = screen();
    SInt32 bl = SInt32(portRect.left) - left;
    SInt32 bt = SInt32(portRect.top) - top;
    return to_rect(bl, bt, bl + s.width(), bt + s.height());
}

GrafPort* window_port(GrafPtr p) {
    GrafPort* port = port_from(p);
    return port && port->kind() == PortKind::window ? port : nullptr;
}

}  // namespace

Result<GrafPtr> new_window_port(const Rect& globalContent) {
    if (globalContent.right < globalContent.left || globalContent.bottom < globalContent.top)
        return fail(paramErr, "window content rectangle is inside out");
    Screen& s = screen();
    Rect portRect{0, 0, SInt16(globalContent.bottom - globalContent.top), SInt16(globalContent.right - globalContent.left)};
    Ptr base = reinterpret_cast<Ptr>(s.pixels());
    PixMapHandle pm = TRY(new_pixmap(base, s.row_bytes(), bounds_for(portRect, globalContent.left, globalContent.top), 32));
    auto port = GrafPort::create(PortKind::window, pm, nullptr);
    if (!port) {
        dispose_pixmap(pm);
        return port.error();
    }
    (*port)->set_port_rect(portRect);
    (*port)->set_visible_region(Region(portRect));
    (*port)->device = s.device();
    return to_grafptr(port->release());
}

void dispose_window_port(GrafPtr p) { delete window_port(p); }

Result<void> move_window_port(GrafPtr p, SInt16 left, SInt16 top) {
    GrafPort* port = window_port(p);
    if (!port) return fail(paramErr, "not a window port");
    port->pixmap().bounds = bounds_for(port->port_rect(), left, top);
    return ok();
}

Result<void> size_window_port(GrafPtr p, SInt16 width, SInt16 height) {
    GrafPort* port = window_port(p);
    if (!port) return fail(paramErr, "not a window port");
    if (width < 0 || height < 0) return fail(paramErr, "negative window size");
    const Rect& r = port->port_rect();
    port->set_port_rect(to_rect(r.left, r.top, SInt32(r.left) + width, SInt32(r.top) + height));
    return ok();
}

Rect port_global_rect(GrafPtr p) {
    GrafPort* port = port_from(p);
    if (!port) return Rect{0, 0, 0, 0};
    const Rect& r = port->port_rect();
    Point tl = port->local_to_global(Point{r.top, r.left});
    Point br = port->local_to_global(Point{r.bottom, r.right});
    return Rect{tl.v, tl.h, br.v, br.h};
}

Result<void> set_port_visible_region(GrafPtr p, RgnHandle localRgn) {
    if (!localRgn) return fail(paramErr, "no region");
    return set_port_visible_region(p, localRgn->rgn);
}

Result<void> set_port_visible_region(GrafPtr p, const Region& local) {
    GrafPort* port = port_from(p);
    if (!port) return fail(paramErr, "not a port");
    port->set_visible_region(local);
    return ok();
}

Result<void> set_port_visible_region_global(GrafPtr p, const Region& global) {
    GrafPort* port = port_from(p);
    if (!port) return fail(paramErr, "not a port");
    Region local = global;
    const Rect& b = port->pixmap().bounds;
    local.offset(b.left, b.top);
    port->set_visible_region(std::move(local));
    return ok();
}

Region port_visible_region_global(GrafPtr p) {
    GrafPort* port = port_from(p);
    if (!port) return Region();
    Region global = port->visible_region();
    const Rect& b = port->pixmap().bounds;
    global.offset(-SInt32(b.left), -SInt32(b.top));
    return global;
}

void set_port_owner(GrafPtr p, void* owner) {
    if (GrafPort* port = port_from(p)) port->owner = owner;
}

void* port_owner(GrafPtr p) {
    GrafPort* port = port_from(p);
    return port ? port->owner : nullptr;
}

bool is_window_port(GrafPtr p) { return window_port(p) != nullptr; }

GrafPtr desktop_port() { return to_grafptr(&screen().desktop_port()); }

}  // namespace platform::quickdraw
