// Shape drawing and the pen, in the current port.
#include "platform/quickdraw/Painter.h"
#include "platform/quickdraw/Port.h"

using namespace platform::quickdraw;

namespace {

void paint_shape(const Region& shape) {
    GrafPort& port = current_port();
    if (auto f = pen_fill(port, port.pen.pnMode)) fill_region(port, shape, *f);
}

void erase_shape(const Region& shape) {
    GrafPort& port = current_port();
    fill_region(port, shape, Fill{FillOp::set, port.back_pixel()});
}

void invert_shape(const Region& shape) { fill_region(current_port(), shape, Fill{FillOp::invert, 0}); }

void frame_shape(const Region& shape) { paint_shape(frame_of(shape, current_port().pen.pnSize)); }

}  // namespace

void EraseRect(const Rect* r) {
    if (r) erase_shape(Region(*r));
}

void PaintRect(const Rect* r) {
    if (r) paint_shape(Region(*r));
}

void FrameRect(const Rect* r) {
    if (r) frame_shape(Region(*r));
}

void InvertRect(const Rect* r) {
    if (r) invert_shape(Region(*r));
}

void EraseRgn(RgnHandle rgn) {
    if (rgn) erase_shape(rgn->rgn);
}

void PaintRgn(RgnHandle rgn) {
    if (rgn) paint_shape(rgn->rgn);
}

void InvertRgn(RgnHandle rgn) {
    if (rgn) invert_shape(rgn->rgn);
}

void FrameRgn(RgnHandle rgn) {
    if (rgn) frame_shape(rgn->rgn);
}

void PaintOval(const Rect* r) {
    if (r) paint_shape(oval_region(*r));
}

void FrameOval(const Rect* r) {
    if (r) frame_shape(oval_region(*r));
}

void MoveTo(SInt16 h, SInt16 v) { current_port().pen.pnLoc = Point{v, h}; }

void Move(SInt16 dh, SInt16 dv) {
    Point& p = current_port().pen.pnLoc;
    p = Point{SInt16(p.v + dv), SInt16(p.h + dh)};
}

void LineTo(SInt16 h, SInt16 v) {
    GrafPort& port = current_port();
    Point to{v, h};
    paint_shape(line_region(port.pen.pnLoc, to, port.pen.pnSize));
    port.pen.pnLoc = to;
}

void Line(SInt16 dh, SInt16 dv) {
    const Point p = current_port().pen.pnLoc;
    LineTo(SInt16(p.h + dh), SInt16(p.v + dv));
}

void GetPen(Point* pt) {
    if (pt) *pt = current_port().pen.pnLoc;
}

void PenSize(SInt16 width, SInt16 height) { current_port().pen.pnSize = Point{height, width}; }

void PenMode(SInt16 mode) { current_port().pen.pnMode = mode; }

void PenNormal(void) {
    PenState& pen = current_port().pen;
    pen.pnSize = Point{1, 1};
    pen.pnMode = patCopy;
}

void GetPenState(PenState* pnState) {
    if (pnState) *pnState = current_port().pen;
}

void SetPenState(const PenState* pnState) {
    if (pnState) current_port().pen = *pnState;
}
