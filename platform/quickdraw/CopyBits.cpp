// CopyBits: copies pixels between pixel maps of any depths (1, 2, 4, 8,
// 16, 24, 32), converting colours to the nearest the destination has,
// scaling nearest-neighbour when the rectangles differ in size.
//
// What gets drawn: the destination rectangle, within the destination's
// bounds, within the mask region (destination coordinates) and — when the
// destination is a port's pixel map — within that port's port rectangle,
// clip and visible regions; and only where the scaled source pixel lies
// inside the source's bounds.
//
// Transfer modes: srcCopy (and ditherCopy, which copies without dithering)
// copies; srcOr copies the source's non-white pixels; srcXor inverts the
// destination under non-white source pixels; srcBic paints the back colour
// under them. The notSrc variants complement the source first. A 1-bit
// source is colourised: its 1 pixels take the current port's fore colour,
// its 0 pixels the back colour. Other modes act as srcCopy.
//
// Source and destination may be the same pixels, overlapping: the source
// rows are then copied aside first.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/quickdraw/ColorTables.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Rects.h"

using namespace platform::quickdraw;
using platform::load_u16be;
using platform::load_u24be;
using platform::load_u32be;
using platform::store_u16be;
using platform::store_u32be;

namespace {

enum class Op { copy, orOp, xorOp, bic };

struct Surface {
    const PixMap* pm;
    int depth;
    const UInt8* base;
    SInt32 rowBytes;
    Rect bounds;
};

bool describe(const BitMap* bits, Surface& s) {
    if (!bits || !bits->baseAddr) return false;
    const PixMap* pm = reinterpret_cast<const PixMap*>(bits);
    int depth = pm->pixelSize;
    if (!is_valid_depth(depth) && depth != 24) return false;
    SInt64 width = SInt64(pm->bounds.right) - pm->bounds.left;
    if (width < 0 || pm->bounds.bottom < pm->bounds.top || pm->rowBytes <= 0 ||
        SInt64(pm->rowBytes) * 8 < width * depth)
        return false;
    s = Surface{pm, depth, reinterpret_cast<const UInt8*>(pm->baseAddr), pm->rowBytes, pm->bounds};
    return true;
}

// For each destination offset 0 .. dstLen-1, the source offset it samples
// (pixel centres map to pixel centres).
std::vector<SInt32> sample_map(SInt32 srcLen, SInt32 dstLen) {
    std::vector<SInt32> m(static_cast<size_t>(dstLen));
    if (srcLen == dstLen) {
        for (SInt32 i = 0; i < dstLen; ++i) m[size_t(i)] = i;
    } else {
        for (SInt32 i = 0; i < dstLen; ++i) m[size_t(i)] = SInt32((SInt64(2 * i + 1) * srcLen) / (2 * SInt64(dstLen)));
    }
    return m;
}

// The range [lo, hi) of destination offsets whose source lies in [min, max).
void valid_range(const std::vector<SInt32>& map, SInt32 srcStart, SInt32 min, SInt32 max, SInt32& lo, SInt32& hi) {
    lo = 0;
    hi = SInt32(map.size());
    while (lo < hi && srcStart + map[size_t(lo)] < min) ++lo;
    while (hi > lo && srcStart + map[size_t(hi - 1)] >= max) --hi;
}

// Turns source pixel values into destination pixel values.
class Converter {
public:
    // pixels: about how many will be converted (a big 16-bit copy is worth
    // a table of all 32768 colours).
    Converter(const Surface& src, const Surface& dst, bool invertSource, RGB8 fore, RGB8 back, SInt64 pixels)
        : srcDepth_(src.depth), dstDepth_(dst.depth), invert_(invertSource) {
        if (is_indexed_depth(dst.depth)) dstPalette_ = palette_of(*dst.pm);
        if (is_indexed_depth(src.depth)) {
            Palette sp = palette_of(*src.pm);
            int n = 1 << src.depth;
            lut_.resize(size_t(n));
            white_.resize(size_t(n));
            bool same = !invert_ && src.depth == dst.depth && sp == dstPalette_;
            for (int i = 0; i < n; ++i) {
                RGB8 c = i < sp.count ? sp.rgb[size_t(i)] : RGB8{0, 0, 0};
                if (src.depth == 1) c = i ? fore : back;
                if (invert_) c = complement(c);
                white_[size_t(i)] = src.depth == 1 ? (i == 0) != invert_ : c == RGB8{255, 255, 255};
                lut_[size_t(i)] = same && src.depth != 1 ? UInt32(i) : encode(c);
            }
            identity_ = same && src.depth != 1;
            for (int i = 0; identity_ && i < n; ++i) identity_ = lut_[size_t(i)] == UInt32(i);
            lutMask_ = UInt32(n - 1);
        } else {
            identity_ = !invert_ && (src.depth == dst.depth || (src.depth >= 24 && dst.depth >= 24));
            if (src.depth == 16 && !identity_ && pixels > 32768) {
                lut_.resize(32768);
                white_.resize(32768);
                for (UInt32 v = 0; v < 32768; ++v) {
                    RGB8 c = unpack16(v);
                    if (invert_) c = complement(c);
                    white_[v] = c == RGB8{255, 255, 255};
                    lut_[v] = encode(c);
                }
                lutMask_ = 0x7FFF;
            }
        }
    }

    bool identity() const { return identity_; }
    bool has_lut() const { return !lut_.empty(); }
    const UInt32* lut() const { return lut_.data(); }

    // In place, n values; `white` (when asked for) says which were white.
    void convert(UInt32* v, SInt32 n, UInt8* white) {
        if (has_lut()) {
            for (SInt32 i = 0; i < n; ++i) {
                UInt32 k = v[i] & lutMask_;
                if (white) white[i] = white_[k];
                v[i] = lut_[k];
            }
            return;
        }
        for (SInt32 i = 0; i < n; ++i) {
            RGB8 c = srcDepth_ == 16 ? unpack16(v[i]) : unpack32(v[i]);
            if (invert_) c = complement(c);
            if (white) white[i] = c == RGB8{255, 255, 255};
            if (identity_) continue;
            // Runs of one colour are common: remember the last one.
            UInt32 key = rgb_key(c);
            if (key != lastKey_) {
                lastKey_ = key;
                lastValue_ = encode(c);
            }
            v[i] = lastValue_;
        }
    }

    // The destination's pixel value for a colour.
    UInt32 encode(RGB8 c) {
        switch (dstDepth_) {
        case 32: return pack32(c);
        case 24: return rgb_key(c);
        case 16: return pack16(c);
        default:
            if (!inverse_) inverse_ = &inverse_table(dstPalette_);
            return inverse_->nearest(c);
        }
    }

private:
    static RGB8 complement(RGB8 c) { return RGB8{UInt8(~c.r), UInt8(~c.g), UInt8(~c.b)}; }

    int srcDepth_, dstDepth_;
    bool invert_;
    bool identity_ = false;
    Palette dstPalette_;
    InverseTable* inverse_ = nullptr;
    std::vector<UInt32> lut_;   // by source value & lutMask_
    std::vector<UInt8> white_;
    UInt32 lutMask_ = 0;
    UInt32 lastKey_ = 0xFFFFFFFF, lastValue_ = 0;
};

void read_row(const UInt8* row, int depth, const SInt32* xs, SInt32 n, UInt32* out) {
    switch (depth) {
    case 32:
        for (SInt32 i = 0; i < n; ++i) out[i] = load_u32be(row + 4 * size_t(xs[i]));
        break;
    case 24:
        for (SInt32 i = 0; i < n; ++i) out[i] = 0xFF000000u | load_u24be(row + 3 * size_t(xs[i]));
        break;
    case 16:
        for (SInt32 i = 0; i < n; ++i) out[i] = load_u16be(row + 2 * size_t(xs[i]));
        break;
    case 8:
        for (SInt32 i = 0; i < n; ++i) out[i] = row[xs[i]];
        break;
    default:
        for (SInt32 i = 0; i < n; ++i) out[i] = read_pixel(row, xs[i], depth);
        break;
    }
}

void write_row(UInt8* row, int depth, SInt32 x0, SInt32 n, const UInt32* v) {
    switch (depth) {
    case 32:
        for (SInt32 i = 0; i < n; ++i) store_u32be(row + 4 * size_t(x0 + i), v[i]);
        break;
    case 16:
        for (SInt32 i = 0; i < n; ++i) store_u16be(row + 2 * size_t(x0 + i), UInt16(v[i]));
        break;
    case 8:
        for (SInt32 i = 0; i < n; ++i) row[x0 + i] = UInt8(v[i]);
        break;
    default:
        for (SInt32 i = 0; i < n; ++i) write_pixel(row, x0 + i, depth, v[i]);
        break;
    }
}

Op op_of(SInt16 mode, bool& invertSource) {
    invertSource = false;
    if (mode == ditherCopy || mode < 0 || mode > 7) return Op::copy;
    invertSource = mode & 4;
    switch (mode & 3) {
    case 1: return Op::orOp;
    case 2: return Op::xorOp;
    case 3: return Op::bic;
    default: return Op::copy;
    }
}

}  // namespace

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
              RgnHandle maskRgn) {
    Surface src, dst;
    if (!srcRect || !dstRect || !describe(srcBits, src) || !describe(dstBits, dst)) {
        set_qd_error(paramErr);
        return;
    }
    set_qd_error(noErr);
    const SInt32 sw = SInt32(srcRect->right) - srcRect->left, sh = SInt32(srcRect->bottom) - srcRect->top;
    const SInt32 dw = SInt32(dstRect->right) - dstRect->left, dh = SInt32(dstRect->bottom) - dstRect->top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;

    bool invertSource;
    const Op op = op_of(mode, invertSource);
    // Colourising and srcBic use the current port's colours.
    const GrafPort* current = current_port_if_any();
    const RGB8 fore = current ? to_rgb8(current->fore) : RGB8{0, 0, 0};
    const RGB8 back = current ? to_rgb8(current->back) : RGB8{255, 255, 255};

    // Where the destination may change, in destination coordinates.
    const std::vector<SInt32> xmap = sample_map(sw, dw), ymap = sample_map(sh, dh);
    SInt32 xlo, xhi, ylo, yhi;
    valid_range(xmap, srcRect->left, src.bounds.left, src.bounds.right, xlo, xhi);
    valid_range(ymap, srcRect->top, src.bounds.top, src.bounds.bottom, ylo, yhi);
    Region area(to_rect(dstRect->left + xlo, dstRect->top + ylo, dstRect->left + xhi, dstRect->top + yhi));
    area.intersect(dst.bounds);
    if (GrafPort* owner = port_for_bitmap(dstBits)) area.intersect(owner->effective_clip());
    if (maskRgn) area.intersect(maskRgn->rgn);
    if (area.empty()) return;

    // Overlapping source and destination memory: read from a copy.
    const Rect areaBox = area.bounds();
    const SInt32 srcRow0 = srcRect->top + ymap[size_t(areaBox.top - dstRect->top)] - src.bounds.top;
    const SInt32 srcRow1 = srcRect->top + ymap[size_t(areaBox.bottom - 1 - dstRect->top)] - src.bounds.top + 1;
    const UInt8* srcLo = src.base + size_t(srcRow0) * size_t(src.rowBytes);
    const UInt8* srcHi = src.base + size_t(srcRow1) * size_t(src.rowBytes);
    const UInt8* dstLo = dst.base + size_t(areaBox.top - dst.bounds.top) * size_t(dst.rowBytes);
    const UInt8* dstHi = dst.base + size_t(areaBox.bottom - dst.bounds.top) * size_t(dst.rowBytes);
    std::vector<UInt8> aside;
    const UInt8* rowsBase = src.base;   // row sy is at rowsBase + (sy - rowsOrigin) * rowBytes
    SInt32 rowsOrigin = 0;
    auto addr = [](const UInt8* p) { return reinterpret_cast<uintptr_t>(p); };
    if (addr(srcLo) < addr(dstHi) && addr(dstLo) < addr(srcHi)) {
        aside.assign(srcLo, srcHi);
        rowsBase = aside.data();
        rowsOrigin = srcRow0;
    }

    Converter conv(src, dst, invertSource, fore, back,
                   SInt64(areaBox.right - areaBox.left) * (areaBox.bottom - areaBox.top));
    const UInt32 backPixel = op == Op::bic ? conv.encode(back) : 0;
    UInt8* dstBase = reinterpret_cast<UInt8*>(dst.pm->baseAddr);
    const bool unscaledX = sw == dw;
    const bool sameLayout = conv.identity() && src.depth == dst.depth;
    const bool byteCopy = op == Op::copy && sameLayout && unscaledX && src.depth >= 8;
    const int bytesPer = src.depth / 8;

    // Source x (pixel offsets in the source row) for every destination x.
    std::vector<SInt32> srcX(static_cast<size_t>(dw));
    for (SInt32 i = 0; i < dw; ++i) srcX[size_t(i)] = srcRect->left + xmap[size_t(i)] - src.bounds.left;

    std::vector<UInt32> vals;
    std::vector<UInt8> white;
    for (const auto& box : area.boxes()) {
        const SInt32 n = box.x2 - box.x1;
        if (SInt32(vals.size()) < n) {
            vals.resize(size_t(n));
            white.resize(size_t(n));
        }
        const SInt32* xs = srcX.data() + (box.x1 - dstRect->left);
        const SInt32 dx0 = box.x1 - dst.bounds.left;
        for (SInt32 y = box.y1; y < box.y2; ++y) {
            const SInt32 sy = srcRect->top + ymap[size_t(y - dstRect->top)] - src.bounds.top;
            const UInt8* srow = rowsBase + size_t(sy - rowsOrigin) * size_t(src.rowBytes);
            UInt8* drow = dstBase + size_t(y - dst.bounds.top) * size_t(dst.rowBytes);
            if (byteCopy) {
                std::memcpy(drow + size_t(dx0) * bytesPer, srow + size_t(xs[0]) * bytesPer, size_t(n) * bytesPer);
                continue;
            }
            if (op == Op::copy && sameLayout && src.depth == 32) {
                for (SInt32 i = 0; i < n; ++i) std::memcpy(drow + 4 * size_t(dx0 + i), srow + 4 * size_t(xs[i]), 4);
                continue;
            }
            if (op == Op::copy && src.depth == 8 && dst.depth == 32) {
                const UInt32* lut = conv.lut();
                for (SInt32 i = 0; i < n; ++i) store_u32be(drow + 4 * size_t(dx0 + i), lut[srow[xs[i]]]);
                continue;
            }
            if (op == Op::copy && src.depth == 16 && dst.depth == 32 && conv.has_lut()) {
                const UInt32* lut = conv.lut();
                for (SInt32 i = 0; i < n; ++i)
                    store_u32be(drow + 4 * size_t(dx0 + i), lut[load_u16be(srow + 2 * size_t(xs[i])) & 0x7FFF]);
                continue;
            }
            read_row(srow, src.depth, xs, n, vals.data());
            conv.convert(vals.data(), n, op == Op::copy ? nullptr : white.data());
            if (op == Op::copy) {
                write_row(drow, dst.depth, dx0, n, vals.data());
                continue;
            }
            for (SInt32 i = 0; i < n; ++i) {
                if (white[size_t(i)]) continue;
                SInt32 x = dx0 + i;
                switch (op) {
                case Op::orOp: write_pixel(drow, x, dst.depth, vals[size_t(i)]); break;
                case Op::xorOp: write_pixel(drow, x, dst.depth, read_pixel(drow, x, dst.depth) ^ invert_mask(dst.depth)); break;
                case Op::bic: write_pixel(drow, x, dst.depth, backPixel); break;
                case Op::copy: break;
                }
            }
        }
    }
    note_drawn(dst.base, platform::kit::offset(areaBox, -dst.bounds.left, -dst.bounds.top));
}
