// Shape drawing: clipping to port rectangle, clip and visible regions,
// frames, lines and transfer modes.
#include <gtest/gtest.h>

#include <functional>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/WindowPort.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "qd_test_util.h"

using qdtest::GWorld;
using qdtest::rect;
using qdtest::UsePort;

namespace {

constexpr UInt32 kWhite = 0, kBlack = 255;   // 8-bit standard table

// Compares every pixel of an 8-bit world with a predicate: black where it
// says so, white elsewhere. Returns the number of wrong pixels.
int wrong_pixels(const GWorld& gw, const std::function<bool(int, int)>& black) {
    int bad = 0;
    const Rect& b = gw.pm().bounds;
    for (SInt16 y = b.top; y < b.bottom; ++y)
        for (SInt16 x = b.left; x < b.right; ++x) if (gw.at(x, y) != (black(x, y) ? kBlack : kWhite)) ++bad;
    return bad;
}

bool in(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

}  // namespace

TEST(Drawing, PaintingIsClippedToPortRectClipAndVisibleRegion) {
    struct Case { const char* name; Rect portRect, clip, vis; } cases[] = {   // vis: the visible region, set from outside
        {"nothing set", rect(0, 0, 40, 30), rect(-32768, -32768, 32767, 32767), rect(0, 0, 40, 30)},
        {"clip", rect(0, 0, 40, 30), rect(5, 6, 20, 25), rect(0, 0, 40, 30)},
        {"visible", rect(0, 0, 40, 30), rect(-32768, -32768, 32767, 32767), rect(10, 0, 40, 12)},
        {"port rect", rect(3, 4, 30, 20), rect(-32768, -32768, 32767, 32767), rect(0, 0, 40, 30)},
        {"all three", rect(3, 4, 30, 20), rect(0, 10, 25, 30), rect(12, 0, 40, 30)},
        {"disjoint", rect(0, 0, 40, 30), rect(0, 0, 10, 10), rect(20, 20, 40, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GWorld gw(8, rect(0, 0, 40, 30));
        UsePort use(gw.get());
        platform::quickdraw::GrafPort* port = platform::quickdraw::port_from(gw.get());
        port->set_port_rect(c.portRect);
        ASSERT_TRUE(platform::quickdraw::set_port_visible_region(gw.get(), platform::quickdraw::Region(c.vis)).ok());
        ClipRect(&c.clip);
        Rect everything = rect(-100, -100, 100, 100);
        PaintRect(&everything);
        EXPECT_EQ(wrong_pixels(gw, [&](int x, int y) { return in(c.portRect, x, y) && in(c.clip, x, y) && in(c.vis, x, y); }), 0);
    }
}

TEST(Drawing, ANonRectangularClipRegion) {
    GWorld gw(8, rect(0, 0, 30, 30));
    UsePort use(gw.get());
    RgnHandle clip = NewRgn(), hole = NewRgn();
    SetRectRgn(clip, 0, 0, 30, 30), SetRectRgn(hole, 10, 10, 20, 20), DiffRgn(clip, hole, clip);
    SetClip(clip);
    Rect all = rect(0, 0, 30, 30);
    PaintRect(&all);
    EXPECT_EQ(wrong_pixels(gw, [](int x, int y) { return !(x >= 10 && x < 20 && y >= 10 && y < 20); }), 0);
    // A region painted through the clip: only their intersection.
    EraseRect(&all), PaintRgn(hole);
    EXPECT_EQ(wrong_pixels(gw, [](int, int) { return false; }), 0);
    DisposeRgn(clip), DisposeRgn(hole);
}

TEST(Drawing, FramesLinesAndOvals) {
    struct Case { const char* name; std::function<void()> draw; std::function<bool(int, int)> black; };
    Case cases[] = {
        {"frame 1", [] { Rect r = rect(5, 5, 15, 12); FrameRect(&r); },
         [](int x, int y) { return in(rect(5, 5, 15, 12), x, y) && !in(rect(6, 6, 14, 11), x, y); }},
        {"frame 3x2", [] { PenSize(3, 2); Rect r = rect(5, 5, 20, 15); FrameRect(&r); },
         [](int x, int y) { return in(rect(5, 5, 20, 15), x, y) && !in(rect(8, 7, 17, 13), x, y); }},
        {"frame thicker than the rect", [] { PenSize(10, 10); Rect r = rect(5, 5, 12, 12); FrameRect(&r); },
         [](int x, int y) { return in(rect(5, 5, 12, 12), x, y); }},
        {"horizontal line", [] { MoveTo(3, 4); LineTo(12, 4); }, [](int x, int y) { return y == 4 && x >= 3 && x <= 12; }},
        {"vertical line, backwards", [] { MoveTo(7, 20); LineTo(7, 2); }, [](int x, int y) { return x == 7 && y >= 2 && y <= 20; }},
        {"diagonal", [] { MoveTo(2, 2); Line(10, 10); }, [](int x, int y) { return x == y && x >= 2 && x <= 12; }},
        {"thick diagonal", [] { PenSize(2, 2); MoveTo(2, 2); LineTo(6, 6); },
         [](int x, int y) { return x >= 2 && y >= 2 && x <= 7 && y <= 7 && (x - y <= 1 && y - x <= 1); }},
        {"zero pen", [] { PenSize(0, 3); MoveTo(2, 2); LineTo(20, 2); }, [](int, int) { return false; }},
        {"invert twice", [] { Rect r = rect(2, 2, 9, 9); InvertRect(&r); InvertRect(&r); }, [](int, int) { return false; }},
        {"xor pen", [] { PenMode(patXor); Rect r = rect(2, 2, 9, 9); PaintRect(&r); r = rect(5, 5, 12, 12); PaintRect(&r); },
         [](int x, int y) { return in(rect(2, 2, 9, 9), x, y) != in(rect(5, 5, 12, 12), x, y); }},
        {"bic pen", [] { Rect r = rect(0, 0, 10, 10); PaintRect(&r); PenMode(patBic); r = rect(5, 0, 10, 10); PaintRect(&r); },
         [](int x, int y) { return in(rect(0, 0, 5, 10), x, y); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GWorld gw(8, rect(0, 0, 30, 30));
        UsePort use(gw.get());
        c.draw();
        EXPECT_EQ(wrong_pixels(gw, c.black), 0);
    }
}

TEST(Drawing, PortGuardPutsBackThePortAndWhatAHelperChanged) {
    GWorld gw(8, rect(0, 0, 10, 10)), caller(8, rect(0, 0, 10, 10));
    UsePort use(caller.get());
    {
        SetPort(gw.get());
        MoveTo(1, 2);
        SetPort(caller.get());
        platform::kit::PortGuard guard(gw.get(), platform::kit::Keep::drawing_state);
        ForeColor(redColor), PenSize(3, 3);
        Rect r = rect(0, 0, 1, 1);
        ClipRect(&r), TextSize(40);
    }
    GrafPtr now = nullptr;
    GetPort(&now);
    EXPECT_EQ(now, caller.get()) << "the caller's port is current again";
    SetPort(gw.get());
    RGBColor fore;
    GetForeColor(&fore);
    PenState ps;
    GetPenState(&ps);
    EXPECT_EQ(std::tuple(fore.red, ps.pnSize.h, ps.pnLoc.h), std::tuple(0, 1, 1));
    Rect all = rect(0, 0, 10, 10);
    PaintRect(&all);
    EXPECT_EQ(gw.at(9, 9), kBlack) << "the clip came back wide open";
}
