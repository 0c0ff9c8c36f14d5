// Text: fonts found, widths and pen movement, faces, transfer modes,
// anti-aliasing only where the depth allows it, clipping, UTF-8.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Fonts.h"
#include "qd_test_util.h"
#include "tests/support/PString.h"

using qdtest::GWorld;
using qdtest::rect;
using qdtest::UsePort;

namespace {

using testsupport::PStr;

// Pixels of a world that differ from its starting white.
int inked(const GWorld& gw) {
    const UInt32 white = gw.pm().pixelSize == 32 ? 0xFFFFFF : gw.pm().pixelSize == 16 ? 0x7FFF : 0;
    int n = 0;
    const Rect& b = gw.pm().bounds;
    for (SInt16 y = b.top; y < b.bottom; ++y) for (SInt16 x = b.left; x < b.right; ++x) n += gw.at(x, y) != white;
    return n;
}

}  // namespace

TEST(Text, WidthsAddUpAndThePenMovesByThem) {
    GWorld gw(32, rect(0, 0, 400, 60));
    UsePort use(gw.get());
    struct Case { SInt16 font, size, face; };
    Case cases[] = {{applFont, 12, normal}, {systemFont, 0, normal}, {applFont, 33, bold},
                    {4, 18, normal},        {2, 20, italic},         {applFont, 25, bold | italic}};
    const std::string text = "Whoa cool! 1234";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.font << "/" << c.size << "/" << c.face);
        TextFont(c.font), TextSize(c.size), TextFace(c.face);
        SInt16 sum = 0;
        for (char ch : text) sum = SInt16(sum + CharWidth(ch));
        EXPECT_EQ(StringWidth(PStr(text)), sum);
        EXPECT_EQ(TextWidth(text.data(), 5, 4), StringWidth(PStr("cool")));
        MoveTo(10, 40), DrawString(PStr(text));
        Point pen;
        GetPen(&pen);
        EXPECT_EQ(std::tuple(pen.h, pen.v), std::tuple(SInt16(10 + sum), SInt16(40)));
        FontInfo fi;
        GetFontInfo(&fi);
        const int size = c.size ? c.size : 12, height = fi.ascent + fi.descent;
        EXPECT_TRUE(height >= size * 9 / 10 && height <= size * 3 / 2 && fi.descent > 0 && fi.widMax >= CharWidth('W'))
            << height << " " << fi.descent << " " << fi.widMax;
    }
    // Size 0 is 12; bigger sizes and bold are wider; monospaced digits and
    // letters are equally wide.
    auto width = [&](SInt16 size, SInt16 face) {
        TextFont(applFont), TextSize(size), TextFace(face);
        return StringWidth(PStr(text));
    };
    const SInt16 w0 = width(0, normal);
    EXPECT_EQ(width(12, normal), w0);
    EXPECT_GT(width(24, normal), w0 * 3 / 2);
    EXPECT_GT(width(24, bold), width(24, normal));
    TextFont(4);
    EXPECT_EQ(CharWidth('i'), CharWidth('W'));
}

TEST(Text, IndexedPortsGetOnlyTheForeColourDeepPortsBlendEdges) {
    for (SInt16 depth : {1, 4, 8, 16, 32}) {
        SCOPED_TRACE(depth);
        GWorld gw(depth, rect(0, 0, 120, 40));
        UsePort use(gw.get());
        ForeColor(blueColor);
        RGBColor blue{0, 0, 0xFFFF};
        const UInt32 fore = UInt32(Color2Index(&blue));
        TextSize(20), MoveTo(4, 30);
        DrawString(PStr("Ag&%@"));
        std::set<UInt32> values;
        for (SInt16 y = 0; y < 40; ++y) for (SInt16 x = 0; x < 120; ++x) values.insert(gw.at(x, y));
        EXPECT_TRUE(values.count(fore));
        if (depth <= 8)
            EXPECT_EQ(values.size(), 2u) << "white and the fore colour only";
        else
            EXPECT_GT(values.size(), 4u) << "anti-aliased edges";
    }
}

// srcOr leaves the background; bold inks more; the clip cuts the text but
// not the pen's movement.
TEST(Text, SrcOrBoldAndClipping) {
    int plain = 0;
    for (SInt16 face : {SInt16(normal), SInt16(bold)}) {
        GWorld gw(8, rect(0, 0, 100, 30));
        UsePort use(gw.get());
        BackColor(yellowColor), TextMode(srcOr), TextFace(face), TextSize(16), MoveTo(5, 20);
        DrawString(PStr("Hello"));
        EXPECT_EQ(gw.at(6, 2), 0u) << "srcOr leaves the background";
        if (face == normal) plain = inked(gw);
        else EXPECT_GT(inked(gw), plain * 5 / 4);
    }
    EXPECT_GT(plain, 50);

    GWorld gw(8, rect(0, 0, 100, 30));
    UsePort use(gw.get());
    Rect clip = rect(0, 0, 30, 30);
    ClipRect(&clip), TextSize(18), MoveTo(2, 22);
    DrawString(PStr("MMMMMMMM"));
    for (SInt16 y = 0; y < 30; ++y) for (SInt16 x = 30; x < 100; ++x) ASSERT_EQ(gw.at(x, y), 0u);
    EXPECT_GT(inked(gw), 20);
    Point pen;
    GetPen(&pen);
    EXPECT_EQ(pen.h, 2 + StringWidth(PStr("MMMMMMMM"))) << "the pen moves past clipped text too";
}

TEST(Text, Utf8AndCharacterCodes) {
    GWorld gw(8, rect(0, 0, 50, 30));
    UsePort use(gw.get());
    TextSize(14);
    struct Case { std::string utf8; SInt16 expected; } cases[] = {
        {"\xC3\xA9", CharWidth(SInt16(0xE9))},                        // é, two bytes, one character
        {"a\xC3\xA9z", SInt16(CharWidth('a') + CharWidth(0xE9) + CharWidth('z'))},
        {"\xE2\x82\xAC", StringWidth(PStr("\xE2\x82\xAC"))},         // €
    };
    for (const Case& c : cases) EXPECT_EQ(StringWidth(PStr(c.utf8)), c.expected) << c.utf8;
    // Malformed bytes measure as the replacement character, one per byte.
    const SInt16 bad = StringWidth(PStr("\xC3"));
    EXPECT_GT(bad, 0);
    EXPECT_EQ(std::tuple(StringWidth(PStr("\xC3\xC3")), StringWidth(PStr("\xF0\x9F"))), std::tuple(SInt16(2 * bad), SInt16(2 * bad)))
        << "the second: a sequence cut short";
    EXPECT_EQ(std::tuple(StringWidth(PStr("")), TextWidth("abc", 0, 0), TextWidth(nullptr, 0, 3)), std::tuple(0, 0, 0));
}
