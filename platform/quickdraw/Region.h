// Region.h — the region type behind RgnHandle.
//
// A region is a set of pixels described as y-banded lists of x-spans
// (pixman's region32: sorted, coalesced, non-overlapping boxes, right and
// bottom edges exclusive, like Rect). Coordinates are 32-bit inside, so
// offsetting a region near the edge of the 16-bit plane loses nothing; they
// are clamped only when they come back out as a Rect.
//
// RgnHandle is a pointer to an OpaqueRgnHandle, which holds one Region.
#pragma once

#include <pixman.h>

#include <span>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::quickdraw {

class Region {
public:
    Region();
    explicit Region(const Rect& r);
    Region(const Region& other);
    Region(Region&& other) noexcept;
    Region& operator=(const Region& other);
    Region& operator=(Region&& other) noexcept;
    ~Region();

    // The union of any set of rectangles (empty ones are ignored).
    static Region from_rects(std::span<const Rect> rects);

    bool empty() const;
    Rect bounds() const;                    // all zero when empty
    bool contains(Point pt) const;
    bool intersects(const Rect& r) const;   // shares at least one pixel with r
    bool contains_rect(const Rect& r) const;
    bool operator==(const Region& other) const;

    void set_empty();
    void set_rect(const Rect& r);
    void offset(SInt32 dh, SInt32 dv);
    // Positive values shrink the region by that many pixels on each side,
    // negative values grow it (a rectangle region behaves like InsetRect).
    void inset(SInt32 dh, SInt32 dv);

    Region& intersect(const Region& other);
    Region& intersect(const Rect& r);
    Region& unite(const Region& other);
    Region& unite(const Rect& r);
    Region& subtract(const Region& other);
    Region& exclusive_or(const Region& other);

    // The boxes in band order (top to bottom, left to right in a band).
    std::span<const pixman_box32_t> boxes() const;
    std::vector<Rect> rects() const;   // boxes clamped to 16 bits

private:
    void grow_or_shrink(SInt32 d, bool horizontal);
    pixman_region32_t r_;
};

// Clamps 32-bit coordinates into a Rect.
Rect to_rect(const pixman_box32_t& b);
using kit::to_rect;

}  // namespace platform::quickdraw

struct OpaqueRgnHandle {
    platform::quickdraw::Region rgn;
};

namespace platform::quickdraw {
// The region behind a handle; nil for a nil handle.
inline Region* region_of(RgnHandle h) { return h ? &h->rgn : nullptr; }
}  // namespace platform::quickdraw
