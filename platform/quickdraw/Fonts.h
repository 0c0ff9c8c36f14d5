// Fonts.h — the fonts text is drawn with: DejaVu via Fontconfig and
// FreeType, rendered glyphs kept in a cache.
//
// Font numbers: 0 (systemFont), 1 (applFont) and every number not listed
// here are DejaVu Sans; 2 and 20 are DejaVu Serif; 4 and 22 are DejaVu
// Sans Mono (each falling back to DejaVu Sans when absent). Bold uses the
// family's bold face; italic its oblique face, or the upright face slanted
// when there is none. Sizes are pixels (72 dpi): 0 means 12; the largest
// size drawn is 512.
#pragma once

#include <vector>

#include "platform/QuickDraw.h"
#include "platform/core/Result.h"

namespace platform::quickdraw {

// Finds and opens the fonts. The host calls it at launch: a failure names
// what is missing ("font DejaVu Sans not found (Debian package
// fonts-dejavu-core)"), and the application should not start without it.
// Drawing calls it themselves on first use; if the fonts are missing,
// text draws nothing and measures 0 wide, without crashing.
Result<void> init_text();

struct TextStyle {
    SInt16 font = applFont;
    SInt16 size = 12;
    SInt16 face = normal;
    bool mono = false;   // 1-bit glyphs (no anti-aliasing) for indexed ports

    bool operator==(const TextStyle&) const = default;
};

struct Glyph {
    SInt32 left = 0;     // bitmap's left edge, from the pen
    SInt32 top = 0;      // rows of the bitmap above the baseline
    SInt32 width = 0, height = 0;
    SInt32 pitch = 0;    // bytes per bitmap row
    SInt32 advance = 0;  // whole pixels the pen moves
    bool mono = false;   // bits (most significant first) instead of coverage bytes
    std::vector<UInt8> bits;

    // Coverage of pixel (x, y) of the bitmap: 0 .. 255.
    UInt8 coverage(SInt32 x, SInt32 y) const {
        const UInt8* row = bits.data() + size_t(y) * size_t(pitch);
        if (mono) return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
        return row[x];
    }
};

// The glyph of a character; nil when no font could be opened.
const Glyph* glyph_for(const TextStyle& style, char32_t ch);

struct TextMetrics {
    SInt16 ascent, descent, widMax, leading;
};
TextMetrics text_metrics(const TextStyle& style);

// The style a port's text settings give (size 0 -> 12, clamped sizes).
TextStyle make_style(SInt16 font, SInt16 size, SInt16 face, int depth);

}  // namespace platform::quickdraw
