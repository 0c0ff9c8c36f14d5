#include "platform/sound/Resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::sound {

namespace {

constexpr int kPhases = 512;
constexpr double kBeta = 8.6;

double bessel_i0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 64; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

// T[j] = windowed_sinc(j / kPhases), j = 0 ... zero crossings * kPhases.
const std::vector<float>& table() {
    static const std::vector<float> t = [] {
        std::vector<float> v(size_t(kResamplerZeroCrossings) * kPhases + 2, 0.0f);
        for (size_t j = 0; j + 1 < v.size(); ++j) v[j] = float(windowed_sinc(double(j) / kPhases));
        return v;
    }();
    return t;
}

}  // namespace

double windowed_sinc(double x) {
    x = std::fabs(x);
    if (x >= kResamplerZeroCrossings) return 0;
    const double r = x / kResamplerZeroCrossings;
    const double window = bessel_i0(kBeta * std::sqrt(1 - r * r)) / bessel_i0(kBeta);
    const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
    return sinc * window;
}

Resampler::Resampler(double step, int channels)
    : step_(step), channels_(channels == 2 ? 2 : 1), copy_(step == 1.0) {
    if (!copy_) {
        cutoff_ = kResamplerCutoff * std::min(1.0, 1.0 / step_);
        half_ = int(std::ceil(kResamplerZeroCrossings / cutoff_));
        weights_.resize(size_t(half_) * 2);
        // Silence before the first frame, for the filter's left half.
        for (auto& c : in_) c.assign(size_t(half_), 0.0f);
        pos_ = half_;
    }
}

void Resampler::push(const float* frames, size_t count) {
    for (int c = 0; c < channels_; ++c) {
        auto& buf = in_[c];
        const size_t at = buf.size();
        buf.resize(at + count);
        for (size_t i = 0; i < count; ++i) buf[at + i] = frames[i * size_t(channels_) + size_t(c)];
    }
}

void Resampler::push_silence(size_t count) {
    for (int c = 0; c < channels_; ++c) in_[c].resize(in_[c].size() + count, 0.0f);
}

size_t Resampler::input_needed(size_t out_frames) const {
    if (out_frames == 0) return 0;
    const double last = pos_ + double(out_frames - 1) * step_;
    const size_t need = size_t(std::floor(last)) + size_t(half_) + 1;
    return need > in_[0].size() ? need - in_[0].size() : 0;
}

size_t Resampler::pull(float* stereo, size_t max_frames) {
    const size_t have = in_[0].size();
    size_t made = 0;
    if (copy_) {
        const size_t start = size_t(pos_);
        made = std::min(max_frames, have - start);
        for (size_t i = 0; i < made; ++i) {
            const float l = in_[0][start + i];
            stereo[2 * i] = l;
            stereo[2 * i + 1] = channels_ == 2 ? in_[1][start + i] : l;
        }
        pos_ += double(made);
        compact();
        return made;
    }
    const std::vector<float>& t = table();
    const double scale = cutoff_ * kPhases;   // table index per input frame of distance
    while (made < max_frames) {
        const double centre = pos_;
        const long i0 = long(std::floor(centre));
        if (size_t(i0 + half_) >= have) break;
        const double frac = centre - double(i0);
        // Weights for inputs i0 - half + 1 ... i0 + half.
        for (int k = -half_ + 1; k <= half_; ++k) {
            const double d = std::fabs(frac - k) * scale;
            const size_t j = size_t(d);
            float w = 0.0f;
            if (j + 1 < t.size()) {
                const float f = float(d - double(j));
                w = t[j] + (t[j + 1] - t[j]) * f;
            }
            weights_[size_t(k + half_ - 1)] = w * float(cutoff_);
        }
        for (int c = 0; c < channels_; ++c) {
            const float* x = &in_[c][size_t(i0 - half_ + 1)];
            float acc = 0.0f;
            for (size_t k = 0; k < weights_.size(); ++k) acc += x[k] * weights_[k];
            stereo[2 * made + size_t(c)] = acc;
        }
        if (channels_ == 1) stereo[2 * made + 1] = stereo[2 * made];
        ++made;
        pos_ += step_;
    }
    compact();
    return made;
}

// Drops input the filter will not look at again.
void Resampler::compact() {
    const long keep_from = long(std::floor(pos_)) - half_;
    if (keep_from < 8192) return;
    for (int c = 0; c < channels_; ++c) in_[c].erase(in_[c].begin(), in_[c].begin() + keep_from);
    pos_ -= double(keep_from);
}

}  // namespace platform::sound
