/*
 * Types.h — the basic types every service and the system share.
 *
 * Widths are fixed: the system's "long" is 32 bits everywhere (SInt32,
 * UInt32), never the host's 64-bit long. Values that carry a pointer
 * (reference constants) are pointer-sized: SRefCon / URefCon.
 * Records keep the classic field order; numbers stored in files are
 * big-endian, numbers in memory are in host order.
 */
#pragma once

#include <cstddef>
#include <cstdint>

typedef int8_t   SInt8;
typedef uint8_t  UInt8;
typedef int16_t  SInt16;
typedef uint16_t UInt16;
typedef int32_t  SInt32;
typedef uint32_t UInt32;
typedef int64_t  SInt64;
typedef uint64_t UInt64;

typedef unsigned char Boolean;
typedef SInt16 OSErr;
typedef SInt32 OSStatus;

typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef OSType* OSTypePtr;

typedef char*  Ptr;
typedef Ptr*   Handle;
typedef SInt32 Size;            // byte counts of memory blocks

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str32[33];
typedef unsigned char Str31[32];
typedef unsigned char Str27[28];
typedef unsigned char Str15[16];
typedef unsigned char* StringPtr;
typedef StringPtr* StringHandle;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;
typedef const unsigned char* ConstStr63Param;
typedef const unsigned char* ConstStr31Param;

typedef SInt32 Fixed;           // 16.16, signed
typedef Fixed* FixedPtr;
typedef SInt32 Fract;           // 2.30, signed
typedef UInt32 UnsignedFixed;   // 16.16, unsigned
typedef SInt16 ShortFixed;      // 8.8, signed (volumes)

typedef intptr_t  SRefCon;      // reference constants carry pointers
typedef uintptr_t URefCon;

typedef SInt16 ScriptCode;
typedef SInt16 LangCode;
typedef SInt16 RegionCode;
typedef UInt8  Style;
typedef SInt16 CharParameter;

typedef void (*ProcPtr)(void);
typedef ProcPtr UniversalProcPtr;

struct wide {
    SInt32 hi;
    UInt32 lo;
};
struct UnsignedWide {
    UInt32 hi;
    UInt32 lo;
};

struct Point {
    SInt16 v;
    SInt16 h;
};
typedef Point* PointPtr;

struct Rect {
    SInt16 top;
    SInt16 left;
    SInt16 bottom;
    SInt16 right;
};
typedef Rect* RectPtr;

#ifndef nil
#define nil nullptr
#endif

enum {
    smSystemScript  = -1,
    smCurrentScript = -2,
    smAllScripts    = -3
};

// Length-prefixed string constants: "Warning!"_p is a ConstStr255Param whose
// first byte is the length (8), followed by the characters.
template <size_t N>
struct PascalStringLiteral {
    unsigned char bytes[N];
    consteval PascalStringLiteral(const char (&text)[N]) : bytes{} {
        if (N - 1 > 255) throw "a length-prefixed string holds at most 255 characters";
        bytes[0] = (unsigned char)(N - 1);
        for (size_t i = 0; i + 1 < N; ++i) bytes[i + 1] = (unsigned char)text[i];
    }
};

template <PascalStringLiteral S>
constexpr ConstStr255Param operator""_p() {
    return S.bytes;
}
