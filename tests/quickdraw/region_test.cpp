// Regions against a brute-force model: a region built from random
// rectangles is checked pixel by pixel against a membership grid.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "platform/QuickDraw.h"
#include "qd_test_util.h"

using qdtest::rect;

namespace {

constexpr int kLo = -8, kHi = 48;   // the pixels checked: [kLo, kHi) both ways

class Rgn {
public:
    Rgn() : h(NewRgn()) {}
    ~Rgn() { DisposeRgn(h); }
    Rgn(const Rgn&) = delete;
    Rgn& operator=(const Rgn&) = delete;
    operator RgnHandle() const { return h; }
    RgnHandle h;
};

// A union of rectangles, as a region and as a membership test.
struct Shape {
    std::vector<Rect> rects;
    void build(RgnHandle r) const {
        SetEmptyRgn(r);
        Rgn one;
        for (const Rect& x : rects) {
            RectRgn(one, &x);
            UnionRgn(r, one, r);
        }
    }
    bool at(int x, int y) const {
        for (const Rect& r : rects) if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
        return false;
    }
};

Shape random_shape(std::mt19937& rng) {
    std::uniform_int_distribution<int> coord(0, 40), count(1, 5);
    Shape s;
    for (int i = count(rng); i > 0; --i) {
        int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
        s.rects.push_back(rect(SInt16(std::min(a, b)), SInt16(std::min(c, d)), SInt16(std::max(a, b)), SInt16(std::max(c, d))));
    }
    return s;
}

// Every grid pixel agrees; returns the number of disagreements.
int mismatches(RgnHandle r, const std::function<bool(int, int)>& expected) {
    int bad = 0;
    for (int y = kLo; y < kHi; ++y)
        for (int x = kLo; x < kHi; ++x) if (bool(PtInRgn(Point{SInt16(y), SInt16(x)}, r)) != expected(x, y)) ++bad;
    return bad;
}

}  // namespace

TEST(Regions, SetOperationsAgreeWithThePixelGrid) {
    std::mt19937 rng(1234);
    struct Op { const char* name; void (*call)(RgnHandle, RgnHandle, RgnHandle); bool (*model)(bool, bool); } ops[] = {
        {"union", UnionRgn, [](bool a, bool b) { return a || b; }},
        {"sect", SectRgn, [](bool a, bool b) { return a && b; }},
        {"diff", DiffRgn, [](bool a, bool b) { return a && !b; }},
        {"xor", XorRgn, [](bool a, bool b) { return a != b; }},
    };
    for (int trial = 0; trial < 60; ++trial) {
        const Shape ga = random_shape(rng), gb = random_shape(rng);
        const Shape &sa = ga, &sb = gb;
        Rgn a, b, out;
        sa.build(a);
        sb.build(b);
        ASSERT_EQ(mismatches(a, [&](int x, int y) { return ga.at(x, y); }), 0);
        for (const Op& op : ops) {
            SCOPED_TRACE(op.name);
            op.call(a, b, out);
            EXPECT_EQ(mismatches(out, [&](int x, int y) { return op.model(ga.at(x, y), gb.at(x, y)); }), 0);
        }
        // The destination may be one of the sources.
        Rgn alias;
        CopyRgn(a, alias);
        DiffRgn(alias, b, alias);
        EXPECT_EQ(mismatches(alias, [&](int x, int y) { return ga.at(x, y) && !gb.at(x, y); }), 0);
    }
}

TEST(Regions, InsetShrinksAndGrowsLikeABoxAroundEachPixel) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 25; ++trial) {
        Shape shape = random_shape(rng);
        const Shape& g = shape;
        for (int d : {1, 2, 3, -1, -3}) {
            for (bool vertical : {false, true}) {
                SCOPED_TRACE(testing::Message() << "d " << d << (vertical ? " vertical" : " horizontal"));
                Rgn r;
                shape.build(r);
                InsetRgn(r, vertical ? 0 : SInt16(d), vertical ? SInt16(d) : 0);
                int k = d < 0 ? -d : d;
                auto expected = [&](int x, int y) {
                    // Shrinking keeps a pixel whose whole neighbourhood is in; growing adds
                    // a pixel with any neighbour in.
                    bool all = true, any = false;
                    for (int i = -k; i <= k; ++i) {
                        bool in = vertical ? g.at(x, y + i) : g.at(x + i, y);
                        all = all && in;
                        any = any || in;
                    }
                    return d > 0 ? all : any;
                };
                EXPECT_EQ(mismatches(r, expected), 0);
            }
        }
    }
}

TEST(Regions, EmptyAndDegenerateInputs) {
    Rgn r, other;
    EXPECT_TRUE(EmptyRgn(r)) << "a new region is empty";
    SetRectRgn(r, 10, 10, 5, 20);   // inside out
    EXPECT_TRUE(EmptyRgn(r));
    Rect bounds{1, 2, 3, 4}, zero{0, 0, 0, 0};
    GetRegionBounds(r, &bounds);
    EXPECT_TRUE(EqualRect(&bounds, &zero));
    EXPECT_TRUE(EqualRgn(r, other)) << "all empty regions are equal";
    Rect probe = rect(0, 0, 100, 100);
    EXPECT_FALSE(RectInRgn(&probe, r));
    SetRectRgn(r, 0, 0, 10, 10);
    Rect outside = rect(10, 0, 20, 10), touching = rect(9, 9, 20, 20), empty = rect(5, 5, 5, 8);
    // The right edge is exclusive.
    EXPECT_EQ(std::tuple(RectInRgn(&outside, r), RectInRgn(&touching, r), RectInRgn(&empty, r), PtInRgn(Point{9, 9}, r),
                         PtInRgn(Point{10, 9}, r)), std::tuple(false, true, false, true, false));
    // Nil handles are ignored rather than followed.
    UnionRgn(nullptr, r, r);
    CopyRgn(r, nullptr);
    EXPECT_TRUE(EmptyRgn(nullptr) && !PtInRgn(Point{0, 0}, nullptr));
    // Coordinates far off the 16-bit plane survive a round trip.
    for (SInt16 dh : {30000, 30000, -30000, -30000}) OffsetRgn(r, dh, 0);
    GetRegionBounds(r, &bounds);
    EXPECT_EQ(std::tuple(bounds.left, bounds.right), std::tuple(SInt16(0), SInt16(10)));
}
