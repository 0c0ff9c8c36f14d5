// Number <-> text conversions and 16.16 fixed-point arithmetic.
//
// Results that do not fit saturate to 0x7FFFFFFF / 0x80000000 (division by
// zero gives the one of the dividend's sign), as the toolbox always has;
// roundings go to the nearest value, halves away from zero.
#include "platform/Utilities.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr SInt32 kFixedMax = std::numeric_limits<SInt32>::max();
constexpr SInt32 kFixedMin = std::numeric_limits<SInt32>::min();

SInt32 saturate(SInt64 v) {
    if (v > kFixedMax) return kFixedMax;
    if (v < kFixedMin) return kFixedMin;
    return SInt32(v);
}

// num / den rounded to nearest, halves away from zero; den != 0.
SInt64 divide_rounded(SInt64 num, SInt64 den) {
    bool negative = (num < 0) != (den < 0);
    UInt64 n = num < 0 ? UInt64(-num) : UInt64(num);
    UInt64 d = den < 0 ? UInt64(-den) : UInt64(den);
    UInt64 q = (n + d / 2) / d;
    return negative ? -SInt64(q) : SInt64(q);
}

}  // namespace

void NumToString(SInt32 theNum, Str255 theString) {
    if (!theString) return;
    char digits[12];
    int n = 0;
    UInt32 magnitude = theNum < 0 ? UInt32(0) - UInt32(theNum) : UInt32(theNum);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int len = 0;
    if (theNum < 0) theString[++len] = '-';
    while (n) theString[++len] = UInt8(digits[--n]);
    theString[0] = UInt8(len);
}

// An optional sign, then decimal digits; the number ends at the first other
// character. Values beyond 32 bits saturate.
void StringToNum(ConstStr255Param theString, SInt32* theNum) {
    if (!theNum) return;
    *theNum = 0;
    if (!theString) return;
    int len = theString[0];
    int i = 1;
    bool negative = false;
    if (i <= len && (theString[i] == '-' || theString[i] == '+')) negative = theString[i++] == '-';
    SInt64 value = 0;
    for (; i <= len && theString[i] >= '0' && theString[i] <= '9'; ++i) {
        value = value * 10 + (theString[i] - '0');
        if (value > SInt64(1) << 32) value = SInt64(1) << 32;   // far enough to saturate
    }
    *theNum = saturate(negative ? -value : value);
}

Fixed FixRatio(SInt16 numer, SInt16 denom) {
    if (denom == 0) return numer < 0 ? kFixedMin : kFixedMax;
    return saturate(divide_rounded(SInt64(numer) << 16, denom));
}

SInt16 FixRound(Fixed x) {
    SInt64 v = x;
    SInt64 r = v >= 0 ? (v + 0x8000) >> 16 : -((-v + 0x8000) >> 16);
    if (r > 32767) return 32767;
    if (r < -32768) return -32768;
    return SInt16(r);
}

Fixed FixMul(Fixed a, Fixed b) {
    SInt64 p = SInt64(a) * SInt64(b);
    return saturate(divide_rounded(p, 0x10000));
}

Fixed FixDiv(Fixed x, Fixed y) {
    if (y == 0) return x < 0 ? kFixedMin : kFixedMax;
    return saturate(divide_rounded(SInt64(x) * 0x10000, y));
}

Fixed Long2Fix(SInt32 x) { return saturate(SInt64(x) * 0x10000); }

SInt32 Fix2Long(Fixed x) {
    SInt64 v = x;
    return SInt32(v >= 0 ? (v + 0x8000) >> 16 : -((-v + 0x8000) >> 16));
}

Fixed X2Fix(double x) {
    if (std::isnan(x)) return 0;
    double scaled = std::round(x * 65536.0);
    if (scaled >= double(kFixedMax)) return kFixedMax;
    if (scaled <= double(kFixedMin)) return kFixedMin;
    return Fixed(scaled);
}

double Fix2X(Fixed x) { return double(x) / 65536.0; }

void CopyPascalStringToC(ConstStr255Param src, char* dst) {
    if (!dst) return;
    if (!src) {
        dst[0] = 0;
        return;
    }
    size_t n = src[0];
    std::memmove(dst, src + 1, n);   // src and dst may be the same buffer
    dst[n] = 0;
}

void CopyCStringToPascal(const char* src, Str255 dst) {
    if (!dst) return;
    if (!src) {
        dst[0] = 0;
        return;
    }
    size_t n = std::strlen(src);
    if (n > 255) n = 255;
    std::memmove(dst + 1, src, n);
    dst[0] = UInt8(n);
}
