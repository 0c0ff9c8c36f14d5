#include "platform/movies/format/SampleFraming.h"

#include "platform/movies/format/Movie.h"

namespace platform::movies {

std::optional<SampleFraming> sound_framing(const SampleDescription& entry) {
    auto parsed = SoundDescription::parse(entry.bytes);
    if (!parsed.ok()) return std::nullopt;
    const SoundDescription& d = *parsed;
    SampleFraming f;
    if (d.version == 1) {
        f.samples_per_packet = d.samples_per_packet;
        f.bytes_per_packet = d.bytes_per_frame;
    } else if (d.version == 2) {
        f.samples_per_packet = d.frames_per_packet;
        f.bytes_per_packet = d.bytes_per_packet;
    } else {
        if (d.channels <= 0) return std::nullopt;
        UInt32 channels = UInt32(d.channels);
        switch (d.format) {
        case fourcc("raw "): case fourcc("twos"): case fourcc("sowt"): case fourcc("NONE"):
        case fourcc("in24"): case fourcc("in32"): case fourcc("fl32"): case fourcc("fl64"):
            if (d.sample_size <= 0) return std::nullopt;
            f.bytes_per_packet = channels * ((UInt32(d.sample_size) + 7) / 8);
            break;
        case fourcc("ulaw"): case fourcc("alaw"):
            f.bytes_per_packet = channels;
            break;
        case kSoundMAC3:
            f.samples_per_packet = 6;
            f.bytes_per_packet = 2 * channels;
            break;
        case kSoundMAC6:
            f.samples_per_packet = 6;
            f.bytes_per_packet = channels;
            break;
        case fourcc("ima4"):
            f.samples_per_packet = 64;
            f.bytes_per_packet = 34 * channels;
            break;
        default:
            return std::nullopt;
        }
    }
    if (f.samples_per_packet == 0 || f.bytes_per_packet == 0) return std::nullopt;
    return f;
}

std::vector<std::optional<SampleFraming>> media_framings(OSType media_type,
                                                         const SampleDescriptions& descriptions) {
    std::vector<std::optional<SampleFraming>> out(descriptions.entries.size());
    if (media_type != kSoun) return out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = sound_framing(descriptions.entries[i]);
    return out;
}

UInt64 sample_offset(const SampleTable& table, const SampleTable::ChunkSpan& chunk,
                     const std::optional<SampleFraming>& framing, UInt32 number) {
    if (framing) return chunk.offset + framing->bytes(number - chunk.first_sample);
    UInt64 offset = chunk.offset;
    for (UInt32 n = chunk.first_sample; n < number; ++n) offset += table.size_of(n);
    return offset;
}

std::optional<SampleFraming> chunk_framing(const Media& media, const SampleTable::ChunkSpan& chunk) {
    if (media.type() != kSoun || chunk.description == 0 || chunk.description > media.descriptions.entries.size())
        return std::nullopt;
    const SampleTable& table = media.samples;
    const UInt32 n = chunk.first_sample;
    const UInt64 end = n < table.sample_count() ? table.sample_time(n + 1) : table.duration();
    if (end - table.sample_time(n) != 1) return std::nullopt;
    return sound_framing(media.descriptions.entries[chunk.description - 1]);
}

Result<bool> start_chunk_at(Media& media, UInt32 number) {
    SampleTable& table = media.samples;
    const SampleTable::ChunkSpan span = table.chunk_span(number);
    if (span.first_sample == number) return true;
    if (span.description == 0 || span.description > media.descriptions.entries.size())
        return fail(invalidSampleDescIndex, "chunk names a missing sample description");
    const std::optional<SampleFraming> f = chunk_framing(media, span);
    if (f && (number - span.first_sample) % f->samples_per_packet) return false;
    TRY(table.split_chunk(number, sample_offset(table, span, f, number)));
    return true;
}

}  // namespace platform::movies
