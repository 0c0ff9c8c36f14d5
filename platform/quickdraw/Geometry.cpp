// Rectangles and points. Right and bottom edges are exclusive: a rectangle
// is empty when right <= left or bottom <= top.
#include <algorithm>

#include "platform/QuickDraw.h"

namespace {
constexpr Rect kZero{0, 0, 0, 0};
}

void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    if (r) *r = Rect{top, left, bottom, right};
}

void OffsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    if (!r) return;
    r->left = SInt16(r->left + dh);
    r->right = SInt16(r->right + dh);
    r->top = SInt16(r->top + dv);
    r->bottom = SInt16(r->bottom + dv);
}

// Shrinks (positive) or grows (negative) each side; a result with no area
// becomes (0, 0, 0, 0).
void InsetRect(Rect* r, SInt16 dh, SInt16 dv) {
    if (!r) return;
    Rect out{SInt16(r->top + dv), SInt16(r->left + dh), SInt16(r->bottom - dv), SInt16(r->right - dh)};
    *r = EmptyRect(&out) ? kZero : out;
}

Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect) {
    if (!src1 || !src2) {
        if (dstRect) *dstRect = kZero;
        return false;
    }
    Rect out{std::max(src1->top, src2->top), std::max(src1->left, src2->left), std::min(src1->bottom, src2->bottom),
             std::min(src1->right, src2->right)};
    bool meets = !EmptyRect(&out);
    if (dstRect) *dstRect = meets ? out : kZero;
    return meets;
}

// An empty rectangle adds nothing to a union (so a union started from an
// empty rectangle does not stretch to include its corner).
void UnionRect(const Rect* src1, const Rect* src2, Rect* dstRect) {
    if (!src1 || !src2 || !dstRect) return;
    if (EmptyRect(src1)) {
        *dstRect = EmptyRect(src2) ? kZero : *src2;
        return;
    }
    if (EmptyRect(src2)) {
        *dstRect = *src1;
        return;
    }
    *dstRect = Rect{std::min(src1->top, src2->top), std::min(src1->left, src2->left),
                    std::max(src1->bottom, src2->bottom), std::max(src1->right, src2->right)};
}

Boolean PtInRect(Point pt, const Rect* r) {
    return r && pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

Boolean EmptyRect(const Rect* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

Boolean EqualRect(const Rect* rect1, const Rect* rect2) {
    return rect1 && rect2 && rect1->top == rect2->top && rect1->left == rect2->left &&
           rect1->bottom == rect2->bottom && rect1->right == rect2->right;
}

void Pt2Rect(Point pt1, Point pt2, Rect* dstRect) {
    if (!dstRect) return;
    *dstRect = Rect{std::min(pt1.v, pt2.v), std::min(pt1.h, pt2.h), std::max(pt1.v, pt2.v), std::max(pt1.h, pt2.h)};
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

Boolean EqualPt(Point pt1, Point pt2) { return pt1.h == pt2.h && pt1.v == pt2.v; }
