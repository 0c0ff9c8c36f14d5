// Fonts through Fontconfig (finding the files) and FreeType (rendering).
#include "platform/quickdraw/Fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/core/ProcessExit.h"

namespace platform::quickdraw {
namespace {

enum Family { kSans, kSerif, kMono, kFamilyCount };
enum Variant { kRegular, kBold, kOblique, kBoldOblique, kVariantCount };

const char* const kFamilyNames[kFamilyCount] = {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"};

constexpr SInt16 kDefaultSize = 12;
constexpr SInt16 kMaxSize = 512;
constexpr size_t kMaxCachedGlyphs = 4096;

struct FontFace {
    FT_Face face = nullptr;
    bool slant = false;     // draw the upright face slanted (no oblique face)
    bool embolden = false;  // draw the regular face heavier (no bold face)
};

struct Fonts {
    bool tried = false;
    Result<void> status = ok();
    FT_Library library = nullptr;
    std::array<std::array<FontFace, kVariantCount>, kFamilyCount> faces{};
    std::unordered_map<UInt64, Glyph> glyphs;
    // The face and size FreeType is currently set to.
    FT_Face sizedFace = nullptr;
    SInt16 sizedTo = 0;
};

Fonts& fonts() {
    static Fonts* f = new Fonts;   // never torn down: glyph pointers stay valid
    return *f;
}

// The file Fontconfig has for exactly this family in this weight and
// slant; empty when it only offers a substitute.
std::string find_font_file(const char* family, bool bold, bool oblique, bool& exactStyle) {
    exactStyle = false;
    FcPattern* pat = FcPatternCreate();
    if (!pat) return {};
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, oblique ? FC_SLANT_OBLIQUE : FC_SLANT_ROMAN);
    FcPatternAddInteger(pat, FC_WIDTH, FC_WIDTH_NORMAL);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    FcPatternDestroy(pat);
    if (!match) return {};

    std::string path;
    bool familyMatches = false;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (std::string(reinterpret_cast<char*>(name)) == family) familyMatches = true;
    FcChar8* file = nullptr;
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, width = FC_WIDTH_NORMAL;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    FcPatternGetInteger(match, FC_WIDTH, 0, &width);
    if (familyMatches && width == FC_WIDTH_NORMAL && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        path = reinterpret_cast<char*>(file);
        exactStyle = (weight >= FC_WEIGHT_BOLD) == bold && (slant != FC_SLANT_ROMAN) == oblique;
    }
    FcPatternDestroy(match);
    return path;
}

FT_Face open_face(FT_Library lib, const std::string& path) {
    if (path.empty()) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) return nullptr;
    return face;
}

// Opens every family and variant; the regular and bold sans faces are
// required, everything else falls back.
Result<void> load_fonts(Fonts& f) {
    if (!FcInit()) return fail(fnfErr, "Fontconfig could not be initialised");
    // Its caches are otherwise left to the leak checker, which runs at exit
    // or, when the application ends through ExitToShell, after its hooks.
    static bool finished = false;
    auto finish = [] {
        if (!std::exchange(finished, true)) FcFini();
    };
    std::atexit(finish);
    process::add_exit_hook(finish);
    if (FT_Init_FreeType(&f.library) != 0) return fail(memFullErr, "FreeType could not be initialised");

    for (int fam = 0; fam < kFamilyCount; ++fam) {
        for (int v = 0; v < kVariantCount; ++v) {
            bool bold = v == kBold || v == kBoldOblique, oblique = v == kOblique || v == kBoldOblique;
            bool exact = false;
            std::string path = find_font_file(kFamilyNames[fam], bold, oblique, exact);
            if (exact) f.faces[fam][v].face = open_face(f.library, path);
        }
        auto& faces = f.faces[fam];
        if (!faces[kRegular].face) continue;
        // Missing styles are made from the ones there are.
        if (!faces[kBold].face) faces[kBold] = FontFace{faces[kRegular].face, false, true};
        if (!faces[kOblique].face) faces[kOblique] = FontFace{faces[kRegular].face, true, false};
        if (!faces[kBoldOblique].face) {
            FontFace b = faces[kBold];
            faces[kBoldOblique] = FontFace{b.face, true, b.embolden};
        }
    }
    if (!f.faces[kSans][kRegular].face)
        return fail(fnfErr, "font DejaVu Sans not found (Debian package fonts-dejavu-core)");
    if (f.faces[kSans][kBold].embolden)
        return fail(fnfErr, "font DejaVu Sans Bold not found (Debian package fonts-dejavu-core)");
    return ok();
}

Fonts* ready_fonts() {
    Fonts& f = fonts();
    if (!f.tried) {
        f.tried = true;
        f.status = load_fonts(f);
    }
    return f.faces[kSans][kRegular].face ? &f : nullptr;
}

Family family_of(SInt16 font) {
    switch (font) {
    case 2:
    case 20: return kSerif;
    case 4:
    case 22: return kMono;
    default: return kSans;
    }
}

const FontFace& face_for(Fonts& f, const TextStyle& s) {
    Family fam = family_of(s.font);
    if (!f.faces[fam][kRegular].face) fam = kSans;
    const bool wantBold = s.face & ::bold, wantOblique = s.face & ::italic;
    Variant v = wantBold ? (wantOblique ? kBoldOblique : kBold) : (wantOblique ? kOblique : kRegular);
    return f.faces[fam][v];
}

bool set_size(Fonts& f, FT_Face face, SInt16 size) {
    if (f.sizedFace == face && f.sizedTo == size) return true;
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0) return false;
    f.sizedFace = face;
    f.sizedTo = size;
    return true;
}

bool render(Fonts& f, const FontFace& ff, const TextStyle& s, char32_t ch, Glyph& g) {
    FT_Face face = ff.face;
    if (!set_size(f, face, s.size)) return false;
    FT_UInt index = FT_Get_Char_Index(face, FT_ULong(ch));
    FT_Int32 flags = FT_LOAD_DEFAULT | (s.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, index, flags) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    FT_Pos extra = 0;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (ff.embolden) {
            extra = std::max<FT_Pos>(64, FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24);
            FT_Outline_EmboldenXY(&slot->outline, extra, 0);
        }
        if (ff.slant) {
            FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};   // about 12 degrees
            FT_Outline_Transform(&slot->outline, &shear);
        }
    }
    if (FT_Render_Glyph(slot, s.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;

    const FT_Bitmap& bm = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = SInt32(bm.width);
    g.height = SInt32(bm.rows);
    g.advance = SInt32((slot->advance.x + extra + 32) >> 6);
    g.mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!g.mono && bm.pixel_mode != FT_PIXEL_MODE_GRAY) {
        g.width = g.height = 0;   // a format we do not draw: keep the advance only
    }
    g.pitch = g.mono ? (g.width + 7) / 8 : g.width;
    g.bits.assign(size_t(g.pitch) * size_t(g.height), 0);
    const int srcPitch = bm.pitch;
    for (SInt32 y = 0; y < g.height; ++y) {
        const unsigned char* row = srcPitch >= 0 ? bm.buffer + size_t(y) * size_t(srcPitch)
                                                 : bm.buffer + size_t(g.height - 1 - y) * size_t(-srcPitch);
        std::copy(row, row + g.pitch, g.bits.begin() + ptrdiff_t(size_t(y) * size_t(g.pitch)));
    }
    return true;
}

}  // namespace

Result<void> init_text() {
    ready_fonts();
    return fonts().status;
}

TextStyle make_style(SInt16 font, SInt16 size, SInt16 face, int depth) {
    TextStyle s;
    s.font = font;
    s.size = size <= 0 ? kDefaultSize : std::min(size, kMaxSize);
    s.face = face;
    s.mono = depth <= 8;
    return s;
}

const Glyph* glyph_for(const TextStyle& style, char32_t ch) {
    Fonts* f = ready_fonts();
    if (!f) return nullptr;
    const FontFace& ff = face_for(*f, style);
    // Key: the face slot (by address), size, mono, code point.
    const UInt64 slot = UInt64(&ff - &f->faces[0][0]);
    const UInt64 key = (slot << 56) | (UInt64(style.mono) << 55) | (UInt64(UInt16(style.size)) << 32) | UInt64(ch);
    if (auto it = f->glyphs.find(key); it != f->glyphs.end()) return &it->second;
    Glyph g;
    if (!render(*f, ff, style, ch, g)) {
        if (ch == 0xFFFD) return nullptr;
        return glyph_for(style, 0xFFFD);
    }
    if (f->glyphs.size() >= kMaxCachedGlyphs) f->glyphs.clear();
    return &f->glyphs.emplace(key, std::move(g)).first->second;
}

TextMetrics text_metrics(const TextStyle& style) {
    Fonts* f = ready_fonts();
    if (!f || !set_size(*f, face_for(*f, style).face, style.size)) {
        // No font: proportions of a typical sans face, so layout still works.
        SInt16 a = SInt16((style.size * 3 + 2) / 4);
        return TextMetrics{a, SInt16(style.size - a), style.size, 0};
    }
    const FT_Size_Metrics& m = face_for(*f, style).face->size->metrics;
    SInt16 ascent = SInt16((m.ascender + 63) >> 6);
    SInt16 descent = SInt16((-m.descender + 63) >> 6);
    SInt16 height = SInt16((m.height + 32) >> 6);
    return TextMetrics{ascent, descent, SInt16((m.max_advance + 32) >> 6),
                       SInt16(std::max(0, height - ascent - descent))};
}

}  // namespace platform::quickdraw
