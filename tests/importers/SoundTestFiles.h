// SoundTestFiles.h — WAV and AIFF/AIFF-C files assembled byte by byte, for
// the importer tests, the sound-file movie tests and the fuzz seeds.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"

using Bytes = std::vector<UInt8>;

namespace soundfiles {

inline void put32(Bytes& b, UInt32 v, bool le) {
    for (int i = 0; i < 4; ++i) b.push_back(UInt8(le ? v >> (8 * i) : v >> (24 - 8 * i)));
}
inline void put16(Bytes& b, UInt32 v, bool le) { b.insert(b.end(), {UInt8(le ? v : v >> 8), UInt8(le ? v >> 8 : v)}); }

// Chunks are id, size, body, a pad byte after an odd body.
struct Chunk {
    std::string id;
    Bytes body;
    SInt64 declared = -1;   // a size other than the body's
    bool pad = true;
};

// A RIFF (little-endian) or FORM (big-endian) file of those chunks.
inline Bytes form(const char* magic, const char* kind, const std::vector<Chunk>& chunks, bool le) {
    Bytes b(magic, magic + 4);
    put32(b, 0, le);
    b.insert(b.end(), kind, kind + 4);
    for (const Chunk& c : chunks) {
        b.insert(b.end(), c.id.begin(), c.id.end());
        put32(b, c.declared >= 0 ? UInt32(c.declared) : UInt32(c.body.size()), le);
        b.insert(b.end(), c.body.begin(), c.body.end());
        if (c.pad && c.body.size() % 2) b.push_back(0);
    }
    Bytes size;
    put32(size, UInt32(b.size() - 8), le);
    std::copy(size.begin(), size.end(), b.begin() + 4);
    return b;
}

inline Bytes fmt(UInt16 tag, UInt16 channels, UInt32 rate, UInt16 bits, int blockAlign = -1) {
    Bytes b;
    UInt16 align = blockAlign >= 0 ? UInt16(blockAlign) : UInt16(channels * bits / 8);
    put16(b, tag, true), put16(b, channels, true), put32(b, rate, true);
    put32(b, rate * align, true), put16(b, align, true), put16(b, bits, true);
    return b;
}

inline Bytes extensible(UInt16 channels, UInt32 rate, UInt16 bits, UInt16 subformat, UInt16 validBits) {
    Bytes b = fmt(0xFFFE, channels, rate, bits);
    put16(b, 22, true), put16(b, validBits, true), put32(b, channels == 1 ? 4 : 3, true), put16(b, subformat, true);
    b.insert(b.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    return b;
}

inline Bytes wav(const Bytes& fmtBody, const Bytes& data) { return form("RIFF", "WAVE", {{"fmt ", fmtBody}, {"data", data}}, true); }

// A FORM of kind AIFF or AIFC: the common chunk, then the sound data.
inline Bytes aiff_file(const char* kind, const Bytes& common, const Bytes& sound) {
    return form("FORM", kind, {{"COMM", common}, {"SSND", sound}}, false);
}

inline Bytes hex(const char* text) {
    Bytes b;
    for (size_t i = 0; text[i] && text[i + 1]; i += 2) b.push_back(UInt8(std::stoi(std::string(text + i, 2), nullptr, 16)));
    return b;
}

inline constexpr const char* k44100 = "400EAC44000000000000";   // 80-bit extended

inline Bytes comm(SInt16 channels, UInt32 frames, SInt16 bits, const char* rate, const char* compression = nullptr) {
    Bytes b;
    put16(b, UInt16(channels), false), put32(b, frames, false), put16(b, UInt16(bits), false);
    Bytes r = hex(rate);
    b.insert(b.end(), r.begin(), r.end());
    if (compression) {
        b.insert(b.end(), compression, compression + 4);
        b.insert(b.end(), {4, 'n', 'a', 'm', 'e', 0});   // name, padded to even
    }
    return b;
}

inline Bytes ssnd(UInt32 offset, size_t dataBytes, UInt8 fill = 0x55) {
    Bytes b;
    put32(b, offset, false), put32(b, 0, false);
    b.resize(b.size() + offset + dataBytes, fill);
    return b;
}

}  // namespace soundfiles
