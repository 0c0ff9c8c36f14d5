// The controller as it looks: screenshots into build/test-output/ and
// pixel probes of the play button, the thumb and the selection band.
#include "controller_fixture.h"
#include "platform/controller/ControllerLook.h"

namespace ctltest {
namespace {

constexpr UInt32 kFace = 0xDDDDDD, kBlack = 0x000000, kWhite = 0xFFFFFF, kBlue = 0x4444CC;
// The play button's centre column and its middle row.
constexpr SInt16 kPlayX = 30, kBarTop = 100;

void redraw(MovieController mc, WindowRef w) {
    MCDoAction(mc, mcActionDraw, w);
}

TEST_F(ControllerTest, LooksPausedPlayingSelectedAndHidden) {
    redraw(mc, window);
    // Paused: the triangle fills the middle of the button.
    EXPECT_EQ(local_pixel(kPlayX, kBarTop + 8), kBlack);
    EXPECT_EQ(local_pixel(kPlayX - 3, kBarTop + 8), kBlack);
    EXPECT_EQ(local_pixel(kPlayX + 6, kBarTop + 8), kFace);
    // The movie's picture (a red field) is drawn above the bar.
    EXPECT_EQ(local_pixel(10, 10) & 0xFF0000, 0xFF0000u);
    screenshot("controller-paused.png");

    // Playing: two bars with a gap between them.
    MCDoAction(mc, mcActionPlay, (void*)(intptr_t)0x10000);
    pump(120);
    redraw(mc, window);
    EXPECT_EQ(local_pixel(kPlayX, kBarTop + 8), kFace);
    EXPECT_EQ(local_pixel(kPlayX - 3, kBarTop + 8), kBlack);
    EXPECT_EQ(local_pixel(kPlayX + 2, kBarTop + 8), kBlack);
    screenshot("controller-playing.png");
    MCDoAction(mc, mcActionPlay, nullptr);

    // A selection from a quarter to a half: a blue band in the groove,
    // white groove on either side.
    TimeRecord r{};
    r.scale = 600;
    r.value.lo = kDuration / 4;
    MCDoAction(mc, mcActionSetSelectionBegin, &r);
    r.value.lo = kDuration / 4;
    MCDoAction(mc, mcActionSetSelectionDuration, &r);
    r.value.lo = kDuration * 3 / 4;
    MCDoAction(mc, mcActionGoToTime, &r);
    redraw(mc, window);
    const SInt16 quarter = 45 + (282 - 45) / 4, half = 45 + (282 - 45) / 2;
    EXPECT_EQ(local_pixel((quarter + half) / 2, kBarTop + 7), kBlue);
    EXPECT_EQ(local_pixel(quarter - 10, kBarTop + 7), kWhite);
    EXPECT_EQ(local_pixel(half + 10, kBarTop + 7), kWhite);
    // The thumb at three quarters.
    const SInt16 thumb = 45 + (282 - 45) * 3 / 4;
    EXPECT_EQ(local_pixel(thumb, kBarTop + 8), 0x222222u);
    screenshot("controller-selection.png");

    // Bar hidden: the window shrinks to the movie (the filter resizes it as
    // the application does) and no bar is drawn.
    log.resize = window;
    MCSetVisible(mc, false);
    pump_until_idle();
    Rect port;
    GetWindowPortBounds(window, &port);
    EXPECT_EQ(port.bottom - port.top, kMovieH);
    EXPECT_NE(local_pixel(kPlayX, kBarTop + 8), kBlack);
    EXPECT_NE(local_pixel(kPlayX, kBarTop + 8), kFace);
    screenshot("controller-hidden.png");
}

TEST_F(ControllerTest, InactiveControllerGreysItsGlyphs) {
    MCActivate(mc, window, false);
    EXPECT_EQ(local_pixel(kPlayX, kBarTop + 8), 0x888888u);
    MCActivate(mc, window, true);
    EXPECT_EQ(local_pixel(kPlayX, kBarTop + 8), kBlack);
}

}  // namespace
}  // namespace ctltest
