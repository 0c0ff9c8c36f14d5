/*
 * The single-image movie-format file ('qtif'): a sequence of atoms, all
 * big-endian.
 *
 *   atom: size u32 (8 and up: the whole atom; 1: a u64 size follows the
 *         type; 0: the atom runs to the end of the file), type u32, body
 *   'idsc'  an image description (its first u32 is its own size; the 86
 *           fixed bytes hold codec type, width, height, depth, clutID, ...;
 *           a colour table may follow)
 *   'idat'  the compressed image, as the codec of the description reads it
 *   'iicc', 'free', 'skip', 'wide' and anything else: skipped
 *
 * Exactly one 'idsc' and one 'idat' must be there, in either order.
 *
 * Decoding: images of the platform's codecs ('raw ', 'rle ') go through
 * DecompressImage into a 32-bit graphics world, colour tables and grey
 * depths included; 'png ' and 'jpeg' images hold a whole PNG or JPEG file
 * in 'idat' and are decoded as such. The data's length is the 'idat'
 * atom's, whatever the description's dataSize says. Other codecs give
 * noCodecErr; a damaged description gives badImageDescription.
 */
#include <cstring>

#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/codecs/Codec.h"
#include "platform/codecs/ImageDescriptionIO.h"

#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "platform/importers/ImageFormats.h"
#include "platform/importers/QtifFile.h"

namespace platform::importers {

Result<QtifParts> read_qtif(std::span<const UInt8> file) {
    ByteReader r(file, codecBadDataErr);
    QtifParts parts;
    bool haveDesc = false, haveData = false;
    while (!r.at_end()) {
        size_t start = r.position();
        UInt64 size = TRY(r.u32());
        OSType type = TRY(r.u32());
        size_t header = 8;
        if (size == 1) {
            size = TRY(r.u64());
            header = 16;
        } else if (size == 0) {
            size = file.size() - start;
        }
        if (size < header || size > file.size() - start)
            return fail(codecBadDataErr, "image file atom size outside the file");
        auto body = file.subspan(start + header, size_t(size) - header);
        if (type == fourcc("idsc")) {
            if (haveDesc) return fail(codecBadDataErr, "image file with two descriptions");
            parts.description = body;
            haveDesc = true;
        } else if (type == fourcc("idat")) {
            if (haveData) return fail(codecBadDataErr, "image file with two data atoms");
            parts.data = body;
            haveData = true;
        }
        TRY(r.seek(start + size_t(size)));
    }
    if (!haveDesc || !haveData)
        return fail(codecBadDataErr, "image file without a description and its data");
    return parts;
}

bool looks_like_qtif(std::span<const UInt8> start) {
    if (start.size() < 8) return false;
    UInt32 size = load_u32be(start.data());
    OSType type = load_u32be(start.data() + 4);
    bool known = type == fourcc("idsc") || type == fourcc("idat") || type == fourcc("iicc") ||
                 type == fourcc("free") || type == fourcc("skip") || type == fourcc("wide");
    return known && (size == 1 || size >= 8);
}

namespace {

struct Described {
    QtifParts parts;
    std::vector<UInt8> description;   // memory form: host order
    ImageDescription fixed{};
};

Result<Described> describe(std::span<const UInt8> file) {
    Described d;
    d.parts = TRY(read_qtif(file));
    d.description = TRY(codecs::image_description_from_file(d.parts.description));
    std::memcpy(&d.fixed, d.description.data(), sizeof d.fixed);
    TRY(checked_dimensions(d.fixed.width > 0 ? UInt64(d.fixed.width) : 0,
                           d.fixed.height > 0 ? UInt64(d.fixed.height) : 0));
    const CodecType type = d.fixed.cType;
    if (type != 'png ' && type != 'jpeg') {
        if (!codecs::find_codec(type)) return fail(noCodecErr, "image file of a codec we do not have");
        if (codecs::decoded_depth(d.fixed.depth) == 0)
            return fail(badImageDescription, "image description with an unknown depth");
    }
    return d;
}

// A whole PNG or JPEG file inside the data atom: it must be the image the
// description describes.
Result<DecodedImage> decode_embedded(const Described& d) {
    DecodedImage image = TRY(d.fixed.cType == 'png ' ? decode_png(d.parts.data) : decode_jpeg(d.parts.data));
    if (image.width != d.fixed.width || image.height != d.fixed.height)
        return fail(codecBadDataErr, "embedded image differs from its description");
    return image;
}

Result<DecodedImage> decode_with_codec(Described& d) {
    if (d.parts.data.size() > 0x7FFFFFFF) return fail(codecBadDataErr, "image data too large");
    reinterpret_cast<ImageDescription*>(d.description.data())->dataSize = SInt32(d.parts.data.size());
    Handle desc = nullptr;
    if (OSErr err = PtrToHand(d.description.data(), &desc, SInt32(d.description.size())))
        return fail(err, "no memory for the image description");
    GWorldPtr world = nullptr;
    Rect bounds{0, 0, d.fixed.height, d.fixed.width};
    OSErr err = NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0);
    if (err) {
        DisposeHandle(desc);
        return fail(err, "no graphics world for the image");
    }
    std::vector<UInt8> data(d.parts.data.begin(), d.parts.data.end());   // DecompressImage takes a Ptr
    PixMapHandle pm = GetGWorldPixMap(world);
    err = DecompressImage(reinterpret_cast<Ptr>(data.data()), reinterpret_cast<ImageDescriptionHandle>(desc), pm,
                          nullptr, &bounds, srcCopy, nullptr);
    Result<DecodedImage> image = fail(err, "the image's codec refused its data");
    if (err == noErr) {
        image = make_white_image(UInt64(d.fixed.width), UInt64(d.fixed.height));
        if (image.ok()) {
            const UInt8* base = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm));
            for (SInt32 y = 0; y < image->height; ++y)
                std::memcpy(image->row(y), base + size_t(y) * size_t(GetPixRowBytes(pm)), size_t(image->width) * 4);
            for (size_t i = 0; i < image->pixels.size(); i += 4) image->pixels[i] = 0xFF;
        }
    }
    DisposeGWorld(world);
    DisposeHandle(desc);
    return image;
}

}  // namespace

Result<ImageInfo> probe_qtif(std::span<const UInt8> file) {
    Described d = TRY(describe(file));
    return ImageInfo{d.fixed.width, d.fixed.height};
}

Result<DecodedImage> decode_qtif(std::span<const UInt8> file) {
    Described d = TRY(describe(file));
    if (d.fixed.cType == 'png ' || d.fixed.cType == 'jpeg') return decode_embedded(d);
    return decode_with_codec(d);
}

}  // namespace platform::importers
