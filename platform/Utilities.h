/*
 * Utilities.h — number/text conversions and fixed-point arithmetic.
 * Fixed is signed 16.16; Fract is signed 2.30.
 */
#pragma once

#include "platform/Types.h"

void NumToString(SInt32 theNum, Str255 theString);
void StringToNum(ConstStr255Param theString, SInt32* theNum);

Fixed FixRatio(SInt16 numer, SInt16 denom);
SInt16 FixRound(Fixed x);
Fixed FixMul(Fixed a, Fixed b);
Fixed FixDiv(Fixed x, Fixed y);
Fixed Long2Fix(SInt32 x);
SInt32 Fix2Long(Fixed x);
Fixed X2Fix(double x);
double Fix2X(Fixed x);

// Copies a length-prefixed string (length byte and characters).
void CopyPascalStringToC(ConstStr255Param src, char* dst);
void CopyCStringToPascal(const char* src, Str255 dst);
