// Mixer.h — the device side of playback: every attached stream summed into
// 16-bit stereo for one block of device frames.
//
// The float sum is scaled by 32768 and rounded; what lies outside the
// 16-bit range is clipped. A full-scale 8- or 16-bit source at gain 1
// comes out bit for bit (an 8-bit sample s becomes s * 256).
#pragma once

#include <memory>
#include <vector>

#include "platform/sound/AudioStream.h"

namespace platform::sound {

class Mixer {
public:
    // Not thread-safe: the device serialises these with its mixing.
    void attach(std::shared_ptr<AudioStream> stream);
    void detach(const std::shared_ptr<AudioStream>& stream);
    size_t stream_count() const { return streams_.size(); }

    // Fills `out` (frames * 2 samples) with device frames [first, first + frames).
    void mix(SInt16* out, UInt64 first, UInt32 frames);

private:
    std::vector<std::shared_ptr<AudioStream>> streams_;
    std::vector<float> sum_;
};

// One float sample (full scale +-1.0) as a 16-bit sample.
SInt16 to_s16(float v);

}  // namespace platform::sound
