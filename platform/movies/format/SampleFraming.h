// SampleFraming.h — how many bytes a run of sound samples takes.
/*
 * A sound media counts one sample per audio frame (one sample time of
 * every channel). Its sample sizes (stsz) are not reliable for that: files
 * store 1 for compressed sound and sometimes for wide PCM too. The bytes
 * follow from the sample description instead, in packets:
 *
 *   version 0   'raw ' 'twos' 'sowt' 'NONE' 'in24' 'in32' 'fl32' 'fl64'
 *               1 sample per packet, channels * ceil(bits / 8) bytes
 *               'ulaw' 'alaw'  1 sample, channels bytes
 *               'MAC3'  6 samples, 2 bytes per channel
 *               'MAC6'  6 samples, 1 byte per channel
 *               'ima4'  64 samples, 34 bytes per channel
 *   version 1   samples per packet, bytes per frame (all channels)
 *   version 2   frames per packet, bytes per packet
 *
 * Chunks of framed sound hold whole packets; a run that does not end on a
 * packet boundary is cut down to one. The framing counts only where the
 * samples are frames, lasting one unit each: samples that last longer are
 * whole packets (as some writers store IMA 4:1, whatever their
 * description's byte counts say), sized by stsz like other media. Other media (and sound whose
 * description says nothing usable) take their sizes from stsz.
 */
#pragma once

#include <optional>

#include "platform/movies/format/SampleDescriptions.h"
#include "platform/movies/format/SampleTable.h"

namespace platform::movies {

struct SampleFraming {
    UInt32 samples_per_packet = 1;
    UInt32 bytes_per_packet = 0;

    UInt64 bytes(UInt64 samples) const { return samples / samples_per_packet * bytes_per_packet; }
    // `samples` rounded down to whole packets.
    UInt64 whole_packets(UInt64 samples) const { return samples - samples % samples_per_packet; }
    bool operator==(const SampleFraming&) const = default;
};

// The framing of a sound description; nothing for other descriptions or a
// sound format whose packets we do not know.
std::optional<SampleFraming> sound_framing(const SampleDescription& d);

// The framing of each description of a media, in order (all empty for a
// media that is not sound).
std::vector<std::optional<SampleFraming>> media_framings(OSType media_type,
                                                         const SampleDescriptions& descriptions);

// Where sample `number` of `chunk` starts in its file: the chunk's offset
// and the bytes of the samples before it there, as `framing` counts them
// (from their sizes without one).
UInt64 sample_offset(const SampleTable& table, const SampleTable::ChunkSpan& chunk,
                     const std::optional<SampleFraming>& framing, UInt32 number);

struct Media;
// The framing of the samples of `chunk` (a chunk of `media`): nothing when
// the media is not sound or its samples are whole packets.
std::optional<SampleFraming> chunk_framing(const Media& media, const SampleTable::ChunkSpan& chunk);

// Makes sample `number` (valid) start a chunk of the media, when it starts
// a packet; false when it falls inside one.
Result<bool> start_chunk_at(Media& media, UInt32 number);

}  // namespace platform::movies
