// GIF through giflib, from memory: the first image of the file.
//
// Layout (for reference): "GIF87a" or "GIF89a"; logical screen width u16le,
// height u16le, flags u8 (bit 7: global colour table, bits 0-2: its size
// 2^(n+1)), background index u8, aspect u8; the global colour table (3 bytes
// an entry); then blocks: 0x21 extensions (0xF9 graphic control: flags u8,
// delay u16le, transparent index u8), 0x2C images (left, top, width, height
// u16le, flags: bit 7 local table, bit 6 interlaced; LZW data in sub-blocks),
// 0x3B the end. giflib parses the blocks and the LZW data.
//
// The picture is the logical screen, white, with the first image drawn at
// its position (clipped to the screen); the transparent index of the graphic
// control extension before it, when there is one, leaves white. The
// background colour is not used (the classic behaviour for still images).
// Interlaced rows come in four passes: rows 0, 8, 16...; 4, 12...; 2, 6...;
// 1, 3, 5... An index past the colour table, an image without any colour
// table, or a file without an image is refused.
#include <gif_lib.h>

#include <cstring>
#include <memory>

#include "platform/importers/ImageFormats.h"

namespace platform::importers {
namespace {

struct Input {
    std::span<const UInt8> file;
    size_t pos = 0;
};

int read_bytes(GifFileType* gif, GifByteType* to, int n) {
    auto* in = static_cast<Input*>(gif->UserData);
    size_t left = in->file.size() - in->pos;
    size_t count = n < 0 ? 0 : (size_t(n) < left ? size_t(n) : left);
    std::memcpy(to, in->file.data() + in->pos, count);
    in->pos += count;
    return int(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int err = 0;
        DGifCloseFile(gif, &err);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

Error damaged() { return fail(codecBadDataErr, "damaged GIF data"); }

Result<GifPtr> open(Input* in) {
    if (in->file.size() < 6 || std::memcmp(in->file.data(), "GIF8", 4) != 0 ||
        (in->file[4] != '7' && in->file[4] != '9') || in->file[5] != 'a')
        return fail(codecBadDataErr, "not a GIF file");
    int err = 0;
    GifPtr gif(DGifOpen(in, read_bytes, &err));
    if (!gif) return err == D_GIF_ERR_NOT_ENOUGH_MEM ? fail(memFullErr, "no memory for GIF") : damaged();
    return gif;
}

// The transparent index a graphic control extension sets, or -1.
Result<int> read_extension(GifFileType* gif, int transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return damaged();
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_ERROR) return damaged();
        transparent = gcb.TransparentColor;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return damaged();
    }
    return transparent;
}

Result<void> draw_first_image(GifFileType* gif, int transparent, DecodedImage& canvas) {
    if (DGifGetImageDesc(gif) == GIF_ERROR) return damaged();
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0) return fail(codecBadDataErr, "GIF image with no pixels");
    TRY(checked_dimensions(UInt64(d.Width), UInt64(d.Height)));
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) return fail(codecBadDataErr, "GIF image without a colour table");

    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    std::vector<GifPixelType> line(size_t(d.Width));
    int pass = 0, y = 0;
    for (int n = 0; n < d.Height; ++n) {
        if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) return damaged();
        int row = n;
        if (d.Interlace) {
            while (y >= d.Height) y = kPassStart[++pass];
            row = y;
            y += kPassStep[pass];
        }
        SInt64 cy = SInt64(d.Top) + row;
        for (int x = 0; x < d.Width; ++x) {
            int index = line[size_t(x)];
            if (index >= map->ColorCount) return fail(codecBadDataErr, "GIF colour index past the palette");
            SInt64 cx = SInt64(d.Left) + x;
            if (index == transparent || cy >= canvas.height || cx >= canvas.width) continue;
            const GifColorType& c = map->Colors[index];
            put_pixel(canvas.row(SInt32(cy)) + cx * 4, c.Red, c.Green, c.Blue);
        }
    }
    return ok();
}

}  // namespace

Result<ImageInfo> probe_gif(std::span<const UInt8> file) {
    Input in{file};
    GifPtr gif = TRY(open(&in));
    return checked_dimensions(UInt64(gif->SWidth > 0 ? gif->SWidth : 0),
                              UInt64(gif->SHeight > 0 ? gif->SHeight : 0));
}

Result<DecodedImage> decode_gif(std::span<const UInt8> file) {
    Input in{file};
    GifPtr gif = TRY(open(&in));
    DecodedImage canvas = TRY(make_white_image(UInt64(gif->SWidth > 0 ? gif->SWidth : 0),
                                               UInt64(gif->SHeight > 0 ? gif->SHeight : 0)));
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return damaged();
        switch (type) {
            case EXTENSION_RECORD_TYPE:
                transparent = TRY(read_extension(gif.get(), transparent));
                break;
            case IMAGE_DESC_RECORD_TYPE:
                TRY(draw_first_image(gif.get(), transparent, canvas));
                return canvas;
            case TERMINATE_RECORD_TYPE:
                return fail(codecBadDataErr, "GIF file without an image");
            default:
                return damaged();
        }
    }
}

}  // namespace platform::importers
