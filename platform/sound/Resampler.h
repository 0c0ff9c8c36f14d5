// Resampler.h — sample-rate conversion for playback.
/*
 * Band-limited interpolation with a Kaiser-windowed sinc (beta 8.6, 32 zero
 * crossings on each side, about -90 dB of stop band), evaluated as a
 * polyphase bank of 512 phases per input frame, each output frame
 * interpolated linearly between the two nearest phases. The low-pass cut-off sits at 0.92 of the lower of the two Nyquist
 * frequencies, so going down in rate does not alias and going up leaves no
 * images. A step of exactly 1 (equal rates) copies the input unchanged.
 *
 * Streaming: input frames are pushed as they are read, output frames pulled
 * as far as the pushed input reaches (each output frame needs the input up
 * to 32 / cut-off frames past its position). Before the first pushed frame
 * the input counts as silence, so output frame 0 is centred on input frame
 * 0 and nothing is delayed.
 */
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace platform::sound {

class Resampler {
public:
    // `step`: input frames per output frame (input rate / output rate, times
    // the playback rate); `channels`: 1 or 2. Output is always stereo (a
    // mono input goes to both sides).
    Resampler(double step, int channels);

    double step() const { return step_; }
    bool is_copy() const { return copy_; }
    int channels() const { return channels_; }

    // Appends `count` input frames (interleaved by channel).
    void push(const float* frames, size_t count);
    void push_silence(size_t count);
    // Writes up to `max_frames` stereo output frames; returns how many the
    // pushed input allowed.
    size_t pull(float* stereo, size_t max_frames);
    // Input frames still to push before `out_frames` more output frames can
    // be pulled.
    size_t input_needed(size_t out_frames) const;

    // Half the filter's length, in input frames.
    int half_taps() const { return half_; }

private:
    void compact();

    double step_;
    int channels_;
    bool copy_;
    double cutoff_ = 1.0;      // fraction of the input's Nyquist frequency
    int half_ = 0;
    std::vector<float> in_[2];
    double pos_ = 0;           // input index (in in_) of the next output frame
    std::shared_ptr<const std::vector<float>> bank_;

    static std::shared_ptr<const std::vector<float>> bank(double cutoff, int half);
};

// The filter's table (sinc times window over [0, zero crossings]); exposed
// for the quality test's reference.
double windowed_sinc(double x_in_zero_crossings);
inline constexpr int kResamplerZeroCrossings = 32;
inline constexpr double kResamplerCutoff = 0.92;

}  // namespace platform::sound
