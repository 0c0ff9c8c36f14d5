// The Window Manager in process: frames and hit tests, visible and update
// regions, activation order, what reaches the screen, dragging and the
// close box tracked through the Event Manager.
#include <string>
#include <tuple>

#include "platform/QuickDraw.h"
#include "platform/hosts/ScreenBridge.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/windows/ChromePainter.h"
#include "platform/windows/ScreenPixels.h"
#include "platform/windows/WindowFrame.h"
#include "tests/support/PString.h"
#include "tests/toolbox/wm_test_util.h"

using namespace wmtest;
namespace win = platform::windows;
namespace palette = platform::kit::palette;

namespace {

WindowRef make(const char* title, Rect content, SInt16 procID = noGrowDocProc, bool visible = true) {
    return NewCWindow(nullptr, &content, testsupport::PStr(title), visible, procID, reinterpret_cast<WindowRef>(-1), true, 0);
}

Rect R(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) { return Rect{top, left, bottom, right}; }

Rect vis_bounds(WindowRef w) {
    RgnHandle r = NewRgn();
    GetPortVisibleRegion(GetWindowPort(w), r);
    Rect b;
    GetRegionBounds(r, &b);
    DisposeRgn(r);
    return b;
}

std::string text(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

// A window's content in global coordinates.
Rect content_of(WindowRef w) {
    Rect r;
    GetWindowPortBounds(w, &r);
    SetPort(GetWindowPort(w));
    Point tl{r.top, r.left};
    LocalToGlobal(&tl);
    return R(tl.h, tl.v, SInt16(tl.h + r.right - r.left), SInt16(tl.v + r.bottom - r.top));
}

std::string title_of(WindowRef w) {
    Str255 t{};
    GetWTitle(w, t);
    return std::string(reinterpret_cast<const char*>(t + 1), t[0]);
}

// "activate A", "update B" ... for the events waiting.
std::string describe(const std::vector<EventRecord>& events) {
    std::string s;
    for (const EventRecord& e : events) {
        const std::string title = title_of(reinterpret_cast<WindowRef>(e.message));
        if (e.what == activateEvt) s += (e.modifiers & activeFlag) ? "activate " + title + "; " : "deactivate " + title + "; ";
        else if (e.what == updateEvt) s += "update " + title + "; ";
        else s += "event " + std::to_string(e.what) + "; ";
    }
    return s;
}

// Handles every update event as an application would, noting the visible
// region each was drawn in.
std::string handle_updates(const std::vector<EventRecord>& events) {
    std::string s;
    for (const EventRecord& e : events) {
        if (e.what != updateEvt) continue;
        WindowRef w = reinterpret_cast<WindowRef>(e.message);
        BeginUpdate(w);
        s += title_of(w) + " " + text(vis_bounds(w)) + "; ";
        EndUpdate(w);
    }
    return s;
}

}  // namespace

TEST(WindowFrame, PartsOfAFrame) {
    const Rect content = R(100, 100, 400, 300);
    struct Case { SInt16 procID; bool active; SInt16 h, v; SInt16 part; };
    const Case cases[] = {
        {noGrowDocProc, true, 250, 200, inContent},
        {noGrowDocProc, true, 99, 200, inDrag},      // left edge
        {noGrowDocProc, true, 400, 200, inDrag},     // right edge
        {noGrowDocProc, true, 250, 80, inDrag},      // top of the title bar
        {noGrowDocProc, true, 98, 200, inDesk}, {noGrowDocProc, true, 250, 79, inDesk},
        {noGrowDocProc, true, 113, 90, inGoAway},    // the close box
        {noGrowDocProc, false, 113, 90, inDrag},     // ... only on the active window
        {noGrowDocProc, true, 395, 295, inContent},  // no grow box
        {documentProc, true, 395, 295, inGrow}, {documentProc, false, 395, 295, inContent},
        {zoomDocProc, true, 386, 286, inGrow},
        {dBoxProc, true, 96, 200, inContent},        // a modal frame is not a handle
        {dBoxProc, true, 93, 200, inDesk},
        {altDBoxProc, true, 401, 250, inContent},    // the shadow
        {altDBoxProc, true, 100, 302, inDesk},       // not beside the shadow
        {plainDBox, true, 99, 99, inContent},
        {movableDBoxProc, true, 113, 90, inDrag},    // no close box on dialogs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.procID) + " at " + std::to_string(c.h) + "," + std::to_string(c.v));
        win::FrameSpec spec = win::frame_spec(c.procID, true);
        EXPECT_EQ(win::hit_test(spec, win::frame_geometry(spec, content), Point{c.v, c.h}, c.active), c.part);
    }
}

TEST(WindowFrame, ReachableOffsetsAndAlignment) {
    const Rect desk = R(0, 20, 1024, 768);
    struct Case { Rect content; SInt16 procID; SInt16 dh, dv; };
    const Case cases[] = {
        {R(100, 100, 400, 300), noGrowDocProc, 0, 0},
        {R(100, 30, 400, 300), noGrowDocProc, 0, 10},       // title bar under the menu bar
        {R(100, 40, 400, 300), noGrowDocProc, 0, 0},        // just below it
        {R(100, 900, 400, 1100), noGrowDocProc, 0, 768 - 16 - 880},
        {R(-1000, 100, -700, 300), noGrowDocProc, 16 + 699, 0},   // 16 pixels of title bar
        {R(1100, 100, 1400, 300), noGrowDocProc, 1024 - 16 - 1099, 0},
        {R(100, 10, 400, 300), dBoxProc, 0, 16},            // frames without a title bar too
        {R(-2000, 2000, -1990, 2010), plainDBox, 12 + 1989, 768 - 16 - 1999},   // narrower than 16: all of it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(text(c.content));
        win::FrameSpec spec = win::frame_spec(c.procID, true);
        Point o = win::reachable_offset(spec, win::frame_geometry(spec, c.content), desk);
        EXPECT_EQ(std::tuple(o.h, o.v), std::tuple(c.dh, c.dv));
    }
    const SInt32 lefts[] = {0, 1, 2, 3, 4, -1, -2, -3, 101, 102, 103};
    const SInt16 moves[] = {0, -1, -2, 1, 0, 1, -2, -1, -1, -2, 1};
    for (size_t i = 0; i < std::size(lefts); ++i) EXPECT_EQ(win::align_offset(lefts[i]), moves[i]) << lefts[i];
}

TEST(WindowFrame, TitlesAreElidedAtCharacterBoundaries) {
    auto measure = [](std::string_view s) { return SInt32(s.size()); };   // a byte a pixel; "…" is 3
    const std::tuple<const char*, SInt32, const char*> cases[] = {
        {"Movie", 5, "Movie"}, {"Movie", 4, "M\xE2\x80\xA6"}, {"Movie", 3, "\xE2\x80\xA6"}, {"Movie", 2, ""},
        {"Caf\xC3\xA9 noir", 7, "Caf\xE2\x80\xA6"},       // never half of "é"
        {"Caf\xC3\xA9 noir", 8, "Caf\xC3\xA9\xE2\x80\xA6"}, {"", 0, ""},
    };
    for (auto [text, width, shown] : cases) EXPECT_EQ(win::elide_to_width(text, width, measure), shown) << text << " " << width;
}

class WindowManagerTest : public ToolboxTest {};

TEST_F(WindowManagerTest, VisibleRegionsExcludeWhatIsInFront) {
    WindowRef a = make("A", R(100, 100, 400, 300));
    WindowRef b = make("B", R(250, 60, 550, 400));
    // B's frame starts one pixel left of its content: A shows up to x = 249.
    EXPECT_EQ(text(vis_bounds(a)), "0,0,149,200");
    EXPECT_EQ(text(vis_bounds(b)), "0,0,300,340");
    // An L-shaped overlap: the region is not its bounding box.
    make("C", R(300, 250, 500, 450));
    RgnHandle r = NewRgn();
    GetPortVisibleRegion(GetWindowPort(b), r);
    EXPECT_FALSE(PtInRgn(Point{SInt16(300 - 60 + 10), SInt16(300 - 250 + 10)}, r)) << "under C";
    EXPECT_TRUE(PtInRgn(Point{10, 10}, r));
    DisposeRgn(r);
}

TEST_F(WindowManagerTest, ActivationComesFirstThenUpdatesOfWhatWasUncovered) {
    WindowRef a = make("A", R(100, 100, 400, 300));
    EXPECT_EQ(describe(drain()), "activate A; update A; ");
    EXPECT_EQ(describe(drain()), "update A; ") << "not drawn yet: it keeps asking";
    EXPECT_EQ(handle_updates({EventRecord{updateEvt, reinterpret_cast<uintptr_t>(a), 0, {}, 0}}), "A 0,0,300,200; ");
    EXPECT_EQ(describe(drain()), "");

    make("B", R(250, 60, 550, 400));
    auto ev = drain();
    EXPECT_EQ(describe(ev), "deactivate A; activate B; update B; ");
    handle_updates({ev.back()});

    SelectWindow(a);
    ev = drain();
    EXPECT_EQ(describe(ev), "deactivate B; activate A; update A; ");
    // Only what B covered is drawn again.
    EXPECT_EQ(handle_updates({ev.back()}), "A 149,0,300,200; ");
    EXPECT_EQ(FrontWindow(), a);

    // ValidWindowRect empties the update region too.
    Rect all = R(0, 0, 300, 200);
    InvalWindowRect(a, &all), ValidWindowRect(a, &all);
    EXPECT_EQ(describe(drain()), "");

    // A window hidden in front: the next becomes active, and what it
    // covered of B comes back.
    HideWindow(a);
    EXPECT_EQ(describe(drain()), "deactivate A; activate B; update B; ");
    // A disposed window gets no events of its own.
    ShowWindow(a);
    DisposeWindow(a);
    ev = drain();
    EXPECT_EQ(describe(ev), "deactivate B; activate B; update B; ");
}

TEST_F(WindowManagerTest, NilAndUnknownWindowsAreIgnored) {
    WindowRef bogus = reinterpret_cast<WindowRef>(&bogus);
    for (WindowRef w : {WindowRef(nullptr), bogus}) {
        DisposeWindow(w);
        SelectWindow(w);
        MoveWindow(w, 10, 10, true);
        SizeWindow(w, 10, 10, true);
        DragWindow(w, Point{50, 50}, nullptr);
        EXPECT_EQ(GetWindowPort(w), nullptr);
        Rect r{1, 1, 1, 1};
        EXPECT_EQ(InvalWindowRect(w, &r), errWindowNotFound);
    }
    Str255 none{};
    unsigned char empty[1] = {0};
    EXPECT_EQ(NewCWindow(&none, nullptr, empty, true, 0, nullptr, false, 0), nullptr);
    Rect inside_out = R(100, 100, 50, 50);
    EXPECT_EQ(NewCWindow(nullptr, &inside_out, empty, true, 0, nullptr, false, 0), nullptr);
}

TEST_F(WindowManagerTest, TheScreenShowsFramesDesktopAndUncoveredContent) {
    WindowRef a = make("Alpha", R(100, 100, 400, 300));
    WindowRef b = make("B", R(500, 100, 700, 300));
    // B is active: striped title bar, close box; A is inactive: plain, no close box.
    const std::tuple<SInt16, SInt16, platform::quickdraw::RGB8> expected[] = {
        {500, 500, palette::kDesktop}, {500, 5, palette::kMenuBar}, {500, 19, palette::kFrame},
        {99, 200, palette::kFrame}, {250, 99, palette::kFrame}, {150, 90, palette::kTitleBarInactive},
        {540, 83, palette::kTitleStripe}, {540, 84, palette::kTitleBar}, {513, 90, palette::kCloseBox},
        {113, 90, palette::kTitleBarInactive}};
    for (const auto& [h, v, colour] : expected) EXPECT_EQ(pixel(h, v), rgb(colour)) << h << "," << v;
    EXPECT_EQ(pixel(250, 200), rgb(palette::kContent)) << "uncovered content is erased";
    // Content drawn by the application; moving the window takes it along.
    SetPort(GetWindowPort(a));
    RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    Rect all = R(0, 0, 300, 200);
    PaintRect(&all), MoveWindow(a, 150, 400, false);
    EXPECT_EQ(pixel(200, 500), 0xFF0000u);
    EXPECT_EQ(pixel(250, 200), rgb(palette::kDesktop)) << "the desktop is repainted at once";
    // Disposing of B repaints the desktop under it.
    DisposeWindow(b);
    EXPECT_EQ(std::tuple(pixel(600, 200), pixel(600, 90)), std::tuple(rgb(palette::kDesktop), rgb(palette::kDesktop)));
}

TEST_F(WindowManagerTest, MovingAndSizingKeepTheTitleBarReachable) {
    WindowRef a = make("A", R(100, 100, 400, 300));
    // Under the menu bar; far off, down and left.
    for (auto [h, v, want] : {std::tuple(200, 0, "200,40,500,240"), {-2000, 2000, "-285,772,15,972"}}) {
        MoveWindow(a, SInt16(h), SInt16(v), false);
        EXPECT_EQ(text(content_of(a)), want) << h << "," << v;
    }
    MoveWindow(a, 100, 100, false);
    drain();
    SizeWindow(a, 400, 250, true);
    EXPECT_EQ(text(content_of(a)), "100,100,500,350");
    auto ev = drain();
    ASSERT_FALSE(ev.empty());
    EXPECT_EQ(handle_updates({ev.back()}), "A 0,0,400,250; ") << "the new area is to be drawn";
    SizeWindow(a, 500, 300, false);
    EXPECT_EQ(describe(drain()), "") << "without fUpdate nothing is invalidated";
    // Shrinking a window that hangs off the left edge moves it back.
    MoveWindow(a, -480, 100, false), SizeWindow(a, 20, 20, true);
    EXPECT_GE(content_of(a).right, 15);
}

// The host window resized: the gray region follows; a
// window the smaller screen cuts is dragged back inside, one it still holds
// stays; everything is drawn again and each window gets an update.
TEST_F(WindowManagerTest, AScreenOfAnotherSizeKeepsWindowsInside) {
    WindowRef cut = make("Cut", R(600, 400, 900, 700));
    WindowRef kept = make("Kept", R(100, 100, 300, 200));
    drain();
    handle_updates(drain());
    // Pixels saved under a menu pulled down as the screen shrinks go back
    // only where the screen still is.
    win::SavedPixels underMenu(R(700, 300, 1000, 760));
    ASSERT_TRUE(platform::host::resize_screen({800, 600}).ok());
    underMenu.restore();
    Rect gray;
    GetRegionBounds(GetGrayRgn(), &gray);
    EXPECT_EQ(text(gray), "0,20,800,600");
    EXPECT_EQ(text(content_of(cut)), "499,299,799,599") << "inside, frame and all";
    EXPECT_EQ(text(content_of(kept)), "100,100,300,200");
    EXPECT_EQ(std::tuple(pixel(799, 5), pixel(50, 500)), std::tuple(rgb(palette::kMenuBar), rgb(palette::kDesktop)));
    std::string updates = handle_updates(drain());
    EXPECT_EQ(updates + handle_updates(drain()), "Kept 0,0,200,100; Cut 0,0,300,300; ");
    // Growing back: the windows stay, the new room is desktop.
    ASSERT_TRUE(platform::host::resize_screen({1024, 768}).ok());
    EXPECT_EQ(text(content_of(cut)), "499,299,799,599");
    EXPECT_EQ(std::tuple(pixel(1000, 5), pixel(1000, 700)), std::tuple(rgb(palette::kMenuBar), rgb(palette::kDesktop)));
}

TEST_F(WindowManagerTest, BeginUpdateLimitsDrawingToTheUpdateRegion) {
    WindowRef a = make("A", R(100, 100, 400, 300));
    drain();
    BeginUpdate(a);
    EndUpdate(a);
    Rect part = R(10, 10, 20, 30);
    InvalWindowRect(a, &part);
    BeginUpdate(a);
    SetPort(GetWindowPort(a));
    Rect all = R(0, 0, 300, 200);
    PaintRect(&all);   // black, but only inside the update region
    EndUpdate(a);
    EXPECT_EQ(text(vis_bounds(a)), text(all)) << "the visible region is back";
    EXPECT_EQ(std::tuple(pixel(115, 115), pixel(125, 115)), std::tuple(0x000000u, rgb(palette::kContent)));
    EXPECT_EQ(describe(drain()), "");
}

TEST_F(WindowManagerTest, DraggingFollowsTheMouseAndLandsReachable) {
    WindowRef a = make("A", R(100, 100, 400, 300));
    WindowRef b = make("B", R(500, 100, 700, 300));
    drain();
    const auto before = screen_copy();
    // Press on A's title bar (behind B): A comes to the front first.
    hold_button_at(Point{90, 200}), input.move(220, 150);
    input.check([&] {
        // The outline shows where A will land: its left edge at x = 119.
        EXPECT_NE(pixel(119, 200), before[size_t(200) * 4096 + 119 * 4 + 3]);
    });
    input.move(250, 140), input.release(250, 140), DragWindow(a, Point{90, 200}, nullptr);
    EXPECT_FALSE(input.ran_out());
    EXPECT_EQ(FrontWindow(), a);
    EXPECT_EQ(text(content_of(a)), "150,150,450,350");
    // Command-drag leaves the order alone; aligned drags land on a multiple of 4.
    hold_button_at(Point{90, 600}, host::kModCommand);
    input.move(603, 95, host::kModCommand), input.release(603, 95, host::kModCommand);
    Rect align = R(0, 0, 200, 200);
    DragAlignedWindow(b, Point{90, 600}, nullptr, &align, nullptr);
    EXPECT_EQ(FrontWindow(), a);
    EXPECT_EQ(text(content_of(b)), "504,105,704,305");
    EXPECT_EQ(pixel(119, 200), rgb(palette::kDesktop)) << "no outline is left behind";
}

TEST_F(WindowManagerTest, TheCloseBoxAnswersOnlyWhenReleasedInside) {
    WindowRef a = make("A", R(100, 100, 400, 300));
    drain();
    const Point box{90, 113};
    hold_button_at(box);
    input.check([&] { EXPECT_EQ(pixel(113, 90), rgb(palette::kCloseBoxPressed)); });
    input.move(300, 300);
    input.check([&] { EXPECT_EQ(pixel(113, 90), rgb(palette::kCloseBox)); });
    input.release(300, 300);
    EXPECT_FALSE(TrackGoAway(a, box));
    hold_button_at(box), input.move(200, 200), input.move(114, 91), input.release(114, 91);
    EXPECT_TRUE(TrackGoAway(a, box));
    EXPECT_EQ(pixel(113, 90), rgb(palette::kCloseBox));
    EXPECT_FALSE(input.ran_out());
}

TEST_F(WindowManagerTest, FindWindowAnswersForTheWindowInFront) {
    WindowRef a = make("A", R(100, 100, 400, 300));
    WindowRef b = make("B", R(250, 60, 550, 400));
    make("H", R(600, 100, 700, 200), noGrowDocProc, false);   // hidden
    struct Case { SInt16 h, v; SInt16 part; WindowRef window; };
    const Case cases[] = {
        {300, 19, inMenuBar, nullptr}, {150, 150, inContent, a}, {300, 150, inContent, b},
        {249, 150, inDrag, b},         {650, 150, inDesk, nullptr},
    };
    for (const Case& c : cases) {
        WindowRef w = reinterpret_cast<WindowRef>(1);
        EXPECT_EQ(std::tuple(FindWindow(Point{c.v, c.h}, &w), w), std::tuple(c.part, c.window)) << c.h << "," << c.v;
    }
}
