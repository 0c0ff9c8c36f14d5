// The controller as it looks: pixel probes of the play button.
#include "controller_fixture.h"

namespace ctltest {
namespace {

constexpr UInt32 kFace = 0xDDDDDD, kBlack = 0x000000;
// The play button's centre column and its middle row.
constexpr SInt16 kPlayX = 30, kBarTop = 100;

TEST_F(ControllerTest, LooksPausedAndPlaying) {
    auto at = [](int dx) { return local_pixel(kPlayX + dx, kBarTop + 8); };   // along the button's middle row
    MCDoAction(mc, mcActionDraw, window);
    EXPECT_EQ(std::tuple(at(0), at(-3), at(6)), std::tuple(kBlack, kBlack, kFace)) << "paused: the triangle fills the middle of the button";
    // The movie's picture (a red field) is drawn above the bar.
    EXPECT_EQ(local_pixel(10, 10) & 0xFF0000, 0xFF0000u);

    MCDoAction(mc, mcActionPlay, (void*)(intptr_t)0x10000);
    pump(120);
    MCDoAction(mc, mcActionDraw, window);
    EXPECT_EQ(std::tuple(at(0), at(-3), at(2)), std::tuple(kFace, kBlack, kBlack)) << "playing: two bars with a gap between them";
    MCDoAction(mc, mcActionPlay, nullptr);
}

TEST_F(ControllerTest, InactiveControllerGreysItsGlyphs) {
    MCActivate(mc, window, false);
    EXPECT_EQ(local_pixel(kPlayX, kBarTop + 8), 0x888888u);
    MCActivate(mc, window, true);
    EXPECT_EQ(local_pixel(kPlayX, kBarTop + 8), kBlack);
}

}  // namespace
}  // namespace ctltest
