// Our BMP decoder: every bit count, header kind, row order and compression
// against hand-written files with known pixels; damaged files refused.
#include "tests/importers/ImageTestFiles.h"
#include "tests/importers/ImporterTestSupport.h"

namespace {

using RGB = std::array<UInt8, 3>;
constexpr RGB W{255, 255, 255};

struct Case { const char* name; Bmp bmp; std::vector<RGB> expected; /* top row first */ };

const std::vector<std::array<UInt8, 3>> kPalette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}, {200, 100, 50}};

std::vector<Case> cases() {
    std::vector<Case> list;
    // 24 bits, 3x2, bottom row stored first, rows padded to 12 bytes.
    Bmp b24{.width = 3, .height = 2, .bits = 24};
    b24.pixels = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,          // bottom: red green blue
                  1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};               // top
    list.push_back({"24 bottom-up", b24, {{3, 2, 1}, {6, 5, 4}, {9, 8, 7}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}});
    list.push_back({"24 top-down", with(b24, [](Bmp& b) { b.height = -2; }),
                    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {3, 2, 1}, {6, 5, 4}, {9, 8, 7}}});
    list.push_back({"24 core header", with(b24, [](Bmp& b) { b.headerSize = 12; }), list[0].expected});

    Bmp b32{.width = 2, .height = 1, .bits = 32};
    b32.pixels = {10, 20, 30, 0, 40, 50, 60, 99};   // B G R x: x ignored
    list.push_back({"32 BI_RGB", b32, {{30, 20, 10}, {60, 50, 40}}});

    Bmp b16{.width = 2, .height = 1, .bits = 16};
    b16.pixels = {0x00, 0x7C, 0x1F, 0x00};           // x1555: pure red, pure blue
    list.push_back({"16 x1555", b16, {{255, 0, 0}, {0, 0, 255}}});
    Bmp b565{.width = 3, .height = 1, .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}};
    b565.pixels = {0xE0, 0x07, 0x10, 0x84, 0x00, 0x00, 0, 0};   // green, mid grey, black; pad
    // 0x8410: r 16/31, g 32/63, b 16/31 -> 132, 130, 132 (v * 255 / max, rounded)
    list.push_back({"16 bit fields 565", b565, {{0, 255, 0}, {132, 130, 132}, {0, 0, 0}}});
    Bmp a32{.headerSize = 124, .width = 2, .height = 1, .bits = 32, .compression = 3, .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}};
    a32.pixels = {0, 0, 200, 128, 50, 100, 150, 0};   // red 200 at alpha 128; alpha 0
    list.push_back({"32 bit fields with alpha", a32, {{on_white(200, 128), on_white(0, 128), on_white(0, 128)}, W}});
    list.push_back({"32 bit fields, 56-byte header", with(a32, [](Bmp& b) { b.headerSize = 56; }), list.back().expected});
    list.push_back({"32 bit fields, no alpha", with(a32, [](Bmp& b) { b.headerSize = 52, b.masks.pop_back(); }), {{200, 0, 0}, {150, 100, 50}}});

    Bmp p8{.width = 3, .height = 2, .bits = 8, .palette = kPalette};
    p8.pixels = {1, 2, 3, 0, 4, 5, 0, 0};
    list.push_back({"8 palette", p8, {kPalette[4], kPalette[5], kPalette[0], kPalette[1], kPalette[2], kPalette[3]}});
    list.push_back({"8 palette, core header", with(p8, [](Bmp& b) { b.headerSize = 12; }), list.back().expected});
    Bmp p4{.width = 3, .height = 1, .bits = 4, .colorsUsed = 6, .palette = kPalette};
    p4.pixels = {0x51, 0x30, 0, 0};
    list.push_back({"4 palette", p4, {kPalette[5], kPalette[1], kPalette[3]}});
    Bmp p1{.width = 10, .height = 1, .bits = 1, .palette = {{0, 0, 0}, {255, 255, 255}}};
    p1.pixels = {0xA5, 0x80, 0, 0};   // 1010 0101 10
    RGB k{0, 0, 0};
    list.push_back({"1 palette", p1, {W, k, W, k, k, W, k, W, W, k}});

    // RLE8, 4x3: bottom row a run of 4 x index 1; middle row a literal of
    // 3 (padded) then end of line; on the top row a delta right 2, one
    // pixel of index 2; end of bitmap. Unwritten pixels stay white.
    Bmp r8{.width = 4, .height = 3, .bits = 8, .compression = 1, .palette = kPalette};
    r8.pixels = {4, 1, 0, 0, 0, 3, 3, 4, 5, 0, 0, 0, 0, 2, 2, 0, 1, 2, 0, 1};
    const RGB* pal = reinterpret_cast<const RGB*>(kPalette.data());
    // Top: the delta put us at x 2.
    list.push_back({"RLE8", r8, {W, W, pal[2], W, pal[3], pal[4], pal[5], W, pal[1], pal[1], pal[1], pal[1]}});
    // RLE4, 7x1: a run of 3 alternating 1,2; a literal of 3 nibbles 3,4,5
    // (2 bytes, no pad); a run of 1 of the high nibble 0.
    Bmp r4{.width = 7, .height = 1, .bits = 4, .compression = 2, .palette = kPalette};
    r4.pixels = {3, 0x12, 0, 3, 0x34, 0x50, 1, 0x05, 0, 1};
    list.push_back({"RLE4", r4, {pal[1], pal[2], pal[1], pal[3], pal[4], pal[5], pal[0]}});
    return list;
}

TEST(BmpImport, KnownPixels) {
    TempFolder dir;
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        write_bytes(dir / "t.bmp", build_bmp(c.bmp));
        Importer im(dir / "t.bmp");
        ASSERT_EQ(im.err, noErr);
        int w = c.bmp.width, h = c.bmp.height < 0 ? -c.bmp.height : c.bmp.height;
        Bytes expected;
        for (const RGB& p : c.expected) expected.insert(expected.end(), {0xFF, p[0], p[1], p[2]});
        EXPECT_EQ(draw_with(im.gi, 32, w, h), expected);
    }
}

TEST(BmpImport, DamagedFilesAreRefused) {
    Bmp good{.width = 3, .height = 2, .bits = 8, .palette = kPalette};
    good.pixels = {1, 2, 3, 0, 4, 5, 0, 0};
    struct Damaged { const char* name; Bmp bmp; OSErr open, draw; };
    std::vector<Damaged> list;
    auto bad = [&](auto change) { return with(good, change); };
    list.push_back({"data offset past the end", bad([](Bmp& b) { b.dataOffset = 5000; }), codecBadDataErr, noErr});
    list.push_back({"data offset inside the header", bad([](Bmp& b) { b.dataOffset = 20; }), codecBadDataErr, noErr});
    list.push_back({"pixel rows cut short", bad([](Bmp& b) { b.pixels.resize(5); }), noErr, codecBadDataErr});
    list.push_back({"bit count 7", bad([](Bmp& b) { b.bits = 7; }), codecBadDataErr, noErr});
    list.push_back({"bit count 0", bad([](Bmp& b) { b.bits = 0; }), codecBadDataErr, noErr});
    list.push_back({"two planes", bad([](Bmp& b) { b.planes = 2; }), codecBadDataErr, noErr});
    list.push_back({"zero width", bad([](Bmp& b) { b.width = 0; }), codecBadDataErr, noErr});
    list.push_back({"negative width", bad([](Bmp& b) { b.width = -3; }), codecBadDataErr, noErr});
    list.push_back({"huge", bad([](Bmp& b) { b.width = 20000; }), codecSizeErr, noErr});
    list.push_back({"JPEG inside", bad([](Bmp& b) { b.compression = 4; }), codecUnimpErr, noErr});
    list.push_back({"RLE8 on 24 bits", bad([](Bmp& b) { b.compression = 1, b.bits = 24; }), codecBadDataErr, noErr});
    list.push_back({"RLE8 top-down", bad([](Bmp& b) { b.compression = 1, b.height = -2; }), codecBadDataErr, noErr});
    list.push_back({"index past the palette", bad([](Bmp& b) { b.colorsUsed = 2, b.palette.resize(2); }), noErr, codecBadDataErr});
    list.push_back({"palette cut short by the pixel data", bad([](Bmp& b) { b.dataOffset = 14 + 40 + 8; }), noErr, codecBadDataErr});
    auto fields = [&](UInt16 bits, std::vector<UInt32> masks) {
        return bad([&](Bmp& b) { b.bits = bits, b.compression = 3, b.palette.clear(), b.masks = masks; });
    };
    list.push_back({"bit fields overlapping", fields(32, {0xFF00, 0x0FF0, 0xFF}), codecBadDataErr, noErr});
    list.push_back({"bit fields not contiguous", fields(16, {0xF00F, 0x0F0, 0xF00}), codecBadDataErr, noErr});
    list.push_back({"bit fields on 24 bits", fields(24, {0xFF0000, 0xFF00, 0xFF}), codecBadDataErr, noErr});
    list.push_back({"RLE literal past the data", bad([](Bmp& b) { b.compression = 1, b.pixels = {0, 9, 1, 2}; }), noErr, codecBadDataErr});
    list.push_back({"unknown header size", bad([](Bmp& b) { b.headerSize = 20; }), cantFindHandler, noErr});

    TempFolder dir;
    for (const Damaged& d : list) {
        SCOPED_TRACE(d.name);
        expect_import(dir / "d.bmp", build_bmp(d.bmp), d.open, d.draw);
    }
}

}  // namespace
