// ImageTestFiles.h — test images made by the reference libraries themselves,
// and those libraries' own decodes of them, as 8-bit RGBA.
#pragma once

#include <gif_lib.h>
#include <png.h>
#include <cstdio>
#include <jpeglib.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Types.h"

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
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
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

// libpng's own decode of a file to 8-bit RGBA (simplified API; exact for
// 8-bit images).
inline Bytes reference_png_rgba(const Bytes& file, UInt32* w, UInt32* h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        throw std::runtime_error("reference PNG read failed");
    image.format = PNG_FORMAT_RGBA;
    Bytes rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        throw std::runtime_error("reference PNG decode failed");
    *w = image.width;
    *h = image.height;
    return rgba;
}

// ---------------------------------------------------------------- JPEG

inline Bytes write_jpeg(UInt32 w, UInt32 h, int components, const Bytes& samples, int quality,
                        bool progressive = false) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = components;
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

// libjpeg's own decode, read from a file on disk (a path separate from the
// importer's memory source), as RGBA.
inline Bytes reference_jpeg_rgba(const std::string& path, UInt32* w, UInt32* h) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error("no JPEG file");
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, f);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    *w = d.output_width;
    *h = d.output_height;
    Bytes rgb(size_t(*w) * *h * 3), rgba;
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = rgb.data() + size_t(d.output_scanline) * *w * 3;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    fclose(f);
    for (size_t i = 0; i < rgb.size(); i += 3) rgba.insert(rgba.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
    return rgba;
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
    GifFileType* gif = EGifOpen(&out,
                                [](GifFileType* g, const GifByteType* data, int n) {
                                    auto* o = static_cast<Bytes*>(g->UserData);
                                    o->insert(o->end(), data, data + n);
                                    return n;
                                },
                                &err);
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

// giflib's own decode of the first image, composited on white over the
// logical screen, as RGBA.
inline Bytes reference_gif_rgba(const Bytes& file, int* w, int* h) {
    struct In {
        const Bytes* b;
        size_t pos;
    } in{&file, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&in,
                                [](GifFileType* g, GifByteType* to, int n) {
                                    auto* i = static_cast<In*>(g->UserData);
                                    size_t k = std::min(size_t(n), i->b->size() - i->pos);
                                    std::memcpy(to, i->b->data() + i->pos, k);
                                    i->pos += k;
                                    return int(k);
                                },
                                &err);
    if (!gif || DGifSlurp(gif) != GIF_OK) throw std::runtime_error("reference GIF decode failed");
    *w = gif->SWidth;
    *h = gif->SHeight;
    Bytes rgba(size_t(*w) * *h * 4, 255);
    const SavedImage& im = gif->SavedImages[0];
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(gif, 0, &gcb);
    const ColorMapObject* map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : gif->SColorMap;
    for (int y = 0; y < im.ImageDesc.Height; ++y)
        for (int x = 0; x < im.ImageDesc.Width; ++x) {
            int i = im.RasterBits[y * im.ImageDesc.Width + x];
            int cx = im.ImageDesc.Left + x, cy = im.ImageDesc.Top + y;
            if (i == gcb.TransparentColor || cx >= *w || cy >= *h) continue;
            UInt8* p = &rgba[(size_t(cy) * *w + cx) * 4];
            p[0] = map->Colors[i].Red;
            p[1] = map->Colors[i].Green;
            p[2] = map->Colors[i].Blue;
        }
    DGifCloseFile(gif, &err);
    return rgba;
}
