// Screen.h — the screen: one 32-bit framebuffer, its device and the desktop
// port, and the record of what was drawn since the host last presented.
//
// Pixels are x,R,G,B bytes (see PixelFormat.h), rows `row_bytes()` apart;
// global coordinates are pixel coordinates of the framebuffer, (0, 0) at
// its top-left. The screen comes into being on first use, 1024x768 unless
// init_screen chose another size before that.
//
// Everything QuickDraw draws into the screen's pixels (through any window
// port, the desktop port or CopyBits onto a screen pixel map) is recorded
// as dirty; code that writes the pixels directly reports it with
// mark_dirty. The host takes the dirty rectangles and presents them.
//
// Single-threaded, like the rest of the toolbox.
#pragma once

#include <memory>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/core/Result.h"
#include "platform/quickdraw/Region.h"

namespace platform::quickdraw {

class GrafPort;

// Chooses the screen size; only before the screen is first used (asking
// again for the size it already has is fine). paramErr for a size outside
// 64x64 .. 16384x16384 or once the screen exists at another size.
Result<void> init_screen(SInt16 width, SInt16 height);

// Gives the screen in use another size (the host window was resized):
// new pixels, black, with what fits of the old ones kept at the top-left;
// the main device, the desktop port and every port drawing into the screen
// follow, each keeping its place. What shows must then be drawn again by
// whoever owns it (the Window Manager, the Menu Manager); the whole screen
// is marked dirty. paramErr outside 64x64 .. 16384x16384, memFullErr when
// the pixels cannot be had (the old screen stays).
Result<void> resize_screen(SInt16 width, SInt16 height);

class Screen {
public:
    static constexpr SInt16 kDefaultWidth = 1024;
    static constexpr SInt16 kDefaultHeight = 768;

    SInt16 width() const { return width_; }
    SInt16 height() const { return height_; }
    SInt32 row_bytes() const { return rowBytes_; }
    Rect rect() const { return Rect{0, 0, height_, width_}; }
    const UInt8* pixels() const { return pixels_.get(); }
    UInt8* pixels() { return pixels_.get(); }

    // The device's pixel map (gdPMap) and the main device.
    PixMapHandle pixmap() const { return pixmap_; }
    GDHandle device() const { return device_; }

    // The port covering the whole screen in global coordinates, for the menu
    // bar and the desktop. Its visible region is the whole screen until the
    // Window Manager sets it (set_port_visible_region, WindowPort.h).
    GrafPort& desktop_port() { return *desktop_; }

    // True when base points into the framebuffer.
    bool owns(const void* base) const;

    // Dirty rectangles, global coordinates.
    void mark_dirty(const Rect& r);
    bool has_dirty() const { return !dirty_.empty(); }
    // What was drawn since the last call, as disjoint rectangles (their
    // bounding box when there would be more than maxRects), and forgets it.
    std::vector<Rect> take_dirty_rects(size_t maxRects = 32);

    ~Screen();

private:
    friend Screen& screen();
    friend Result<void> resize_screen(SInt16 width, SInt16 height);
    Screen() = default;
    static Result<std::unique_ptr<Screen>> create(SInt16 width, SInt16 height);

    SInt16 width_ = 0, height_ = 0;
    SInt32 rowBytes_ = 0;
    std::unique_ptr<UInt8[]> pixels_;
    PixMapHandle pixmap_ = nullptr;
    GDHandle device_ = nullptr;
    std::unique_ptr<GrafPort> desktop_;
    Region dirty_;
};

// The screen, created at the chosen size on first use. Running out of
// memory for it ends the process with a message: nothing can be shown
// without it.
Screen& screen();
bool screen_exists();

// Records that pixels were drawn into the pixel map whose base address is
// `base`, in its pixel coordinates; does nothing unless that is the screen.
void note_drawn(const void* base, const Rect& pixelRect);

}  // namespace platform::quickdraw
