/*
 * Endian.h — conversions between host order and the big-endian order of
 * numbers stored in files, resources, user data and preferences.
 * N = native (host) order, B = big-endian.
 */
#pragma once

#include <cstring>

#include "platform/Types.h"

inline UInt16 EndianU16_NtoB(UInt16 v) {
    UInt8 b[2] = {UInt8(v >> 8), UInt8(v)};
    UInt16 r;
    std::memcpy(&r, b, 2);
    return r;
}
inline UInt32 EndianU32_NtoB(UInt32 v) {
    UInt8 b[4] = {UInt8(v >> 24), UInt8(v >> 16), UInt8(v >> 8), UInt8(v)};
    UInt32 r;
    std::memcpy(&r, b, 4);
    return r;
}
// Swapping is its own inverse.
inline UInt16 EndianU16_BtoN(UInt16 v) { return EndianU16_NtoB(v); }
inline UInt32 EndianU32_BtoN(UInt32 v) { return EndianU32_NtoB(v); }
inline SInt16 EndianS16_NtoB(SInt16 v) { return SInt16(EndianU16_NtoB(UInt16(v))); }
inline SInt16 EndianS16_BtoN(SInt16 v) { return SInt16(EndianU16_NtoB(UInt16(v))); }
inline SInt32 EndianS32_NtoB(SInt32 v) { return SInt32(EndianU32_NtoB(UInt32(v))); }
inline SInt32 EndianS32_BtoN(SInt32 v) { return SInt32(EndianU32_NtoB(UInt32(v))); }
