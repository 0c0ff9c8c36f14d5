// HostDescriptions.h — sample descriptions as the API hands them over (in
// handles, numbers in host order) and as movie files store them (big-endian).
/*
 * Every description starts with the same 16 bytes: size u32, data format
 * u32, six reserved bytes (u32, u16), data reference index u16. After that:
 *
 *   video  the image description (platform/codecs/ImageDescriptionIO.h)
 *   sound  version s16, revision s16, vendor u32, then
 *            version 0, 1: channels s16, sample size s16, compression ID
 *                          s16, packet size s16, sample rate u32 (16.16)
 *            version 1:    samples per packet, bytes per packet, bytes per
 *                          frame, bytes per sample (u32 each)
 *            version 2:    s16 s16 s16 s16, u32 u32, sample rate f64,
 *                          channels u32, u32, bits u32, flags u32, bytes per
 *                          packet u32, frames per packet u32
 *   other  nothing more is known
 *
 * Fields we know are converted; bytes after them are kept as they are.
 */
#pragma once

#include <span>
#include <vector>

#include "platform/core/Result.h"

namespace platform::movies {

// `media_type` picks the layout. A description whose size field is below
// 16 or past the bytes given fails with invalidSampleDescription (video:
// badImageDescription).
Result<std::vector<UInt8>> description_to_file(OSType media_type, std::span<const UInt8> host);
Result<std::vector<UInt8>> description_to_host(OSType media_type, std::span<const UInt8> stored);

// The stored size field, data reference index and (for video) data size,
// read and written in place on a stored description.
inline constexpr size_t kDescriptionDataRefIndexOffset = 14;
inline constexpr size_t kImageDataSizeOffset = 44;

}  // namespace platform::movies
