// SoundPackets.h — compressed (and wide or float) sound media decoded
// through a sound decompressor, frame by frame in media time.
/*
 * A packet is the decoder's unit. The media's sample table gives packets
 * one of two ways:
 *   - one sample per packet, lasting the packet's frames, its size in
 *     stsz (AAC, MP3, ALAC, FLAC, Opus, AC-3 as most writers store them;
 *     IMA 4:1 as some do);
 *   - one sample per frame (duration 1), the bytes following from the
 *     description's framing (SampleFraming.h): packets of a constant size
 *     holding a constant number of frames (IMA 4:1, MACE, u-law, 24-bit
 *     and float PCM). Runs of one-frame packets (PCM) within a chunk go
 *     to the decoder together.
 * Each packet decodes to as many frames as it lasts in media time (cut or
 * padded with silence): the first packets of an encoder's output hold its
 * priming, which the track's edit list then skips, frame for frame.
 *
 * Reading on from where the last read ended decodes on; reading anywhere
 * else starts the decoder afresh enough packets earlier (the decoder's
 * preroll) that the frames asked for come out as a decode from the start
 * would give them. A packet the decoder refuses, or whose bytes cannot be
 * read, is silence for its span.
 */
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/movies/format/SampleDescriptions.h"
#include "platform/movies/format/SampleFraming.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/sound/SoundDecoder.h"

namespace platform::movies::playback {

// The decoder's view of a description: format, rate, channels and the
// configuration its extension atoms hold. `media_scale` stands in for a
// rate the description does not give. Fails with invalidSampleDescription
// when the extension atoms are damaged.
Result<sound::SoundSource> sound_source(const SoundDescription& d, UInt32 media_scale);

// Opens and configures the decoder of a description; on failure, why.
struct OpenedDecoder {
    std::unique_ptr<sound::SoundDecoder> decoder;
    std::string problem;
};
OpenedDecoder open_decoder(const SoundDescription& d, UInt32 media_scale);

class SoundPackets {
public:
    // Writes frames [time, time + count) of the media's description
    // `description` (1-based) into `out`, `channels` (1 or 2) interleaved;
    // what cannot be decoded is silence.
    void read(MediaObject& media, UInt32 description, UInt64 time, size_t count, int channels, float* out);

    // Why (some of) the sound is silent, once it is known; empty otherwise.
    const std::string& problem() const { return problem_; }

private:
    struct Packet {
        UInt64 time = 0;          // media time of its first frame
        UInt64 duration = 0;      // frames
        UInt64 offset = 0;
        UInt64 size = 0;
        UInt32 first_sample = 0;
        UInt32 samples = 0;
        UInt32 description = 0;
    };
    std::optional<Packet> packet_at(const Media& m, UInt64 time) const;
    std::optional<Packet> after(const Media& m, const Packet& p) const;
    void seek(const Media& m, UInt64 time);
    void decode_next(MediaObject& media);
    void note(const std::string& problem);

    UInt32 description_ = 0;
    std::unique_ptr<sound::SoundDecoder> decoder_;
    std::optional<SampleFraming> framing_;
    bool broken_ = false;                 // nothing of this description decodes
    std::optional<Packet> next_;          // the packet to decode next
    UInt64 buffer_start_ = 0;             // media time of buffer_'s first frame
    std::vector<float> buffer_;           // decoded frames, the decoder's channels
    std::vector<UInt8> bytes_;
    std::vector<float> decoded_;
    std::string problem_;
};

}  // namespace platform::movies::playback
