// synthsound — makes the sound files the resources are built from.
//
//   synthsound fanfare OUT.wav
//       The application's fanfare: 6.5 s of FM bells (a rising arpeggio,
//       then subdominant, dominant and tonic chords), 8-bit mono, 22050 Hz.
//   synthsound tone HZ FRAMES CHANNELS BITS RATE OUT.wav|OUT.aif
//       A plain sine at half scale, for test resources.
//
// Everything is deterministic: the same command writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "AudioFile.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 22050.0;
constexpr double kSeconds = 6.5;

double note(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

struct Bell {
    double start;      // seconds
    int midi;
    double level;
    double decay;      // seconds for the level to fall by 1/e
};

// An FM bell: a carrier with a modulator at twice its frequency whose depth
// fades faster than the note, so each strike starts bright and mellows.
void strike(std::vector<double>& mix, const Bell& b) {
    const double f = note(b.midi);
    const size_t first = size_t(b.start * kRate);
    for (size_t i = first; i < mix.size(); ++i) {
        const double t = double(i - first) / kRate;
        const double attack = std::min(1.0, t / 0.008);
        const double env = attack * std::exp(-t / b.decay);
        if (env < 1e-4 && t > 0.1) break;
        const double index = 2.2 * std::exp(-t / (b.decay * 0.35)) + 0.2;
        const double mod = index * std::sin(2 * kPi * 2.0 * f * t);
        mix[i] += b.level * env * (std::sin(2 * kPi * f * t + mod) + 0.25 * std::sin(2 * kPi * 3.0 * f * t));
    }
}

rescompile::Audio fanfare() {
    std::vector<double> mix(size_t(kSeconds * kRate), 0.0);
    const Bell bells[] = {
        // rising arpeggio G4 C5 E5 G5, then a long C6
        {0.00, 67, 0.8, 0.5}, {0.18, 72, 0.8, 0.5}, {0.36, 76, 0.8, 0.5}, {0.54, 79, 0.8, 0.6},
        {0.90, 84, 0.9, 1.1},
        // F major (subdominant)
        {1.90, 65, 0.55, 0.9}, {1.90, 69, 0.55, 0.9}, {1.90, 72, 0.55, 0.9},
        // G major (dominant)
        {2.90, 67, 0.55, 0.9}, {2.90, 71, 0.55, 0.9}, {2.90, 74, 0.55, 0.9},
        // C major to close, with the octave above and a bass C
        {3.90, 48, 0.45, 1.4}, {3.90, 60, 0.55, 1.3}, {3.90, 64, 0.55, 1.3},
        {3.90, 67, 0.55, 1.3}, {4.05, 72, 0.6, 1.1},  {4.20, 76, 0.5, 1.0},
    };
    for (const Bell& b : bells) strike(mix, b);

    // The last 0.4 s fade to silence so the sound never ends in a click.
    const size_t fade = size_t(0.4 * kRate);
    for (size_t i = 0; i < fade; ++i) mix[mix.size() - fade + i] *= 1.0 - double(i) / double(fade);

    double peak = 0;
    for (double v : mix) peak = std::max(peak, std::fabs(v));
    const double gain = peak > 0 ? 0.9 / peak : 0;
    rescompile::Audio audio;
    audio.channels = 1;
    audio.bits = 8;
    audio.rate = kRate;
    audio.samples.reserve(mix.size());
    for (double v : mix) audio.samples.push_back(UInt8(128 + std::lround(v * gain * 127.0)));
    return audio;
}

rescompile::Audio tone(double hz, size_t frames, UInt16 channels, UInt16 bits, double rate) {
    rescompile::Audio audio;
    audio.channels = channels;
    audio.bits = bits;
    audio.rate = rate;
    for (size_t f = 0; f < frames; ++f) {
        const double v = 0.5 * std::sin(2 * kPi * hz * double(f) / rate);
        for (UInt16 c = 0; c < channels; ++c) {
            // The second channel a fifth above, so channels can be told apart.
            const double s = c == 0 ? v : 0.5 * std::sin(2 * kPi * hz * 1.5 * double(f) / rate);
            if (bits == 8) {
                audio.samples.push_back(UInt8(128 + std::lround(s * 127)));
            } else {
                const UInt16 x = UInt16(SInt16(std::lround(s * 32767)));
                audio.samples.push_back(UInt8(x >> 8));
                audio.samples.push_back(UInt8(x));
            }
        }
    }
    return audio;
}

bool save(const std::string& path, const rescompile::Audio& audio) {
    const bool aiff = path.size() > 4 && (path.substr(path.size() - 4) == ".aif" || path.substr(path.size() - 5) == ".aiff");
    const std::vector<UInt8> bytes = aiff ? rescompile::write_aiff(audio) : rescompile::write_wav(audio);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

int usage() {
    std::fprintf(stderr,
                 "usage: synthsound fanfare OUT.wav\n"
                 "       synthsound tone HZ FRAMES CHANNELS BITS RATE OUT.wav|OUT.aif\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    rescompile::Audio audio;
    std::string out;
    if (a.size() == 2 && a[0] == "fanfare") {
        audio = fanfare();
        out = a[1];
    } else if (a.size() == 7 && a[0] == "tone") {
        const double hz = std::atof(a[1].c_str());
        const long frames = std::atol(a[2].c_str());
        const int channels = std::atoi(a[3].c_str());
        const int bits = std::atoi(a[4].c_str());
        const double rate = std::atof(a[5].c_str());
        if (hz <= 0 || frames <= 0 || channels < 1 || channels > 8 || (bits != 8 && bits != 16) || rate < 1 ||
            rate > 65535)
            return usage();
        audio = tone(hz, size_t(frames), UInt16(channels), UInt16(bits), rate);
        out = a[6];
    } else {
        return usage();
    }
    if (!save(out, audio)) {
        std::fprintf(stderr, "synthsound: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
