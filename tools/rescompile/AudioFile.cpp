/*
 * WAV (RIFF, little-endian):
 *   "RIFF" u32 size "WAVE", then chunks: id (4), u32 size, data, a pad byte
 *   when the size is odd.
 *   "fmt ": u16 format (1 = PCM), u16 channels, u32 sample rate, u32 bytes
 *           per second, u16 block align, u16 bits per sample
 *   "data": interleaved samples; 8-bit unsigned, 16-bit signed little-endian
 *
 * AIFF (big-endian):
 *   "FORM" u32 size "AIFF", then chunks: id (4), u32 size, data, padded to
 *   an even size.
 *   "COMM": s16 channels, u32 sample frames, s16 bits per sample,
 *           80-bit extended sample rate
 *   "SSND": u32 offset, u32 block size, then `offset` bytes, then the
 *           samples; signed, 16-bit big-endian
 */
#include "AudioFile.h"

#include <cmath>
#include <cstring>

#include "platform/Errors.h"
#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"

namespace rescompile {

using platform::ByteReader;
using platform::ByteWriter;
using platform::fail;
using platform::fourcc;

namespace {

UInt16 swap16(UInt16 v) { return UInt16((v >> 8) | (v << 8)); }
UInt32 swap32(UInt32 v) { return __builtin_bswap32(v); }

platform::Result<UInt16> le16(ByteReader& r) { return swap16(TRY(r.u16())); }
platform::Result<UInt32> le32(ByteReader& r) { return swap32(TRY(r.u32())); }

void put_le16(ByteWriter& w, UInt16 v) { w.u16(swap16(v)); }
void put_le32(ByteWriter& w, UInt32 v) { w.u32(swap32(v)); }

platform::Result<void> check_format(UInt16 channels, UInt16 bits, double rate) {
    if (channels == 0) return fail(badFormat, "the sound has no channels");
    if (bits != 8 && bits != 16) return fail(badFormat, "only 8- and 16-bit samples are supported");
    if (!(rate > 0 && rate < 65536)) return fail(badFormat, "the sample rate is out of range");
    return platform::ok();
}

}  // namespace

platform::Result<Audio> read_wav(std::span<const UInt8> file) {
    ByteReader r(file, badFormat);
    if (TRY(r.u32()) != fourcc("RIFF")) return fail(badFormat, "not a WAV file (no RIFF header)");
    TRY(r.skip(4));
    if (TRY(r.u32()) != fourcc("WAVE")) return fail(badFormat, "not a WAV file (RIFF but not WAVE)");

    Audio audio;
    bool haveFormat = false, haveData = false;
    while (r.remaining() >= 8 && !haveData) {
        const UInt32 id = TRY(r.u32());
        const UInt32 size = TRY(le32(r));
        if (size > r.remaining()) return fail(badFormat, "a WAV chunk runs past the end of the file");
        ByteReader chunk = TRY(r.sub(size));
        if (size % 2 && r.remaining()) TRY(r.skip(1));
        if (id == fourcc("fmt ")) {
            if (TRY(le16(chunk)) != 1) return fail(badFormat, "the WAV file is not plain PCM");
            audio.channels = TRY(le16(chunk));
            audio.rate = TRY(le32(chunk));
            TRY(chunk.skip(6));
            audio.bits = TRY(le16(chunk));
            TRY(check_format(audio.channels, audio.bits, audio.rate));
            haveFormat = true;
        } else if (id == fourcc("data")) {
            if (!haveFormat) return fail(badFormat, "the WAV data chunk comes before its format");
            const size_t usable = size - size % audio.frame_bytes();
            auto bytes = TRY(chunk.bytes(usable));
            audio.samples.assign(bytes.begin(), bytes.end());
            if (audio.bits == 16)
                for (size_t i = 0; i + 1 < audio.samples.size(); i += 2) std::swap(audio.samples[i], audio.samples[i + 1]);
            haveData = true;
        }
    }
    if (!haveFormat) return fail(badFormat, "the WAV file has no format chunk");
    if (!haveData) return fail(badFormat, "the WAV file has no data chunk");
    return audio;
}

platform::Result<Audio> read_aiff(std::span<const UInt8> file) {
    ByteReader r(file, badFormat);
    if (TRY(r.u32()) != fourcc("FORM")) return fail(badFormat, "not an AIFF file (no FORM header)");
    TRY(r.skip(4));
    if (TRY(r.u32()) != fourcc("AIFF")) return fail(badFormat, "not an AIFF file (FORM but not AIFF)");

    Audio audio;
    UInt32 frames = 0;
    bool haveCommon = false;
    std::span<const UInt8> soundData;
    bool haveSound = false;
    while (r.remaining() >= 8) {
        const UInt32 id = TRY(r.u32());
        const UInt32 size = TRY(r.u32());
        if (size > r.remaining()) return fail(badFormat, "an AIFF chunk runs past the end of the file");
        ByteReader chunk = TRY(r.sub(size));
        if (size % 2 && r.remaining()) TRY(r.skip(1));
        if (id == fourcc("COMM")) {
            const SInt16 channels = TRY(chunk.s16());
            frames = TRY(chunk.u32());
            const SInt16 bits = TRY(chunk.s16());
            auto rate = TRY(chunk.bytes(10));
            if (channels <= 0 || bits <= 0) return fail(badFormat, "the AIFF format is damaged");
            audio.channels = UInt16(channels);
            audio.bits = UInt16(bits);
            audio.rate = from_extended80(rate.data());
            TRY(check_format(audio.channels, audio.bits, audio.rate));
            haveCommon = true;
        } else if (id == fourcc("SSND")) {
            const UInt32 offset = TRY(chunk.u32());
            TRY(chunk.skip(4));
            TRY(chunk.skip(offset));
            soundData = TRY(chunk.bytes(chunk.remaining()));
            haveSound = true;
        }
    }
    if (!haveCommon) return fail(badFormat, "the AIFF file has no COMM chunk");
    if (!haveSound && frames) return fail(badFormat, "the AIFF file has no SSND chunk");
    UInt64 need;
    if (platform::mul_overflows(frames, audio.frame_bytes(), &need) || need > soundData.size())
        return fail(badFormat, "the AIFF file holds fewer samples than it says");
    audio.samples.assign(soundData.begin(), soundData.begin() + ptrdiff_t(need));
    if (audio.bits == 8)
        for (UInt8& b : audio.samples) b ^= 0x80;   // signed to offset binary
    return audio;
}

std::vector<UInt8> write_wav(const Audio& audio) {
    ByteWriter w;
    const UInt32 dataSize = UInt32(audio.samples.size());
    w.u32(fourcc("RIFF"));
    put_le32(w, 36 + dataSize + (dataSize % 2));
    w.u32(fourcc("WAVE"));
    w.u32(fourcc("fmt "));
    put_le32(w, 16);
    put_le16(w, 1);
    put_le16(w, audio.channels);
    put_le32(w, UInt32(std::lround(audio.rate)));
    put_le32(w, UInt32(std::lround(audio.rate)) * UInt32(audio.frame_bytes()));
    put_le16(w, UInt16(audio.frame_bytes()));
    put_le16(w, audio.bits);
    w.u32(fourcc("data"));
    put_le32(w, dataSize);
    if (audio.bits == 16) {
        for (size_t i = 0; i + 1 < audio.samples.size(); i += 2) {
            w.u8(audio.samples[i + 1]);
            w.u8(audio.samples[i]);
        }
    } else {
        w.bytes(audio.samples.data(), audio.samples.size());
    }
    if (dataSize % 2) w.u8(0);
    return w.take();
}

std::vector<UInt8> write_aiff(const Audio& audio) {
    ByteWriter w;
    const UInt32 dataSize = UInt32(audio.samples.size());
    const UInt32 ssndSize = 8 + dataSize;
    w.u32(fourcc("FORM"));
    w.u32(4 + 8 + 18 + 8 + ssndSize + (ssndSize % 2));
    w.u32(fourcc("AIFF"));
    w.u32(fourcc("COMM"));
    w.u32(18);
    w.s16(SInt16(audio.channels));
    w.u32(UInt32(audio.frames()));
    w.s16(SInt16(audio.bits));
    UInt8 rate[10];
    to_extended80(audio.rate, rate);
    w.bytes(rate, 10);
    w.u32(fourcc("SSND"));
    w.u32(ssndSize);
    w.u32(0);
    w.u32(0);
    for (UInt8 b : audio.samples) w.u8(audio.bits == 8 ? UInt8(b ^ 0x80) : b);
    if (ssndSize % 2) w.u8(0);
    return w.take();
}

void to_extended80(double value, UInt8 out[10]) {
    std::memset(out, 0, 10);
    if (!(value != 0) || !std::isfinite(value)) return;
    UInt16 sign = 0;
    if (value < 0) {
        sign = 0x8000;
        value = -value;
    }
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent);   // value = fraction * 2^exponent, fraction in [0.5, 1)
    const UInt64 mantissa = UInt64(std::ldexp(fraction, 64));
    platform::store_u16be(out, UInt16(sign | UInt16(exponent - 1 + 16383)));
    platform::store_u64be(out + 2, mantissa);
}

double from_extended80(const UInt8 in[10]) {
    const UInt16 se = platform::load_u16be(in);
    const UInt64 mantissa = platform::load_u64be(in + 2);
    if (mantissa == 0) return 0;
    const int exponent = int(se & 0x7FFF) - 16383 - 63;
    const double v = std::ldexp(double(mantissa), exponent);
    return se & 0x8000 ? -v : v;
}

}  // namespace rescompile
