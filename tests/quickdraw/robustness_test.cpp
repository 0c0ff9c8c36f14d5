// Drawing with wild arguments stays inside the pixels (the sanitizer build
// turns any stray write into a failure), and text without fonts is harmless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Fonts.h"
#include "qd_test_util.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using qdtest::GWorld;
using qdtest::rect;
using qdtest::UsePort;

namespace {

constexpr const char* kDejaVuDir = "/usr/share/fonts/truetype/dejavu/";

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
        ASSERT_EQ(src.err, noErr);
        ASSERT_EQ(dst.err, noErr);
        UsePort use(rng() % 4 ? dst.get() : src.get());
        Rect a = wild_rect(rng), b = wild_rect(rng);
        RgnHandle mask = nullptr;
        if (rng() % 3 == 0) {
            mask = NewRgn();
            Rect m = wild_rect(rng);
            RectRgn(mask, &m);
        }
        const bool same = rng() % 4 == 0;
        CopyBits(src.bits(), same ? src.bits() : dst.bits(), &a, &b, modes[rng() % 7], mask);
        if (mask) DisposeRgn(mask);

        Rect r = wild_rect(rng);
        ClipRect(&r);
        r = wild_rect(rng);
        PenSize(SInt16(rng() % 5), SInt16(rng() % 5));
        PenMode(SInt16(rng() % 16));
        switch (rng() % 6) {
        case 0: PaintRect(&r); break;
        case 1: FrameOval(&r); break;
        case 2: InvertRect(&r); break;
        case 3: MoveTo(wild(rng), wild(rng)); LineTo(wild(rng), wild(rng)); break;
        case 4: PaintOval(&r); break;
        default: {
            TextSize(SInt16(rng() % 60));
            TextFace(SInt16(rng() % 8));
            TextMode(SInt16(rng() % 4));
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
    std::string conf = testsupport::test_folder() / "no-fonts.conf";
    FILE* f = std::fopen(conf.c_str(), "w");
    std::fputs("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n", f);
    std::fclose(f);
    setenv("FONTCONFIG_FILE", conf.c_str(), 1);
    auto r = platform::quickdraw::init_text();
    if (r.ok()) std::exit(10);
    std::fprintf(stderr, "%s\n", r.error().message);
    GWorld gw(8, rect(0, 0, 50, 20));
    UsePort use(gw.get());
    const unsigned char s[] = {2, 'h', 'i'};
    MoveTo(3, 15);
    DrawString(s);
    Point pen;
    GetPen(&pen);
    FontInfo fi;
    GetFontInfo(&fi);
    bool blank = true;
    for (SInt16 y = 0; y < 20; ++y)
        for (SInt16 x = 0; x < 50; ++x) blank = blank && gw.at(x, y) == 0;
    std::exit(pen.h == 3 && StringWidth(s) == 0 && blank && fi.ascent > 0 ? 0 : 11);
}

namespace {

// Points Fontconfig at a folder holding only the named DejaVu files.
void use_only_fonts(std::initializer_list<const char*> files) {
    std::string dir = testsupport::test_folder() / "fonts";
    mkdir(dir.c_str(), 0700);
    for (const char* f : files) symlink((std::string(kDejaVuDir) + f).c_str(), (dir + "/" + f).c_str());
    std::string conf = dir + ".conf";
    FILE* out = std::fopen(conf.c_str(), "w");
    std::fprintf(out, "<?xml version=\"1.0\"?>\n<fontconfig><dir>%s</dir><cachedir>%s/cache</cachedir></fontconfig>\n",
                 dir.c_str(), dir.c_str());
    std::fclose(out);
    setenv("FONTCONFIG_FILE", conf.c_str(), 1);
}

int ink_of(SInt16 face) {
    GWorld gw(8, rect(0, 0, 80, 24));
    UsePort use(gw.get());
    TextFace(face);
    TextSize(16);
    MoveTo(2, 18);
    const unsigned char s[] = {5, 'H', 'e', 'l', 'l', 'o'};
    DrawString(s);
    int n = 0;
    for (SInt16 y = 0; y < 24; ++y)
        for (SInt16 x = 0; x < 80; ++x) n += gw.at(x, y) != 0;
    return n;
}

// Only the regular face: the check names the missing bold, and bold text
// is still drawn (thickened), as is slanted italic.
[[noreturn]] void only_regular() {
    use_only_fonts({"DejaVuSans.ttf"});
    auto r = platform::quickdraw::init_text();
    if (r.ok()) std::exit(10);
    std::fprintf(stderr, "%s\n", r.error().message);
    int plain = ink_of(normal);
    std::exit(plain > 50 && ink_of(bold) > plain && ink_of(italic) != plain ? 0 : 11);
}

// The regular and bold faces only (what the core font package has of the
// sans family, less the other families): italic is slanted, the monospaced
// font number falls back to the sans face.
[[noreturn]] void sans_only() {
    use_only_fonts({"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"});
    if (!platform::quickdraw::init_text().ok()) std::exit(10);
    GWorld gw(8, rect(0, 0, 8, 8));
    UsePort use(gw.get());
    TextFont(4);
    bool fellBack = CharWidth('i') != CharWidth('W');
    int plain = ink_of(normal);
    std::exit(fellBack && ink_of(italic) != plain && ink_of(bold | italic) > plain ? 0 : 11);
}

}  // namespace

TEST(Robustness, MissingFacesAreMadeFromTheOnesThere) {
    if (!std::filesystem::exists(std::filesystem::path(kDejaVuDir) / "DejaVuSans.ttf"))
        KINORA_SKIP_OR_FAIL("the DejaVu fonts are not installed (apt-get install fonts-dejavu-core)");
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(only_regular(), testing::ExitedWithCode(0), "font DejaVu Sans Bold not found");
    EXPECT_EXIT(sans_only(), testing::ExitedWithCode(0), "");
}

TEST(Robustness, NoFontsGivesAClearErrorAndHarmlessText) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(text_without_fonts(), testing::ExitedWithCode(0),
                "font DejaVu Sans not found \\(Debian package fonts-dejavu-core\\)");
}
