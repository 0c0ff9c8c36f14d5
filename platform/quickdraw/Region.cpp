// Regions over pixman's region32.
#include "platform/quickdraw/Region.h"

#include <algorithm>
#include <climits>

namespace platform::quickdraw {

Rect to_rect(const pixman_box32_t& b) { return to_rect(b.x1, b.y1, b.x2, b.y2); }

Region::Region() { pixman_region32_init(&r_); }

Region::Region(const Rect& r) {
    if (kit::is_empty(r))
        pixman_region32_init(&r_);
    else
        pixman_region32_init_rect(&r_, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
}

Region::Region(const Region& other) {
    pixman_region32_init(&r_);
    pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&other.r_));
}

Region::Region(Region&& other) noexcept {
    r_ = other.r_;   // takes over the box storage
    pixman_region32_init(&other.r_);
}

Region& Region::operator=(const Region& other) {
    if (this != &other) pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&other.r_));
    return *this;
}

Region& Region::operator=(Region&& other) noexcept {
    if (this != &other) {
        pixman_region32_fini(&r_);
        r_ = other.r_;
        pixman_region32_init(&other.r_);
    }
    return *this;
}

Region::~Region() { pixman_region32_fini(&r_); }

Region Region::from_rects(std::span<const Rect> rects) {
    std::vector<pixman_box32_t> boxes;
    boxes.reserve(rects.size());
    for (const Rect& r : rects)
        if (!kit::is_empty(r)) boxes.push_back({r.left, r.top, r.right, r.bottom});
    Region out;
    if (!boxes.empty()) {
        pixman_region32_fini(&out.r_);
        pixman_region32_init_rects(&out.r_, boxes.data(), int(boxes.size()));
    }
    return out;
}

bool Region::empty() const { return !pixman_region32_not_empty(const_cast<pixman_region32_t*>(&r_)); }

Rect Region::bounds() const {
    if (empty()) return Rect{0, 0, 0, 0};
    return to_rect(r_.extents);
}

bool Region::contains(Point pt) const {
    return pixman_region32_contains_point(const_cast<pixman_region32_t*>(&r_), pt.h, pt.v, nullptr);
}

bool Region::intersects(const Rect& r) const {
    if (kit::is_empty(r)) return false;
    pixman_box32_t box{r.left, r.top, r.right, r.bottom};
    return pixman_region32_contains_rectangle(const_cast<pixman_region32_t*>(&r_), &box) != PIXMAN_REGION_OUT;
}

bool Region::contains_rect(const Rect& r) const {
    if (kit::is_empty(r)) return false;
    pixman_box32_t box{r.left, r.top, r.right, r.bottom};
    return pixman_region32_contains_rectangle(const_cast<pixman_region32_t*>(&r_), &box) == PIXMAN_REGION_IN;
}

bool Region::operator==(const Region& other) const {
    if (empty() && other.empty()) return true;
    return pixman_region32_equal(const_cast<pixman_region32_t*>(&r_), const_cast<pixman_region32_t*>(&other.r_));
}

void Region::set_empty() { pixman_region32_clear(&r_); }

void Region::set_rect(const Rect& r) { *this = Region(r); }

void Region::offset(SInt32 dh, SInt32 dv) {
    if (dh || dv) pixman_region32_translate(&r_, dh, dv);
}

Region& Region::intersect(const Region& other) {
    pixman_region32_intersect(&r_, &r_, const_cast<pixman_region32_t*>(&other.r_));
    return *this;
}

Region& Region::intersect(const Rect& r) {
    if (kit::is_empty(r)) {
        set_empty();
        return *this;
    }
    pixman_region32_intersect_rect(&r_, &r_, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
    return *this;
}

Region& Region::unite(const Region& other) {
    pixman_region32_union(&r_, &r_, const_cast<pixman_region32_t*>(&other.r_));
    return *this;
}

Region& Region::unite(const Rect& r) {
    if (!kit::is_empty(r))
        pixman_region32_union_rect(&r_, &r_, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
    return *this;
}

Region& Region::subtract(const Region& other) {
    pixman_region32_subtract(&r_, &r_, const_cast<pixman_region32_t*>(&other.r_));
    return *this;
}

Region& Region::exclusive_or(const Region& other) {
    Region onlyOther = other;
    onlyOther.subtract(*this);
    subtract(other);
    return unite(onlyOther);
}

std::span<const pixman_box32_t> Region::boxes() const {
    int n = 0;
    const pixman_box32_t* b = pixman_region32_rectangles(const_cast<pixman_region32_t*>(&r_), &n);
    return {b, size_t(n)};
}

std::vector<Rect> Region::rects() const {
    std::vector<Rect> out;
    for (const auto& b : boxes()) out.push_back(to_rect(b));
    return out;
}

// Growing by d on each side is the union of the region shifted by every
// offset in [-d, d]; shrinking is the intersection of the same shifts. Both
// are built by doubling, so a large d costs a logarithmic number of
// operations: `acc` covers the shifts [0, len), `step` covers [0, stepLen).
void Region::grow_or_shrink(SInt32 d, bool horizontal) {
    if (d == 0 || empty()) return;
    const bool grow = d < 0;
    SInt64 span = 2 * SInt64(grow ? -d : d) + 1;
    auto shifted = [horizontal](const Region& src, SInt64 by) {
        Region r = src;
        r.offset(horizontal ? SInt32(by) : 0, horizontal ? 0 : SInt32(by));
        return r;
    };
    auto combine = [grow](Region& into, const Region& other) {
        if (grow)
            into.unite(other);
        else
            into.intersect(other);
    };
    Region step = *this;
    SInt64 stepLen = 1;
    Region acc;
    SInt64 len = 0;
    while (span > 0) {
        if (span & 1) {
            if (len == 0)
                acc = step;
            else
                combine(acc, shifted(step, len));
            len += stepLen;
        }
        span >>= 1;
        if (span) {
            combine(step, shifted(step, stepLen));
            stepLen *= 2;
        }
    }
    // acc covers shifts [0, 2|d|]; centre it.
    SInt32 back = grow ? d : -d;
    acc.offset(horizontal ? back : 0, horizontal ? 0 : back);
    *this = std::move(acc);
}

void Region::inset(SInt32 dh, SInt32 dv) {
    dh = std::clamp<SInt32>(dh, -65535, 65535);
    dv = std::clamp<SInt32>(dv, -65535, 65535);
    grow_or_shrink(dh, true);
    grow_or_shrink(dv, false);
}

}  // namespace platform::quickdraw
