// What the controller takes from the event loop, and what the user does
// with the keys and the bar.
#include "controller_fixture.h"

namespace ctltest {
namespace {

// Bar parts of the 320-wide movie (window-local): speaker 0-20, play 20-40,
// slider 40-288 (track 45-282), step back 288-304, step forward 304-320.
constexpr SInt16 kBarV = 108;
constexpr SInt16 kPlayH = 30, kStepBackH = 296, kStepForwardH = 312;
constexpr SInt16 kTrackLeft = 45, kTrackRight = 282;

SInt16 x_of(TimeValue t) { return SInt16(kTrackLeft + (SInt64(t) * (kTrackRight - kTrackLeft) + kDuration / 2) / kDuration); }

TEST_F(ControllerTest, PlayerEventTakesOnlyItsOwnInput) {
    Rect slider;
    MCDoAction(mc, mcActionGetTimeSliderRect, &slider);
    ASSERT_EQ(std::tuple(slider.left, slider.right), std::tuple(SInt16(40), SInt16(288)));
    const Rect other_content{300, 500, 400, 700};
    WindowRef other = NewCWindow(nullptr, &other_content, (const UInt8*)"\x05Other", true, documentProc, (WindowRef)-1, true, 0);
    SelectWindow(other);
    auto ev = [](EventKind what, uintptr_t message, Point where, EventModifiers mods = 0) { return EventRecord{what, message, 0, where, mods}; };
    const auto w = reinterpret_cast<uintptr_t>(window);
    struct Case { const char* what; EventRecord e; bool front; ComponentResult want; };
    const Case cases[] = {
        {"null", ev(nullEvent, 0, global(5, 5)), true, 0},
        {"update", ev(updateEvt, w, global(5, 5)), true, 0},
        {"activate", ev(activateEvt, w, global(5, 5), activeFlag), true, 0},
        {"mouse-up", ev(mouseUp, 0, global(kPlayH, kBarV)), true, 0},
        {"click in another window", ev(mouseDown, 0, Point{350, 600}), true, 0},
        {"click in the bar of a window behind", ev(mouseDown, 0, global(100, kBarV)), false, 0},
        {"space, window behind", ev(keyDown, ' ', global(5, 5)), false, 0},
        {"command-right", ev(keyDown, kRightArrowCharCode, global(5, 5), cmdKey), true, 0},
        {"a plain letter", ev(keyDown, 'a', global(5, 5)), true, 0},
        {"key up", ev(keyUp, ' ', global(5, 5)), true, 0},
        {"click in the slider", ev(mouseDown, 0, global(100, kBarV)), true, 1},
        {"click in the movie", ev(mouseDown, 0, global(100, 50)), true, 1},
        {"right arrow", ev(keyDown, kRightArrowCharCode, global(5, 5)), true, 1},
        {"auto-key left", ev(autoKey, kLeftArrowCharCode, global(5, 5)), true, 1}};
    for (const Case& c : cases) {
        SelectWindow(c.front ? window : other);
        EXPECT_EQ(MCIsPlayerEvent(mc, &c.e), c.want) << c.what;
    }
    SelectWindow(window);
    MCDoAction(mc, mcActionSetKeysEnabled, (void*)false);
    const EventRecord space = ev(keyDown, ' ', global(5, 5));
    EXPECT_EQ(MCIsPlayerEvent(mc, &space), 0) << "keys disabled";
    MCSetVisible(mc, false);
    const EventRecord bar_click = ev(mouseDown, 0, global(100, kBarV));
    EXPECT_EQ(MCIsPlayerEvent(mc, &bar_click), 0) << "hidden bar";
    DisposeWindow(other);
}

TEST_F(ControllerTest, KeysStepSelectAndChangeVolume) {
    struct Case { const char* what; UInt8 character; UInt16 mods; Fixed rate; TimeValue time; std::pair<TimeValue, TimeValue> sel; };
    const Case cases[] = {
        {"right", kRightArrowCharCode, 0, 0, kFrame, {0, 0}},
        {"right", kRightArrowCharCode, 0, 0, 2 * kFrame, {0, 0}},
        {"left", kLeftArrowCharCode, 0, 0, kFrame, {0, 0}},
        {"shift-right", kRightArrowCharCode, host::kModShift, 0, 2 * kFrame, {kFrame, kFrame}},
        {"shift-right", kRightArrowCharCode, host::kModShift, 0, 3 * kFrame, {kFrame, 2 * kFrame}},
        {"shift-left", kLeftArrowCharCode, host::kModShift, 0, 2 * kFrame, {kFrame, kFrame}},
        {"command-right", kRightArrowCharCode, host::kModCommand, 0, 2 * kFrame, {kFrame, kFrame}},
        {"left", kLeftArrowCharCode, 0, 0, kFrame, {kFrame, kFrame}},
        {"left to 0", kLeftArrowCharCode, 0, 0, 0, {kFrame, kFrame}},
        {"left stays at 0", kLeftArrowCharCode, 0, 0, 0, {kFrame, kFrame}}};
    for (const Case& c : cases) {
        key(c.character, c.mods);
        const auto taken = pump(1);
        EXPECT_EQ(std::tuple(taken.size(), GetMovieRate(movie), now(), selection()), std::tuple(c.mods & host::kModCommand ? 0u : 1u, c.rate, c.time, c.sel)) << c.what;
    }

    // Up and down move the volume by an eighth, within silence and full.
    SetMovieVolume(movie, 0xF0);
    const std::pair<UInt8, SInt16> volume_steps[] = {
        {kUpArrowCharCode, 0x100}, {kUpArrowCharCode, 0x100}, {kDownArrowCharCode, 0xE0}, {kDownArrowCharCode, 0xC0}};
    for (const auto& [character, want] : volume_steps) {
        key(character);
        pump(1);
        EXPECT_EQ(GetMovieVolume(movie), want);
    }
}

TEST_F(ControllerTest, ClicksInTheBar) {
    // The play button starts and stops the movie.
    click(kPlayH, kBarV);
    EXPECT_EQ(GetMovieRate(movie), 0x10000);
    pump(10);
    click(kPlayH, kBarV);
    EXPECT_EQ(GetMovieRate(movie), 0);
    EXPECT_GT(now(), 0);

    // A click in the picture stops a playing movie and starts nothing.
    click(kPlayH, kBarV);
    click(160, 50);
    click(160, 50);
    EXPECT_EQ(GetMovieRate(movie), 0);

    // A press on the play button released outside it does nothing.
    drag(kPlayH, kBarV, kPlayH + 60, kBarV - 50);
    EXPECT_EQ(GetMovieRate(movie), 0);

    // The slider goes to the time under the mouse.
    const TimeValue half = kDuration / 2;
    click(x_of(half), kBarV);
    EXPECT_NEAR(now(), half, kDuration / (kTrackRight - kTrackLeft));
    EXPECT_EQ(selection().second, 0);

    // Shift-click selects from the current time to the click.
    const TimeValue three_quarters = kDuration * 3 / 4;
    click(x_of(three_quarters), kBarV, host::kModShift);
    auto [start, length] = selection();
    EXPECT_TRUE(std::abs(start - half) <= 20 && std::abs(start + length - three_quarters) <= 20 && std::abs(now() - three_quarters) <= 20) << start << "+" << length;

    // Shift-drag moves the nearer end: here the start, back to a quarter.
    drag(x_of(half), kBarV, x_of(kDuration / 4), kBarV, host::kModShift);
    std::tie(start, length) = selection();
    EXPECT_TRUE(std::abs(start - kDuration / 4) <= 20 && std::abs(start + length - three_quarters) <= 20) << start << "+" << length;

    // A drag without shift follows the mouse; with editing on the selection
    // becomes an insertion point at the time (Paste goes there), with
    // editing off it stays.
    drag(x_of(kDuration / 4), kBarV, x_of(kDuration / 10), kBarV);
    EXPECT_NEAR(now(), kDuration / 10, 20);
    EXPECT_EQ(selection(), std::make_pair(now(), TimeValue(0)));
    select(600, 1200);
    MCEnableEditing(mc, false);
    click(x_of(kDuration / 2), kBarV);
    EXPECT_NEAR(now(), kDuration / 2, 20);
    EXPECT_EQ(selection(), std::make_pair(TimeValue(600), TimeValue(1200)));
    MCEnableEditing(mc, true);

    // The step buttons move one frame.
    go_to(10 * kFrame);
    click(kStepForwardH, kBarV);
    EXPECT_EQ(now(), 11 * kFrame);
    for (int i = 0; i < 2; ++i) click(kStepBackH, kBarV);
    EXPECT_EQ(now(), 9 * kFrame);

    // The filter heard the user's actions as actions.
    EXPECT_GE(log.count(mcActionMouseDown), 9);
    EXPECT_GE(log.count(mcActionStep), 3);
    EXPECT_GE(log.count(mcActionGoToTime), 3);
}

TEST_F(ControllerTest, SpeakerButtonPopsUpAVolumeSlider) {
    // The popup stands above the button: its track runs from 4 pixels below
    // its top (full) to 64 pixels lower (silence).
    const SInt16 top = 100 - 72;
    drag(10, kBarV, 10, top + 4 + 48);   // a quarter of the way up
    EXPECT_EQ(GetMovieVolume(movie), 0x40);
    drag(10, kBarV, 10, top - 40);       // above the track: full
    EXPECT_EQ(GetMovieVolume(movie), 0x100);
}

TEST_F(ControllerTest, NullEventsPlayTheMovieButAreNeverTaken) {
    MCDoAction(mc, mcActionPlay, (void*)(intptr_t)0x10000);
    pump(200);   // two virtual seconds
    EXPECT_NEAR(now(), 1200, 30);
    EXPECT_EQ(frame_at(now()), UInt32(now() / kFrame + 1));
    // Step counts beyond the movie stop at its ends.
    MCDoAction(mc, mcActionPlay, nullptr);
    MCDoAction(mc, mcActionStep, (void*)(intptr_t)INT32_MIN);
    EXPECT_EQ(now(), 0);
    MCDoAction(mc, mcActionStep, (void*)(intptr_t)INT32_MAX);
    EXPECT_EQ(now(), kDuration);
    // So do times beyond it, in any scale.
    TimeRecord far{{SInt32(0x80000000), 0}, 1, nullptr};
    MCDoAction(mc, mcActionGoToTime, &far);
    EXPECT_EQ(now(), 0);
    go_to(kDuration);
    // Play on from the end starts again.
    pump(1);
    MCDoAction(mc, mcActionPlay, (void*)(intptr_t)0x10000);
    EXPECT_LT(now(), kFrame);
}

}  // namespace
}  // namespace ctltest
