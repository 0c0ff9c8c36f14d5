// The controller bar and its buttons through the controller's two flag
// words; the looping mode a movie's file gives its controller; the
// application's own set-up of a new controller.
#include <cstdint>
#include <memory>

#include "ComApplication.h"
#include "UtilitiesTestSupport.h"

using namespace utltest;

namespace {

class ControllerTest : public UtilitiesTest {
protected:
    void TearDown() override {
        close();
        UtilitiesTest::TearDown();
    }
    void close() {
        if (mc) DisposeMovieController(mc);
        opened.reset();
        if (window) DisposeWindow(window);
        mc = nullptr, window = nullptr;
    }

    // A movie of 32x16 pixels (with sound unless told otherwise) under an
    // attached controller, in a window.
    void open(tbtest::MovieSpec spec = {}) {
        opened = std::make_unique<tbtest::Opened>(movie_file("clip.mov", spec));
        ASSERT_EQ(opened->err, noErr);
        movie = opened->movie;
        Rect bounds = {60, 60, 260, 360};
        window = NewCWindow(nullptr, &bounds, PString("Controller").bytes, true, noGrowDocProc, (WindowRef)-1, true, 0);
        SetPort((GrafPtr)GetWindowPort(window));
        SetMovieGWorld(movie, GetWindowPort(window), nullptr);
        Rect box;
        GetMovieBox(movie, &box);
        mc = NewMovieController(movie, &box, mcTopLeftMovie);
        ASSERT_NE(mc, nullptr);
    }

    SInt32 control_flags() { return read_flags(0); }
    SInt32 explicit_flags() { return read_flags(SInt32(mcFlagQTVRExplicitFlagSet)); }
    SInt32 read_flags(SInt32 word) {
        MCDoAction(mc, mcActionGetFlags, &word);
        return word;
    }
    void write_flags(SInt32 flags) { MCDoAction(mc, mcActionSetFlags, (void*)(intptr_t)flags); }

    std::unique_ptr<tbtest::Opened> opened;
    Movie movie = nullptr;
    WindowRef window = nullptr;
    MovieController mc = nullptr;
};

// Leaves the stack below the caller full of set bits, so that a local read
// before it is written shows.
[[gnu::noinline]] void dirty_stack() {
    volatile UInt8 junk[4096];
    for (auto& b : junk) b = 0xFF;
}

// Every button but the custom one: a set bit in the control flags hides it.
const SInt32 kSuppressedButtons[] = {
    kQTUtilsStepButtons, kQTUtilsSpeakerButton, kQTUtilsBackButton, kQTUtilsZoomButtons,
    kQTUtilsHotSpotButton, kQTUtilsTranslateButton, kQTUtilsHelpText, kQTUtilsHotSpotNames,
};

}  // namespace

TEST_F(ControllerTest, HidingAndShowingAButtonMarksItExplicit) {
    open();
    for (SInt32 button : kSuppressedButtons) {
        SCOPED_TRACE(testing::Message() << std::hex << button);
        const SInt32 others = control_flags() & ~button;
        EXPECT_TRUE(QTUtils_IsControllerButtonVisible(mc, button));
        // Only its bit changes, and it stays explicit once shown again.
        QTUtils_HideControllerButton(mc, button);
        EXPECT_EQ(std::tuple(control_flags(), explicit_flags() & button, bool(QTUtils_IsControllerButtonVisible(mc, button))),
                  std::tuple(others | button, button, false));
        QTUtils_ShowControllerButton(mc, button);
        EXPECT_EQ(std::tuple(control_flags(), explicit_flags() & button), std::tuple(others, button));
        QTUtils_ToggleControllerButton(mc, button);
        EXPECT_FALSE(QTUtils_IsControllerButtonVisible(mc, button));
    }
    EXPECT_EQ(UInt32(control_flags()) & mcFlagQTVRExplicitFlagSet, 0u) << "the control word never took the top bit";
}

TEST_F(ControllerTest, ASilentMoviesSpeakerIsHiddenUntilShownExplicitly) {
    for (bool disabled : {false, true}) {   // no sound track, a disabled one
        SCOPED_TRACE(disabled);
        open({.frames = 20, .sound_samples = disabled ? 8000u * 2 : 0u, .sound_file = ""});
        if (disabled) SetTrackEnabled(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType), false);
        ASSERT_EQ(control_flags() & kQTUtilsSpeakerButton, 0) << "not suppressed";
        EXPECT_FALSE(QTUtils_IsControllerButtonVisible(mc, kQTUtilsSpeakerButton));

        QTUtils_ToggleControllerButton(mc, kQTUtilsSpeakerButton);
        EXPECT_TRUE((explicit_flags() & kQTUtilsSpeakerButton) && QTUtils_IsControllerButtonVisible(mc, kQTUtilsSpeakerButton));

        // Given back to the controller, it is hidden again.
        QTUtils_ResetControllerButton(mc, kQTUtilsSpeakerButton);
        EXPECT_FALSE(QTUtils_IsControllerButtonVisible(mc, kQTUtilsSpeakerButton));
        close();
    }
}

// Whatever the stack held, the flags word read starts with its top bit
// clear, so the control flags (not the explicit ones) gain the palette.
TEST_F(ControllerTest, TheApplicationsSetUpAddsThePaletteToTheControlFlags) {
    open();
    write_flags(control_flags() | kQTUtilsStepButtons);   // the two words differ
    const SInt32 control = control_flags(), explicitFlags = explicit_flags();
    ASSERT_NE(control, explicitFlags);
    ASSERT_EQ(control & mcFlagsUseWindowPalette, 0);
    dirty_stack();
    QTApp_SetupController(mc);
    EXPECT_EQ(std::tuple(control_flags(), explicit_flags()), std::tuple(control | mcFlagsUseWindowPalette, explicitFlags));
}

TEST_F(ControllerTest, TheFilesLoopingModeGoesToTheController) {
    open();
    const struct { const char* name; SInt32 mode; bool looping, palindrome; OSErr err; } cases[] = {
        {"normal", kNormalLooping, true, false, noErr}, {"palindrome", kPalindromeLooping, true, true, noErr},
        {"none", kNoLooping, false, false, userDataItemNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(QTUtils_SetMovieFileLoopingInfo(movie, c.mode), noErr);
        // Start from the opposite state, so every case shows a change.
        MCDoAction(mc, mcActionSetLooping, (void*)(intptr_t)!c.looping);
        MCDoAction(mc, mcActionSetLoopIsPalindrome, (void*)(intptr_t)!c.palindrome);
        EXPECT_EQ(QTUtils_SetLoopingStateFromFile(movie, mc), c.err);
        Boolean looping = !c.looping, palindrome = !c.palindrome;
        MCDoAction(mc, mcActionGetLooping, &looping);
        MCDoAction(mc, mcActionGetLoopIsPalindrome, &palindrome);
        EXPECT_EQ(std::tuple(bool(looping), bool(palindrome)), std::tuple(c.looping, c.palindrome));
    }
}
