// AudioFile.h — PCM sound files in and out (WAV and AIFF), for the sound
// bodies of rescompile and for synthsound.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace rescompile {

// Interleaved samples in the form a sound resource stores them: 8-bit
// samples as offset binary (0x80 is silence), 16-bit ones signed big-endian.
struct Audio {
    UInt16 channels = 1;
    UInt16 bits = 8;          // 8 or 16
    double rate = 22050.0;    // frames per second
    std::vector<UInt8> samples;

    size_t frame_bytes() const { return size_t(channels) * (bits / 8); }
    size_t frames() const { return frame_bytes() ? samples.size() / frame_bytes() : 0; }
};

// Uncompressed PCM only, 8 or 16 bits, any channel count. Fail with
// badFormat and a message naming what is wrong.
platform::Result<Audio> read_wav(std::span<const UInt8> file);
platform::Result<Audio> read_aiff(std::span<const UInt8> file);

std::vector<UInt8> write_wav(const Audio& audio);
std::vector<UInt8> write_aiff(const Audio& audio);

// The 80-bit IEEE extended numbers of AIFF and of sound headers.
void to_extended80(double value, UInt8 out[10]);
double from_extended80(const UInt8 in[10]);

}  // namespace rescompile
