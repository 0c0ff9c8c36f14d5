// Port.h — the graphics port behind GrafPtr / CGrafPtr / GWorldPtr.
//
// A port draws into a PixMap (a Memory Manager handle the port owns) in its
// own local coordinates: local point p is pixel (p.h - bounds.left,
// p.v - bounds.top) of the pixel map. The port rectangle, the visible region
// and the clip region are in local coordinates; every drawing call is
// clipped to their intersection (and to the pixel map) where it enters.
//
// Three kinds exist: offscreen graphics worlds (which own their pixels),
// window ports and the desktop port (which draw into the screen's pixels;
// see Screen.h and WindowPort.h).
#pragma once

#include <memory>

#include "platform/QuickDraw.h"
#include "platform/core/Result.h"
#include "platform/quickdraw/Region.h"

// The opaque type behind GrafPtr; every one is a platform::quickdraw::GrafPort.
struct OpaqueGrafPtr {
protected:
    OpaqueGrafPtr() = default;
    ~OpaqueGrafPtr() = default;
};

namespace platform::quickdraw {

enum class PortKind { offscreen, window, desktop };

struct TextState {
    SInt16 font = applFont;
    SInt16 size = 0;     // 0: the default size, 12
    SInt16 face = normal;
    SInt16 mode = srcOr;
};

class GrafPort final : public OpaqueGrafPtr {
public:
    // A port drawing into `pixmap` (whose handle and colour table it takes
    // over), port rectangle and visible region = the pixel map's bounds.
    // `pixels` is the pixel block when the port owns it (graphics worlds).
    static Result<std::unique_ptr<GrafPort>> create(PortKind kind, PixMapHandle pixmap,
                                                    std::unique_ptr<UInt8[]> pixels);
    ~GrafPort();
    GrafPort(const GrafPort&) = delete;
    GrafPort& operator=(const GrafPort&) = delete;

    PortKind kind() const { return kind_; }
    PixMapHandle pixmap_handle() const { return pixmap_; }
    PixMap& pixmap() const { return **pixmap_; }
    int depth() const { return pixmap().pixelSize; }

    const Rect& port_rect() const { return portRect_; }
    void set_port_rect(const Rect& r);
    const Region& visible_region() const { return vis_; }
    void set_visible_region(Region r);
    const Region& clip_region() const { return clip_; }
    void set_clip_region(Region r);
    // Makes (h, v) the top-left of the port rectangle: moves the port
    // rectangle, the pixel map's bounds and the visible region; the clip
    // region stays where it is in local coordinates.
    void set_origin(SInt16 h, SInt16 v);

    // Port rectangle ∩ clip ∩ visible ∩ the pixel map, in local coordinates.
    const Region& effective_clip();

    // Local <-> global: global coordinates are pixel coordinates of the
    // pixel map (for window ports: of the screen).
    Point local_to_global(Point p) const;
    Point global_to_local(Point p) const;

    // The pixel value the fore / back colour has in this port's pixel map.
    UInt32 fore_pixel() const;
    UInt32 back_pixel() const;

    PenState pen{{0, 0}, {1, 1}, patCopy};
    RGBColor fore{0, 0, 0};
    RGBColor back{0xFFFF, 0xFFFF, 0xFFFF};
    TextState text;
    GDHandle device = nullptr;   // the device SetGWorld(port, nil) makes current
    void* owner = nullptr;       // for the Window Manager: the window of a window port

private:
    GrafPort(PortKind kind, PixMapHandle pixmap, std::unique_ptr<UInt8[]> pixels);

    PortKind kind_;
    PixMapHandle pixmap_;
    std::unique_ptr<UInt8[]> pixels_;
    Rect portRect_{};
    Region vis_;
    Region clip_;
    // effective_clip() cache, valid while its inputs are unchanged.
    Region effective_;
    bool effectiveValid_ = false;
    Rect effectiveFor_{};   // the pixel map bounds it was computed with
};

// The port behind a GrafPtr; nil for nil or for a pointer that is not a
// live port (a disposed one, say).
GrafPort* port_from(GrafPtr p);
inline GrafPtr to_grafptr(GrafPort* p) { return p; }

// The port whose pixel map this BitMap is: the same record, or one with the
// same base address, row bytes and bounds (the current port first).
GrafPort* port_for_bitmap(const BitMap* bits);

// Moves every port drawing into the block `oldBase` (of `oldHeight` rows
// of `oldRowBytes`) into the block `newBase` of width x height 32-bit
// pixels (the screen took another size). A port keeps its place; its
// pixel map's bounds are cut to what the new block holds.
void rebase_ports(const UInt8* oldBase, SInt32 oldRowBytes, SInt32 oldHeight, UInt8* newBase, SInt16 width,
                  SInt16 height);
// The same for one pixel map.
void rebase_pixmap(PixMap& pm, const UInt8* oldBase, SInt32 oldRowBytes, UInt8* newBase, SInt16 width, SInt16 height);

// The current port: never nil (the desktop port when nothing else is set).
GrafPort& current_port();
void set_current_port(GrafPort* port);   // nil: the desktop port
// The current port, or nil when it would be the desktop port and the
// screen has not been made (so offscreen-only work never makes it).
GrafPort* current_port_if_any();
// The current port as set: nil while it is the desktop port by default,
// so saving and restoring it never makes the screen.
GrafPtr current_port_as_set();
GDHandle current_device();               // nil before any is set: the main device
void set_current_device(GDHandle gdh);

// QDError's value.
void set_qd_error(OSErr err);

}  // namespace platform::quickdraw
