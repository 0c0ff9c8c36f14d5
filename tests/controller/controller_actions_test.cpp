// The controller's geometry, flags and filter: bounds follow the buttons
// shown (and the bar's visibility: the application's controller-walk
// script), the filter sees actions first and can take them, and the grow
// box resizes within its limits.
#include "controller_fixture.h"

namespace ctltest {
namespace {

bool same(const Rect& a, const Rect& b) { return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right; }

SInt32 flags_word(MovieController mc, UInt32 which) {
    SInt32 w = SInt32(which);
    MCDoAction(mc, mcActionGetFlags, &w);
    return w;
}

// The speaker button as the application's menu toggles it: through the
// explicit word, then the control word.
TEST_F(ControllerTest, SpeakerButtonFlagsReshapeTheBar) {
    auto hide_speaker = [&] {
        MCDoAction(mc, mcActionSetFlags, (void*)(intptr_t)(flags_word(mc, mcFlagQTVRExplicitFlagSet) | mcFlagSuppressSpeakerButton | mcFlagQTVRExplicitFlagSet));
        MCDoAction(mc, mcActionSetFlags, (void*)(intptr_t)(flags_word(mc, 0) | mcFlagSuppressSpeakerButton));
    };
    Rect slider_before, slider_after;
    MCDoAction(mc, mcActionGetTimeSliderRect, &slider_before);
    log.actions.clear();
    hide_speaker();
    EXPECT_EQ(log.count(mcActionControllerSizeChanged), 1);
    MCDoAction(mc, mcActionGetTimeSliderRect, &slider_after);
    EXPECT_EQ(slider_after.left, slider_before.left - 20);   // the slider takes the button's place

    // Under a narrow movie the bar is as wide as its parts need, so the
    // speaker button changes the bounds too.
    MCDoAction(mc, mcActionSetFlags, (void*)(intptr_t)0);
    Rect narrow{0, 0, 48, 64};
    MCPositionController(mc, &narrow, nullptr, 0);
    const Rect with_speaker = bounds();
    EXPECT_TRUE(same(with_speaker, Rect{0, 0, 64, 96})) << with_speaker.right;
    log.actions.clear();
    hide_speaker();
    EXPECT_TRUE(same(bounds(), Rect{0, 0, 64, 76}));
    EXPECT_EQ(log.count(mcActionControllerSizeChanged), 1);
}

TEST_F(ControllerTest, DetachedBoundsAreTheBarAlone) {
    MCSetControllerAttached(mc, false);
    EXPECT_TRUE(same(bounds(), Rect{100, 0, 116, 320}));
    // The bar put on top of the movie, as the utilities do it.
    Rect bar{0, 0, 16, 320}, box{17, 0, 117, 320};
    MCPositionController(mc, &box, &bar, 0);
    EXPECT_TRUE(same(bounds(), bar));
    Rect movie_box;
    GetMovieBox(movie, &movie_box);
    EXPECT_TRUE(same(movie_box, box));
    MCSetControllerAttached(mc, true);
    EXPECT_TRUE(same(bounds(), Rect{17, 0, 133, 320}));
}

TEST_F(ControllerTest, FilterSeesEveryActionFirstAndCanTakeIt) {
    log.actions.clear();
    MCIdle(mc);
    pump(3);
    EXPECT_EQ(log.count(mcActionIdle), 4);   // MCIdle and each null event

    log.swallow = {mcActionPlay};
    EXPECT_EQ(MCDoAction(mc, mcActionPlay, (void*)(intptr_t)0x10000), noErr);
    EXPECT_EQ((std::tuple{GetMovieRate(movie), log.count(mcActionPlay)}), std::tuple(0, 1));
    log.swallow.clear();
    MCDoAction(mc, mcActionPlay, (void*)(intptr_t)0x10000);
    EXPECT_EQ(GetMovieRate(movie), 0x10000);

    // Taken idles leave the picture and bar alone but still reach the filter.
    log.swallow = {mcActionIdle};
    log.actions.clear();
    pump(2);
    EXPECT_EQ(log.count(mcActionIdle), 2);
}

// Looping set through the controller is the movie's: the time base flags
// the player obeys, reported back in the info bits.
TEST_F(ControllerTest, LoopingActionsSetTheMoviesTimeBase) {
    const SInt32 loop_bits = loopTimeBase | palindromeLoopTimeBase;
    TimeBase tb = GetMovieTimeBase(movie);
    MCDoAction(mc, mcActionSetLooping, (void*)true);
    EXPECT_EQ(GetTimeBaseFlags(tb) & loop_bits, loopTimeBase);
    MCDoAction(mc, mcActionSetLoopIsPalindrome, (void*)true);
    EXPECT_EQ(std::tuple(GetTimeBaseFlags(tb) & loop_bits, info() & (mcInfoIsLooping | mcInfoIsInPalindrome)), std::tuple(loop_bits, mcInfoIsLooping | mcInfoIsInPalindrome));
    MCDoAction(mc, mcActionSetLooping, (void*)false);
    EXPECT_EQ((std::tuple{GetTimeBaseFlags(tb) & loopTimeBase, info() & (mcInfoIsLooping | mcInfoIsInPalindrome)}), std::tuple(0, 0));
    Boolean palindrome = false;
    MCDoAction(mc, mcActionGetLoopIsPalindrome, &palindrome);
    EXPECT_TRUE(palindrome);
    EXPECT_EQ(MCDoAction(mc, 9999, nullptr), badComponentSelector);
}

TEST_F(ControllerTest, GrowBoxResizesWithinItsBoundsKeepingTheMovieShapeUnlessShifted) {
    // Limits as GrowWindow reads them: least width 150 and height 50,
    // greatest 400 and 300. Each drag starts where the last one left off.
    Rect limits{50, 150, 300, 400};
    MCDoAction(mc, mcActionSetGrowBoxBounds, &limits);
    log.resize = window;
    struct Case { SInt16 dh, dv; UInt16 mods; Rect want; };
    const Case cases[] = {
        {30, 20, 0, {0, 0, 136, 384}},          // 320x100 scaled by 1.2, the larger pull
        {500, 500, 0, {0, 0, 141, 400}},        // as far as the greatest width allows
        {-1000, -1000, 0, {0, 0, 63, 150}},     // as far as the least width allows
        {100, 50, 0, {0, 0, 113, 310}},
        {40, 60, host::kModShift, {0, 0, 173, 350}},   // Shift: each way on its own
        {10, 0, 0, {0, 0, 177, 360}},           // the new shape is kept
        {500, 500, host::kModShift, {0, 0, 300, 400}}};
    for (const Case& c : cases) {
        const Rect b = bounds();
        const SInt16 h = SInt16(b.right - 7), v = SInt16(b.bottom - 8);   // inside the grow box
        log.actions.clear();
        drag(h, v, h + c.dh, v + c.dv, c.mods);
        const Rect now = bounds();
        EXPECT_TRUE(same(now, c.want)) << c.dh << "," << c.dv << ": " << now.bottom << "," << now.right;
        EXPECT_GE(log.count(mcActionControllerSizeChanged), 1);
        Rect box, port;
        GetMovieBox(movie, &box);
        GetWindowPortBounds(window, &port);   // the filter resized the window
        EXPECT_EQ(std::tuple(box.bottom, port.right - port.left), std::tuple(SInt16(c.want.bottom - 16), int(c.want.right)));
    }
    // Without grow bounds there is no grow box: the same corner is a step button.
    MCDoAction(mc, mcActionSetGrowBoxBounds, nullptr);
    const Rect before = bounds();
    drag(before.right - 7, before.bottom - 8, before.right + 40, before.bottom + 40);
    EXPECT_TRUE(same(bounds(), before));
}

}  // namespace
}  // namespace ctltest
