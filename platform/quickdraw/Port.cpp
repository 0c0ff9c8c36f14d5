// Graphics ports: the port object, the registry of live ports, the current
// port and device.
#include "platform/quickdraw/Port.h"

#include <algorithm>
#include <unordered_set>

#include "platform/Memory.h"
#include "platform/quickdraw/ColorTables.h"
#include "platform/quickdraw/PixMaps.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::quickdraw {
namespace {

struct State {
    std::unordered_set<OpaqueGrafPtr*> live;
    GrafPort* current = nullptr;   // nil: the desktop port
    GDHandle device = nullptr;     // nil: the main device
    OSErr qdError = noErr;
};

State& state() {
    static State* s = new State;   // ports may outlive static destructors
    return *s;
}

// The classic "wide open" clip region.
const Rect kWideOpen{-32768, -32768, 32767, 32767};

UInt32 pixel_for(const PixMap& pm, const RGBColor& c) {
    RGB8 rgb = to_rgb8(c);
    switch (pm.pixelSize) {
    case 32: return pack32(rgb);
    case 16: return pack16(rgb);
    case 1:
    case 2:
    case 4:
    case 8: return UInt32(nearest_index(palette_of(pm), rgb));
    default: return 0;
    }
}

}  // namespace

GrafPort::GrafPort(PortKind kind, PixMapHandle pixmap, std::unique_ptr<UInt8[]> pixels)
    : kind_(kind), pixmap_(pixmap), pixels_(std::move(pixels)) {}

Result<std::unique_ptr<GrafPort>> GrafPort::create(PortKind kind, PixMapHandle pixmap,
                                                  std::unique_ptr<UInt8[]> pixels) {
    if (!pixmap || !*pixmap || !is_valid_depth((**pixmap).pixelSize))
        return fail(paramErr, "a port needs a pixel map of a supported depth");
    std::unique_ptr<GrafPort> port(new (std::nothrow) GrafPort(kind, pixmap, std::move(pixels)));
    if (!port) return fail(memFullErr, "no memory for a port");
    port->portRect_ = (**pixmap).bounds;
    port->vis_.set_rect(port->portRect_);
    port->clip_.set_rect(kWideOpen);
    state().live.insert(port.get());
    return port;
}

GrafPort::~GrafPort() {
    State& s = state();
    s.live.erase(this);
    if (s.current == this) s.current = nullptr;
    dispose_pixmap(pixmap_);
}

void GrafPort::set_port_rect(const Rect& r) {
    portRect_ = r;
    effectiveValid_ = false;
}

void GrafPort::set_visible_region(Region r) {
    vis_ = std::move(r);
    effectiveValid_ = false;
}

void GrafPort::set_clip_region(Region r) {
    clip_ = std::move(r);
    effectiveValid_ = false;
}

void GrafPort::set_origin(SInt16 h, SInt16 v) {
    SInt32 dh = SInt32(h) - portRect_.left;
    SInt32 dv = SInt32(v) - portRect_.top;
    if (!dh && !dv) return;
    portRect_ = kit::offset(portRect_, dh, dv);
    pixmap().bounds = kit::offset(pixmap().bounds, dh, dv);
    vis_.offset(dh, dv);
    effectiveValid_ = false;
}

const Region& GrafPort::effective_clip() {
    const Rect& bounds = pixmap().bounds;
    bool sameBounds = bounds.top == effectiveFor_.top && bounds.left == effectiveFor_.left &&
                      bounds.bottom == effectiveFor_.bottom && bounds.right == effectiveFor_.right;
    if (!effectiveValid_ || !sameBounds) {
        effective_ = Region(portRect_);
        effective_.intersect(bounds);
        effective_.intersect(clip_);
        effective_.intersect(vis_);
        effectiveFor_ = bounds;
        effectiveValid_ = true;
    }
    return effective_;
}

Point GrafPort::local_to_global(Point p) const {
    const Rect& b = pixmap().bounds;
    return Point{SInt16(p.v - b.top), SInt16(p.h - b.left)};
}

Point GrafPort::global_to_local(Point p) const {
    const Rect& b = pixmap().bounds;
    return Point{SInt16(p.v + b.top), SInt16(p.h + b.left)};
}

UInt32 GrafPort::fore_pixel() const { return pixel_for(pixmap(), fore); }
UInt32 GrafPort::back_pixel() const { return pixel_for(pixmap(), back); }

GrafPort* port_from(GrafPtr p) {
    if (!p || !state().live.count(p)) return nullptr;
    return static_cast<GrafPort*>(p);
}

GrafPort* port_for_bitmap(const BitMap* bits) {
    if (!bits) return nullptr;
    auto same = [bits](GrafPort& p) {
        const PixMap& pm = p.pixmap();
        return pm.baseAddr == bits->baseAddr && pm.rowBytes == bits->rowBytes && pm.bounds.top == bits->bounds.top &&
               pm.bounds.left == bits->bounds.left && pm.bounds.bottom == bits->bounds.bottom &&
               pm.bounds.right == bits->bounds.right;
    };
    GrafPort* found = nullptr;
    for (OpaqueGrafPtr* p : state().live) {
        auto* port = static_cast<GrafPort*>(p);
        if (reinterpret_cast<const BitMap*>(&port->pixmap()) == bits) return port;
        if (!found && same(*port)) found = port;
    }
    if (GrafPort* cur = current_port_if_any(); cur && same(*cur)) return cur;
    return found;
}

void rebase_pixmap(PixMap& pm, const UInt8* oldBase, SInt32 oldRowBytes, UInt8* newBase, SInt16 width,
                   SInt16 height) {
    // A pixel map may start anywhere in the block: its first pixel keeps
    // its column and row, and its bounds lose what the block no longer has.
    const size_t off = size_t(reinterpret_cast<const UInt8*>(pm.baseAddr) - oldBase);
    SInt32 dy = SInt32(off / size_t(oldRowBytes)), dx = SInt32(off % size_t(oldRowBytes)) / 4;
    if (dx >= width || dy >= height) dx = dy = 0;   // nothing of it is left: an empty map at the start
    const SInt32 newRowBytes = SInt32(width) * 4;
    pm.baseAddr = reinterpret_cast<Ptr>(newBase + size_t(dy) * size_t(newRowBytes) + size_t(dx) * 4);
    pm.rowBytes = newRowBytes;
    Rect& b = pm.bounds;
    b.right = SInt16(std::min<SInt32>(SInt32(b.left) + width - dx, 32767));
    b.bottom = SInt16(std::min<SInt32>(SInt32(b.top) + height - dy, 32767));
}

void rebase_ports(const UInt8* oldBase, SInt32 oldRowBytes, SInt32 oldHeight, UInt8* newBase, SInt16 width,
                  SInt16 height) {
    const UInt8* oldEnd = oldBase + size_t(oldRowBytes) * size_t(oldHeight);
    for (OpaqueGrafPtr* p : state().live) {
        auto* port = static_cast<GrafPort*>(p);
        PixMap& pm = port->pixmap();
        const auto* base = reinterpret_cast<const UInt8*>(pm.baseAddr);
        if (pm.pixelSize != 32 || base < oldBase || base >= oldEnd) continue;
        rebase_pixmap(pm, oldBase, oldRowBytes, newBase, width, height);
    }
}

GrafPort* current_port_if_any() {
    State& s = state();
    if (s.current) return s.current;
    return screen_exists() ? &screen().desktop_port() : nullptr;
}

GrafPort& current_port() {
    State& s = state();
    if (s.current) return *s.current;
    return screen().desktop_port();
}

void set_current_port(GrafPort* port) { state().current = port; }

GrafPtr current_port_as_set() { return state().current; }

GDHandle current_device() { return state().device; }

void set_current_device(GDHandle gdh) { state().device = gdh; }

void set_qd_error(OSErr err) { state().qdError = err; }

}  // namespace platform::quickdraw

OSErr QDError(void) { return platform::quickdraw::state().qdError; }
