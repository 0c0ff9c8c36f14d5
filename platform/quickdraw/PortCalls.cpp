// The current port and the port accessors.
#include "platform/quickdraw/Port.h"

using namespace platform::quickdraw;

void GetPort(GrafPtr* port) {
    if (port) *port = to_grafptr(&current_port());
}

// An unknown or disposed port is refused: the current port stays.
void SetPort(GrafPtr port) {
    if (GrafPort* p = port_from(port)) set_current_port(p);
}

void GetGWorld(CGrafPtr* port, GDHandle* gdh) {
    GetPort(port);
    if (gdh) *gdh = GetGDevice();
}

// With no device given, the port's own device (the main device for
// graphics worlds) becomes current.
void SetGWorld(CGrafPtr port, GDHandle gdh) {
    GrafPort* p = port_from(port);
    if (!p) return;
    set_current_port(p);
    set_current_device(gdh ? gdh : p->device);
}

PixMapHandle GetPortPixMap(CGrafPtr port) {
    GrafPort* p = port_from(port);
    return p ? p->pixmap_handle() : nullptr;
}

const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) {
    GrafPort* p = port_from(port);
    return p ? reinterpret_cast<const BitMap*>(&p->pixmap()) : nullptr;
}

Rect* GetPortBounds(CGrafPtr port, Rect* rect) {
    if (!rect) return rect;
    GrafPort* p = port_from(port);
    *rect = p ? p->port_rect() : Rect{0, 0, 0, 0};
    return rect;
}

RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn) {
    GrafPort* p = port_from(port);
    if (visRgn) {
        if (p)
            visRgn->rgn = p->visible_region();
        else
            visRgn->rgn.set_empty();
    }
    return visRgn;
}

RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle clipRgn) {
    GrafPort* p = port_from(port);
    if (clipRgn) {
        if (p)
            clipRgn->rgn = p->clip_region();
        else
            clipRgn->rgn.set_empty();
    }
    return clipRgn;
}

void SetClip(RgnHandle rgn) {
    if (rgn) current_port().set_clip_region(rgn->rgn);
}

void GetClip(RgnHandle rgn) {
    if (rgn) rgn->rgn = current_port().clip_region();
}

void ClipRect(const Rect* r) {
    if (r) current_port().set_clip_region(Region(*r));
}

void SetOrigin(SInt16 h, SInt16 v) { current_port().set_origin(h, v); }

void LocalToGlobal(Point* pt) {
    if (pt) *pt = current_port().local_to_global(*pt);
}

void GlobalToLocal(Point* pt) {
    if (pt) *pt = current_port().global_to_local(*pt);
}
