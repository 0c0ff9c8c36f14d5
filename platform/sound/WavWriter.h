// WavWriter.h — a 16-bit PCM WAV file written as the sound is produced.
/*
 *   "RIFF" u32le (file size - 8) "WAVE"
 *   "fmt " u32le 16  u16le 1 (PCM)  u16le channels  u32le rate
 *          u32le bytes per second  u16le block align  u16le 16 (bits)
 *   "data" u32le data bytes, then the samples, little-endian
 * The two sizes are written as 0 at first and filled in by finish(), so a
 * file whose writer never finished still shows how it was cut short.
 */
#pragma once

#include <cstdio>
#include <string>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::sound {

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    Result<void> open(const std::string& path, int rate, int channels);
    bool is_open() const { return file_ != nullptr; }
    // Interleaved samples, frames * channels of them.
    Result<void> append(const SInt16* samples, size_t frames);
    // Fills in the sizes and closes the file; nothing when not open.
    Result<void> finish();
    UInt64 frames_written() const { return frames_; }

private:
    std::FILE* file_ = nullptr;
    int channels_ = 2;
    UInt64 frames_ = 0;
};

}  // namespace platform::sound
