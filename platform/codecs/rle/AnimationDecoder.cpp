// The Animation decoder. The stream layout is described in AnimationFormat.h.
//
// The frame header goes through ByteReader; the coded lines are read with
// a cursor over the same bounded bytes, where every code checks the bytes
// it needs and the units left in its line before anything is copied. The
// writers below only ever touch the visible bytes of a row.
#include "platform/codecs/rle/AnimationDecoder.h"

#include <cstring>

#include "platform/codecs/rle/AnimationFormat.h"
#include "platform/core/Bytes.h"

namespace platform::codecs::rle {
namespace {

Error bad(const char* message) { return fail(codecBadDataErr, message); }

// Bounded cursor over the lines of one frame.
struct Cursor {
    const UInt8* p;
    const UInt8* end;
    size_t left() const { return size_t(end - p); }
};

// --- Writers: put `len` units at unit position x of a row. Bounds are
// checked by the caller (x + len <= units per line).

// Direct colour, unit = pixel, same depth in and out.
template <int B>
struct DirectWriter {
    void literal(UInt8* row, size_t x, const UInt8* src, size_t len) const {
        std::memcpy(row + x * B, src, len * B);
    }
    void run(UInt8* row, size_t x, const UInt8* src, size_t len) const {
        UInt8* d = row + x * B;
        if constexpr (B == 4) {
            UInt32 v;
            std::memcpy(&v, src, 4);
            for (size_t k = 0; k < len; ++k) std::memcpy(d + 4 * k, &v, 4);
        } else if constexpr (B == 2) {
            UInt16 v;
            std::memcpy(&v, src, 2);
            for (size_t k = 0; k < len; ++k) std::memcpy(d + 2 * k, &v, 2);
        } else {
            for (size_t k = 0; k < len; ++k, d += B) std::memcpy(d, src, B);
        }
    }
};

// 24-bit units into a 32-bit row: R, G, B become 0xFF, R, G, B.
struct Expand24Writer {
    void literal(UInt8* row, size_t x, const UInt8* src, size_t len) const {
        UInt8* d = row + x * 4;
        for (size_t k = 0; k < len; ++k, d += 4, src += 3) {
            d[0] = 0xFF;
            d[1] = src[0];
            d[2] = src[1];
            d[3] = src[2];
        }
    }
    void run(UInt8* row, size_t x, const UInt8* src, size_t len) const {
        const UInt8 px[4] = {0xFF, src[0], src[1], src[2]};
        UInt32 v;
        std::memcpy(&v, px, 4);
        UInt8* d = row + x * 4;
        for (size_t k = 0; k < len; ++k) std::memcpy(d + 4 * k, &v, 4);
    }
};

// Indexed depths: units of B bytes; bytes past the row's visible bytes
// (the padding of the last unit) are dropped.
template <int B>
struct IndexedWriter {
    size_t visible;
    void literal(UInt8* row, size_t x, const UInt8* src, size_t len) const {
        size_t at = x * B;
        if (at >= visible) return;
        size_t n = len * B;
        if (n > visible - at) n = visible - at;
        std::memcpy(row + at, src, n);
    }
    void run(UInt8* row, size_t x, const UInt8* src, size_t len) const {
        size_t at = x * B;
        if (at >= visible) return;
        size_t n = len * B;
        if (n > visible - at) n = visible - at;
        UInt8* d = row + at;
        size_t whole = n / B;
        for (size_t k = 0; k < whole; ++k) std::memcpy(d + k * B, src, B);
        for (size_t k = whole * B; k < n; ++k) d[k] = src[k % B];
    }
};

// One coded line at depths 2 to 32.
template <int B, class Writer>
Result<void> decode_line(Cursor& c, UInt8* row, size_t units, const Writer& w) {
    if (c.left() < 1) return bad("line ends before its skip byte");
    size_t skip = *c.p++;
    if (skip == 0) return bad("skip byte 0");
    size_t x = skip - 1;
    if (x > units) return bad("skip past the end of the line");
    for (;;) {
        if (c.left() < 1) return bad("line ends without its end code");
        int code = SInt8(*c.p++);
        if (code == -1) return ok();
        if (code == 0) {
            if (c.left() < 1) return bad("skip code without its skip byte");
            skip = *c.p++;
            if (skip == 0) return bad("skip byte 0");
            if (skip - 1 > units - x) return bad("skip past the end of the line");
            x += skip - 1;
        } else if (code > 0) {
            size_t len = size_t(code);
            if (len > units - x) return bad("literal past the end of the line");
            if (c.left() < len * B) return bad("literal past the end of the data");
            w.literal(row, x, c.p, len);
            c.p += len * B;
            x += len;
        } else {
            size_t len = size_t(-code);
            if (len > units - x) return bad("run past the end of the line");
            if (c.left() < B) return bad("run past the end of the data");
            w.run(row, x, c.p, len);
            c.p += B;
            x += len;
        }
    }
}

template <int B, class Writer>
Result<void> decode_lines(Cursor& c, const PixelView& dst, SInt32 first, SInt32 count,
                          size_t units, const Writer& w) {
    for (SInt32 y = first; y < first + count; ++y) TRY(decode_line<B>(c, dst.row(y), units, w));
    return ok();
}

// The 1-bit form: pairs of (skip, code) until code 0.
Result<void> decode_pairs(Cursor& c, const PixelView& dst, SInt32 first, SInt32 count,
                          size_t units) {
    const IndexedWriter<2> w{visible_row_bytes(dst.width, 1)};
    SInt32 line = -1;
    size_t x = 0;
    for (;;) {
        if (c.left() == 0) return ok();   // data ended at a pair boundary
        if (c.left() < 2) return bad("pair cut short");
        UInt8 skip = c.p[0];
        int code = SInt8(c.p[1]);
        c.p += 2;
        if (code == 0) return ok();
        if (skip & 0x80) {
            if (++line >= count) return bad("more lines than the line range holds");
            x = skip & 0x7F;
        } else {
            if (line < 0) return bad("units before the first line");
            x += skip;
        }
        if (x > units) return bad("skip past the end of the line");
        if (code == -1) continue;
        UInt8* row = dst.row(first + line);
        if (code > 0) {
            size_t len = size_t(code);
            if (len > units - x) return bad("literal past the end of the line");
            if (c.left() < len * 2) return bad("literal past the end of the data");
            w.literal(row, x, c.p, len);
            c.p += len * 2;
            x += len;
        } else {
            size_t len = size_t(-code);
            if (len > units - x) return bad("run past the end of the line");
            if (c.left() < 2) return bad("run past the end of the data");
            w.run(row, x, c.p, len);
            c.p += 2;
            x += len;
        }
    }
}

}  // namespace

Result<void> decode_frame(std::span<const UInt8> data, int depth, const PixelView& dst) {
    const Geometry g = Geometry::of(depth, dst.width);
    if (!g.valid()) return fail(paramErr, "unsupported depth");
    TRY(check_view(dst));
    if (dst.depth != depth && !(depth == 24 && dst.depth == 32))
        return fail(paramErr, "destination depth does not match the stream");

    if (data.size() < kMinFrameBytes) return ok();
    ByteReader r(data, codecBadDataErr);
    const UInt32 chunk = TRY(r.u32()) & kChunkSizeMask;
    if (chunk > data.size()) return bad("chunk size larger than the data");
    if (chunk < 4) return bad("chunk size smaller than its own field");
    if (chunk < kMinFrameBytes) return ok();
    ByteReader frame = TRY(r.view(0, chunk));
    TRY(frame.skip(4));

    const UInt16 header = TRY(frame.u16());
    SInt32 first = 0, count = dst.height;
    if (header & kHeaderLineRange) {
        first = TRY(frame.u16());
        TRY(frame.skip(2));
        count = TRY(frame.u16());
        TRY(frame.skip(2));
        if (first > dst.height || count > dst.height - first)
            return bad("line range past the image height");
    }

    Cursor c{frame.data().data() + frame.position(), frame.data().data() + frame.size()};
    const size_t units = size_t(g.units);
    switch (depth) {
    case 32: return decode_lines<4>(c, dst, first, count, units, DirectWriter<4>{});
    case 24:
        if (dst.depth == 32) return decode_lines<3>(c, dst, first, count, units, Expand24Writer{});
        return decode_lines<3>(c, dst, first, count, units, DirectWriter<3>{});
    case 16: return decode_lines<2>(c, dst, first, count, units, DirectWriter<2>{});
    case 8:
    case 4:
    case 2:
        return decode_lines<4>(c, dst, first, count, units,
                               IndexedWriter<4>{visible_row_bytes(dst.width, depth)});
    default: return decode_pairs(c, dst, first, count, units);
    }
}

}  // namespace platform::codecs::rle
