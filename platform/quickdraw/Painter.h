// Painter.h — filling shapes into a port's pixels, clipped.
//
// Every shape drawing call comes down to "this set of pixels gets this
// value" or "this set of pixels is inverted"; the painter clips the shape
// to the port's effective clip, walks its boxes row by row and records what
// it touched on the screen.
#pragma once

#include <optional>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Region.h"

namespace platform::quickdraw {

class GrafPort;

enum class FillOp { set, invert };

struct Fill {
    FillOp op = FillOp::set;
    UInt32 value = 0;   // the pixel value written by FillOp::set
};

// Pixels [x0, x1) of one row at a depth of 1, 2, 4, 8, 16 or 32.
void fill_span(UInt8* row, SInt32 x0, SInt32 x1, int depth, Fill f);

// Fills `shape` (local coordinates) where it meets the port's effective clip.
void fill_region(GrafPort& port, const Region& shape, Fill f);
void fill_rect(GrafPort& port, const Rect& r, Fill f);

// What a pen or pattern transfer mode does with the solid pattern: copy
// and or paint the fore colour, xor inverts, bic paints the back colour;
// the "not" modes use the pattern's complement (copy paints the back
// colour, the others leave the pixels alone: nothing). Source modes act
// like the pattern modes of the same operation.
std::optional<Fill> pen_fill(const GrafPort& port, SInt16 mode);

// The shapes of drawing, in local coordinates.
Region oval_region(const Rect& r);
// The pixels the pen covers going from `from` to `to` (both included):
// the pen rectangle hanging right and below each point of the line.
Region line_region(Point from, Point to, Point penSize);
// The inside border of a shape, penSize wide.
Region frame_of(const Region& shape, Point penSize);

}  // namespace platform::quickdraw
