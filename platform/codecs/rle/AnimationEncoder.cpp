// The Animation encoder. The stream layout is described in AnimationFormat.h,
// the choice of codes in LinePlanner.h.
//
// Key frames code every line with header 0. Delta frames code the range
// from the first to the last changed line (header 0x0008, or 0 when that
// is every line); a frame with no change at all is the 7-byte frame
// (chunk size 7, header 0, end byte) that readers take as "unchanged".
//
// Below 16 bits the last unit of a line may hold padding pixels past the
// image width. They are set to the pixels of the unit before it when the
// visible pixels agree (so a run can take the last unit in), and to zero
// otherwise; no other choice can make the line shorter.
#include "platform/codecs/rle/AnimationEncoder.h"

#include <bit>
#include <cstring>

#include "platform/codecs/rle/AnimationFormat.h"
#include "platform/core/Bytes.h"

namespace platform::codecs::rle {

// The bound: a line's cheapest coding is never longer than coding it all
// as literals (that coding is one of those the planner chooses among), and
// a line left unchanged takes 2 bytes, which is no more. All literals:
//   depths 2-32  skip byte + ceil(n/127) codes + n*b unit bytes + end code
//   depth 1      ceil(n/127) pairs of 2 bytes + n*2 unit bytes
// The frame adds the chunk size, the header, the line range a delta frame
// may carry and the end of frame.
Result<size_t> max_frame_size(SInt32 width, SInt32 height, int depth) {
    const Geometry g = Geometry::of(depth, width);
    if (!g.valid()) return fail(paramErr, "unsupported depth");
    if (width <= 0 || height <= 0) return fail(paramErr, "empty image");
    const UInt64 n = UInt64(g.units);
    const UInt64 codes = (n + kMaxLiteral - 1) / kMaxLiteral;
    const UInt64 line = depth == 1 ? 2 * codes + 2 * n : 2 + codes + n * UInt64(g.unitBytes);
    const UInt64 frame = 4 + 2 + 8 + UInt64(height) * line + (depth == 1 ? 2 : 1);
    if (height > 0xFFFF || frame > kChunkSizeMask)
        return fail(codecSizeErr, "image too large for one Animation frame");
    return size_t(frame);
}

Result<size_t> Encoder::encode(const ConstPixelView& frame, int depth,
                               const ConstPixelView* previous, std::span<UInt8> out) {
    const Geometry g = Geometry::of(depth, frame.width);
    if (!g.valid()) return fail(paramErr, "unsupported depth");
    TRY(check_view(frame));
    if (frame.depth != depth && !(depth == 24 && frame.depth == 32))
        return fail(paramErr, "source depth does not match the coded depth");
    if (previous) {
        TRY(check_view(*previous));
        if (previous->width != frame.width || previous->height != frame.height ||
            previous->depth != frame.depth)
            return fail(paramErr, "previous frame differs in size or depth");
    }
    TRY(max_frame_size(frame.width, frame.height, depth));

    depth_ = depth;
    width_ = frame.width;
    unitBytes_ = g.unitBytes;
    units_ = size_t(g.units);
    visible_ = visible_row_bytes(frame.width, frame.depth);
    lineBytes_ = units_ * size_t(unitBytes_);
    lastMask_ = ~0u;
    direct_ = frame.depth == depth;
    if (g.indexed()) {
        const UInt64 unitBits = UInt64(unitBytes_) * 8;
        const UInt64 shown = UInt64(frame.width) * UInt64(depth) - (units_ - 1) * unitBits;
        if (shown < unitBits) {
            lastMask_ = UInt32(((UInt64(1) << shown) - 1) << (unitBits - shown));
            direct_ = false;
        }
    }
    cur_.resize(units_);
    prev_.resize(units_);
    scratch_.resize(lineBytes_);
    scratchPrev_.resize(lineBytes_);

    SInt32 first = 0, last = frame.height - 1;
    if (previous) {
        while (first < frame.height && !line_changed(frame, *previous, first)) ++first;
        if (first == frame.height) {
            if (out.size() < 7) return fail(codecImageBufErr, "output buffer too small");
            store_u32be(out.data(), 7);
            store_u16be(out.data() + 4, 0);
            out[6] = 0;
            return size_t(7);
        }
        while (last > first && !line_changed(frame, *previous, last)) --last;
    }
    const bool range = previous && (first != 0 || last != frame.height - 1);
    const size_t trailer = depth == 1 ? 2 : 1;
    const size_t head = range ? 14 : 6;
    if (out.size() < head + trailer) return fail(codecImageBufErr, "output buffer too small");

    UInt8* o = out.data();
    UInt8* const end = o + out.size();
    store_u16be(o + 4, range ? kHeaderLineRange : 0);
    if (range) {
        store_u16be(o + 6, UInt16(first));
        store_u16be(o + 8, 0);
        store_u16be(o + 10, UInt16(last - first + 1));
        store_u16be(o + 12, 0);
    }
    o += head;

    const bool stretches = !previous && direct_ && depth >= 16;
    for (SInt32 y = first; y <= last; ++y) {
        if (stretches) {   // key line of whole-pixel units: straight from the row
            const UInt8* row = frame.row(y);
            const UInt32* starts = find_stretches(row);
            const size_t size = planner_.plan_key(starts, stretchCount_, units_, unitBytes_);
            if (size + trailer > size_t(end - o)) return fail(codecImageBufErr, "output buffer too small");
            o = planner_.write(o, row, unitBytes_);
            continue;
        }
        const UInt8* bytes = read_line(frame, y, cur_.data(), scratch_.data(), true);
        const UInt32* before = nullptr;
        if (previous) {
            read_line(*previous, y, prev_.data(), scratchPrev_.data(), false);
            before = prev_.data();
        }
        const size_t size = depth == 1
            ? planner_.plan_pairs(cur_.data(), before, units_, lastMask_)
            : planner_.plan(cur_.data(), before, units_, unitBytes_, lastMask_);
        if (size + trailer > size_t(end - o)) return fail(codecImageBufErr, "output buffer too small");
        o = depth == 1 ? planner_.write_pairs(o, bytes) : planner_.write(o, bytes, unitBytes_);
    }
    *o++ = 0;
    if (depth == 1) *o++ = 0;
    const size_t total = size_t(o - out.data());
    store_u32be(out.data(), UInt32(total));
    return total;
}

// Loads row y's units into `units` and returns the row's units in stream
// form: the source row itself when it already is, else `scratch`.
const UInt8* Encoder::read_line(const ConstPixelView& v, SInt32 y, UInt32* units, UInt8* scratch,
                                bool pad) const {
    const UInt8* row = v.row(y);
    const size_t n = units_;
    switch (depth_) {
    case 32:
        for (size_t i = 0; i < n; ++i) units[i] = load_u32be(row + 4 * i);
        return row;
    case 24:
        if (v.depth == 24) {
            // Four-byte loads, all but the last inside the row.
            for (size_t i = 0; i + 1 < n; ++i) units[i] = load_u32be(row + 3 * i) >> 8;
            units[n - 1] = load_u24be(row + 3 * (n - 1));
            return row;
        }
        for (size_t i = 0; i < n; ++i) {
            const UInt8* s = row + 4 * i;
            scratch[3 * i] = s[1];
            scratch[3 * i + 1] = s[2];
            scratch[3 * i + 2] = s[3];
            units[i] = load_u24be(s + 1);
        }
        return scratch;
    case 16:
        for (size_t i = 0; i < n; ++i) units[i] = load_u16be(row + 2 * i);
        return row;
    default:
        break;
    }

    const UInt8* src = row;
    if (!direct_) {
        std::memcpy(scratch, row, visible_);
        std::memset(scratch + visible_, 0, lineBytes_ - visible_);
        const unsigned bits = unsigned(UInt64(width_) * UInt64(depth_) % 8);
        if (bits) scratch[visible_ - 1] &= UInt8(0xFF << (8 - bits));
        src = scratch;
    }
    if (unitBytes_ == 4)
        for (size_t i = 0; i < n; ++i) units[i] = load_u32be(src + 4 * i);
    else
        for (size_t i = 0; i < n; ++i) units[i] = load_u16be(src + 2 * i);
    if (pad && !direct_ && n >= 2 && ((units[n - 1] ^ units[n - 2]) & lastMask_) == 0) {
        units[n - 1] = units[n - 2];
        std::memcpy(scratch + (n - 1) * unitBytes_, scratch + (n - 2) * unitBytes_, unitBytes_);
    }
    return src;
}

// Where each stretch of equal pixels starts in a row of 16-, 24- or 32-bit
// pixels coded as they are (see LinePlanner::plan_key).
const UInt32* Encoder::find_stretches(const UInt8* row) {
    const size_t n = units_;
    UInt32* starts = planner_.stretch_buffer(n);
    size_t count = 1;
    starts[0] = 0;
    auto scan = [&](auto load) {
        auto before = load(size_t(0));
        for (size_t i = 1; i < n; ++i) {
            const auto u = load(i);
            starts[count] = UInt32(i);
            count += u != before;
            before = u;
        }
    };
    // Only equality matters, so pixels are compared in host order.
    auto native = [](const UInt8* p, auto v) {
        std::memcpy(&v, p, sizeof v);
        return v;
    };
    if (depth_ == 32) {
        scan([&](size_t i) { return native(row + 4 * i, UInt32()); });
    } else if (depth_ == 16) {
        scan([&](size_t i) { return native(row + 2 * i, UInt16()); });
    } else {   // four-byte loads, all but the last inside the row, masked to the pixel
        const UInt32 mask = std::endian::native == std::endian::little ? 0x00FFFFFF : 0xFFFFFF00;
        scan([&](size_t i) {
            if (i + 1 < n) return native(row + 3 * i, UInt32()) & mask;
            UInt32 v = 0;   // the same three bytes in the same places
            std::memcpy(&v, row + 3 * i, 3);
            return v;
        });
    }
    starts[count] = UInt32(n);
    stretchCount_ = count;
    return starts;
}

// Whether row y differs between the frames in any pixel the stream keeps.
bool Encoder::line_changed(const ConstPixelView& cur, const ConstPixelView& prev, SInt32 y) const {
    const UInt8* a = cur.row(y);
    const UInt8* b = prev.row(y);
    if (depth_ == 24 && cur.depth == 32) {
        for (SInt32 x = 0; x < cur.width; ++x)
            if (std::memcmp(a + 4 * x + 1, b + 4 * x + 1, 3) != 0) return true;
        return false;
    }
    size_t whole = visible_;
    const unsigned bits = unsigned(UInt64(cur.width) * UInt64(cur.depth) % 8);
    if (bits) {
        --whole;
        if ((a[whole] ^ b[whole]) & UInt8(0xFF << (8 - bits))) return true;
    }
    return std::memcmp(a, b, whole) != 0;
}

Result<std::vector<UInt8>> encode_frame(const ConstPixelView& frame, int depth,
                                        const ConstPixelView* previous) {
    const size_t max = TRY(max_frame_size(frame.width, frame.height, depth));
    std::vector<UInt8> out(max);
    Encoder encoder;
    const size_t size = TRY(encoder.encode(frame, depth, previous, out));
    out.resize(size);
    return out;
}

}  // namespace platform::codecs::rle
