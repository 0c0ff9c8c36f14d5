/*
 * AnimationFormat.h — the Animation ('rle ') stream: byte layout and the
 * geometry its encoder and decoder share.
 *
 * All multi-byte values are big-endian; code bytes are signed.
 *
 * Frame
 *   u32  chunk size     the whole frame, this field included (mask 0x3FFFFFFF)
 *   u16  header         0x0000: every line of the image follows
 *                       0x0008: a line range follows:
 *     u16  start line     first line coded, 0-based
 *     u16  0
 *     u16  line count     lines coded; start + count <= image height
 *     u16  0
 *   ...  coded lines    one per line of the range
 *   u8   0x00           end of frame (1-bit frames: the pair 0x00 0x00)
 * A frame shorter than 8 bytes leaves the picture unchanged.
 *
 * A coded line, depths 2 to 32
 *   u8   skip           1 + units left unchanged at the start of the line
 *   then codes until -1:
 *   s8   -1             end of line (the rest of the line stays unchanged)
 *         0             u8 skip follows: 1 + units left unchanged
 *        1..127         literal: that many units follow as they are
 *        -2..-128       run: one unit follows, repeated -code times
 *
 * Depth 1: no per-line skip byte. The frame is a sequence of pairs
 *   u8   skip           bit 0x80: go to the next line (the first such pair
 *                       goes to the first line of the range) and skip
 *                       skip & 0x7F units; otherwise skip `skip` units
 *   s8   code           0: end of frame; -1: nothing more (skip only);
 *                       -2..-128: one unit follows, repeated -code times;
 *                       1..127: that many units follow
 *
 * Units
 *   depth   unit                               bytes   pixels
 *   32      A, R, G, B                           4       1
 *   24      R, G, B                              3       1
 *   16      x1-5-5-5 RGB, big-endian             2       1
 *   8       four indexes                         4       4
 *   4       eight indexes, high nibble first     4       8
 *   2       sixteen indexes, high bits first     4      16
 *   1       sixteen indexes, high bit first      2      16
 * Below 16 bits a line is coded in whole units: the coded width is the
 * image width rounded up to a whole number of units, and the padding
 * pixels past the width are coded but never shown. A code never runs past
 * the end of the (rounded) line.
 */
#pragma once

#include <cstddef>

#include "platform/Types.h"

namespace platform::codecs::rle {

constexpr UInt32 kChunkSizeMask = 0x3FFFFFFF;
constexpr UInt16 kHeaderLineRange = 0x0008;
constexpr size_t kMinFrameBytes = 8;        // anything shorter: unchanged
constexpr int kMaxLiteral = 127;            // units per literal code
constexpr int kMaxRun = 128;                // units per run code
constexpr int kMaxSkip = 254;               // units per skip byte (depths 2-32)
constexpr int kMaxSkip1 = 127;              // units per pair skip (depth 1)

struct Geometry {
    int depth = 0;
    int unitBytes = 0;
    int unitPixels = 0;
    SInt32 units = 0;       // coded units per line

    static constexpr Geometry of(int depth, SInt32 width) {
        Geometry g;
        g.depth = depth;
        switch (depth) {
        case 32: g.unitBytes = 4; g.unitPixels = 1; break;
        case 24: g.unitBytes = 3; g.unitPixels = 1; break;
        case 16: g.unitBytes = 2; g.unitPixels = 1; break;
        case 8:  g.unitBytes = 4; g.unitPixels = 4; break;
        case 4:  g.unitBytes = 4; g.unitPixels = 8; break;
        case 2:  g.unitBytes = 4; g.unitPixels = 16; break;
        case 1:  g.unitBytes = 2; g.unitPixels = 16; break;
        default: return g;
        }
        g.units = SInt32((SInt64(width) + g.unitPixels - 1) / g.unitPixels);
        return g;
    }
    bool valid() const { return unitBytes != 0; }
    bool indexed() const { return depth <= 8; }
};

}  // namespace platform::codecs::rle
