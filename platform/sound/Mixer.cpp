#include "platform/sound/Mixer.h"

#include <algorithm>
#include <cmath>

namespace platform::sound {

SInt16 to_s16(float v) {
    const float s = std::nearbyint(v * 32768.0f);
    return SInt16(std::clamp(s, -32768.0f, 32767.0f));
}

void Mixer::attach(std::shared_ptr<AudioStream> stream) {
    if (stream && std::find(streams_.begin(), streams_.end(), stream) == streams_.end())
        streams_.push_back(std::move(stream));
}

void Mixer::detach(const std::shared_ptr<AudioStream>& stream) { std::erase(streams_, stream); }

void Mixer::mix(SInt16* out, UInt64 first, UInt32 frames) {
    const size_t n = size_t(frames) * 2;
    if (streams_.empty()) {
        std::fill(out, out + n, SInt16(0));
        return;
    }
    sum_.assign(n, 0.0f);
    for (const auto& s : streams_) s->mix_into(sum_.data(), first, frames);
    for (size_t i = 0; i < n; ++i) out[i] = to_s16(sum_[i]);
}

}  // namespace platform::sound
