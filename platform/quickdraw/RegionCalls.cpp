// The region calls. A nil handle is ignored (reads answer "empty").
#include <new>

#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Region.h"

using platform::quickdraw::Region;
using platform::quickdraw::region_of;

RgnHandle NewRgn(void) {
    auto* h = new (std::nothrow) OpaqueRgnHandle;
    platform::quickdraw::set_qd_error(h ? noErr : memFullErr);
    return h;
}

void DisposeRgn(RgnHandle rgn) { delete rgn; }

void CopyRgn(RgnHandle srcRgn, RgnHandle dstRgn) {
    if (srcRgn && dstRgn) dstRgn->rgn = srcRgn->rgn;
}

void SetEmptyRgn(RgnHandle rgn) {
    if (rgn) rgn->rgn.set_empty();
}

void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    if (rgn) rgn->rgn.set_rect(Rect{top, left, bottom, right});
}

void RectRgn(RgnHandle rgn, const Rect* r) {
    if (rgn && r) rgn->rgn.set_rect(*r);
}

void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv) {
    if (rgn) rgn->rgn.offset(dh, dv);
}

void InsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv) {
    if (rgn) rgn->rgn.inset(dh, dv);
}

namespace {
template <class Op>
void combine(RgnHandle a, RgnHandle b, RgnHandle dst, Op op) {
    if (!a || !b || !dst) return;
    Region result = a->rgn;   // a, b and dst may be the same handle
    op(result, b->rgn);
    dst->rgn = std::move(result);
}
}  // namespace

void SectRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
    combine(srcRgnA, srcRgnB, dstRgn, [](Region& r, const Region& o) { r.intersect(o); });
}

void UnionRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
    combine(srcRgnA, srcRgnB, dstRgn, [](Region& r, const Region& o) { r.unite(o); });
}

void DiffRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
    combine(srcRgnA, srcRgnB, dstRgn, [](Region& r, const Region& o) { r.subtract(o); });
}

void XorRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn) {
    combine(srcRgnA, srcRgnB, dstRgn, [](Region& r, const Region& o) { r.exclusive_or(o); });
}

Boolean PtInRgn(Point pt, RgnHandle rgn) { return rgn && rgn->rgn.contains(pt); }

Boolean RectInRgn(const Rect* r, RgnHandle rgn) { return r && rgn && rgn->rgn.intersects(*r); }

Boolean EmptyRgn(RgnHandle rgn) { return !rgn || rgn->rgn.empty(); }

Boolean EqualRgn(RgnHandle rgnA, RgnHandle rgnB) {
    if (!rgnA || !rgnB) return rgnA == rgnB;
    return rgnA->rgn == rgnB->rgn;
}

Rect* GetRegionBounds(RgnHandle region, Rect* bounds) {
    if (!bounds) return bounds;
    *bounds = region ? region->rgn.bounds() : Rect{0, 0, 0, 0};
    return bounds;
}
