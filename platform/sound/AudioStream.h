// AudioStream.h — one voice's frames on their way to the device.
/*
 * A ring of stereo float frames addressed by absolute device frame: the
 * frame that plays at device frame F sits in slot F mod kCapacity. One
 * producer (playback, on the main thread) writes frames in order from the
 * stream's start; one consumer (the device's mixer) reads the frames of the
 * device positions it is mixing. The only shared state is the end of what
 * was written (released by the producer, acquired by the consumer) and the
 * gain, so neither side ever waits for the other.
 *
 * The producer never writes more than kCapacity frames past what the device
 * has mixed (that slot may still be being read), and a producer that fell
 * behind skips ahead to where the device is rather than play late: the
 * frames it missed are simply not heard, and picture and sound stay in step.
 */
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "platform/Types.h"

namespace platform::sound {

class AudioStream {
public:
    static constexpr UInt32 kCapacity = 1u << 15;   // frames: 0.68 s at 48 kHz

    // A stream whose first frame plays at device frame `start`.
    explicit AudioStream(UInt64 start);

    UInt64 start() const { return start_; }

    // --- producer
    // The device frame the next written frame plays at.
    UInt64 write_position() const { return write_; }
    // How many frames may be written now, given what the device has mixed.
    UInt32 writable(UInt64 mixed) const;
    // Moves the write position forward to `frame` (a producer that fell
    // behind the device); frames skipped this way are never played.
    void skip_to(UInt64 frame);
    // Writes interleaved stereo frames at the write position (at most
    // writable() of them).
    void write(const float* stereo, UInt32 frames);
    // Linear gain applied as the device mixes (0 = silent).
    void set_gain(float gain) { gain_.store(gain, std::memory_order_relaxed); }
    float gain() const { return gain_.load(std::memory_order_relaxed); }

    // --- consumer
    // Adds this stream's frames for device frames [first, first + frames)
    // into `out` (interleaved stereo), scaled by the gain. Positions the
    // stream holds nothing for add nothing.
    void mix_into(float* out, UInt64 first, UInt32 frames) const;

private:
    const UInt64 start_;
    UInt64 write_;                       // producer's own position
    std::atomic<UInt64> written_end_;    // frames before this are readable
    std::atomic<float> gain_{1.0f};
    std::vector<float> ring_;
};

}  // namespace platform::sound
