/*
 * WAV (RIFF WAVE). Little-endian.
 *
 *   0   "RIFF"   4   size of what follows u32   8   "WAVE"
 *   12  chunks: id 4 bytes, size u32, body, a pad byte after an odd body
 *   'fmt '  format tag u16 (1 PCM, 3 float, 0xFFFE extensible, others
 *           compressed), channels u16, sample rate u32, bytes per second
 *           u32, block align u16 (bytes a frame), bits per sample u16;
 *           extensible adds: extra size u16 (22 and up), valid bits u16,
 *           channel mask u32, subformat GUID 16 bytes (its first u16 is the
 *           format tag; the other 14 bytes are 00 00 00 00 10 00 80 00 00 AA
 *           00 38 9B 71)
 *   'data'  the frames, channels interleaved
 *   anything else ('LIST', 'fact', 'cue ', ...) is skipped
 *
 * The first 'fmt ' and the first 'data' count. A RIFF size larger than the
 * file (streams write 0 or -1 there) is read as "to the end of the file".
 */
#include <cstring>

#include "platform/importers/LittleEndian.h"
#include "platform/importers/SoundDescriptions.h"

namespace platform::importers {
namespace {

constexpr UInt16 kFormatPCM = 1;
constexpr UInt16 kFormatExtensible = 0xFFFE;
constexpr UInt8 kSubformatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct WavFormat {
    UInt16 channels = 0;
    UInt32 rate = 0;
    UInt16 blockAlign = 0;
    UInt16 bits = 0;
};

Result<WavFormat> read_format(const SoundSource& source, const Chunk& c) {
    if (c.size < 16) return fail(badFileFormat, "WAV format chunk too short");
    UInt8 body[40] = {};
    size_t n = c.size < sizeof body ? size_t(c.size) : sizeof body;
    TRY(source.read(body, n, c.bodyOffset));
    ByteReader r(body, n, badFileFormat);
    UInt16 tag = TRY(read_u16le(r));
    WavFormat f;
    f.channels = TRY(read_u16le(r));
    f.rate = TRY(read_u32le(r));
    TRY(r.skip(4));
    f.blockAlign = TRY(read_u16le(r));
    f.bits = TRY(read_u16le(r));
    if (tag == kFormatExtensible) {
        if (n < 40) return fail(badFileFormat, "WAV extensible format chunk too short");
        UInt16 extra = TRY(read_u16le(r));
        if (extra < 22) return fail(badFileFormat, "WAV extensible format chunk too short");
        UInt16 validBits = TRY(read_u16le(r));
        TRY(r.skip(4));   // channel mask
        auto guid = TRY(r.bytes(16));
        tag = load_u16le(guid.data());
        if (std::memcmp(guid.data() + 2, kSubformatTail, sizeof kSubformatTail) != 0)
            return fail(siInvalidCompression, "WAV subformat of an unknown kind");
        if (validBits != 0 && validBits != f.bits)
            return fail(siInvalidSampleSize, "WAV samples with padding bits");
    }
    if (tag != kFormatPCM) return fail(siInvalidCompression, "WAV samples that are not PCM");
    return f;
}

}  // namespace

Result<SoundFileImport> parse_wav(const SoundSource& source) {
    UInt8 head[12];
    TRY(source.read(head, sizeof head, 0));
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return fail(badFileFormat, "not a WAV file");
    ChunkWalker walker(source, 12, form_end(load_u32le(head + 4), source.size()), true);
    std::optional<WavFormat> format;
    std::optional<Chunk> data;
    while (auto chunk = TRY(walker.next())) {
        if (chunk->id == 'fmt ' && !format) format = TRY(read_format(source, *chunk));
        if (chunk->id == 'data' && !data) data = chunk;
    }
    if (!format) return fail(badFileFormat, "WAV file without a format chunk");
    if (!data) return fail(badFileFormat, "WAV file without a data chunk");

    const WavFormat& f = *format;
    if (f.bits != 8 && f.bits != 16) return fail(siInvalidSampleSize, "WAV samples other than 8 or 16 bits");
    if (f.channels == 0) return fail(badFileFormat, "WAV file without channels");
    if (f.channels > 2) return fail(badChannel, "WAV file with more than two channels");
    if (f.rate == 0 || f.rate > 65535) return fail(siInvalidSampleRate, "WAV rate outside 1 to 65535 Hz");
    if (f.blockAlign != f.channels * f.bits / 8)
        return fail(badFileFormat, "WAV block size does not match its samples");
    return make_import(SoundFileFormat::wave, f.bits == 8 ? 'raw ' : 'sowt', f.channels, f.bits,
                       UnsignedFixed(f.rate) << 16, data->bodyOffset, data->size / f.blockAlign);
}

}  // namespace platform::importers
