// LittleEndian.h — little-endian fields (BMP, WAV) read through ByteReader,
// so they get the same bounds checks as every big-endian field.
#pragma once

#include "platform/core/Bytes.h"

namespace platform::importers {

inline UInt16 load_u16le(const UInt8* p) { return UInt16(p[0] | (p[1] << 8)); }
inline UInt32 load_u32le(const UInt8* p) {
    return UInt32(p[0]) | (UInt32(p[1]) << 8) | (UInt32(p[2]) << 16) | (UInt32(p[3]) << 24);
}

inline Result<UInt16> read_u16le(ByteReader& r) {
    auto b = TRY(r.bytes(2));
    return load_u16le(b.data());
}
inline Result<UInt32> read_u32le(ByteReader& r) {
    auto b = TRY(r.bytes(4));
    return load_u32le(b.data());
}
inline Result<SInt32> read_s32le(ByteReader& r) { return SInt32(TRY(read_u32le(r))); }

}  // namespace platform::importers
