// Window.h — one window: its frame kind, title, flags, the QuickDraw port
// of its content, and the regions the Window Manager keeps for it. The
// regions are global; the port's visible region is their local copy.
#pragma once

#include <memory>
#include <string>

#include "platform/Windows.h"
#include "platform/core/Result.h"
#include "platform/quickdraw/Region.h"
#include "platform/windows/WindowFrame.h"

// The opaque type behind WindowRef; every one is a platform::windows::Window.
struct OpaqueWindowPtr {
protected:
    OpaqueWindowPtr() = default;
    ~OpaqueWindowPtr() = default;
};

namespace platform::windows {

class Window final : public OpaqueWindowPtr {
public:
    // A window whose content is at `content` (global), not yet in the list.
    static Result<std::unique_ptr<Window>> create(const Rect& content, std::string title, SInt16 procID,
                                                  bool goAwayFlag, SRefCon refCon);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    GrafPtr port() const { return port_; }
    SInt16 proc_id() const { return procID_; }
    const FrameSpec& spec() const { return spec_; }
    // The content rectangle in global coordinates (from the port).
    Rect content() const;
    FrameGeometry geometry() const { return frame_geometry(spec_, content()); }
    quickdraw::Region structure() const { return geometry().structure(spec_); }

    // Global <-> the port's local coordinates.
    Point local_offset() const;   // add to a local point to make it global
    quickdraw::Region to_global(const quickdraw::Region& local) const;
    quickdraw::Region to_local(const quickdraw::Region& global) const;

    std::string title;           // UTF-8
    SInt16 kind = userKind;
    SRefCon refCon = 0;
    bool visible = false;
    bool hilited = false;

    // Kept by the Window Manager, global coordinates.
    quickdraw::Region structure_visible;   // what of the frame and content shows
    quickdraw::Region content_visible;     // what of the content shows
    quickdraw::Region update;              // what must be drawn again
    bool updating = false;                 // between BeginUpdate and EndUpdate
    quickdraw::Region updating_area;       // the update region BeginUpdate took

    // The port's visible region from content_visible (limited to the
    // update being drawn between BeginUpdate and EndUpdate), less `above`:
    // what lies over every window (a pulled-down menu).
    void apply_visible_region(const quickdraw::Region& above);

private:
    Window(GrafPtr port, SInt16 procID, FrameSpec spec) : port_(port), procID_(procID), spec_(spec) {}

    GrafPtr port_;
    SInt16 procID_;
    FrameSpec spec_;
};

}  // namespace platform::windows
