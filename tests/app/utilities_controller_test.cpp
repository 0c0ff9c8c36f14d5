// The controller bar and its buttons through the controller's two flag
// words; the controller type and a new controller of another type; the
// looping mode a movie's file gives its controller; the application's own
// set-up of a new controller.
#include <cstdint>
#include <memory>

#include "ComApplication.h"
#include "UtilitiesTestSupport.h"
#include "platform/components/ComponentRegistry.h"
#include "platform/controller/Controller.h"

using namespace utltest;

namespace {

class ControllerTest : public UtilitiesTest {
protected:
    void TearDown() override {
        if (mc) DisposeMovieController(mc);
        opened.reset();
        if (window) DisposeWindow(window);
        UtilitiesTest::TearDown();
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

    Rect bounds() {
        Rect r = {};
        MCGetControllerBoundsRect(mc, &r);
        return r;
    }

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

bool same(const Rect& a, const Rect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
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
        SInt32 others = control_flags() & ~button;
        EXPECT_TRUE(QTUtils_IsControllerButtonVisible(mc, button));

        QTUtils_HideControllerButton(mc, button);
        EXPECT_EQ(control_flags(), others | button) << "only its bit changes";
        EXPECT_NE(explicit_flags() & button, 0);
        EXPECT_FALSE(QTUtils_IsControllerButtonVisible(mc, button));

        QTUtils_ShowControllerButton(mc, button);
        EXPECT_EQ(control_flags(), others);
        EXPECT_NE(explicit_flags() & button, 0) << "still explicit after being shown";
        EXPECT_TRUE(QTUtils_IsControllerButtonVisible(mc, button));

        QTUtils_ToggleControllerButton(mc, button);
        EXPECT_FALSE(QTUtils_IsControllerButtonVisible(mc, button));
        QTUtils_ToggleControllerButton(mc, button);
        EXPECT_TRUE(QTUtils_IsControllerButtonVisible(mc, button));
    }
    EXPECT_EQ(UInt32(control_flags()) & mcFlagQTVRExplicitFlagSet, 0u) << "the control word never took the top bit";
}

TEST_F(ControllerTest, ASilentMoviesSpeakerIsHiddenUntilShownExplicitly) {
    const struct {
        const char* name;
        tbtest::MovieSpec spec;
        bool disableSound;
    } cases[] = {
        {"no sound track", spec_frames(20, 0), false},
        {"a disabled sound track", spec_frames(20), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.spec);
        if (c.disableSound) SetTrackEnabled(GetMovieIndTrackType(movie, 1, SoundMediaType, movieTrackMediaType), false);
        ASSERT_EQ(control_flags() & kQTUtilsSpeakerButton, 0) << "not suppressed";
        EXPECT_FALSE(QTUtils_IsControllerButtonVisible(mc, kQTUtilsSpeakerButton));

        QTUtils_ToggleControllerButton(mc, kQTUtilsSpeakerButton);
        EXPECT_NE(explicit_flags() & kQTUtilsSpeakerButton, 0);
        EXPECT_TRUE(QTUtils_IsControllerButtonVisible(mc, kQTUtilsSpeakerButton));

        // Given back to the controller, it is hidden again.
        QTUtils_ResetControllerButton(mc, kQTUtilsSpeakerButton);
        EXPECT_EQ(explicit_flags() & kQTUtilsSpeakerButton, 0);
        EXPECT_FALSE(QTUtils_IsControllerButtonVisible(mc, kQTUtilsSpeakerButton));

        DisposeMovieController(mc);
        mc = nullptr;
        opened.reset();
        DisposeWindow(window);
        window = nullptr;
    }
}

TEST_F(ControllerTest, TheBarHeightLeavesTheAttachmentAsItWas) {
    open();
    Rect attached = bounds();
    MCSetControllerAttached(mc, false);
    Rect bar = bounds();
    SInt16 barHeight = SInt16(bar.bottom - bar.top);
    ASSERT_GT(barHeight, 0);
    EXPECT_EQ(QTUtils_GetControllerBarHeight(mc), barHeight);
    EXPECT_EQ(MCIsControllerAttached(mc), 0) << "detached stays detached";
    EXPECT_TRUE(same(bounds(), bar));

    MCSetControllerAttached(mc, true);
    EXPECT_TRUE(same(bounds(), attached));
    EXPECT_EQ(QTUtils_GetControllerBarHeight(mc), barHeight);
    EXPECT_EQ(MCIsControllerAttached(mc), 1) << "attached stays attached";
    EXPECT_TRUE(same(bounds(), attached));
    EXPECT_EQ(attached.bottom - attached.top, 16 + barHeight) << "the movie and the bar";
}

TEST_F(ControllerTest, AControllerThatIsNotThereHasNoBar) {
    open();
    MovieController stale = mc;
    DisposeMovieController(mc);
    mc = nullptr;
    for (MovieController c : {stale, MovieController(nullptr)}) {
        EXPECT_FALSE(QTUtils_IsControllerBarVisible(c));
        dirty_stack();
        EXPECT_EQ(QTUtils_GetControllerBarHeight(c), 0);
    }
}

TEST_F(ControllerTest, ChangingTheControllerTypeMakesANewControllerForTheMovie) {
    open();
    EXPECT_EQ(QTUtils_ChangeControllerType(nullptr, 'qtvr', 0), nullptr);
    Rect box;
    GetMovieBox(movie, &box);
    MovieController fresh = QTUtils_ChangeControllerType(mc, 'qtvr', mcTopLeftMovie);
    ASSERT_NE(fresh, nullptr);
    mc = fresh;   // the old one is gone
    EXPECT_EQ(GetMoviesError(), noErr) << "how a caller tells a new controller from a refusal";
    EXPECT_EQ(MCGetIndMovie(fresh, 0), movie);
    EXPECT_EQ(QTUtils_GetControllerType(movie), OSType('qtvr'));
    EXPECT_TRUE(QTUtils_IsQTVRMovie(movie));
    Rect after;
    GetMovieBox(movie, &after);
    EXPECT_TRUE(same(after, box)) << "the movie keeps its box";
}

// A NULL result: a caller asks the old controller for its movie to learn
// whether it is still there.
TEST_F(ControllerTest, AFailedChangeOfControllerTypeSaysWhetherTheOldControllerIsGone) {
    open();
    ASSERT_EQ(MCSetMovie(mc, nullptr, window, Point{0, 0}), noErr);
    EXPECT_EQ(QTUtils_ChangeControllerType(mc, 'qtvr', mcTopLeftMovie), nullptr);
    EXPECT_EQ(MCGetIndMovie(mc, 0), nullptr);
    EXPECT_EQ(GetMoviesError(), paramErr) << "no movie, but still a controller";
    ASSERT_EQ(MCSetMovie(mc, movie, window, Point{0, 0}), noErr);

    // Controllers that cannot be made: the type is recorded, the old controller is gone.
    struct Unmakeable {
        Unmakeable() {
            platform::components::register_component(
                {{MovieControllerComponentType, 'play', platform::components::kManufacturer, 0, 0},
                 "Movie controller", "",
                 []() -> platform::Result<std::unique_ptr<platform::components::Instance>> {
                     return platform::fail(memFullErr, "no room for a controller");
                 }});
        }
        ~Unmakeable() { platform::controller::register_controller_component(); }
    } unmakeable;
    MovieController old = mc;
    mc = nullptr;
    EXPECT_EQ(QTUtils_ChangeControllerType(old, 'qtvr', mcTopLeftMovie), nullptr);
    EXPECT_EQ(GetMoviesError(), memFullErr) << "why there is no new controller";
    EXPECT_EQ(QTUtils_GetControllerType(movie), OSType('qtvr'));
    EXPECT_EQ(MCGetIndMovie(old, 0), nullptr);
    EXPECT_EQ(GetMoviesError(), invalidComponentID) << "the old controller is gone";
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
    EXPECT_EQ(control_flags(), control | mcFlagsUseWindowPalette);
    EXPECT_EQ(explicit_flags(), explicitFlags);
}

TEST_F(ControllerTest, TheFilesLoopingModeGoesToTheController) {
    open();
    const struct {
        const char* name;
        SInt32 mode;   // -1: no 'LOOP' item
        bool looping, palindrome;
        OSErr err;
    } cases[] = {
        {"normal", kNormalLooping, true, false, noErr},
        {"palindrome", kPalindromeLooping, true, true, noErr},
        {"none", kNoLooping, false, false, userDataItemNotFound},
        {"no item", -1, false, false, userDataItemNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UserData ud = GetMovieUserData(movie);
        while (RemoveUserData(ud, 'LOOP', 1) == noErr) {}
        if (c.mode >= 0) {
            ASSERT_EQ(QTUtils_SetMovieFileLoopingInfo(movie, c.mode), noErr);
        }
        // Start from the opposite state, so every case shows a change.
        MCDoAction(mc, mcActionSetLooping, (void*)(intptr_t)!c.looping);
        MCDoAction(mc, mcActionSetLoopIsPalindrome, (void*)(intptr_t)!c.palindrome);
        EXPECT_EQ(QTUtils_SetLoopingStateFromFile(movie, mc), c.err);
        Boolean looping = !c.looping, palindrome = !c.palindrome;
        MCDoAction(mc, mcActionGetLooping, &looping);
        MCDoAction(mc, mcActionGetLoopIsPalindrome, &palindrome);
        EXPECT_EQ(bool(looping), c.looping);
        EXPECT_EQ(bool(palindrome), c.palindrome);
    }
}
