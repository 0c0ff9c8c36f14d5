// The standard colour tables.
//
//  1 bit:  white, black.
//  2 bits: FFFFFF, ACACAC, 555555, 000000.
//  4 bits: sixteen fixed colours, white first, black last.
//  8 bits: 0-214 the 6x6x6 cube of the levels FF CC 99 66 33 00 (red varies
//          slowest, blue fastest, all descending; the cube's last colour,
//          black, is left out), 215-224 a red ramp EE DD BB AA 88 77 55 44
//          22 11, 225-234 the same in green, 235-244 in blue, 245-254 in
//          grey, 255 black. Pure red is index 35, pure blue 210.
#include "platform/quickdraw/StandardColors.h"

#include <array>

namespace platform::quickdraw {
namespace {

constexpr std::array<RGB8, 2> kTable1 = {{{0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00}}};

constexpr std::array<RGB8, 4> kTable2 = {
    {{0xFF, 0xFF, 0xFF}, {0xAC, 0xAC, 0xAC}, {0x55, 0x55, 0x55}, {0x00, 0x00, 0x00}}};

constexpr std::array<RGB8, 16> kTable4 = {{
    {0xFF, 0xFF, 0xFF}, {0xFC, 0xF3, 0x05}, {0xFF, 0x64, 0x02}, {0xDD, 0x08, 0x06},
    {0xF2, 0x08, 0x84}, {0x46, 0x00, 0xA5}, {0x00, 0x00, 0xD4}, {0x02, 0xAB, 0xEA},
    {0x1F, 0xB7, 0x14}, {0x00, 0x64, 0x11}, {0x56, 0x2C, 0x05}, {0x90, 0x71, 0x3A},
    {0xC0, 0xC0, 0xC0}, {0x80, 0x80, 0x80}, {0x40, 0x40, 0x40}, {0x00, 0x00, 0x00},
}};

constexpr std::array<RGB8, 256> make_table8() {
    std::array<RGB8, 256> t{};
    constexpr UInt8 cube[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
    constexpr UInt8 ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
    int i = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                if (i < 215) t[i++] = RGB8{cube[r], cube[g], cube[b]};
    for (int k = 0; k < 10; ++k) t[215 + k] = RGB8{ramp[k], 0, 0};
    for (int k = 0; k < 10; ++k) t[225 + k] = RGB8{0, ramp[k], 0};
    for (int k = 0; k < 10; ++k) t[235 + k] = RGB8{0, 0, ramp[k]};
    for (int k = 0; k < 10; ++k) t[245 + k] = RGB8{ramp[k], ramp[k], ramp[k]};
    t[255] = RGB8{0, 0, 0};
    return t;
}

constexpr std::array<RGB8, 256> kTable8 = make_table8();
static_assert(kTable8[35] == RGB8{0xFF, 0x00, 0x00});
static_assert(kTable8[210] == RGB8{0x00, 0x00, 0xFF});
static_assert(kTable8[0] == RGB8{0xFF, 0xFF, 0xFF});
static_assert(kTable8[214] == RGB8{0x00, 0x00, 0x33});

}  // namespace

std::span<const RGB8> standard_palette(int depth) {
    switch (depth) {
    case 1: return kTable1;
    case 2: return kTable2;
    case 4: return kTable4;
    case 8: return kTable8;
    default: return {};
    }
}

}  // namespace platform::quickdraw
