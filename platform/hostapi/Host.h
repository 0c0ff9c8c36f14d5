// Host.h — the narrow layer between the platform and whatever shows the
// screen and produces input: a real window (SDL) or memory and a script
// (headless).
//
// The platform talks to exactly one host, reached through current(). It is
// created on first use from the launch options (or headless, for programs
// that were not launched with them, such as unit tests).
//
// Screen pixels are 32-bit, in memory as x, R, G, B bytes whatever the
// host's byte order. Coordinates are global screen pixels, (0,0) top left.
// Times are milliseconds of the host clock: real time for SDL, a virtual
// clock that only moves when the platform waits for the headless host.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::host {

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// Screens from 32x32 to 8192x8192 pixels (coordinates stay within 16 bits).
constexpr int kMinScreenSide = 32;
constexpr int kMaxScreenSide = 8192;
constexpr bool screen_size_valid(ScreenSize s) {
    return s.width >= kMinScreenSide && s.height >= kMinScreenSide &&
           s.width <= kMaxScreenSide && s.height <= kMaxScreenSide;
}

// Half-open: left <= x < right, top <= y < bottom.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Modifier keys, host-independent.
enum Modifier : UInt16 {
    kModCommand  = 1 << 0,   // Ctrl
    kModShift    = 1 << 1,
    kModOption   = 1 << 2,   // Alt
    kModControl  = 1 << 3,   // Super
    kModCapsLock = 1 << 4
};

enum class InputKind : UInt8 {
    MouseMoved,
    MouseDown,
    MouseUp,
    KeyDown,
    KeyUp,
    ModifiersChanged,   // a modifier key alone went down or up
    FocusGained,
    FocusLost,
    QuitRequested,      // the host window's close button
    ScreenResized       // the host window took another size: x, y = the screen size it wants
};

struct InputEvent {
    InputKind kind = InputKind::MouseMoved;
    int x = 0;              // mouse events: global screen position
    int y = 0;
    UInt8 key_code = 0;     // key events: virtual key code (events/KeyCodes.h)
    UInt8 character = 0;    // key events: the character byte
    bool repeat = false;    // key down produced by auto-repeat
    UInt16 modifiers = 0;   // Modifier bits held
};

// The host's audio device (platform/sound/AudioOutput.h).
class AudioOutput;

class Host {
public:
    virtual ~Host() = default;

    virtual const char* name() const = 0;
    virtual bool is_headless() const = 0;

    // Opens (or reopens at another size) the screen the platform draws.
    virtual Result<void> open_screen(ScreenSize size) = 0;
    virtual ScreenSize screen_size() const = 0;
    // The screen that would fill the host's display at its natural scale;
    // none when the host has no display (headless).
    virtual std::optional<ScreenSize> display_screen_size() { return std::nullopt; }

    // Shows the parts of the screen that changed. `pixels` is the whole
    // screen (width x height, rowBytes apart); only `dirty` is read.
    virtual void present(const UInt8* pixels, size_t rowBytes,
                         std::span<const ScreenRect> dirty) = 0;

    // Milliseconds of the host clock.
    virtual UInt64 now_ms() const = 0;

    // The next input, if some has arrived; never waits.
    virtual bool poll(InputEvent& out) = 0;
    // Waits until input arrives or the clock reaches deadline_ms.
    // SDL sleeps in the window system; headless moves its virtual clock.
    virtual void wait_until(UInt64 deadline_ms) = 0;

    virtual void beep() = 0;

    // Brings the host window in front of the other programs' windows (and
    // back from being minimised); nothing when there is no window.
    virtual void raise() {}

    // Saves the screen pixels as a PNG of the screen's size.
    virtual Result<void> save_screenshot(const std::string& path) = 0;

    // The host's audio output, made on first use; nil when the host has
    // none (a host that cannot play sound plays movies silently).
    virtual AudioOutput* audio() { return nullptr; }
};

// The host of this process, created on first use.
Host& current();
// Whether a host exists already (without creating one).
bool exists();

// Screen size the framebuffer owner should open: --screen, else what fills
// the window host's display, else 1024x768.
ScreenSize default_screen_size();

// Tests: replaces the process's host (nullptr: back to "create on first use").
void install_for_testing(std::unique_ptr<Host> host);

}  // namespace platform::host
