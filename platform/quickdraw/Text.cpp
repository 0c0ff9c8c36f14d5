// Drawing and measuring text in the current port.
//
// Text is UTF-8 (a malformed byte counts as U+FFFD); DrawChar and CharWidth
// take one character code, 0x80-0xFF meaning the Latin-1 characters. The
// pen sits on the baseline at the left of the first character and moves
// right by the text's width. Transfer modes: srcOr (the default) draws only
// the glyphs' pixels in the fore colour; srcCopy first fills the text's
// line box with the back colour; srcXor inverts under the glyphs; srcBic
// paints them in the back colour. Ports of 8 bits or less get 1-bit glyphs,
// so only the exact colour index is written; deeper ports blend the
// anti-aliased glyph edges with what is there.
#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/quickdraw/Fonts.h"
#include "platform/quickdraw/Painter.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Rects.h"

using namespace platform::quickdraw;

namespace {

std::u32string decode_utf8(const UInt8* s, size_t n) {
    std::u32string out;
    out.reserve(n);
    size_t i = 0;
    while (i < n) {
        UInt8 b = s[i];
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool good = len > 0 && i + size_t(len) <= n;
        for (int k = 1; good && k < len; ++k) {
            if ((s[i + size_t(k)] & 0xC0) != 0x80) good = false;
            else cp = (cp << 6) | (s[i + size_t(k)] & 0x3F);
        }
        static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (good && (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) good = false;
        if (good) {
            out.push_back(cp);
            i += size_t(len);
        } else {
            out.push_back(0xFFFD);
            ++i;
        }
    }
    return out;
}

TextStyle style_of(GrafPort& port) { return make_style(port.text.font, port.text.size, port.text.face, port.depth()); }

SInt32 measure(const TextStyle& style, std::u32string_view text) {
    SInt32 w = 0;
    for (char32_t ch : text)
        if (const Glyph* g = glyph_for(style, ch)) w += g->advance;
    return w;
}

SInt16 clamp16(SInt32 v) { return SInt16(std::clamp<SInt32>(v, -32768, 32767)); }

UInt8 blend(UInt8 over, UInt8 under, UInt32 c) { return UInt8((over * c + under * (255 - c) + 127) / 255); }

struct GlyphPainter {
    const PixMap& pm;
    int depth;
    int op;             // 0 copy/or (fore colour), 2 invert, 3 back colour
    UInt32 pixel;       // what op 0 / 3 writes at indexed depths (and when fully covered)
    RGB8 color;         // what op 0 / 3 blends in at direct depths
    bool antialiased;

    void put(UInt8* row, SInt32 x, UInt32 c) const {
        if (op == 2) {
            if (c >= 128) write_pixel(row, x, depth, read_pixel(row, x, depth) ^ invert_mask(depth));
            return;
        }
        if (!antialiased || c == 255) {
            if (c >= 128) write_pixel(row, x, depth, pixel);
            return;
        }
        UInt32 old = read_pixel(row, x, depth);
        RGB8 under = depth == 16 ? unpack16(old) : unpack32(old);
        RGB8 mixed{blend(color.r, under.r, c), blend(color.g, under.g, c), blend(color.b, under.b, c)};
        write_pixel(row, x, depth, depth == 16 ? pack16(mixed) : (old & 0xFF000000u) | rgb_key(mixed));
    }
};

void draw_text(std::u32string_view text) {
    GrafPort& port = current_port();
    const TextStyle style = style_of(port);
    const SInt32 startX = port.pen.pnLoc.h, baseY = port.pen.pnLoc.v;
    const int mode = port.text.mode & 3;

    if (mode == 0) {   // srcCopy: the line box gets the back colour first
        TextMetrics m = text_metrics(style);
        fill_rect(port, to_rect(startX, baseY - m.ascent, startX + measure(style, text), baseY + m.descent),
                  Fill{FillOp::set, port.back_pixel()});
    }

    const PixMap& pm = port.pixmap();
    const bool useBack = mode == 3;
    GlyphPainter painter{pm,
                         pm.pixelSize,
                         mode == 2 ? 2 : (useBack ? 3 : 0),
                         useBack ? port.back_pixel() : port.fore_pixel(),
                         to_rgb8(useBack ? port.back : port.fore),
                         !style.mono};
    const Region& clip = port.effective_clip();
    const SInt32 ox = pm.bounds.left, oy = pm.bounds.top;
    SInt32 x = startX;
    Region drawn;
    for (char32_t ch : text) {
        const Glyph* g = glyph_for(style, ch);
        if (!g) continue;
        const SInt32 gx = x + g->left, gy = baseY - g->top;
        x += g->advance;
        if (g->width <= 0 || g->height <= 0) continue;
        for (const auto& b : clip.boxes()) {
            const SInt32 x0 = std::max(gx, b.x1), x1 = std::min(gx + g->width, b.x2);
            const SInt32 y0 = std::max(gy, b.y1), y1 = std::min(gy + g->height, b.y2);
            if (x0 >= x1 || y0 >= y1) continue;
            for (SInt32 y = y0; y < y1; ++y) {
                UInt8* row = pixel_row(pm, y - oy);
                for (SInt32 px = x0; px < x1; ++px)
                    if (UInt32 c = g->coverage(px - gx, y - gy)) painter.put(row, px - ox, c);
            }
            drawn.unite(to_rect(x0, y0, x1, y1));
        }
    }
    if (!drawn.empty()) note_drawn(pm.baseAddr, platform::kit::offset(drawn.bounds(), -ox, -oy));
    if (port.text.face & underline) {
        auto fill = mode == 2 ? Fill{FillOp::invert, 0} : Fill{FillOp::set, painter.pixel};
        fill_rect(port, to_rect(startX, baseY + 1, x, baseY + 2), fill);
    }
    port.pen.pnLoc.h = clamp16(x);
}

char32_t char_of(CharParameter ch) { return char32_t(UInt8(ch)); }

}  // namespace

void TextFont(SInt16 font) { current_port().text.font = font; }
void TextSize(SInt16 size) { current_port().text.size = size; }
void TextFace(SInt16 face) { current_port().text.face = face; }
void TextMode(SInt16 mode) { current_port().text.mode = mode; }

void DrawChar(CharParameter ch) {
    char32_t c = char_of(ch);
    draw_text(std::u32string_view(&c, 1));
}

void DrawString(ConstStr255Param s) {
    if (s) draw_text(decode_utf8(s + 1, s[0]));
}

void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount) {
    if (!textBuf || firstByte < 0 || byteCount <= 0) return;
    draw_text(decode_utf8(static_cast<const UInt8*>(textBuf) + firstByte, size_t(byteCount)));
}

SInt16 StringWidth(ConstStr255Param s) {
    if (!s) return 0;
    return clamp16(measure(style_of(current_port()), decode_utf8(s + 1, s[0])));
}

SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount) {
    if (!textBuf || firstByte < 0 || byteCount <= 0) return 0;
    return clamp16(measure(style_of(current_port()),
                           decode_utf8(static_cast<const UInt8*>(textBuf) + firstByte, size_t(byteCount))));
}

SInt16 CharWidth(CharParameter ch) {
    char32_t c = char_of(ch);
    return clamp16(measure(style_of(current_port()), std::u32string_view(&c, 1)));
}

void GetFontInfo(FontInfo* info) {
    if (!info) return;
    TextMetrics m = text_metrics(style_of(current_port()));
    *info = FontInfo{m.ascent, m.descent, m.widMax, m.leading};
}
