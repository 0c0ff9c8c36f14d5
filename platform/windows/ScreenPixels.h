// ScreenPixels.h — direct work on the framebuffer for the Window and Menu
// Managers: solid fills, inversions (drag outlines, the beep flash), moving
// the pixels of a moved window, and saving what a pulled-down menu covers.
// Everything is in global coordinates, clipped to the screen, and recorded
// as drawn so the host presents it.
#pragma once

#include <vector>

#include "platform/quickdraw/Region.h"
#include "platform/quickdraw/StandardColors.h"

namespace platform::windows {

void fill_screen_region(const quickdraw::Region& global, quickdraw::RGB8 color);
void invert_screen_region(const quickdraw::Region& global);

// Copies the pixels that are at `dst` offset by (-dh, -dv) into `dst`
// (source and destination may overlap).
void move_screen_pixels(const quickdraw::Region& dst, SInt32 dh, SInt32 dv);

// The pixels of a rectangle, to be put back exactly later.
class SavedPixels {
public:
    SavedPixels() = default;
    explicit SavedPixels(const Rect& global);
    void restore() const;
    const Rect& rect() const { return rect_; }
    // The saved pixel at global (x, y), which must lie inside rect().
    const UInt8* at(SInt32 x, SInt32 y) const;

private:
    Rect rect_{};
    std::vector<UInt8> pixels_;
};

}  // namespace platform::windows
