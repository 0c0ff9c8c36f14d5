// Sound that goes through the sound decompressors, played on the headless
// host and recorded, against ffmpeg's own decode of the same file (which
// honours the edit list): every codec ffmpeg encodes here, from the start
// and from the middle; a damaged packet; MACE, which ffmpeg only decodes;
// AAC counted at another rate than it decodes at; a decoder the libraries
// lack.
#include <cmath>

#include "PlaybackSupport.h"
#include "platform/sound/SoundDecoder.h"
#include "platform/sound/libav/LibavSoundDecoder.h"
#include "tests/support/Process.h"
#include "tests/support/Tools.h"

using namespace pbtest;

namespace {

using Dir = testsupport::TempFolder;
using Frames = std::vector<float>;   // interleaved stereo

// Two tones on each side, so that no shift of the sound still lines up.
constexpr const char* kTones = "aevalsrc=0.4*sin(2*PI*440*t)+0.3*sin(2*PI*1234*t)|0.4*sin(2*PI*660*t)+0.3*sin(2*PI*1000*t):d=1:s=";

// ffmpeg's decode of `path`: stereo float frames at `rate`.
Frames ffmpeg_decode(const std::string& path, int rate) {
    const auto r = testsupport::run_program({"ffmpeg", "-v", "error", "-i", path, "-f", "f32le", "-ac", "2", "-ar", std::to_string(rate), "-"});
    EXPECT_EQ(r.status, 0) << r.err;
    Frames f(r.out.size() / sizeof(float));
    std::memcpy(f.data(), r.out.data(), f.size() * sizeof(float));
    return f;
}

// Correlation of one side of the recording from frame `at` with one side
// of `want` over `frames` frames.
double correlation(const Recording& r, size_t at, const Frames& want, size_t from, size_t frames, int side) {
    double sxy = 0, sxx = 0, syy = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double x = r.samples[2 * (at + i) + size_t(side)] / 32768.0, y = want[2 * (from + i) + size_t(side)];
        sxy += x * y, sxx += x * x, syy += y * y;
    }
    return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0;
}

size_t last_sound(const Recording& r) {
    for (size_t i = r.frames(); i-- > 0;)
        if (r.samples[2 * i] != 0 || r.samples[2 * i + 1] != 0) return i + 1;
    return 0;
}

// The end of what is not silence (at 16 bits) in the first `frames`.
size_t last_sound(const Frames& f, size_t frames) {
    for (size_t i = frames; i-- > 0;)
        if (std::abs(f[2 * i]) >= 0.5f / 32768 || std::abs(f[2 * i + 1]) >= 0.5f / 32768) return i + 1;
    return 0;
}

}  // namespace

// Each codec from the start (priming skipped as the edit list says: the
// recording lines up with ffmpeg's decode at zero lag and is as long), and
// the lossy ones also from the middle of the movie (decoded from the
// packets before, so the first frames heard are already right). The
// descriptions are ffmpeg's of every version (0, 1 with a 'wave', 2 'lpcm').
TEST(DecodedSound, EachCodecPlaysAsFfmpegDecodesIt) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    struct Case { const char* encoder; const char* file; int rate; bool from_middle; };
    const Case cases[] = {
        {"aac", "aac.mov", 44100, true},          {"aac", "aac.mp4", 48000, false},
        {"libmp3lame", "mp3.mov", 44100, true},   {"libmp3lame", "mp3.mp4", 44100, false},
        {"alac", "alac.m4a", 44100, false},       {"alac", "alac.mov", 44100, false},
        {"flac", "flac.mp4", 44100, false},       {"libopus", "opus.mp4", 48000, true},
        {"ac3", "ac3.mp4", 48000, true},          {"adpcm_ima_qt", "ima4.mov", 44100, false},
        {"pcm_mulaw", "ulaw.mov", 22050, false},  {"pcm_alaw", "alaw.mov", 22050, false},
        {"pcm_s24be", "s24be.mov", 44100, false}, {"pcm_s24le", "s24le.mov", 44100, false},
        {"pcm_s32le", "s32le.mov", 44100, false}, {"pcm_f32le", "f32le.mov", 44100, false},
        {"pcm_f64be", "f64be.mov", 44100, false}, {"pcm_s16le", "lpcm96k.mov", 96000, false}};
    Dir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (!have_encoder(c.encoder)) {
            std::cout << "[ skipped ] this ffmpeg has no " << c.encoder << " encoder\n";
            continue;
        }
        const std::string path = dir / c.file;
        ASSERT_EQ(ffmpeg(std::string("-f lavfi -i '") + kTones + std::to_string(c.rate) + "' -strict -2 -c:a " + c.encoder + " " + testsupport::quote(path)), "");
        // ffmpeg's decode may run on past the end of the edit, into the
        // encoder's padding: the movie's duration is what the track plays.
        const Frames want = ffmpeg_decode(path, c.rate);
        const size_t start = size_t(c.rate) / 5;
        Movie movie = read_movie(path);
        ASSERT_NE(movie, nullptr);
        const size_t length = size_t(UInt64(GetMovieDuration(movie)) * UInt64(c.rate) / UInt64(GetMovieTimeScale(movie)));
        std::string problem;
        const Recording r = play_and_record(movie, c.rate, dir / "out.wav", 0, {}, &problem);
        const size_t frames = std::min(length, want.size() / 2);
        ASSERT_GE(frames, size_t(c.rate));
        EXPECT_EQ(problem, "");
        ASSERT_GE(r.frames(), start + frames);
        for (int side : {0, 1}) EXPECT_GE(correlation(r, start, want, 0, frames, side), 0.99) << "side " << side;
        EXPECT_NEAR(double(last_sound(r)), double(start + last_sound(want, frames)), 2) << "the edit's length, the padding after it left out";
        if (!c.from_middle) continue;
        const Recording m = play_and_record(read_movie(path), c.rate, dir / "middle.wav", 0.5);
        const size_t half = size_t(c.rate) / 2, span = size_t(c.rate) / 10;
        ASSERT_GE(m.frames(), start + span);
        for (int side : {0, 1}) EXPECT_GE(correlation(m, start, want, half, span, side), 0.99) << "from the middle";
    }
}

// A damaged packet in the middle of an AAC track: the decoder refuses it
// and its span is silence (never noise, never a crash); the sound on either
// side plays as before.
TEST(DecodedSound, DamagedPacketIsSilentForItsSpan) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    if (!have_encoder("aac")) KINORA_SKIP_OR_FAIL("this ffmpeg has no aac encoder");
    Dir dir;
    const std::string path = dir / "aac.mov";
    ASSERT_EQ(ffmpeg("-f lavfi -i '" + std::string(kTones) + "44100' -c:a aac " + testsupport::quote(path)), "");
    const Frames want = ffmpeg_decode(path, 44100);
    auto bytes = testsupport::read_bytes(path);
    // The mdat comes first in ffmpeg's files; its middle is a packet's middle.
    const std::string text(bytes.begin(), bytes.end());
    const size_t mdat = text.find("mdat"), size = platform::load_u32be(&bytes[mdat - 4]);
    for (size_t i = 0; i < 200; ++i) bytes[mdat + size / 2 + i] = UInt8(i * 37 + 11);
    testsupport::write_bytes(path, bytes);

    const Recording r = play_and_record(read_movie(path), 44100, dir / "out.wav");
    const size_t start = 44100 / 5, frames = 44100;
    ASSERT_GE(r.frames(), start + frames);
    float peak = 0;
    for (size_t i = 0; i < frames; ++i) peak = std::max(peak, std::abs(want[2 * i]));
    size_t loud = 0;
    for (size_t i = 0; i < frames; ++i) loud += std::abs(r.samples[2 * (start + i)] / 32768.0) > peak + 0.05;
    EXPECT_EQ(loud, 0u) << "no noise";
    EXPECT_GE(correlation(r, start, want, 0, frames / 4, 0), 0.99) << "before the damage";
    EXPECT_GE(correlation(r, start + frames * 3 / 4, want, frames * 3 / 4, frames / 4, 0), 0.99) << "after it";
    size_t silent_run = 0, run = 0;
    for (size_t i = 0; i < frames; ++i) {
        run = r.samples[2 * (start + i)] == 0 ? run + 1 : 0;
        silent_run = std::max(silent_run, run);
    }
    EXPECT_GE(silent_run, 1000u) << "the damaged packet's 1024 frames are silent";
}

// Sound stored a frame a sample, in packets of a constant size (as our
// toolbox writes MACE and IMA 4:1, which ffmpeg writes otherwise or not at
// all): the recording is ffmpeg's decode of our file. A format nothing
// decodes plays as silence and says why, naming it.
TEST(DecodedSound, FramedPacketsPlayAndAnUnknownFormatSaysWhy) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    struct Case { OSType format; UInt32 frames_per_packet, bytes_per_packet; };
    const Case cases[] = {{'MAC3', 6, 2}, {'MAC6', 6, 1}, {'ima4', 64, 34}, {'zzzz', 1, 1}};
    Dir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string path = dir / "sound.mov";
        const UInt32 packets = 18000 / c.frames_per_packet, frames = packets * c.frames_per_packet;
        Bytes data(packets * c.bytes_per_packet);
        for (size_t i = 0; i < data.size(); ++i) data[i] = UInt8(i * 7919 >> 3);
        if (c.format == 'ima4')   // a step index in range, or the block is refused
            for (size_t i = 1; i < data.size(); i += c.bytes_per_packet) data[i] &= 0x3F;
        DisposeMovie(sound_movie(path, c.format, 8, 22050, data, frames));
        std::string problem;
        const Recording r = play_and_record(read_movie(path), 22050, dir / "out.wav", 0, {}, &problem);
        const size_t start = 22050 / 5;
        ASSERT_GE(r.frames(), start + frames);
        if (c.format == 'zzzz') {
            EXPECT_EQ(last_sound(r), 0u) << "silence, never noise";
            EXPECT_NE(problem.find("('zzzz') sound is not decoded"), std::string::npos) << problem;
            continue;
        }
        EXPECT_EQ(problem, "");
        const Frames want = ffmpeg_decode(path, 22050);
        ASSERT_EQ(want.size() / 2, frames);
        EXPECT_GE(correlation(r, start, want, 0, frames, 0), 0.99);
    }
}

namespace {

// The packets of an ADTS stream (their headers taken off).
std::vector<std::string> adts_packets(const std::string& stream) {
    std::vector<std::string> out;
    for (size_t at = 0; at + 7 <= stream.size();) {
        const auto b = [&](size_t i) { return size_t(UInt8(stream[at + i])); };
        const size_t length = (b(3) & 3) << 11 | b(4) << 3 | b(5) >> 5, header = (b(1) & 1) ? 7 : 9;
        if (length <= header || at + length > stream.size()) break;
        out.push_back(stream.substr(at + header, length - header));
        at += length;
    }
    return out;
}

}  // namespace

// AAC whose media counts time at another rate than the decoder gives, which
// comes out at the media's rate, a 1 kHz tone still 1 kHz: HE-AAC (its
// configuration signals spectral band replication, 2048 frames at 44100 for
// each packet of 1024 units at the core rate, 22050), and 8 kHz AAC in a
// media of 48000 units a second (6144 units a packet). Without the decoder
// in the installed libraries, configuring says so and names the codec.
TEST(DecodedSound, AacComesOutAtTheMediaRate) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    struct Case { int rate; std::vector<UInt8> config; int media_rate; };
    // Object type 5 (SBR) at 22050 in one channel, 44100 out, over AAC LC;
    // plain AAC LC at 8000 in one channel.
    const Case cases[] = {{22050, {0x2B, 0x8A, 0x08, 0x00}, 22050}, {8000, {0x15, 0x88}, 48000}};
    Dir dir;
    EnterMovies();
    platform::sound::SoundSource source;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.media_rate);
        const std::string stream = dir / "tone.aac";
        ASSERT_EQ(testsupport::run_program({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                            "sine=frequency=1000:sample_rate=" + std::to_string(c.rate) + ":d=1",
                                            "-c:a", "aac", "-f", "adts", stream}).status, 0);
        const auto packets = adts_packets(testsupport::read_file(stream));
        ASSERT_GE(packets.size(), 7u);
        source.format = 'mp4a', source.object_type = 0x40, source.rate = c.rate, source.channels = 1;
        source.config = c.config;
        source.media_rate = c.media_rate;
        auto decoder = platform::sound::open_sound_decoder('mp4a');
        ASSERT_NE(decoder, nullptr);
        ASSERT_EQ(decoder->configure(source), "");
        std::vector<float> out;
        for (const std::string& p : packets) EXPECT_TRUE(decoder->decode({reinterpret_cast<const UInt8*>(p.data()), p.size()}, out));
        const double per_packet = 1024.0 * c.media_rate / c.rate;
        EXPECT_NEAR(double(out.size()), per_packet * double(packets.size()), per_packet / 16);
        // The tone's rising crossings of zero, well past the decoder's start.
        size_t crossings = 0;
        const size_t from = size_t(4 * per_packet), to = out.size() - size_t(per_packet);
        for (size_t i = from + 1; i < to; ++i) crossings += out[i - 1] < 0 && out[i] >= 0;
        EXPECT_NEAR(double(crossings) * c.media_rate / double(to - from), 1000.0, 15.0);
    }

    platform::sound::hide_sound_decoder_for_testing('mp4a');
    auto missing = platform::sound::open_sound_decoder('mp4a');
    const std::string why = missing ? missing->configure(source) : "no decompressor";
    platform::sound::hide_sound_decoder_for_testing('mp4a', false);
    EXPECT_EQ(why, "AAC ('mp4a') sound needs libavcodec's aac decoder, which the installed libraries lack");
}
