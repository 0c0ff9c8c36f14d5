// SoundDecoder.h — sound decompressors: components that turn the packets
// of a compressed (or wide, or float) sound into float frames.
//
// Each is registered with the component registry as type 'sdec', its
// subtype the sample description's format ('mp4a', 'ima4', 'lpcm', ...),
// manufacturer 'Knra'; playback finds one by format, configures it from
// the description and feeds it the media's packets in order. The PCM
// formats playback reads itself ('raw ', 'twos', 'sowt' of 8 and 16 bits,
// SoundFormats.h) do not come through here.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/components/ComponentRegistry.h"

namespace platform::sound {

inline constexpr OSType kSoundDecompressorType = 'sdec';

// What a decompressor is told about the sound it decodes, from the sample
// description and its extension atoms.
struct SoundSource {
    OSType format = 0;             // the description's format
    double rate = 0;               // frames per second
    int channels = 0;
    int bits = 0;                  // bits of one channel's sample (PCM formats)
    bool is_float = false;         // PCM formats: IEEE float samples
    bool little_endian = false;    // PCM formats
    bool is_unsigned = false;      // 'lpcm' integers without the signed flag
    UInt8 object_type = 0;         // 'mp4a': the stream's object type (0x40 AAC, 0x6B MP3, ...)
    UInt32 bytes_per_packet = 0;   // packets of a constant size (IMA, MACE, PCM); 0 when they vary
    std::vector<UInt8> config;     // the decoder's configuration, as the codec defines it
    // Frames per second of the media's time, which playback counts decoded
    // frames in: a decoder whose output runs at another rate (HE-AAC, its
    // spectral band replication doubling the core rate the media counts in)
    // is resampled to it. 0: the decoder's own rate.
    double media_rate = 0;
};

class SoundDecoder : public components::Instance {
public:
    // Prepares to decode `source`. On failure, why, in words that name the
    // codec ("... needs libavcodec's aac decoder, which ..."); empty on success.
    virtual std::string configure(const SoundSource& source) = 0;
    // The channels of what decode() gives: 1 or 2 (more are mixed down to two).
    virtual int channels() const = 0;
    // Frames before a position that must be decoded for the frames there to
    // come out right (the overlap of a transform codec); 0 when every packet
    // stands alone.
    virtual UInt32 preroll_frames() const = 0;
    // Decodes one packet, appending its frames (interleaved, full scale
    // +-1.0) to `out`. A packet the decoder finds damaged appends nothing
    // and returns false; the decoder is then ready for the next one.
    virtual bool decode(std::span<const UInt8> packet, std::vector<float>& out) = 0;
    // Forgets what carries over from one packet to the next, before
    // decoding from somewhere else.
    virtual void reset() = 0;
};

// Opens the decompressor registered for `format`; null when there is none.
std::unique_ptr<SoundDecoder> open_sound_decoder(OSType format);

}  // namespace platform::sound
