#include "platform/sound/Resampler.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
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

// The filter as a polyphase bank: for each of kPhases + 1 positions between
// two input frames, the weights of the 2 * half inputs around it, scaled
// for unity gain. Banks are shared between resamplers of the same cut-off.
std::shared_ptr<const std::vector<float>> Resampler::bank(double cutoff, int half) {
    static std::mutex lock;
    static std::map<std::pair<double, int>, std::shared_ptr<const std::vector<float>>> banks;
    std::lock_guard g(lock);
    auto& slot = banks[{cutoff, half}];
    if (slot) return slot;
    const std::vector<float>& t = table();
    const double scale = cutoff * kPhases;   // table index per input frame of distance
    const size_t taps = size_t(half) * 2;
    auto b = std::make_shared<std::vector<float>>(size_t(kPhases + 1) * taps);
    for (int p = 0; p <= kPhases; ++p) {
        const double frac = double(p) / kPhases;
        float* w = b->data() + size_t(p) * taps;
        // Inputs i0 - half + 1 ... i0 + half for an output at i0 + frac.
        for (int k = -half + 1; k <= half; ++k) {
            const double d = std::fabs(frac - k) * scale;
            const size_t j = size_t(d);
            float v = 0.0f;
            if (j + 1 < t.size()) v = t[j] + (t[j + 1] - t[j]) * float(d - double(j));
            w[size_t(k + half - 1)] = v * float(cutoff);
        }
    }
    slot = std::move(b);
    return slot;
}

Resampler::Resampler(double step, int channels)
    : step_(step), channels_(channels == 2 ? 2 : 1), copy_(step == 1.0) {
    if (!copy_) {
        cutoff_ = kResamplerCutoff * std::min(1.0, 1.0 / step_);
        half_ = int(std::ceil(kResamplerZeroCrossings / cutoff_));
        bank_ = bank(cutoff_, half_);
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
    const size_t taps = size_t(half_) * 2;
    while (made < max_frames) {
        const long i0 = long(std::floor(pos_));
        if (size_t(i0 + half_) >= have) break;
        // Between the two nearest phases of the bank, linearly.
        const double at = (pos_ - double(i0)) * kPhases;
        const size_t p = std::min<size_t>(size_t(at), kPhases - 1);
        const float f = float(at - double(p));
        const float* w0 = bank_->data() + p * taps;
        const float* w1 = w0 + taps;
        for (int c = 0; c < channels_; ++c) {
            const float* x = &in_[c][size_t(i0 - half_ + 1)];
            // Eight partial sums in step, which the compiler can keep in
            // vector registers.
            float s0[8] = {}, s1[8] = {};
            size_t k = 0;
            for (; k + 8 <= taps; k += 8)
                for (size_t l = 0; l < 8; ++l) {
                    s0[l] += x[k + l] * w0[k + l];
                    s1[l] += x[k + l] * w1[k + l];
                }
            float a0 = 0.0f, a1 = 0.0f;
            for (; k < taps; ++k) {
                a0 += x[k] * w0[k];
                a1 += x[k] * w1[k];
            }
            for (size_t l = 0; l < 8; ++l) {
                a0 += s0[l];
                a1 += s1[l];
            }
            stereo[2 * made + size_t(c)] = a0 + (a1 - a0) * f;
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
