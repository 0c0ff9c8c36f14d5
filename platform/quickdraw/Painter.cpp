// Filling shapes into pixels.
#include "platform/quickdraw/Painter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <vector>

#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::quickdraw {
namespace {

void fill_span32(UInt8* row, SInt32 x0, SInt32 x1, Fill f) {
    UInt8* p = row + 4 * size_t(x0);
    UInt8* end = row + 4 * size_t(x1);
    if (f.op == FillOp::set) {
        UInt8 px[4];
        store_u32be(px, f.value);
        for (; p < end; p += 4) std::memcpy(p, px, 4);
    } else {
        for (; p < end; p += 4) {
            p[1] = UInt8(~p[1]);
            p[2] = UInt8(~p[2]);
            p[3] = UInt8(~p[3]);
        }
    }
}

void fill_span16(UInt8* row, SInt32 x0, SInt32 x1, Fill f) {
    for (SInt32 x = x0; x < x1; ++x) {
        UInt8* p = row + 2 * size_t(x);
        store_u16be(p, f.op == FillOp::set ? UInt16(f.value) : UInt16(load_u16be(p) ^ 0x7FFF));
    }
}

// 1, 2 and 4 bits: whole bytes at once in the middle of the span.
void fill_span_packed(UInt8* row, SInt32 x0, SInt32 x1, int depth, Fill f) {
    const int perByte = 8 / depth;
    const UInt32 mask = (1u << depth) - 1;
    UInt8 pattern = 0;
    for (int k = 0; k < perByte; ++k) pattern = UInt8((pattern << depth) | (f.op == FillOp::set ? f.value & mask : mask));
    auto one = [&](SInt32 x) {
        UInt32 v = f.op == FillOp::set ? f.value & mask : read_pixel(row, x, depth) ^ mask;
        write_pixel(row, x, depth, v);
    };
    SInt32 x = x0;
    for (; x < x1 && x % perByte; ++x) one(x);
    SInt32 wholeEnd = x + ((x1 - x) / perByte) * perByte;
    if (wholeEnd > x) {
        UInt8* b = row + x / perByte;
        size_t n = size_t((wholeEnd - x) / perByte);
        if (f.op == FillOp::set)
            std::memset(b, pattern, n);
        else
            for (size_t i = 0; i < n; ++i) b[i] = UInt8(b[i] ^ 0xFF);
        x = wholeEnd;
    }
    for (; x < x1; ++x) one(x);
}

}  // namespace

void fill_span(UInt8* row, SInt32 x0, SInt32 x1, int depth, Fill f) {
    if (x1 <= x0) return;
    switch (depth) {
    case 32: fill_span32(row, x0, x1, f); break;
    case 16: fill_span16(row, x0, x1, f); break;
    case 8:
        if (f.op == FillOp::set)
            std::memset(row + x0, int(f.value & 0xFF), size_t(x1 - x0));
        else
            for (SInt32 x = x0; x < x1; ++x) row[x] = UInt8(~row[x]);
        break;
    case 1:
    case 2:
    case 4: fill_span_packed(row, x0, x1, depth, f); break;
    default: break;
    }
}

void fill_region(GrafPort& port, const Region& shape, Fill f) {
    Region area = shape;
    area.intersect(port.effective_clip());
    if (area.empty()) return;
    const PixMap& pm = port.pixmap();
    const SInt32 ox = pm.bounds.left, oy = pm.bounds.top;
    for (const auto& b : area.boxes())
        for (SInt32 y = b.y1; y < b.y2; ++y) fill_span(pixel_row(pm, y - oy), b.x1 - ox, b.x2 - ox, pm.pixelSize, f);
    note_drawn(pm.baseAddr, kit::offset(area.bounds(), -ox, -oy));
}

void fill_rect(GrafPort& port, const Rect& r, Fill f) { fill_region(port, Region(r), f); }

std::optional<Fill> pen_fill(const GrafPort& port, SInt16 mode) {
    const bool notPattern = mode & 4;
    switch (mode & 3) {
    case 0:   // copy
        return Fill{FillOp::set, notPattern ? port.back_pixel() : port.fore_pixel()};
    case 1:   // or
        if (notPattern) return std::nullopt;
        return Fill{FillOp::set, port.fore_pixel()};
    case 2:   // xor
        if (notPattern) return std::nullopt;
        return Fill{FillOp::invert, 0};
    default:  // bic
        if (notPattern) return std::nullopt;
        return Fill{FillOp::set, port.back_pixel()};
    }
}

// Each row's span is the ellipse inscribed in r, sampled at the row's centre.
Region oval_region(const Rect& r) {
    const SInt32 w = SInt32(r.right) - r.left, h = SInt32(r.bottom) - r.top;
    if (w <= 0 || h <= 0) return Region();
    const double a = w / 2.0, bRad = h / 2.0;
    const double cx = r.left + a;
    std::vector<Rect> rows;
    rows.reserve(size_t(h));
    for (SInt32 y = 0; y < h; ++y) {
        double dy = (y + 0.5 - bRad) / bRad;
        double half = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
        SInt32 x0 = SInt32(std::lround(cx - half)), x1 = SInt32(std::lround(cx + half));
        if (x1 > x0) rows.push_back(to_rect(x0, r.top + y, x1, r.top + y + 1));
    }
    return Region::from_rects(rows);
}

Region line_region(Point from, Point to, Point penSize) {
    if (penSize.h <= 0 || penSize.v <= 0) return Region();
    SInt32 x = from.h, y = from.v;
    const SInt32 x1 = to.h, y1 = to.v;
    const SInt32 dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    const SInt32 sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
    if (dx == 0 || dy == 0) {   // straight: one rectangle
        return Region(to_rect(std::min(x, x1), std::min(y, y1), std::max(x, x1) + penSize.h,
                              std::max(y, y1) + penSize.v));
    }
    std::vector<Rect> dots;
    dots.reserve(size_t(std::max(dx, -dy)) + 1);
    SInt32 err = dx + dy;
    for (;;) {
        dots.push_back(to_rect(x, y, x + penSize.h, y + penSize.v));
        if (x == x1 && y == y1) break;
        SInt32 e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return Region::from_rects(dots);
}

Region frame_of(const Region& shape, Point penSize) {
    Region inner = shape;
    inner.inset(penSize.h, penSize.v);
    Region frame = shape;
    frame.subtract(inner);
    return frame;
}

}  // namespace platform::quickdraw
