/*
 * AIFF and AIFF-C. Big-endian.
 *
 *   0   "FORM"   4   size of what follows u32   8   "AIFF" or "AIFC"
 *   12  chunks: id 4 bytes, size u32, body, a pad byte after an odd body
 *   'COMM'  channels s16, sample frames u32, sample size s16 (bits),
 *           sample rate as an 80-bit IEEE extended number (sign and 15-bit
 *           exponent biased by 16383, then a 64-bit mantissa whose top bit
 *           is the integer bit); AIFF-C adds the compression type (4 bytes)
 *           and its name (length-prefixed)
 *   'SSND'  offset u32, block size u32, then the frames start `offset`
 *           bytes further on; channels interleaved, samples big-endian
 *           signed ('sowt' in AIFF-C: little-endian), 8-bit samples signed
 *   anything else ('FVER', 'MARK', 'NAME', ...) is skipped
 *
 * The frames must fit in the 'SSND' chunk after its offset.
 */
#include <cstring>

#include "platform/core/Bytes.h"
#include "platform/importers/SoundDescriptions.h"

namespace platform::importers {
namespace {

struct Common {
    SInt16 channels = 0;
    UInt32 frames = 0;
    SInt16 sampleSize = 0;
    UInt8 rate[10] = {};
    OSType compression = 'NONE';
};

Result<Common> read_common(const SoundSource& source, const Chunk& c, bool aifc) {
    size_t need = aifc ? 22 : 18;
    if (c.size < need) return fail(badFileFormat, "AIFF common chunk too short");
    UInt8 body[22];
    TRY(source.read(body, need, c.bodyOffset));
    ByteReader r(body, need, badFileFormat);
    Common m;
    m.channels = TRY(r.s16());
    m.frames = TRY(r.u32());
    m.sampleSize = TRY(r.s16());
    auto rate = TRY(r.bytes(10));
    std::memcpy(m.rate, rate.data(), 10);
    if (aifc) m.compression = TRY(r.u32());
    return m;
}

Result<OSType> data_format(const Common& m) {
    switch (m.compression) {
        case 'NONE':
        case 'twos': return OSType('twos');
        case 'sowt': return OSType(m.sampleSize == 16 ? 'sowt' : 'twos');
        case 'raw ':
            if (m.sampleSize == 8) return OSType('raw ');
            break;
    }
    return fail(siInvalidCompression, "AIFF-C samples that are compressed or not integers");
}

}  // namespace

Result<UnsignedFixed> extended_to_rate(std::span<const UInt8, 10> x) {
    const bool negative = x[0] & 0x80;
    const int exponent = ((x[0] & 0x7F) << 8) | x[1];
    const UInt64 mantissa = load_u64be(x.data() + 2);
    if (negative || mantissa == 0 || exponent == 0x7FFF)
        return fail(siInvalidSampleRate, "sound sample rate not a positive number");
    // value * 65536 = mantissa * 2^(exponent - 16383 - 63 + 16)
    const int shift = exponent - 16430;
    UInt64 fixed;
    if (shift >= 0) {
        if (shift >= 64 || mantissa > (0xFFFFFFFFull >> shift))
            return fail(siInvalidSampleRate, "sound sample rate of 65536 Hz or more");
        fixed = mantissa << shift;
    } else {
        const int s = -shift;
        if (s > 64) return fail(siInvalidSampleRate, "sound sample rate below 1 Hz");
        UInt64 whole = s == 64 ? 0 : mantissa >> s;
        UInt64 half = (mantissa >> (s - 1)) & 1;
        fixed = whole + half;
    }
    if (fixed > 0xFFFFFFFFull) return fail(siInvalidSampleRate, "sound sample rate of 65536 Hz or more");
    if (fixed < 0x10000) return fail(siInvalidSampleRate, "sound sample rate below 1 Hz");
    return UnsignedFixed(fixed);
}

Result<SoundFileImport> parse_aiff(const SoundSource& source) {
    UInt8 head[12];
    TRY(source.read(head, sizeof head, 0));
    const bool aifc = std::memcmp(head + 8, "AIFC", 4) == 0;
    if (std::memcmp(head, "FORM", 4) != 0 || (!aifc && std::memcmp(head + 8, "AIFF", 4) != 0))
        return fail(badFileFormat, "not an AIFF file");
    ChunkWalker walker(source, 12, form_end(load_u32be(head + 4), source.size()), false);
    std::optional<Common> common;
    std::optional<Chunk> sound;
    while (auto chunk = TRY(walker.next())) {
        if (chunk->id == 'COMM' && !common) common = TRY(read_common(source, *chunk, aifc));
        if (chunk->id == 'SSND' && !sound) sound = chunk;
    }
    if (!common) return fail(badFileFormat, "AIFF file without a common chunk");
    if (!sound) return fail(badFileFormat, "AIFF file without a sound data chunk");

    const Common& m = *common;
    OSType format = TRY(data_format(m));
    if (m.sampleSize != 8 && m.sampleSize != 16)
        return fail(siInvalidSampleSize, "AIFF samples other than 8 or 16 bits");
    if (m.channels <= 0) return fail(badFileFormat, "AIFF file without channels");
    if (m.channels > 2) return fail(badChannel, "AIFF file with more than two channels");
    UnsignedFixed rate = TRY(extended_to_rate(std::span<const UInt8, 10>(m.rate, 10)));

    if (sound->size < 8) return fail(badFileFormat, "AIFF sound data chunk too short");
    UInt8 ssnd[8];
    TRY(source.read(ssnd, 8, sound->bodyOffset));
    const UInt64 offset = load_u32be(ssnd);
    if (offset > sound->size - 8) return fail(badFileFormat, "AIFF sound data offset past its chunk");
    const UInt64 bytesPerFrame = UInt64(m.channels) * UInt64(m.sampleSize) / 8;
    if (UInt64(m.frames) * bytesPerFrame > sound->size - 8 - offset)
        return fail(badFileFormat, "AIFF frames past the end of the sound data");
    return make_import(aifc ? SoundFileFormat::aifc : SoundFileFormat::aiff, format, UInt32(m.channels),
                       UInt32(m.sampleSize), rate, sound->bodyOffset + 8 + offset, m.frames);
}

}  // namespace platform::importers
