// Fixed-point conversions, number text, rectangles and points.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "platform/QuickDraw.h"
#include "platform/Utilities.h"
#include "platform/quickdraw/kit/Rects.h"
#include "qd_test_util.h"

using qdtest::rect;

TEST(Fixed, KnownValuesAndSaturation) {
    struct Ratio { SInt16 n, d; Fixed expected; };
    Ratio ratios[] = {{320, 1, 320 << 16}, {1, 2, 0x8000}, {-3, 4, -0xC000}, {1, 3, 0x5555}, {2, 3, 0xAAAB},
                      {32767, 1, 0x7FFF0000}, {1, 0, 0x7FFFFFFF}, {-1, 0, INT32_MIN}, {0, 0, 0x7FFFFFFF}};
    for (const Ratio& r : ratios) EXPECT_EQ(FixRatio(r.n, r.d), r.expected) << r.n << "/" << r.d;

    struct Round { Fixed x; SInt16 expected; };
    Round rounds[] = {{0x18000, 2},  {0x17FFF, 1},  {-0x18000, -2}, {-0x17FFF, -1}, {0x8000, 1},
                      {-0x8000, -1}, {0x7FFFFFFF, 32767}, {INT32_MIN, -32768}, {0, 0}};
    for (const Round& r : rounds) EXPECT_EQ(FixRound(r.x), r.expected) << r.x;

    EXPECT_EQ(std::tuple(Long2Fix(5), Long2Fix(40000), Long2Fix(-40000), Fix2Long(-0x28000)),
              std::tuple(0x50000, 0x7FFFFFFF, INT32_MIN, -3));
}

TEST(NumberText, EveryDigitAndTheSign) {
    for (SInt32 n : {0, 7, 70, -1, 2147483647, INT32_MIN}) {
        Str255 s;
        NumToString(n, s);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(s + 1), s[0]), std::to_string(n));
    }
}

TEST(Rects, IntersectionUnionAndContainment) {
    const Rect zero{0, 0, 0, 0};
    struct Sect { Rect a, b, expected; bool meets; } sects[] = {
        {rect(0, 0, 10, 10), rect(5, 5, 20, 20), rect(5, 5, 10, 10), true},
        {rect(0, 0, 10, 10), rect(10, 0, 20, 10), zero, false},   // touching edges share no pixel
        {rect(0, 0, 10, 10), rect(3, 3, 3, 8), zero, false},
        {rect(-5, -5, 5, 5), rect(-10, -10, 0, 0), rect(-5, -5, 0, 0), true},
    };
    for (const Sect& s : sects) {
        Rect out{9, 9, 9, 9};
        EXPECT_EQ(bool(SectRect(&s.a, &s.b, &out)), s.meets);
        EXPECT_TRUE(EqualRect(&out, &s.expected));
    }
    auto same = [](const Rect& x, const Rect& y) { return bool(EqualRect(&x, &y)); };
    Rect u, v;
    Rect a = rect(0, 0, 10, 10), b = rect(20, 5, 30, 8), empty = rect(50, 50, 50, 50);
    UnionRect(&a, &b, &u), UnionRect(&empty, &b, &v);
    EXPECT_TRUE(same(u, rect(0, 0, 30, 10)) && same(v, b)) << "an empty rectangle adds nothing";

    struct Point_ { SInt16 h, v; bool in; };
    Point_ points[] = {{0, 0, true}, {9, 9, true}, {10, 5, false}, {5, 10, false}, {-1, 0, false}};
    for (const Point_& p : points) EXPECT_EQ(bool(PtInRect(Point{p.v, p.h}, &a)), p.in) << p.h << "," << p.v;

    Rect r = rect(0, 0, 10, 10);
    InsetRect(&r, 2, 3);
    EXPECT_TRUE(same(r, rect(2, 3, 8, 7)));
    InsetRect(&r, 4, 0);
    EXPECT_TRUE(same(r, zero)) << "an inset with no area left is all zero";
    r = rect(0, 0, 10, 10);
    InsetRect(&r, -2, -2), OffsetRect(&r, 2, -3);
    EXPECT_TRUE(same(r, rect(0, -5, 14, 9)));
    Pt2Rect(Point{20, 3}, Point{5, 10}, &r);
    EXPECT_TRUE(same(r, rect(3, 5, 10, 20)));
    EXPECT_TRUE(EmptyRect(&empty) && !EmptyRect(&a));

    Point p{1, 2};
    AddPt(Point{10, 20}, &p), SubPt(Point{1, 2}, &p);
    EXPECT_TRUE(EqualPt(p, Point{10, 20}) && !EqualPt(p, Point{20, 10}));
}

// The kit's own edge cases, beyond what the calls above reach: the union
// the controller's bounds use (an empty bar still adds its rows), centring
// something larger than its box, and the edge of the coordinate plane.
TEST(Rects, KitEdgesAndClamping) {
    namespace kit = platform::kit;
    const Rect movie = rect(0, 0, 0, 0), bar = rect(0, 0, 0, 16);
    EXPECT_TRUE(kit::equal(kit::unite(movie, bar), kit::kNoRect)) << "both empty: nothing";
    EXPECT_TRUE(kit::equal(kit::enclosing(movie, bar), bar)) << "the bar's rows count though it has no width";
    const Rect box = rect(10, 10, 20, 30);
    EXPECT_TRUE(kit::equal(kit::unite(box, rect(50, 50, 40, 60)), box)) << "an empty second rectangle adds nothing";
    EXPECT_FALSE(kit::contains(rect(5, 5, 5, 9), Point{6, 5})) << "an empty rectangle holds no point";

    // A wider thing starts before the box, rounding towards the box; an odd
    // spare row goes above the text.
    EXPECT_EQ(std::tuple(kit::centred_left(box, 4), kit::centred_left(box, 15), kit::centred_top(box, 10),
                         kit::centred_baseline(0, 20, 12, 3)), std::tuple(13, 8, 15, 15));

    const Rect moved = kit::offset(rect(32000, -32000, 32700, -31000), 100, -1000);
    EXPECT_TRUE(kit::equal(moved, rect(32100, -32768, 32767, -32000))) << "clamped at the plane's edge, not wrapped";
    EXPECT_TRUE(kit::is_empty(kit::inset(box, 5, 5)) && kit::equal(kit::inset(box, -2), rect(8, 8, 22, 32)));
}
