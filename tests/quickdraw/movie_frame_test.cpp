// The frames of the new movie, drawn exactly as the authoring code draws
// them into its 8-bit graphics world: a red field, the frame number in
// blue from the centre, and on the last frame "Whoa cool!" in green.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "platform/QuickDraw.h"
#include "platform/Utilities.h"
#include "qd_test_util.h"

using qdtest::GWorld;

namespace {

constexpr UInt32 kRed = 35, kGreen = 185, kBlue = 210;
const unsigned char kWhoa[] = {10, 'W', 'h', 'o', 'a', ' ', 'c', 'o', 'o', 'l', '!'};

struct Box {
    int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN, count = 0;
    void add(int x, int y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        ++count;
    }
};

}  // namespace

TEST(MovieFrame, RedFieldBlueNumberAndGreenLastWordsInExactIndexes) {
    const Rect frame{0, 0, 100, 320};
    for (SInt32 sample : {1, 9, 10, 37, 70}) {
        SCOPED_TRACE(sample);
        GWorld gw(8, frame);
        ASSERT_EQ(gw.err, noErr);
        LockPixels(GetPortPixMap(gw.get()));
        qdtest::UsePort use(gw.get());

        EraseRect(&frame);
        ForeColor(redColor);
        PaintRect(&frame);
        ForeColor(blueColor);
        Str255 num;
        NumToString(sample, num);
        MoveTo(frame.right / 2, frame.bottom / 2);
        TextSize(frame.bottom / 3);
        DrawString(num);
        Point pen;
        GetPen(&pen);
        const SInt16 numWidth = StringWidth(num);
        EXPECT_EQ(pen.h, 160 + numWidth) << "the pen moves by the string's width";
        EXPECT_EQ(pen.v, 50);
        Point greenPen{};
        SInt16 whoaWidth = 0;
        if (sample == 70) {
            ForeColor(greenColor);
            MoveTo(frame.left + 12, frame.bottom / 2);
            TextSize(frame.bottom / 4);
            DrawString(kWhoa);
            GetPen(&greenPen);
            whoaWidth = StringWidth(kWhoa);
        }

        Box blue, green;
        int others = 0;
        for (SInt16 y = 0; y < 100; ++y)
            for (SInt16 x = 0; x < 320; ++x) {
                UInt32 v = gw.at(x, y);
                if (v == kBlue) blue.add(x, y);
                else if (v == kGreen) green.add(x, y);
                else if (v != kRed) ++others;
            }
        EXPECT_EQ(others, 0) << "no anti-aliasing colours in an 8-bit world";
        ASSERT_GT(blue.count, 40);
        EXPECT_GE(blue.minX, 160);
        EXPECT_LE(blue.minX, 166) << "the number starts at the centre";
        EXPECT_LE(blue.maxX, 160 + numWidth);
        EXPECT_LE(blue.maxY, 50) << "digits sit on the baseline";
        EXPECT_GE(blue.maxY, 47);
        EXPECT_GE(blue.minY, 50 - 33);
        EXPECT_LE(blue.minY, 50 - 18) << "33-pixel digits are about 24 pixels tall";
        if (sample == 70) {
            ASSERT_GT(green.count, 100);
            EXPECT_GE(green.minX, 12);
            EXPECT_LE(green.minX, 16);
            EXPECT_LT(green.maxX, 160) << "the words end before the number starts";
            EXPECT_LE(green.maxY, 51);
            EXPECT_EQ(greenPen.h, 12 + whoaWidth);
        } else {
            EXPECT_EQ(green.count, 0);
        }
    }
}
