/*
 * ImageDescriptionIO.h — image descriptions between memory and files.
 *
 * Stored form (big-endian), as a video sample description:
 *   offset  size
 *    0      4    idSize          bytes of the whole description
 *    4      4    cType           codec type
 *    8      4    resvd1          0 }  six reserved bytes
 *   12      2    resvd2          0 }
 *   14      2    dataRefIndex
 *   16      2    version
 *   18      2    revisionLevel
 *   20      4    vendor
 *   24      4    temporalQuality
 *   28      4    spatialQuality
 *   32      2    width
 *   34      2    height
 *   36      4    hRes            16.16
 *   40      4    vRes            16.16
 *   44      4    dataSize
 *   48      2    frameCount
 *   50     32    name            length byte + up to 31 characters
 *   82      2    depth
 *   84      2    clutID
 *   86           colour table, when the depth and clutID say one is stored
 *                  (depth_stores_color_table() in the movie file format's
 *                  SampleDescriptions.h, which reads and writes the stored
 *                  form for both): u32 seed, u16 flags, u16 size =
 *                  entries - 1, entries of u16 value, red, green, blue
 *   ...          extensions up to idSize, kept as they are
 *
 * In memory (an ImageDescriptionHandle) the same fields sit at the same
 * offsets in host order; the colour table is a ColorTable record and the
 * extensions stay as stored.
 */
#pragma once

#include <span>
#include <vector>

#include "platform/Compression.h"
#include "platform/core/Bytes.h"
#include "platform/movies/format/SampleDescriptions.h"

namespace platform::codecs {

using movies::kImageDescriptionSize;

// The fixed 86 bytes. A name longer than 31 characters is cut to 31.
Result<ImageDescription> read_image_description(ByteReader& r);
void write_image_description(ByteWriter& w, const ImageDescription& d);

// Whether a description of this depth and clutID carries a colour table
// (none when nothing follows the fixed part: the standard table).
bool has_color_table(const ImageDescription& d, size_t bytes_after_fixed_part);

// A whole description, idSize bytes: stored form to memory form and back.
// A description shorter than 86 bytes, an idSize outside the bytes given,
// or a colour table that runs past idSize fail with badImageDescription.
Result<std::vector<UInt8>> image_description_from_file(std::span<const UInt8> stored);
Result<std::vector<UInt8>> image_description_to_file(std::span<const UInt8> memory);

}  // namespace platform::codecs
