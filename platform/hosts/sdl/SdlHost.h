// SdlHost.h — the host on a real screen: one resizable SDL window showing
// the platform's screen at a whole-number scale, input from the window
// system, real time. Touched only through the Host interface.
//
// Unless the launch fixed the screen (--screen), the screen is the
// display's usable area divided by the scale, and follows the window: a
// window resized to another size asks for a screen of that size
// (InputKind::ScreenResized). A fixed screen is fitted into whatever size
// the window is given. The scale is --scale, else 2 on a high-density
// display (192 dots per inch or more, or window pixels twice SDL's window
// units), else 1.
#pragma once

#include <SDL.h>

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "platform/hostapi/Host.h"
#include "platform/hosts/sdl/ScreenScaler.h"
#include "platform/hosts/sdl/X11Presenter.h"
#include "platform/sound/AudioOutput.h"

namespace platform::host {

// The SDL pixel format whose memory layout is x, R, G, B bytes on this
// host (the screen's layout): packed BGRX8888 on a little-endian machine,
// XRGB8888 on a big-endian one.
constexpr Uint32 kScreenPixelFormat =
    SDL_BYTEORDER == SDL_BIG_ENDIAN ? SDL_PIXELFORMAT_XRGB8888 : SDL_PIXELFORMAT_BGRX8888;

class SdlHost final : public Host {
public:
    // Fails when SDL cannot start its video (no display, no driver).
    static Result<std::unique_ptr<SdlHost>> create();
    ~SdlHost() override;

    const char* name() const override { return "sdl"; }
    bool is_headless() const override { return false; }

    Result<void> open_screen(ScreenSize size) override;
    ScreenSize screen_size() const override { return size_; }
    // Opens the window on the display's usable area (maximised, so that a
    // window manager fits it in with its frame) and gives the screen that
    // fills it at the scale.
    std::optional<ScreenSize> display_screen_size() override;
    void present(const UInt8* pixels, size_t rowBytes, std::span<const ScreenRect> dirty) override;

    UInt64 now_ms() const override;
    bool poll(InputEvent& out) override;
    void wait_until(UInt64 deadline_ms) override;
    void beep() override;
    void raise() override;
    // The screen as last presented, with the cursor where the mouse is.
    Result<void> save_screenshot(const std::string& path) override;

    // SDL's default audio device, or its dummy driver when there is none
    // (SdlAudio.h); made on first use.
    AudioOutput* audio() override;

    // What the window shows now, read back from its surface, as a PNG of
    // the window's size (a debugging and test aid).
    Result<void> save_window_capture(const std::string& path);

private:
    SdlHost() = default;
    Result<void> create_window(ScreenSize size);
    void choose_scale();
    ScreenSize screen_for_window() const;
    void follow_window();
    void replace_window();
    void shutdown();
    bool fetch_surface();
    SDL_Surface* presenter_surface();
    void drop_presenter();
    void update_window(const SDL_Rect* rects, int count);   // null: the whole window
    void draw(OutputRect o);
    void redraw_window();
    void translate(const SDL_Event& e);
    void finish_pending_key();
    void sync_cursor();
    void to_screen(int x, int y, InputEvent& in) const;
    void take_drop(const SDL_Event& e);

    SDL_Window* window_ = nullptr;
    // The window's pixels (SDL's, valid until the window's size changes),
    // drawn from the shadow screen only where it changed.
    SDL_Surface* surface_ = nullptr;
    bool surface_stale_ = true;          // redraw the whole window on the next fetch
    // On X11, the window's pixels go through a presenter of our own (its
    // image is then the surface), so that drawing need not wait for the
    // server after each update.
    bool x11_framebuffer_ = false;       // SDL would send the surface itself, over shared memory
    std::unique_ptr<X11Presenter> presenter_;
    SDL_Surface* presenter_image_ = nullptr;
    ScreenScaler scaler_;
    std::vector<UInt8> scratch_;         // scaled pixels on their way to a surface of another layout
    ScreenSize size_{};
    int scale_ = 1;                      // window pixels per screen pixel, each way
    bool follows_window_ = false;        // the screen takes the window's size
    bool fills_display_ = false;         // the window is made on the display's usable area
    ScreenSize asked_{};                 // the screen size last asked for (ScreenResized)
    std::vector<UInt8> shadow_;          // the screen as last presented
    std::deque<InputEvent> input_;
    // A key down that may still be given its character by the text input
    // event SDL sends right after it.
    std::optional<InputEvent> pending_key_;
    UInt8 last_char_for_key_[128] = {};  // the character of each key's last key down
    UInt16 mods_ = 0;                     // modifiers as of the last key event
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    int exit_hook_ = 0;
    SDL_Cursor* cursor_ = nullptr;
    UInt32 cursor_generation_ = 0;
    bool pumped_by_wait_ = false;   // SDL looked for events as the last wait ended
    std::unique_ptr<AudioOutput> audio_;
    bool audio_failed_ = false;
    unsigned long x11_window_ = 0;   // the X window under window_ (0: not on X11)
    bool window_lost_ = false;       // another program destroyed it
    // Files dropped on the window: one drop (begin to complete) opens its
    // files together.
    std::vector<std::string> dropped_;
    bool dropping_ = false;
};

// SDL key and modifier translation (SdlKeys.cpp).
UInt16 sdl_modifiers(Uint16 mod);
struct SdlKey {
    UInt8 key_code;
    UInt8 character;       // 0: the character comes from text input
};
SdlKey sdl_key(SDL_Keycode sym, SDL_Scancode scancode);
bool sdl_is_modifier_key(SDL_Keycode sym);

}  // namespace platform::host
