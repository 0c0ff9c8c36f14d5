// The screen, its device, window ports, dirty rectangles and the cursor.
#include <gtest/gtest.h>

#include <bit>
#include <tuple>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Cursor.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/WindowPort.h"
#include "qd_test_util.h"

namespace qd = platform::quickdraw;
using qdtest::rect;

namespace {

UInt32 screen_pixel(int x, int y) {
    const qd::Screen& s = qd::screen();
    const UInt8* p = s.pixels() + y * s.row_bytes() + 4 * x;
    return (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | p[3];
}

// Whether every pixel of r is covered by the rectangles.
bool covered(const std::vector<Rect>& rects, const Rect& r) {
    for (SInt16 y = r.top; y < r.bottom; ++y)
        for (SInt16 x = r.left; x < r.right; ++x) {
            bool hit = false;
            for (const Rect& d : rects) hit = hit || PtInRect(Point{y, x}, &d);
            if (!hit) return false;
        }
    return true;
}

class WindowPort {
public:
    explicit WindowPort(const Rect& global) {
        auto p = qd::new_window_port(global);
        EXPECT_TRUE(p.ok());
        port = p.ok() ? *p : nullptr;
    }
    ~WindowPort() { qd::dispose_window_port(port); }
    GrafPtr port;
};

}  // namespace

TEST(Screen, TheMainDeviceIsTheScreenOfAFixedSize) {
    GDHandle gd = GetMainDevice();
    ASSERT_NE(gd, nullptr);
    EXPECT_EQ(reinterpret_cast<const UInt8*>((**(**gd).gdPMap).baseAddr), qd::screen().pixels());
    struct Case { Rect r; bool meets; };
    Case cases[] = {{rect(10, 10, 50, 50), true}, {rect(-100, -100, 1, 1), true}, {rect(1024, 0, 1100, 50), false},
                    {rect(-50, -50, 0, 0), false}, {rect(20, 20, 20, 40), false}};
    for (const Case& c : cases) EXPECT_EQ(GetMaxDevice(&c.r) != nullptr, c.meets) << c.r.left << "," << c.r.top;
    EXPECT_FALSE(qd::init_screen(800, 600).ok()) << "the size is fixed once the screen exists";
    EXPECT_TRUE(qd::init_screen(qd::Screen::kDefaultWidth, qd::Screen::kDefaultHeight).ok());
}

TEST(Screen, AWindowPortDrawsAtTheWindowsPlaceAndMarksItDirty) {
    WindowPort w(rect(100, 50, 300, 150));
    ASSERT_NE(w.port, nullptr);
    qd::screen().take_dirty_rects();
    qdtest::UsePort use(w.port);
    Point origin{0, 0};
    LocalToGlobal(&origin);
    EXPECT_EQ(std::tuple(origin.h, origin.v), std::tuple(100, 50));

    ForeColor(redColor);
    Rect r = rect(-20, -20, 10, 5);   // partly outside the port: clipped to it
    PaintRect(&r);
    EXPECT_EQ(std::tuple(screen_pixel(100, 50), screen_pixel(109, 54), screen_pixel(99, 50) == 0xFF0000u,
                         screen_pixel(100, 49) == 0xFF0000u), std::tuple(0xFF0000u, 0xFF0000u, false, false));
    auto dirty = qd::screen().take_dirty_rects();
    EXPECT_TRUE(covered(dirty, rect(100, 50, 110, 55)));
    EXPECT_FALSE(covered(dirty, rect(99, 50, 100, 51)));
    EXPECT_TRUE(qd::screen().take_dirty_rects().empty()) << "taking them forgets them";

    // Moved: the same local drawing lands at the new place.
    ASSERT_TRUE(qd::move_window_port(w.port, 400, 300).ok());
    ForeColor(blueColor), PaintRect(&r);
    EXPECT_EQ(std::tuple(screen_pixel(400, 300), screen_pixel(100, 50)), std::tuple(0x0000FFu, 0xFF0000u))
        << "the old place is left alone";
}

// A screen of another size: the top-left pixels stay; the main device's
// pixel map and a window port's move to the new pixels (drawing through
// them reaches the new screen, never the freed one) and the port keeps its
// place; nothing changes on a size out of range.
TEST(Screen, AResizedScreenTakesItsDeviceAndPortsAlong) {
    WindowPort w(rect(700, 500, 900, 600));
    qdtest::UsePort use(w.port);
    ForeColor(redColor);
    Rect r = rect(0, 0, 10, 10);
    PaintRect(&r);
    ASSERT_TRUE(qd::resize_screen(1200, 900).ok());
    EXPECT_EQ(screen_pixel(705, 505), 0xFF0000u) << "kept";
    EXPECT_EQ(screen_pixel(1100, 800), 0u) << "new room is black";
    const PixMap& pm = **(**GetMainDevice()).gdPMap;
    EXPECT_EQ(std::tuple(reinterpret_cast<const UInt8*>(pm.baseAddr), int(pm.rowBytes), pm.bounds.right, (**GetMainDevice()).gdRect.bottom),
              std::tuple(qd::screen().pixels(), 1200 * 4, 1200, 900));
    ForeColor(blueColor);
    r = rect(190, 90, 200, 100);
    PaintRect(&r);
    EXPECT_EQ(screen_pixel(899, 599), 0x0000FFu);

    EXPECT_FALSE(qd::resize_screen(32, 900).ok());
    ASSERT_TRUE(qd::resize_screen(qd::Screen::kDefaultWidth, qd::Screen::kDefaultHeight).ok());
    EXPECT_EQ(screen_pixel(899, 599), 0x0000FFu);
    const Rect global = qd::port_global_rect(w.port), place = rect(700, 500, 900, 600);
    EXPECT_TRUE(EqualRect(&global, &place));
}

TEST(Screen, TheVisibleRegionKeepsAWindowOffWhatCoversIt) {
    WindowPort back(rect(0, 100, 200, 200)), front(rect(50, 120, 150, 180));
    // The front window covers part of the back one.
    qd::Region visible(qd::port_global_rect(back.port));
    visible.subtract(qd::Region(qd::port_global_rect(front.port)));
    ASSERT_TRUE(qd::set_port_visible_region_global(back.port, visible).ok());
    EXPECT_TRUE(qd::port_visible_region_global(back.port) == visible);

    qdtest::UsePort use(back.port);
    ForeColor(greenColor);
    Rect all = rect(0, 0, 200, 100);
    PaintRect(&all);
    EXPECT_EQ(std::tuple(screen_pixel(10, 110), screen_pixel(60, 130) == 0x00FF00u, screen_pixel(160, 130)),
              std::tuple(0x00FF00u, false, 0x00FF00u)) << "the middle: covered by the front window";

    // CopyBits onto the window's pixel map obeys the same visible region.
    qdtest::GWorld gw(8, rect(0, 0, 200, 100));
    {
        qdtest::UsePort useWorld(gw.get());
        ForeColor(yellowColor), PaintRect(&all);
    }
    qd::screen().take_dirty_rects();
    CopyBits(gw.bits(), GetPortBitMapForCopyBits(back.port), &all, &all, srcCopy, nullptr);
    EXPECT_EQ(std::tuple(screen_pixel(10, 110), screen_pixel(60, 130) == 0xFFFF00u), std::tuple(0xFFFF00u, false));
    EXPECT_TRUE(covered(qd::screen().take_dirty_rects(), rect(0, 100, 50, 200)));
}

TEST(Cursor, VisibilityCountsAndTheArrowImage) {
    InitCursor();
    Cursor arrow;
    GetQDGlobalsArrow(&arrow);
    // Hides nest, extra shows do not bank visibility, and an obscured cursor
    // comes back when the mouse moves. The generation tells the host to
    // remake its cursor: it moves when what shows changes, and not when the
    // application sets the same cursor again (as it does on every idle).
    // op: Hide, Show, Obscure, Moved, the Arrow set again, a Custom cursor, Init; generation: since the start.
    struct Step { char op; bool visible; UInt32 generation; };
    const Step steps[] = {{'H', false, 1}, {'H', false, 1}, {'S', false, 1}, {'S', true, 2}, {'S', true, 2},
                          {'H', false, 3}, {'S', true, 4}, {'O', false, 5}, {'M', true, 6}, {'A', true, 6},
                          {'C', true, 7}, {'C', true, 7}, {'I', true, 8}};
    Cursor other = arrow;
    other.hotSpot.h = 5;
    const UInt32 gen = qd::cursor_generation();
    for (const Step& s : steps) {
        switch (s.op) {
        case 'H': HideCursor(); break;
        case 'S': ShowCursor(); break;
        case 'O': ObscureCursor(); break;
        case 'M': qd::cursor_mouse_moved(); break;
        case 'A': SetCursor(&arrow); break;
        case 'C': SetCursor(&other); break;
        case 'I': InitCursor(); break;
        }
        EXPECT_EQ(std::tuple(qd::cursor_visible(), qd::cursor_generation() - gen), std::tuple(s.visible, s.generation)) << s.op;
    }
    EXPECT_EQ(qd::cursor_state().cursor.hotSpot.h, arrow.hotSpot.h) << "InitCursor brings the arrow back";

    // Drawn over a grey buffer: the hot spot is black, the outline white,
    // exactly the mask's pixels change (also clipped at a corner), and
    // hidden it draws nothing.
    const int w = 40, h = 40;
    std::vector<UInt8> buf(w * h * 4, 0x80);
    qd::draw_cursor(buf.data(), w, h, w * 4, Point{10, 10});
    auto px = [&](int x, int y) { return buf[(y * w + x) * 4 + 1]; };
    EXPECT_EQ(std::tuple(px(10, 10), px(9, 9)), std::tuple(UInt8(0x00), UInt8(0xFF))) << "hot spot, outline";
    int changed = 0, maskBits = 0;
    for (int i = 0; i < w * h; ++i) changed += buf[i * 4 + 1] != 0x80;
    for (UInt16 m : arrow.mask) maskBits += std::popcount(m);
    EXPECT_EQ(changed, maskBits);
    qd::draw_cursor(buf.data(), w, h, w * 4, Point{38, 38});
    HideCursor();
    std::vector<UInt8> before = buf;
    qd::draw_cursor(buf.data(), w, h, w * 4, Point{20, 20});
    EXPECT_EQ(buf, before);
    ShowCursor();
}
