// Sound output: the sample formats, the resampler's quality, and what the
// headless device records while movies play (the new movie's sound, each
// format, volume and mute, sound files opened as movies).
#include <filesystem>
#include <fstream>
#include <numbers>

#include "NewMovie.h"
#include "PlaybackSupport.h"
#include "platform/sound/HeadlessAudio.h"
#include "platform/sound/Resampler.h"
#include "platform/sound/SoundFormats.h"

using namespace pbtest;
namespace snd = platform::sound;

namespace {

using Dir = testsupport::TempFolder;

bool silent(const Recording& r, size_t first, size_t end) {
    for (size_t i = 2 * first; i < 2 * std::min(end, r.frames()); ++i)
        if (r.samples[i] != 0) return false;
    return true;
}

}  // namespace

TEST(SoundFormats, DecodeEachFormatToFullScale) {
    struct Case { OSType format; int bits, channels; Bytes bytes; std::vector<float> want; };
    const Case cases[] = {
        {'raw ', 8, 1, {0x80, 0xFF, 0x00, 0xC0}, {0, 127 / 128.f, -1, 0.5f}},
        {'twos', 8, 1, {0x00, 0x7F, 0x80, 0x40}, {0, 127 / 128.f, -1, 0.5f}},
        {'twos', 16, 2, {0x40, 0x00, 0x80, 0x00}, {0.5f, -1}},
        {'sowt', 16, 2, {0x00, 0x40, 0x00, 0x80}, {0.5f, -1}},
        {'raw ', 8, 2, {0xFF, 0x00, 0x80, 0x81}, {127 / 128.f, -1, 0, 1 / 128.f}}};
    for (const Case& c : cases) {
        auto f = snd::pcm_format(c.format, c.bits, c.channels);
        ASSERT_TRUE(f.has_value());
        std::vector<float> out(c.want.size() + 4, 9.0f);
        EXPECT_EQ(snd::decode_pcm(*f, c.bytes, out.data()), c.want.size() / size_t(c.channels));
        out.resize(c.want.size());
        EXPECT_EQ(out, c.want);
    }
    using Layout = std::tuple<OSType, int, int>;
    for (auto [format, bits, channels] : {Layout{'MAC3', 8, 1}, Layout{'MAC6', 8, 1}, Layout{'ima4', 8, 1}, Layout{'twos', 24, 1}, Layout{'twos', 16, 3}})
        EXPECT_FALSE(snd::pcm_format(format, bits, channels).has_value()) << bits << " " << channels;
    EXPECT_EQ(snd::unsupported_reason('MAC3', 8, 1), "MACE 3:1 ('MAC3') sound is not decoded");
}

// A tone through the resampler against the same tone made at the output
// rate: passband tones come through clean, a tone above the new Nyquist
// frequency is removed, equal rates copy.
TEST(SoundResampler, PassbandCleanStopbandRemovedEqualRatesCopied) {
    // Passband: the tone against the error; stopband: what is left of the tone.
    struct Case { double in_rate, out_rate, freq, min_snr_db, max_level_db; };
    const Case cases[] = {
        {22050, 44100, 1000, 80, 0}, {22050, 48000, 5000, 80, 0}, {11025, 48000, 3000, 80, 0},
        {48000, 22050, 2000, 80, 0}, {44100, 44100, 7000, 140, 0},
        {48000, 22050, 15000, 0, -70}, {44100, 8000, 6000, 0, -70}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in_rate << " -> " << c.out_rate << " at " << c.freq);
        const size_t in_frames = size_t(c.in_rate);   // one second
        std::vector<float> in(in_frames);
        for (size_t i = 0; i < in_frames; ++i) in[i] = float(0.5 * std::sin(2 * std::numbers::pi * c.freq * double(i) / c.in_rate));
        snd::Resampler r(c.in_rate / c.out_rate, 1);
        // Pushed and pulled in uneven pieces, as playback does.
        std::vector<float> out;
        size_t pushed = 0;
        std::vector<float> block(2 * 977);
        while (pushed < in_frames) {
            const size_t n = std::min<size_t>(333, in_frames - pushed);
            r.push(&in[pushed], n);
            pushed += n;
            size_t got;
            while ((got = r.pull(block.data(), 977)) > 0)
                for (size_t i = 0; i < got; ++i) {
                    EXPECT_EQ(block[2 * i], block[2 * i + 1]) << "mono goes to both sides";
                    out.push_back(block[2 * i]);
                }
        }
        ASSERT_GT(out.size(), size_t(c.out_rate * 0.8));
        // Away from the ends, where the input starts and stops abruptly.
        double signal = 0, error = 0, level = 0;
        for (size_t i = size_t(c.out_rate * 0.1); i < size_t(c.out_rate * 0.7); ++i) {
            const double want = 0.5 * std::sin(2 * std::numbers::pi * c.freq * double(i) / c.out_rate);
            signal += want * want;
            error += (out[i] - want) * (out[i] - want);
            level += double(out[i]) * out[i];
        }
        if (c.min_snr_db > 0) { EXPECT_GT(10 * std::log10(signal / std::max(error, 1e-30)), c.min_snr_db); }
        if (c.max_level_db < 0) { EXPECT_LT(10 * std::log10(level / signal), c.max_level_db); }
    }
}

// The new movie's sound (22050 Hz) on a 48 kHz device: it starts with the
// picture and lasts as long. (Samples played exactly at the device's own
// rate are the looping and volume tests'.)
TEST(SoundRecording, NewMovieSoundStartsWithThePictureAndKeepsItsLength) {
    Dir dir;
    Movie movie = newmovie::create_new_movie(dir / "new.mov");
    Media sound = GetTrackMedia(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType));
    const size_t frames = size_t(std::llround(double(GetMediaDuration(sound)) * 48000 / GetMediaTimeScale(sound)));
    MovieCanvas canvas(movie, 320, 100);
    const Recording r = play_and_record(movie, 48000, dir / "out.wav");
    const size_t start = 48000 / 5;   // started at 200 ms
    ASSERT_GE(r.frames(), start + frames);
    EXPECT_TRUE(silent(r, 0, start)) << "nothing before the start";
    EXPECT_FALSE(silent(r, start, start + frames));
    EXPECT_TRUE(silent(r, start + frames + 64, r.frames())) << "nothing after the sound's end";
}

// The headless device mixes when it is asked for its clock; a stream that
// goes before it was asked again (a movie closed between two idles) was
// still heard until then, and a stream that comes is not heard before.
TEST(SoundRecording, DeviceHearsStreamsOnlyWhileAttached) {
    Dir dir;
    UInt64 now_ms = 0;
    {
        snd::HeadlessAudio device([&] { return now_ms; }, 8000, std::string(dir / "tail.wav"));
        auto stream = std::make_shared<snd::AudioStream>(0);
        const std::vector<float> half(2 * 1600, 0.5f);   // 200 ms
        stream->write(half.data(), 1600);
        now_ms = 50;
        device.attach(stream);
        now_ms = 150;
        device.detach(stream);
        now_ms = 250;
    }
    const Recording r = read_wav(dir / "tail.wav");
    ASSERT_EQ(r.frames(), 2000u);
    EXPECT_TRUE(silent(r, 0, 400)) << "before the attach";
    for (size_t i = 400; i < 1200; ++i) ASSERT_EQ(r.samples[2 * i], 16384) << "frame " << i;
    EXPECT_TRUE(silent(r, 1200, 2000)) << "after the detach";
}

// A looping movie's sound runs on from its end into its start with not a
// frame lost or doubled, pass after pass, and stops where it is stopped.
TEST(SoundRecording, LoopingRunsOnWithoutAGap) {
    Dir dir;
    // Half a second and a bit (a whole number of movie units), at the
    // device's own rate; the clock moves in steps that never meet the end
    // of a pass exactly.
    const UInt32 rate = 8000, n = 4040;
    Bytes pcm;
    for (UInt32 i = 0; i < n; ++i) {
        const int v = (int(11000 * std::sin(i * 0.037) + 5000 * std::sin(i * 0.0011)) & ~0xFF) | int(i % 251);
        pcm.insert(pcm.end(), {UInt8(v >> 8), UInt8(v)});
    }
    Movie movie = sound_movie(dir / "loop.mov", 'twos', 16, rate, pcm, n);
    ASSERT_EQ(UInt64(GetMovieDuration(movie)) * rate, UInt64(n) * GetMovieTimeScale(movie));
    VirtualHost vh(int(rate), dir / "loop.wav");
    SetTimeBaseFlags(GetMovieTimeBase(movie), loopTimeBase);
    GoToBeginningOfMovie(movie);
    vh.run(movie, 200);
    StartMovie(movie);
    vh.run(movie, 1750, 7);   // three and a half passes
    EXPECT_NE(GetMovieRate(movie), 0);
    StopMovie(movie);
    vh.run(movie, 300, 7);
    DisposeMovie(movie);
    vh.finish();
    const Recording r = read_wav(dir / "loop.wav");
    const size_t start = rate / 5;
    size_t wrong = 0, first_wrong = 0;
    for (size_t i = 0; i < 3 * n; ++i) {
        const SInt16 want = SInt16((pcm[2 * (i % n)] << 8) | pcm[2 * (i % n) + 1]);
        if (r.samples[2 * (start + i)] != want && wrong++ == 0) first_wrong = i;
    }
    EXPECT_EQ(wrong, 0u) << "first wrong frame " << first_wrong << " (pass " << first_wrong / n << ")";
    EXPECT_TRUE(silent(r, start + 3 * n + n / 2 + rate / 20, r.frames())) << "sound after the stop";
}

// Track volume times movie volume, applied as the device mixes; a negative
// movie volume is muted.
TEST(SoundRecording, TrackAndMovieVolumeAndMute) {
    Dir dir;
    struct Case { SInt16 movie_volume, track_volume; double gain; };
    const Case cases[] = {{0x80, 0x100, 0.5}, {0x100, 0x40, 0.25}, {0x80, 0x80, 0.25}, {-0x100, 0x100, 0}};
    const UInt32 rate = 8000, n = 4000;
    Bytes bytes(n);
    for (UInt32 i = 0; i < n; ++i) bytes[i] = UInt8(128 + int(100 * std::sin(i * 0.1)));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.movie_volume) + " x " + std::to_string(c.track_volume));
        Movie movie = sound_movie(dir / "vol.mov", 'raw ', 8, rate, bytes, n, c.track_volume);
        SetMovieVolume(movie, c.movie_volume);
        const Recording r = play_and_record(movie, int(rate), dir / "vol.wav");
        const size_t start = rate / 5;
        int worst = 0;
        for (UInt32 i = 0; i < n; ++i) {
            const int want = int(std::lround((bytes[i] - 128) * 256 * c.gain));
            worst = std::max(worst, std::abs(r.samples[2 * (start + i)] - want));
        }
        EXPECT_LE(worst, 1);
    }

    // Muting while it plays silences the rest from then on.
    Movie movie = sound_movie(dir / "vol.mov", 'raw ', 8, rate, bytes, n);
    const Recording r = play_and_record(movie, int(rate), dir / "vol.wav", 0, [&](VirtualHost& vh) {
        vh.run(movie, 200);
        SetMovieVolume(movie, -GetMovieVolume(movie));
    });
    const size_t start = rate / 5;
    EXPECT_FALSE(silent(r, start, start + rate / 5 - rate / 100));
    EXPECT_TRUE(silent(r, start + rate / 5 + rate / 50, start + n + rate));
}

