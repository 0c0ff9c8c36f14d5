// SoundFormats.h — the sample formats playback decodes to float.
/*
 *   'raw '  8-bit offset binary (128 = silence); 16-bit read as 'twos'
 *   'twos'  8-bit signed, or 16-bit signed big-endian
 *   'sowt'  16-bit signed little-endian (8-bit: signed, as 'twos')
 *   'NONE'  as 'raw ' for 8 bits and 'twos' for 16
 * Channels are interleaved, one or two. Everything else (MACE, IMA, AAC,
 * wide and float PCM, ...) goes through a sound decompressor
 * (SoundDecoder.h); a track nothing decodes plays as silence and says why.
 */
#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/Types.h"

namespace platform::sound {

struct PcmFormat {
    enum class Kind { Offset8, Signed8, Big16, Little16 };
    Kind kind = Kind::Offset8;
    int channels = 1;

    int bytes_per_frame() const { return channels * (kind == Kind::Offset8 || kind == Kind::Signed8 ? 1 : 2); }
};

// The format of a sound description's data, or nothing when it is not one
// we decode (see unsupported_reason).
std::optional<PcmFormat> pcm_format(OSType format, int sample_size, int channels);

// The codec's name for messages ("AAC", "IMA 4:1", ...); empty when we
// know none. For 'mp4a' the stream's object type tells the codec.
std::string sound_format_name(OSType format, UInt8 object_type = 0);

// Why a format is not played, in words for a message: "MACE 3:1 ('MAC3')
// sound is not decoded".
std::string unsupported_reason(OSType format, int sample_size, int channels);

// Decodes whole frames of `bytes` (any trailing partial frame is ignored)
// into `out`, channels interleaved, full scale +-1.0; returns the frames.
size_t decode_pcm(const PcmFormat& f, std::span<const UInt8> bytes, float* out);

}  // namespace platform::sound
