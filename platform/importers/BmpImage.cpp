/*
 * BMP: our own decoder. All fields little-endian.
 *
 *   File header, 14 bytes
 *     0   2  "BM"
 *     2   4  file size (not trusted)
 *     6   4  reserved
 *    10   4  offset of the pixel data from the start of the file
 *   Information header, from offset 14; its first u32 is its size:
 *     12      core header: width u16, height u16, planes u16, bit count u16;
 *             palette entries of 3 bytes (B, G, R)
 *     40      width s32, height s32 (negative: rows top to bottom), planes
 *             u16 (1), bit count u16, compression u32, image size u32,
 *             x/y resolution s32 x2, colours used u32, colours important u32;
 *             palette entries of 4 bytes (B, G, R, 0)
 *     52, 56  + red, green, blue masks (56: + alpha mask)
 *     64      the 40-byte fields followed by fields of no use here
 *     108,124 + masks, colour space, end points, gammas (124: + intent,
 *             profile)
 *   With a 40-byte header and BI_BITFIELDS the three masks follow it.
 *   The palette follows the header (and those masks): "colours used"
 *   entries, or 2^bit count when that is 0 (never more than 2^bit count),
 *   and never more than fit before the pixel data.
 *
 *   Pixel rows start at the data offset, bottom row first unless the height
 *   is negative; each row is padded to a multiple of 4 bytes.
 *     1, 4, 8 bits   palette indexes, most significant bits first
 *     16 bits        u16: x1-R5-G5-B5, or masks with BI_BITFIELDS
 *     24 bits        B, G, R
 *     32 bits        B, G, R, x; or masks with BI_BITFIELDS
 *   Compression: 0 BI_RGB, 1 BI_RLE8 (8 bits), 2 BI_RLE4 (4 bits),
 *   3 BI_BITFIELDS (16, 32 bits); others are refused (codecUnimpErr).
 *
 *   RLE (bottom-up only), pairs of bytes:
 *     n > 0, c      n pixels of index c (RLE4: the two nibbles of c alternate)
 *     0, 0          end of line            0, 1   end of bitmap
 *     0, 2, dx, dy  move right dx and up dy rows
 *     0, n >= 3     n literal indexes follow (RLE4: nibbles), padded to an
 *                   even number of bytes
 *   Pixels an RLE image never writes stay white; writes beyond a row's end
 *   are dropped; data that runs out ends the image.
 *
 * Mask channels are scaled to 8 bits exactly: v * 255 / max rounded to
 * nearest, max = 2^(bits in the mask) - 1. Masks must be non-empty (alpha
 * may be empty), contiguous and disjoint. An alpha mask (headers of 56
 * bytes and more, BI_BITFIELDS only) is composited on white.
 * Every offset, size and count is checked against the file; a damaged file
 * gives codecBadDataErr.
 */
#include <array>
#include <bit>

#include "platform/importers/ImageFormats.h"
#include "platform/importers/LittleEndian.h"

namespace platform::importers {
namespace {

enum : UInt32 { kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitfields = 3 };

struct Mask {
    UInt32 mask = 0;
    int shift = 0;
    UInt32 max = 0;   // 0 for an empty mask

    static Mask of(UInt32 m) {
        Mask k;
        k.mask = m;
        if (m) {
            k.shift = std::countr_zero(m);
            k.max = m >> k.shift;
        }
        return k;
    }
    bool contiguous() const { return mask && ((max + 1) & max) == 0; }
    UInt8 scale(UInt32 pixel) const {
        UInt64 v = (pixel & mask) >> shift;
        return UInt8((v * 255 + max / 2) / max);
    }
};

struct BmpHeader {
    UInt32 dataOffset = 0;
    UInt32 headerSize = 0;
    SInt64 width = 0;
    SInt64 height = 0;
    bool topDown = false;
    UInt16 bits = 0;
    UInt32 compression = kRGB;
    Mask red, green, blue, alpha;
    std::vector<std::array<UInt8, 3>> palette;   // R, G, B
};

Error damaged(const char* why) { return fail(codecBadDataErr, why); }

bool known_header_size(UInt32 size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

Result<void> read_masks(ByteReader& r, BmpHeader& h, bool withAlpha) {
    h.red = Mask::of(TRY(read_u32le(r)));
    h.green = Mask::of(TRY(read_u32le(r)));
    h.blue = Mask::of(TRY(read_u32le(r)));
    if (withAlpha) h.alpha = Mask::of(TRY(read_u32le(r)));
    return ok();
}

Result<void> check_masks(const BmpHeader& h) {
    const Mask* all[4] = {&h.red, &h.green, &h.blue, &h.alpha};
    UInt32 seen = 0;
    for (const Mask* m : all) {
        if (m == &h.alpha && !m->mask) continue;
        if (!m->contiguous()) return damaged("BMP colour mask empty or not contiguous");
        if (seen & m->mask) return damaged("BMP colour masks overlap");
        if (h.bits == 16 && (m->mask >> 16)) return damaged("BMP colour mask wider than the pixel");
        seen |= m->mask;
    }
    return ok();
}

Result<BmpHeader> read_header(std::span<const UInt8> file) {
    ByteReader r(file, codecBadDataErr);
    auto magic = TRY(r.bytes(2));
    if (magic[0] != 'B' || magic[1] != 'M') return damaged("not a BMP file");
    TRY(r.skip(8));
    BmpHeader h;
    h.dataOffset = TRY(read_u32le(r));
    h.headerSize = TRY(read_u32le(r));
    if (!known_header_size(h.headerSize)) return fail(codecUnimpErr, "BMP header of an unknown kind");
    ByteReader info = TRY(r.sub(h.headerSize - 4));
    UInt16 planes;
    if (h.headerSize == 12) {
        h.width = TRY(read_u16le(info));
        h.height = TRY(read_u16le(info));
        planes = TRY(read_u16le(info));
        h.bits = TRY(read_u16le(info));
    } else {
        h.width = TRY(read_s32le(info));
        h.height = TRY(read_s32le(info));
        planes = TRY(read_u16le(info));
        h.bits = TRY(read_u16le(info));
        h.compression = TRY(read_u32le(info));
        TRY(info.skip(12));   // image size, resolutions
    }
    if (planes != 1) return damaged("BMP with a plane count other than 1");
    if (h.height < 0) {
        h.topDown = true;
        h.height = -h.height;
    }
    TRY(checked_dimensions(h.width > 0 ? UInt64(h.width) : 0, UInt64(h.height)));

    UInt32 colorsUsed = 0;
    if (h.headerSize >= 40) colorsUsed = TRY(read_u32le(info));

    const bool core = h.headerSize == 12;
    switch (h.bits) {
        case 1: case 4: case 8: case 24: break;
        case 16: case 32:
            if (core) return damaged("BMP core header with a bit count it cannot have");
            break;
        default: return damaged("BMP bit count other than 1, 4, 8, 16, 24 or 32");
    }
    switch (h.compression) {
        case kRGB: break;
        case kRLE8: if (h.bits != 8) return damaged("BMP RLE8 needs 8 bits a pixel"); break;
        case kRLE4: if (h.bits != 4) return damaged("BMP RLE4 needs 4 bits a pixel"); break;
        case kBitfields:
            if (h.bits != 16 && h.bits != 32) return damaged("BMP bit fields need 16 or 32 bits");
            break;
        default: return fail(codecUnimpErr, "BMP compression we do not decode");
    }
    if ((h.compression == kRLE8 || h.compression == kRLE4) && h.topDown)
        return damaged("BMP RLE image stored top-down");

    if (h.compression == kBitfields) {
        if (h.headerSize == 40) {
            TRY(read_masks(r, h, false));          // the masks follow the header
        } else if (h.headerSize != 64) {
            TRY(info.skip(4));                     // colours important, then the masks
            TRY(read_masks(info, h, h.headerSize >= 56));
        } else {
            return fail(codecUnimpErr, "BMP compression we do not decode");   // OS/2 Huffman
        }
        TRY(check_masks(h));
    } else if (h.bits == 16) {
        h.red = Mask::of(0x7C00);
        h.green = Mask::of(0x03E0);
        h.blue = Mask::of(0x001F);
    }

    if (h.bits <= 8) {
        UInt32 most = 1u << h.bits;
        UInt32 count = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
        const size_t entry = core ? 3 : 4;
        // Writers often store fewer entries than they declare: the pixels
        // start where the palette really ends. Indexes past it are refused.
        if (h.dataOffset > r.position() && h.dataOffset <= file.size()) {
            UInt64 room = (h.dataOffset - r.position()) / entry;
            if (room < count) count = UInt32(room);
        }
        if (UInt64(count) * entry > r.remaining()) return damaged("BMP palette past the end of the file");
        h.palette.resize(count);
        for (auto& c : h.palette) {
            auto bgr = TRY(r.bytes(entry));
            c = {bgr[2], bgr[1], bgr[0]};
        }
    }
    if (h.dataOffset < r.position() || h.dataOffset >= file.size())
        return damaged("BMP pixel data offset outside the file");
    return h;
}

// Rows of uncompressed pixels.
Result<void> decode_rows(const BmpHeader& h, std::span<const UInt8> file, DecodedImage& img) {
    UInt64 rowBytes = ((UInt64(h.width) * h.bits + 31) / 32) * 4;
    UInt64 total = rowBytes * UInt64(h.height);   // both bounded: no overflow
    if (total > file.size() - h.dataOffset) return damaged("BMP pixel data past the end of the file");
    const UInt8* data = file.data() + h.dataOffset;
    for (SInt64 y = 0; y < h.height; ++y) {
        const UInt8* src = data + size_t(y) * rowBytes;
        UInt8* dst = img.row(SInt32(h.topDown ? y : h.height - 1 - y));
        for (SInt64 x = 0; x < h.width; ++x, dst += 4) {
            switch (h.bits) {
                case 1: case 4: case 8: {
                    UInt64 bit = UInt64(x) * h.bits;
                    UInt32 index = (src[bit / 8] >> (8 - h.bits - bit % 8)) & ((1u << h.bits) - 1);
                    if (index >= h.palette.size()) return damaged("BMP colour index past the palette");
                    const auto& c = h.palette[index];
                    put_pixel(dst, c[0], c[1], c[2]);
                    break;
                }
                case 24: {
                    const UInt8* p = src + x * 3;
                    put_pixel(dst, p[2], p[1], p[0]);
                    break;
                }
                default: {
                    UInt32 v = h.bits == 16 ? load_u16le(src + x * 2) : load_u32le(src + x * 4);
                    if (h.bits == 32 && h.compression == kRGB) {
                        put_pixel(dst, UInt8(v >> 16), UInt8(v >> 8), UInt8(v));
                        break;
                    }
                    UInt32 a = h.alpha.mask ? h.alpha.scale(v) : 255;
                    put_pixel(dst, composite_on_white(h.red.scale(v), a),
                              composite_on_white(h.green.scale(v), a),
                              composite_on_white(h.blue.scale(v), a));
                    break;
                }
            }
        }
    }
    return ok();
}

// RLE8 and RLE4; see the layout above.
Result<void> decode_rle(const BmpHeader& h, std::span<const UInt8> file, DecodedImage& img) {
    ByteReader r(file.subspan(h.dataOffset), codecBadDataErr);
    const bool four = h.compression == kRLE4;
    SInt64 x = 0, y = 0;   // y counts rows from the bottom
    auto put = [&](UInt32 index) -> Result<void> {
        if (index >= h.palette.size()) return damaged("BMP colour index past the palette");
        if (x < h.width && y < h.height) {
            const auto& c = h.palette[index];
            put_pixel(img.row(SInt32(h.height - 1 - y)) + x * 4, c[0], c[1], c[2]);
        }
        ++x;
        return ok();
    };
    while (y < h.height && r.remaining() >= 2) {
        UInt8 count = TRY(r.u8());
        UInt8 value = TRY(r.u8());
        if (count > 0) {
            for (UInt32 i = 0; i < count; ++i)
                TRY(put(four ? (i % 2 ? value & 0x0F : value >> 4) : value));
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += TRY(r.u8());
            y += TRY(r.u8());
        } else {
            size_t bytes = four ? (value + 1) / 2 : value;
            auto literal = TRY(r.bytes(bytes));
            for (UInt32 i = 0; i < value; ++i)
                TRY(put(four ? (i % 2 ? literal[i / 2] & 0x0F : literal[i / 2] >> 4) : literal[i]));
            if (bytes % 2) TRY(r.skip(1));
        }
    }
    return ok();
}

}  // namespace

Result<ImageInfo> probe_bmp(std::span<const UInt8> file) {
    BmpHeader h = TRY(read_header(file));
    return ImageInfo{SInt32(h.width), SInt32(h.height)};
}

Result<DecodedImage> decode_bmp(std::span<const UInt8> file) {
    BmpHeader h = TRY(read_header(file));
    DecodedImage img = TRY(make_white_image(UInt64(h.width), UInt64(h.height)));
    if (h.compression == kRLE8 || h.compression == kRLE4)
        TRY(decode_rle(h, file, img));
    else
        TRY(decode_rows(h, file, img));
    return img;
}

}  // namespace platform::importers
