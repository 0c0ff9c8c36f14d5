// ImageTestFiles.h — test images made by the reference libraries themselves,
// and ffmpeg's decode of them (a decoder of its own, not the libraries the
// importers call) as 8-bit RGBA.
#pragma once

#include <gif_lib.h>
#include <png.h>
#include <cstdio>
#include <jpeglib.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "tests/support/Process.h"
#include "tests/support/Tools.h"

using Bytes = std::vector<UInt8>;

// ---------------------------------------------------------------- PNG

struct PngSpec {
    UInt32 width = 0, height = 0;
    int bitDepth = 8;
    int colorType = PNG_COLOR_TYPE_RGB;
    bool interlaced = false;
    Bytes rows;                     // packed rows as PNG stores them (big-endian 16-bit)
    std::vector<png_color> palette;
    Bytes trns;                     // palette alphas
    bool greyTrns = false;          // tRNS colour for grey / RGB images
    png_color_16 trnsColor{};
};

inline Bytes write_png(const PngSpec& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("png write failed");
    png_set_benign_errors(png, 1);   // lets a test write indexes past the palette
    png_set_write_fn(png, &out, [](png_structp p, png_bytep data, size_t n) {
        auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
    }, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.trns.empty() || s.greyTrns)
        png_set_tRNS(png, info, s.trns.empty() ? nullptr : const_cast<png_bytep>(s.trns.data()),
                     int(s.trns.size()), s.greyTrns ? const_cast<png_color_16p>(&s.trnsColor) : nullptr);
    png_write_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(s.height);
    for (UInt32 y = 0; y < s.height; ++y) rows[y] = const_cast<UInt8*>(s.rows.data()) + y * rowBytes;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// ---------------------------------------------------------------- JPEG

inline Bytes write_jpeg(UInt32 w, UInt32 h, int components, const Bytes& samples, int quality, bool progressive = false) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w, c.image_height = h, c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < h) {
        JSAMPROW row = const_cast<UInt8*>(samples.data()) + size_t(c.next_scanline) * w * components;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    free(mem);
    return out;
}

// ---------------------------------------------------------------- GIF

struct GifSpec {
    int screenW = 0, screenH = 0;
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<GifColorType> colors;   // a power of two entries
    bool localTable = false;
    int transparent = -1;
    Bytes indexes;                      // width * height, display order
    bool secondFrame = false;           // a second image after the first
};

inline Bytes write_gif(const GifSpec& s) {
    Bytes out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* data, int n) {
        static_cast<Bytes*>(g->UserData)->insert(static_cast<Bytes*>(g->UserData)->end(), data, data + n);
        return n;
    }, &err);
    ColorMapObject* map = GifMakeMapObject(int(s.colors.size()), s.colors.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, s.screenW, s.screenH, 8, 0, s.localTable ? nullptr : map);
    if (s.transparent >= 0) {
        GifByteType gce[4] = {1, 0, 0, GifByteType(s.transparent)};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
    }
    for (int frame = 0; frame < (s.secondFrame ? 2 : 1); ++frame) {
        EGifPutImageDesc(gif, s.left, s.top, s.width, s.height, s.interlaced, s.localTable ? map : nullptr);
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (s.interlaced ? 4 : 1); ++pass)
            for (int y = s.interlaced ? start[pass] : 0; y < s.height; y += s.interlaced ? step[pass] : 1) {
                Bytes line(s.indexes.begin() + y * s.width, s.indexes.begin() + (y + 1) * s.width);
                if (frame == 1) std::fill(line.begin(), line.end(), 0);
                EGifPutLine(gif, line.data(), s.width);
            }
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

// ---------------------------------------------------------------- BMP

struct Bmp {
    UInt32 headerSize = 40;
    SInt32 width = 0, height = 0;
    UInt16 planes = 1, bits = 24;
    UInt32 compression = 0, colorsUsed = 0;
    std::vector<UInt32> masks{};        // written after a 40-byte header, or inside a larger one
    std::vector<std::array<UInt8, 3>> palette{};   // R, G, B
    Bytes pixels{};                      // the rows exactly as stored
    SInt64 dataOffset = -1;              // -1: right after the palette
};

inline void le16(Bytes& b, UInt32 v) { b.insert(b.end(), {UInt8(v), UInt8(v >> 8)}); }
inline void le32(Bytes& b, UInt32 v) { b.insert(b.end(), {UInt8(v), UInt8(v >> 8), UInt8(v >> 16), UInt8(v >> 24)}); }

inline Bytes build_bmp(const Bmp& m) {
    Bytes info;
    le32(info, m.headerSize);
    if (m.headerSize == 12) {
        for (UInt32 v : {UInt32(m.width), UInt32(m.height), UInt32(m.planes), UInt32(m.bits)}) le16(info, v);
    } else {
        le32(info, UInt32(m.width)), le32(info, UInt32(m.height)), le16(info, m.planes), le16(info, m.bits);
        for (UInt32 v : {m.compression, UInt32(m.pixels.size()), 2835u, 2835u, m.colorsUsed, 0u}) le32(info, v);
        if (m.headerSize > 40)
            for (UInt32 v : m.masks) le32(info, v);
        info.resize(m.headerSize, 0);
        if (m.headerSize == 40)
            for (UInt32 v : m.masks) le32(info, v);
    }
    for (const auto& c : m.palette) {
        info.insert(info.end(), {c[2], c[1], c[0]});
        if (m.headerSize != 12) info.push_back(0);
    }
    Bytes file = {'B', 'M'};
    le32(file, UInt32(14 + info.size() + m.pixels.size())), le32(file, 0);
    le32(file, m.dataOffset >= 0 ? UInt32(m.dataOffset) : UInt32(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), m.pixels.begin(), m.pixels.end());
    return file;
}

// ---------------------------------------------------------------- the oracle

// ffmpeg's decode of the file's first image, through `filter` when one is
// given, w x h, as RGBA; empty when ffmpeg cannot decode it or makes a
// picture of another size.
inline Bytes ffmpeg_rgba(const std::filesystem::path& path, UInt32 w, UInt32 h, const std::string& filter = "") {
    std::vector<std::string> args = {"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-frames:v", "1"};
    if (!filter.empty()) args.insert(args.end(), {"-vf", filter});
    args.insert(args.end(), {"-pix_fmt", "rgba", "-f", "rawvideo", "-"});
    const std::string out = testsupport::run_program(args).out;
    return out.size() == size_t(w) * h * 4 ? Bytes(out.begin(), out.end()) : Bytes{};
}
