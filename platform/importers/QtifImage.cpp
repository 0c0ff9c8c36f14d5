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
 */
#include <cstring>

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
    if (parts.description.size() < kQtifDescriptionBytes)
        return fail(codecBadDataErr, "image description too short");
    ByteReader d(parts.description, codecBadDataErr);
    TRY(d.skip(4));
    parts.codec = TRY(d.u32());
    TRY(d.skip(24));
    parts.width = TRY(d.u16());
    parts.height = TRY(d.u16());
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

Result<ImageInfo> probe_qtif(std::span<const UInt8> file) {
    QtifParts parts = TRY(read_qtif(file));
    return checked_dimensions(parts.width, parts.height);
}

}  // namespace platform::importers

namespace platform::importers {

// TEMPORARY until the codec library is merged: the description is read,
// the pixels are not decoded yet.
Result<DecodedImage> decode_qtif(std::span<const UInt8> file) {
    TRY(probe_qtif(file));
    return fail(codecUnimpErr, "image codecs not available");
}

}  // namespace platform::importers
