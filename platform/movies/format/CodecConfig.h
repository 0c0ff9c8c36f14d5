// CodecConfig.h — what a decoder needs from a sample description beyond
// its fixed fields: the configuration record of the codec, found among the
// description's extension atoms (video and sound alike).
/*
 * Configuration atoms, by the codec they configure; the decoder gets the
 * atom's body as it is stored:
 *   avcC  H.264 decoder configuration record     hvcC  HEVC's
 *   av1C  AV1's (marker/version byte, then OBUs) vpcC  VP9's (not needed)
 *   glbl  any codec's global header              SMI   Sorenson 3's
 *   esds  (full atom) MPEG-4 descriptors: the decoder gets the decoder
 *         specific information inside them, and the object type tells
 *         which codec 'mp4v' or 'mp4a' really holds.
 *
 * esds descriptors: tag u8, length in 1 to 4 bytes of 7 bits (top bit: more
 * follows), then the body.
 *   ES_Descriptor (3):           ES_ID u16, flags u8 (0x80: dependsOn u16
 *                                follows; 0x40: URL, length u8 + text;
 *                                0x20: OCR ES_ID u16), then descriptors
 *   DecoderConfigDescriptor (4): object type u8, stream type u8, buffer
 *                                size u24, max bitrate u32, average bitrate
 *                                u32, then descriptors
 *   DecoderSpecificInfo (5):     the configuration bytes
 */
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "platform/core/Result.h"

namespace platform::movies {

struct ElementaryStream {
    UInt8 object_type = 0;              // 0x20 MPEG-4 video, 0x40 AAC, 0x6A MPEG-1 video, ...
    std::vector<UInt8> specific;        // the decoder specific information
};

// Reads an esds body (version and flags included); fails with
// invalidSampleDescription when a descriptor runs past it.
Result<ElementaryStream> parse_esds(std::span<const UInt8> body);

// The configuration a decoder of `format` takes from extension atoms
// `atoms` (empty when it needs or has none).
std::vector<UInt8> decoder_config(OSType format, std::span<const UInt8> atoms);

}  // namespace platform::movies
