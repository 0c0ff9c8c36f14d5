// Drawing with wild arguments stays inside the pixels (the sanitizer build
// turns any stray write into a failure), and text without fonts is harmless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Fonts.h"
#include "qd_test_util.h"
#include "tests/support/TempFolder.h"

using qdtest::GWorld;
using qdtest::rect;
using qdtest::UsePort;

namespace {

SInt16 wild(std::mt19937& rng) {
    // Mostly near the worlds, sometimes at the ends of the 16-bit range.
    switch (rng() % 8) {
    case 0: return SInt16(rng());
    case 1: return rng() % 2 ? 32767 : -32768;
    default: return SInt16(int(rng() % 140) - 40);
    }
}

// Usually the right way round, so that something gets drawn.
Rect wild_rect(std::mt19937& rng) {
    SInt16 a = wild(rng), b = wild(rng), c = wild(rng), d = wild(rng);
    if (rng() % 4 == 0) return rect(a, b, c, d);
    return rect(std::min(a, c), std::min(b, d), std::max(a, c), std::max(b, d));
}

}  // namespace

TEST(Robustness, RandomCopiesAndShapesStayInBounds) {
    std::mt19937 rng(2024);
    const SInt16 depths[] = {1, 2, 4, 8, 16, 32};
    const SInt16 modes[] = {srcCopy, srcOr, srcXor, srcBic, notSrcCopy, ditherCopy, 99};
    for (int round = 0; round < 300; ++round) {
        SInt16 sd = depths[rng() % 6], dd = depths[rng() % 6];
        GWorld src(sd, rect(SInt16(rng() % 20) - 10, 0, 37, 23)), dst(dd, rect(0, SInt16(rng() % 9), 41, 50));
        ASSERT_EQ(std::tuple(src.err, dst.err), std::tuple(noErr, noErr));
        UsePort use(rng() % 4 ? dst.get() : src.get());
        Rect a = wild_rect(rng), b = wild_rect(rng);
        RgnHandle mask = rng() % 3 == 0 ? NewRgn() : nullptr;
        const Rect m = mask ? wild_rect(rng) : Rect{};
        if (mask) RectRgn(mask, &m);
        const bool same = rng() % 4 == 0;
        CopyBits(src.bits(), same ? src.bits() : dst.bits(), &a, &b, modes[rng() % 7], mask);
        if (mask) DisposeRgn(mask);

        Rect r = wild_rect(rng);
        ClipRect(&r);
        r = wild_rect(rng);
        PenSize(SInt16(rng() % 5), SInt16(rng() % 5)), PenMode(SInt16(rng() % 16));
        switch (rng() % 6) {
        case 0: PaintRect(&r); break;
        case 1: FrameOval(&r); break;
        case 2: InvertRect(&r); break;
        case 3: MoveTo(wild(rng), wild(rng)); LineTo(wild(rng), wild(rng)); break;
        case 4: PaintOval(&r); break;
        default: {
            TextSize(SInt16(rng() % 60)), TextFace(SInt16(rng() % 8)), TextMode(SInt16(rng() % 4));
            MoveTo(wild(rng), wild(rng));
            const unsigned char s[] = {6, 'W', 'g', 0xC3, 0xA9, '@', 0xFF};
            DrawString(s);
        }
        }
    }
}

// Run in a fresh process whose Fontconfig knows no fonts: the start-up
// check names what is missing and text calls do nothing rather than crash.
[[noreturn]] void text_without_fonts() {
    const std::string conf = testsupport::test_folder() / "no-fonts.conf";
    testsupport::write_file(conf, "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    setenv("FONTCONFIG_FILE", conf.c_str(), 1);
    auto r = platform::quickdraw::init_text();
    if (r.ok()) std::exit(10);
    std::fprintf(stderr, "%s\n", r.error().message);
    GWorld gw(8, rect(0, 0, 50, 20));
    UsePort use(gw.get());
    const unsigned char s[] = {2, 'h', 'i'};
    MoveTo(3, 15), DrawString(s);
    Point pen;
    GetPen(&pen);
    FontInfo fi;
    GetFontInfo(&fi);
    bool blank = true;
    for (SInt16 y = 0; y < 20; ++y) for (SInt16 x = 0; x < 50; ++x) blank = blank && gw.at(x, y) == 0;
    std::exit(pen.h == 3 && StringWidth(s) == 0 && blank && fi.ascent > 0 ? 0 : 11);
}

TEST(Robustness, NoFontsGivesAClearErrorAndHarmlessText) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(text_without_fonts(), testing::ExitedWithCode(0),
                "font DejaVu Sans not found \\(Debian package fonts-dejavu-core\\)");
}
