// Framebuffer work of the Window and Menu Managers (see ScreenPixels.h).
#include "platform/windows/ScreenPixels.h"

#include <cstring>

#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::windows {
namespace {

using quickdraw::Region;
using quickdraw::Screen;

Region on_screen(const Region& global) {
    Region r = global;
    r.intersect(quickdraw::screen().rect());
    return r;
}

UInt8* pixel_at(Screen& s, SInt32 x, SInt32 y) {
    return s.pixels() + size_t(y) * size_t(s.row_bytes()) + size_t(x) * 4;
}

}  // namespace

void fill_screen_region(const Region& global, quickdraw::RGB8 color) {
    Screen& s = quickdraw::screen();
    const UInt32 value = quickdraw::pack32(color);
    UInt8 pixel[4];
    store_u32be(pixel, value);
    const Region area = on_screen(global);
    for (const auto& b : area.boxes()) {
        for (SInt32 y = b.y1; y < b.y2; ++y) {
            UInt8* p = pixel_at(s, b.x1, y);
            for (SInt32 x = b.x1; x < b.x2; ++x, p += 4) std::memcpy(p, pixel, 4);
        }
        s.mark_dirty(quickdraw::to_rect(b));
    }
}

void invert_screen_region(const Region& global) {
    Screen& s = quickdraw::screen();
    const Region area = on_screen(global);
    for (const auto& b : area.boxes()) {
        for (SInt32 y = b.y1; y < b.y2; ++y) {
            UInt8* p = pixel_at(s, b.x1, y);
            for (SInt32 x = b.x1; x < b.x2; ++x, p += 4) {
                p[1] = UInt8(~p[1]);
                p[2] = UInt8(~p[2]);
                p[3] = UInt8(~p[3]);
            }
        }
        s.mark_dirty(quickdraw::to_rect(b));
    }
}

void move_screen_pixels(const Region& dst, SInt32 dh, SInt32 dv) {
    Screen& s = quickdraw::screen();
    Region to = on_screen(dst);
    Region from = to;
    from.offset(-dh, -dv);
    from.intersect(s.rect());
    from.offset(dh, dv);
    to.intersect(from);   // only pixels whose source is on the screen
    if (to.empty()) return;
    // Through a copy, since source and destination may overlap.
    SavedPixels copy(kit::offset(to.bounds(), -dh, -dv));
    for (const auto& b : to.boxes()) {
        const size_t bytes = size_t(b.x2 - b.x1) * 4;
        for (SInt32 y = b.y1; y < b.y2; ++y) std::memcpy(pixel_at(s, b.x1, y), copy.at(b.x1 - dh, y - dv), bytes);
        s.mark_dirty(quickdraw::to_rect(b));
    }
}

SavedPixels::SavedPixels(const Rect& global) {
    Screen& s = quickdraw::screen();
    const Rect r = kit::intersection(global, s.rect());
    if (kit::is_empty(r)) return;
    rect_ = r;
    const size_t rowBytes = size_t(kit::width(r)) * 4;
    pixels_.resize(rowBytes * size_t(kit::height(r)));
    for (SInt32 y = r.top; y < r.bottom; ++y)
        std::memcpy(&pixels_[size_t(y - r.top) * rowBytes], pixel_at(s, r.left, y), rowBytes);
}

const UInt8* SavedPixels::at(SInt32 x, SInt32 y) const {
    const size_t rowBytes = size_t(kit::width(rect_)) * 4;
    return &pixels_[size_t(y - rect_.top) * rowBytes + size_t(x - rect_.left) * 4];
}

void SavedPixels::restore() const {
    if (pixels_.empty()) return;
    Screen& s = quickdraw::screen();
    // The screen may have become smaller since (the host window resized).
    const Rect r = kit::intersection(rect_, s.rect());
    if (kit::is_empty(r)) return;
    for (SInt32 y = r.top; y < r.bottom; ++y)
        std::memcpy(pixel_at(s, r.left, y), at(r.left, y), size_t(kit::width(r)) * 4);
    s.mark_dirty(r);
}

}  // namespace platform::windows
