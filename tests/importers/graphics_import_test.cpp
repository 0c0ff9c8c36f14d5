// Graphics importers: every format drawn pixel-exactly against its reference
// library's own decode, at 32 and 8 bits, at natural size; a JPEG turned as
// its Exif orientation says; files recognised by content; damaged files
// refused with their codes.
#include <zlib.h>

#include <algorithm>
#include <functional>

#include "platform/Components.h"
#include "platform/core/Bytes.h"
#include "platform/importers/ImageFormats.h"
#include "tests/importers/ImageTestFiles.h"
#include "tests/importers/ImporterTestSupport.h"

namespace {

// A deterministic pattern value for (x, y, channel).
UInt32 pattern(UInt32 x, UInt32 y, UInt32 c, UInt32 max) { return (x * 37 + y * 91 + c * 53 + x * y) % (max + 1); }

// Packs `bits`-wide samples, most significant first, into PNG rows.
Bytes pack_rows(UInt32 w, UInt32 h, int samplesPerPixel, int bits, UInt32 max) {
    Bytes out;
    for (UInt32 y = 0; y < h; ++y) {
        UInt32 acc = 0;
        int filled = 0;
        for (UInt32 x = 0; x < w; ++x)
            for (int c = 0; c < samplesPerPixel; ++c) {
                const UInt32 v = pattern(x, y, c, max);
                if (bits == 16) {
                    out.insert(out.end(), {UInt8(v >> 8), UInt8(v)});
                } else if (acc = (acc << bits) | v, filled += bits; filled == 8) {
                    out.push_back(UInt8(acc));
                    acc = 0, filled = 0;
                }
            }
        if (filled) out.push_back(UInt8(acc << (8 - filled)));
    }
    return out;
}

struct PngCase {
    const char* name;
    PngSpec spec;
    bool knownAnswer;   // 16-bit and low-bit grey: expected from the pattern
};

PngSpec png_spec(UInt32 w, UInt32 h, int colorType, int bits, bool interlaced = false) {
    PngSpec s;
    s.width = w, s.height = h, s.colorType = colorType, s.bitDepth = bits, s.interlaced = interlaced;
    int samples = colorType == PNG_COLOR_TYPE_RGB ? 3 : colorType == PNG_COLOR_TYPE_RGBA ? 4 : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
    UInt32 max = colorType == PNG_COLOR_TYPE_PALETTE ? (1u << bits) - 1 : (bits == 16 ? 65535u : (1u << bits) - 1);
    s.rows = pack_rows(w, h, samples, bits, max);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        for (UInt32 i = 0; i <= max; ++i) s.palette.push_back({UInt8(i * 29), UInt8(255 - i * 7), UInt8(i * 113)});
    return s;
}

// The known answer for 16-bit and low-bit grey images: samples scaled
// exactly to 8 bits, grey copied to R, G, B, alpha composited on white.
Bytes known_rgba(const PngSpec& s) {
    Bytes rgba;
    const bool grey = !(s.colorType & PNG_COLOR_MASK_COLOR);
    const bool alpha = s.colorType & PNG_COLOR_MASK_ALPHA;
    const UInt32 max = s.bitDepth == 16 ? 65535u : (1u << s.bitDepth) - 1;
    auto to8 = [&](UInt32 v) {
        return s.bitDepth == 16 ? UInt8((v * 255 + 32767) / 65535) : UInt8(v * 255 / max);
    };
    for (UInt32 y = 0; y < s.height; ++y)
        for (UInt32 x = 0; x < s.width; ++x) {
            UInt8 c[3];
            for (int i = 0; i < 3; ++i) c[i] = to8(pattern(x, y, grey ? 0 : i, max));
            UInt8 a = alpha ? to8(pattern(x, y, grey ? 1 : 3, max)) : 255;
            rgba.insert(rgba.end(), {c[0], c[1], c[2], a});
        }
    return rgba;
}

std::vector<PngCase> png_cases() {
    std::vector<PngCase> cases = {
        {"rgb8", png_spec(23, 17, PNG_COLOR_TYPE_RGB, 8), false},          {"rgba8", png_spec(19, 13, PNG_COLOR_TYPE_RGBA, 8), false},
        {"grey8", png_spec(9, 31, PNG_COLOR_TYPE_GRAY, 8), false},         {"greyalpha8", png_spec(12, 12, PNG_COLOR_TYPE_GRAY_ALPHA, 8), false},
        {"interlaced_rgba8", png_spec(33, 21, PNG_COLOR_TYPE_RGBA, 8, true), false}, {"grey16", png_spec(11, 6, PNG_COLOR_TYPE_GRAY, 16), true},
        {"rgb16", png_spec(10, 9, PNG_COLOR_TYPE_RGB, 16), true},          {"rgba16", png_spec(10, 9, PNG_COLOR_TYPE_RGBA, 16), true},
        {"greyalpha16", png_spec(7, 7, PNG_COLOR_TYPE_GRAY_ALPHA, 16, true), true}};
    for (int bits : {1, 2, 4, 8}) {
        PngCase c{"palette", png_spec(15, 7, PNG_COLOR_TYPE_PALETTE, bits), false};
        if (bits == 8) c.spec.trns = {0, 1, 127, 128, 254, 255, 64};   // alphas for the first entries
        cases.push_back(c);
    }
    for (int bits : {1, 2, 4}) cases.push_back({"grey_low", png_spec(13, 5, PNG_COLOR_TYPE_GRAY, bits), true});
    PngCase keyed{"rgb8_trns_colour", png_spec(16, 16, PNG_COLOR_TYPE_RGB, 8), false};
    keyed.spec.greyTrns = true;
    keyed.spec.trnsColor = {0, UInt16(pattern(3, 4, 0, 255)), UInt16(pattern(3, 4, 1, 255)), UInt16(pattern(3, 4, 2, 255)), 0};
    cases.push_back(keyed);
    return cases;
}

// Checks one file against its expected RGBA at 32 and 8 bits, natural size;
// a lossy format is held to a mean difference of `tolerance` per channel,
// at 32 bits only.
void check_draws(const std::filesystem::path& path, const Bytes& rgba, int w, int h, double tolerance = 0) {
    ASSERT_FALSE(rgba.empty()) << "ffmpeg could not decode " << path;
    Importer im(path);
    ASSERT_EQ(im.err, noErr);
    Rect natural{}, bounds{}, want{0, 0, SInt16(h), SInt16(w)};
    ASSERT_EQ(std::tuple(GraphicsImportGetNaturalBounds(im.gi, &natural), GraphicsImportGetBoundsRect(im.gi, &bounds)),
              std::tuple(OSErr(noErr), OSErr(noErr)));
    EXPECT_TRUE(EqualRect(&natural, &want) && EqualRect(&bounds, &want));
    if (tolerance) {
        Bytes drawn = draw_with(im.gi, 32, w, h), want = expected_from_rgba(rgba, w, h, 32);
        ASSERT_EQ(drawn.size(), want.size());
        double sum = 0;
        for (size_t i = 0; i < drawn.size(); ++i) sum += std::abs(int(drawn[i]) - int(want[i]));
        EXPECT_LE(sum / double(drawn.size()), tolerance) << "mean difference per channel";
        return;
    }
    for (int depth : {32, 8}) EXPECT_EQ(draw_with(im.gi, depth, w, h), expected_from_rgba(rgba, w, h, depth)) << depth;
}

TEST(GraphicsImport, PngDrawsLikeFfmpegDecodesIt) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    for (const PngCase& c : png_cases()) {
        SCOPED_TRACE(std::string(c.name) + " bits " + std::to_string(c.spec.bitDepth));
        auto path = dir / "image.png";
        write_bytes(path, write_png(c.spec));
        const UInt32 w = c.spec.width, h = c.spec.height;
        check_draws(path, c.knownAnswer ? known_rgba(c.spec) : ffmpeg_rgba(path, w, h), int(w), int(h));
    }
}

TEST(GraphicsImport, JpegDrawsLikeFfmpegDecodesIt) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    struct Case {
        const char* name;
        int components;
        bool progressive;
        int quality;
    } cases[] = {{"rgb", 3, false, 90}, {"grey", 1, false, 75}, {"progressive", 3, true, 60}};
    const UInt32 w = 37, h = 23;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes samples;
        for (UInt32 y = 0; y < h; ++y)
            for (UInt32 x = 0; x < w; ++x)
                for (int k = 0; k < c.components; ++k)   // smooth, so chroma upsampling stays close
                    samples.push_back(UInt8(x * 3 + y * 2 + UInt32(k) * 50));
        auto path = dir / "photo.jpg";
        write_bytes(path, write_jpeg(w, h, c.components, samples, c.quality, c.progressive));
        // Two decoders of one JPEG differ by their IDCT and chroma upsampling.
        check_draws(path, ffmpeg_rgba(path, w, h), int(w), int(h), 2.0);
    }
}

// A photo taken on its side says so in its Exif block: it is shown turned
// and mirrored as its orientation says (as ffmpeg's flips and transposes
// show the stored picture), measured upright. A damaged block leaves the
// picture as stored.
TEST(GraphicsImport, JpegShowsAsItsExifOrientationSays) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    const UInt32 w = 37, h = 23;
    Bytes samples;
    for (UInt32 y = 0; y < h; ++y)
        for (UInt32 x = 0; x < w; ++x) samples.insert(samples.end(), {UInt8(x * 6), UInt8(y * 10), UInt8(128)});
    const Bytes stored = write_jpeg(w, h, 3, samples, 90);
    const auto stored_path = dir / "stored.jpg", path = dir / "photo.jpg";
    write_bytes(stored_path, stored);
    // After the start of image: an APP1 of Exif, a big-endian TIFF header
    // and its directory at `directory`, of the one entry.
    auto with_exif = [&](UInt8 orientation, UInt8 directory) {
        const Bytes exif = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, directory, 0, 1,
                            0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, orientation, 0, 0, 0, 0, 0, 0};
        Bytes file(stored.begin(), stored.begin() + 2);
        file.insert(file.end(), {0xFF, 0xE1, 0, UInt8(2 + exif.size())});
        file.insert(file.end(), exif.begin(), exif.end());
        file.insert(file.end(), stored.begin() + 2, stored.end());
        return file;
    };
    const char* shown_as[] = {"", "", "hflip", "hflip,vflip", "vflip", "transpose=cclock_flip", "transpose=clock",
                              "transpose=clock_flip", "transpose=cclock"};
    for (UInt8 o = 1; o <= 8; ++o) {
        SCOPED_TRACE(int(o));
        write_bytes(path, with_exif(o, 8));
        const UInt32 shown_w = o >= 5 ? h : w, shown_h = o >= 5 ? w : h;
        check_draws(path, ffmpeg_rgba(stored_path, shown_w, shown_h, shown_as[o]), int(shown_w), int(shown_h), 2.0);
    }
    write_bytes(path, with_exif(6, 200));   // its directory past the block's end
    check_draws(path, ffmpeg_rgba(stored_path, w, h), int(w), int(h), 2.0);
}

GifSpec gif_spec(int colors) {
    GifSpec s;
    s.screenW = s.width = 21, s.screenH = s.height = 14;
    for (int i = 0; i < colors; ++i) s.colors.push_back({UInt8(i * 61), UInt8(i * 17), UInt8(255 - i * 33)});
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) s.indexes.push_back(UInt8(pattern(x, y, 0, colors - 1)));
    return s;
}

TEST(GraphicsImport, GifDrawsLikeFfmpegDecodesIt) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    std::vector<std::pair<const char*, GifSpec>> cases = {{"global", gif_spec(16)}, {"local", gif_spec(8)},
                                                          {"transparent", gif_spec(4)}, {"interlaced", gif_spec(32)},
                                                          {"placed", gif_spec(2)}};
    cases[1].second.localTable = true;
    cases[2].second.transparent = 2;
    cases[3].second.interlaced = true;
    GifSpec& placed = cases[4].second;   // a smaller first image inside the screen; a second image ignored
    placed.screenW = 30, placed.screenH = 20, placed.left = 5, placed.top = 3, placed.secondFrame = true;
    for (auto& [name, spec] : cases) {
        SCOPED_TRACE(name);
        auto path = dir / "anim.gif";
        write_bytes(path, write_gif(spec));
        const UInt32 w = UInt32(spec.screenW), h = UInt32(spec.screenH);
        Bytes rgba = ffmpeg_rgba(path, w, h);
        // ffmpeg fills the screen around the image with the background
        // colour; we leave it transparent, so it draws as white.
        for (UInt32 y = 0; y < h && !rgba.empty(); ++y)
            for (UInt32 x = 0; x < w; ++x)
                if (int(x) < spec.left || int(x) >= spec.left + spec.width || int(y) < spec.top || int(y) >= spec.top + spec.height)
                    rgba[(size_t(y) * w + x) * 4 + 3] = 0;
        check_draws(path, rgba, int(w), int(h));
    }
}

// --- Damaged files.

// The file with a PNG chunk's data rewritten in place and its CRC fixed.
Bytes png_patched(Bytes png, const char* type, std::initializer_list<UInt8> bytes) {
    for (size_t p = 8; p + 12 <= png.size();) {
        UInt32 len = platform::load_u32be(&png[p]);
        if (std::memcmp(&png[p + 4], type, 4) == 0) {
            std::copy(bytes.begin(), bytes.end(), png.begin() + long(p + 8));
            platform::store_u32be(&png[p + 8 + len], UInt32(crc32(0, &png[p + 4], len + 4)));
            break;
        }
        p += 12 + len;
    }
    return png;
}

// A 1x1 GIF with a 2-entry colour table whose only pixel is `index`,
// LZW-coded by hand with 2-bit codes: clear (4), index, end (5).
Bytes tiny_gif(UInt8 index) {
    UInt32 bits = 4 | (UInt32(index) << 3) | (5u << 6);
    return {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
            0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, UInt8(bits), UInt8(bits >> 8), 0, 0x3B};
}

Bytes head(const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + long(n)); }

TEST(GraphicsImport, DamagedImagesAreRefusedWithTheirCodes) {
    TempFolder dir;
    const Bytes png = write_png(png_spec(40, 30, PNG_COLOR_TYPE_RGB, 8));
    Bytes samples(64 * 48 * 3);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = UInt8(i * 7);
    const Bytes jpeg = write_jpeg(64, 48, 3, samples, 85);
    const UInt8 sof0[] = {0xFF, 0xC0};   // SOF0: FF C0, length, precision, height, width
    const size_t sof = size_t(std::search(jpeg.begin(), jpeg.end(), sof0, sof0 + 2) - jpeg.begin());
    ASSERT_LT(sof, jpeg.size());
    PngSpec badPalette = png_spec(4, 4, PNG_COLOR_TYPE_PALETTE, 8);
    badPalette.palette.resize(3);   // indexes run to 15
    const Bytes gif = tiny_gif(1);

    struct Case {
        std::string name;
        Bytes bytes;
        OSErr open;   // from GetGraphicsImporterForFile
        OSErr draw;   // from the first draw, when it opened
    };
    // Every file here is named "damaged": the format is found by content.
    const Case cases[] = {
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}, cantFindHandler, noErr},
        {"empty", Bytes{}, cantFindHandler, noErr},
        {"png truncated in its data", head(png, png.size() / 2), noErr, codecBadDataErr},
        {"png cut inside its header", head(png, 20), codecBadDataErr, noErr},
        {"png zero width", png_patched(png, "IHDR", {0, 0, 0, 0}), codecBadDataErr, noErr},
        {"png huge", png_patched(png, "IHDR", {0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20}), codecSizeErr, noErr},
        {"png over 64 megapixels", png_patched(png, "IHDR", {0, 0, 0x40, 0, 0, 0, 0x10, 0x01}), codecSizeErr, noErr},
        {"png bad header checksum", with(png, [](Bytes& b) { b[29] ^= 0xFF; }), codecBadDataErr, noErr},
        {"png index past the palette", write_png(badPalette), noErr, codecBadDataErr},
        {"jpeg truncated", head(jpeg, jpeg.size() * 2 / 3), noErr, codecBadDataErr},
        {"jpeg huge", with(jpeg, [&](Bytes& b) { b[sof + 5] = b[sof + 7] = 0x4E, b[sof + 6] = b[sof + 8] = 0x20; }), codecSizeErr, noErr},
        {"jpeg zero height", with(jpeg, [&](Bytes& b) { b[sof + 5] = b[sof + 6] = 0; }), codecBadDataErr, noErr},
        {"jpeg only its start", head(jpeg, 4), codecBadDataErr, noErr},
        {"gif hand-made, valid", gif, noErr, noErr},
        {"gif index past the palette", tiny_gif(3), noErr, codecBadDataErr},
        {"gif zero width", with(gif, [](Bytes& b) { b[6] = b[7] = 0; }), codecBadDataErr, noErr},
        {"gif without its image data", head(gif, 29), noErr, codecBadDataErr},
        {"gif without an image", with(head(gif, 19), [](Bytes& b) { b.push_back(0x3B); }), noErr, codecBadDataErr},
        {"qtif atom past the end", Bytes{0, 0, 0, 100, 'i', 'd', 's', 'c', 0, 0}, codecBadDataErr, noErr},
        {"qtif without a description", Bytes{0, 0, 0, 8, 'i', 'd', 'a', 't'}, codecBadDataErr, noErr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_import(dir / "damaged", c.bytes, c.open, c.draw);
    }
    EXPECT_EQ(Importer(dir / "missing.png").err, fnfErr);
}

}  // namespace
