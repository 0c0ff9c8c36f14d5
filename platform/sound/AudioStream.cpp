#include "platform/sound/AudioStream.h"

#include <algorithm>

namespace platform::sound {

AudioStream::AudioStream(UInt64 start) : start_(start), write_(start), written_end_(start), ring_(size_t(kCapacity) * 2) {}

UInt32 AudioStream::writable(UInt64 mixed) const {
    const UInt64 limit = std::max(mixed, start_) + kCapacity;
    return write_ >= limit ? 0 : UInt32(limit - write_);
}

void AudioStream::skip_to(UInt64 frame) {
    if (frame <= write_) return;
    write_ = frame;
    // The skipped slots hold nothing valid; they are below `frame`, which
    // the device has passed, so publishing the new end exposes no stale
    // frame to it.
    written_end_.store(write_, std::memory_order_release);
}

void AudioStream::write(const float* stereo, UInt32 frames) {
    constexpr UInt64 mask = kCapacity - 1;
    UInt32 done = 0;
    while (done < frames) {
        const UInt64 slot = (write_ + done) & mask;
        const UInt32 run = UInt32(std::min<UInt64>(frames - done, kCapacity - slot));
        std::copy(stereo + size_t(done) * 2, stereo + size_t(done + run) * 2, ring_.begin() + long(slot * 2));
        done += run;
    }
    write_ += frames;
    written_end_.store(write_, std::memory_order_release);
}

void AudioStream::mix_into(float* out, UInt64 first, UInt32 frames) const {
    const UInt64 end = written_end_.load(std::memory_order_acquire);
    const UInt64 from = std::max(first, start_);
    const UInt64 to = std::min(first + frames, end);
    // Frames more than a ring behind the end were overwritten: only a
    // device that stalled for that long would ask for them.
    const UInt64 oldest = end > kCapacity ? end - kCapacity : 0;
    const float g = gain();
    if (g == 0.0f) return;
    constexpr UInt64 mask = kCapacity - 1;
    for (UInt64 f = std::max(from, oldest); f < to; ++f) {
        const float* src = &ring_[size_t(f & mask) * 2];
        float* dst = out + size_t(f - first) * 2;
        dst[0] += src[0] * g;
        dst[1] += src[1] * g;
    }
}

}  // namespace platform::sound
