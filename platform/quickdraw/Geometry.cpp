// Rectangles and points: the calls over the kit's operations (kit/Rects.h),
// which fix the rules: right and bottom edges are exclusive, a rectangle is
// empty when right <= left or bottom <= top, and empty results are
// (0, 0, 0, 0).
#include "platform/QuickDraw.h"
#include "platform/quickdraw/kit/Rects.h"

using namespace platform;

void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    if (r) *r = Rect{top, left, bottom, right};
}

void OffsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    if (r) *r = kit::offset(*r, dh, dv);
}

// Shrinks (positive) or grows (negative) each side; a result with no area
// becomes (0, 0, 0, 0).
void InsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    if (!r) return;
    const Rect out = kit::inset(*r, dh, dv);
    *r = kit::is_empty(out) ? kit::kNoRect : out;
}

Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect) {
    const Rect out = src1 && src2 ? kit::intersection(*src1, *src2) : kit::kNoRect;
    if (dstRect) *dstRect = out;
    return !kit::is_empty(out);
}

void UnionRect(const Rect* src1, const Rect* src2, Rect* dstRect) {
    if (src1 && src2 && dstRect) *dstRect = kit::unite(*src1, *src2);
}

Boolean PtInRect(Point pt, const Rect* r) { return r && kit::contains(*r, pt); }

Boolean EmptyRect(const Rect* r) { return !r || kit::is_empty(*r); }

Boolean EqualRect(const Rect* rect1, const Rect* rect2) { return rect1 && rect2 && kit::equal(*rect1, *rect2); }

void Pt2Rect(Point pt1, Point pt2, Rect* dstRect) {
    if (dstRect) *dstRect = kit::spanning(pt1, pt2);
}

void AddPt(Point src, Point* dst) {
    if (!dst) return;
    dst->h = SInt16(dst->h + src.h);
    dst->v = SInt16(dst->v + src.v);
}

void SubPt(Point src, Point* dst) {
    if (!dst) return;
    dst->h = SInt16(dst->h - src.h);
    dst->v = SInt16(dst->v - src.v);
}

Boolean EqualPt(Point pt1, Point pt2) { return kit::equal(pt1, pt2); }
