// Rects.h — rectangle and point operations for every manager that lays out,
// hit-tests or draws.
//
// Rectangles are half-open: one holds the points with left <= h < right and
// top <= v < bottom, so two rectangles that share an edge share no pixel. A
// rectangle is empty when right <= left or bottom <= top. Arithmetic is done
// in 32 bits and results are clamped to the 16-bit coordinate range, so a
// rectangle pushed past the edge of the coordinate plane stops there rather
// than wrapping round to the other side.
#pragma once

#include <algorithm>

#include "platform/Types.h"

namespace platform::kit {

// The all-zero rectangle that empty results are normalised to.
inline constexpr Rect kNoRect{0, 0, 0, 0};

inline SInt16 clamp16(SInt32 v) { return SInt16(std::clamp<SInt32>(v, -32768, 32767)); }

// Left, top, right, bottom (the order QuickDraw's SetRect takes), clamped.
inline Rect to_rect(SInt32 left, SInt32 top, SInt32 right, SInt32 bottom) {
    return Rect{clamp16(top), clamp16(left), clamp16(bottom), clamp16(right)};
}

inline SInt32 width(const Rect& r) { return SInt32(r.right) - r.left; }
inline SInt32 height(const Rect& r) { return SInt32(r.bottom) - r.top; }
inline bool is_empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

inline bool contains(const Rect& r, Point p) { return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom; }

inline bool equal(const Rect& a, const Rect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
inline bool equal(Point a, Point b) { return a.h == b.h && a.v == b.v; }

// The middle column and row (rounded towards zero, as integer halves are).
inline SInt32 centre_h(const Rect& r) { return (SInt32(r.left) + r.right) / 2; }
inline SInt32 centre_v(const Rect& r) { return (SInt32(r.top) + r.bottom) / 2; }

// Where something `w` wide (`h` high) starts when centred in r; before r's
// own edge when it is the larger.
inline SInt32 centred_left(const Rect& r, SInt32 w) { return r.left + (width(r) - w) / 2; }
inline SInt32 centred_top(const Rect& r, SInt32 h) { return r.top + (height(r) - h) / 2; }

// The baseline that centres a line of text (ascent + descent high) in rows
// [top, bottom); an odd spare row goes above the line.
inline SInt32 centred_baseline(SInt32 top, SInt32 bottom, SInt32 ascent, SInt32 descent) {
    return top + (bottom - top - (ascent + descent) + 1) / 2 + ascent;
}

inline Rect offset(const Rect& r, SInt32 dh, SInt32 dv) {
    return to_rect(r.left + dh, r.top + dv, r.right + dh, r.bottom + dv);
}

// Moves each side in by dh / dv (out, when negative). The result may be
// empty and is not normalised: a caller that wants kNoRect for "nothing
// left" asks is_empty.
inline Rect inset(const Rect& r, SInt32 dh, SInt32 dv) {
    return to_rect(r.left + dh, r.top + dv, r.right - dh, r.bottom - dv);
}
inline Rect inset(const Rect& r, SInt32 d) { return inset(r, d, d); }

// The pixels both hold; kNoRect when they share none.
inline Rect intersection(const Rect& a, const Rect& b) {
    const Rect out{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
                   std::min(a.right, b.right)};
    return is_empty(out) ? kNoRect : out;
}

// The smallest rectangle holding the pixels of both. An empty rectangle
// adds nothing (a union started from an empty rectangle does not stretch to
// take in its corner); kNoRect when both are empty.
inline Rect unite(const Rect& a, const Rect& b) {
    if (is_empty(a)) return is_empty(b) ? kNoRect : b;
    if (is_empty(b)) return a;
    return Rect{std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
                std::max(a.right, b.right)};
}

// The smallest rectangle whose edges take in both rectangles' edges, empty
// ones too: a bar with no width still adds its height.
inline Rect enclosing(const Rect& a, const Rect& b) {
    return Rect{std::min(a.top, b.top), std::min(a.left, b.left), std::max(a.bottom, b.bottom),
                std::max(a.right, b.right)};
}

// The rectangle with these two points as opposite corners.
inline Rect spanning(Point a, Point b) {
    return Rect{std::min(a.v, b.v), std::min(a.h, b.h), std::max(a.v, b.v), std::max(a.h, b.h)};
}

}  // namespace platform::kit
