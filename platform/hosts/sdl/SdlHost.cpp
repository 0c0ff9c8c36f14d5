// The SDL host. The screen is a streaming texture in the x,R,G,B byte
// layout, updated only where the platform says it changed; the renderer's
// logical size keeps the aspect ratio and maps mouse positions back to
// screen pixels.
//
// Keys: SDL reports a key press and, separately and right after it, the
// text it typed. A press of a text key is held back until that text
// arrives (or the batch of events ends) so that the two become one key
// down carrying both the key code and the character.
#include "platform/hosts/sdl/SdlHost.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/core/ProcessExit.h"
#include "platform/events/KeyCodes.h"
#include "platform/hosts/PngWriter.h"
#include "platform/hosts/Screenshot.h"
#include "platform/quickdraw/Cursor.h"
#include "platform/sound/SdlAudio.h"

namespace platform::host {

namespace keys = platform::events::keys;

Result<std::unique_ptr<SdlHost>> SdlHost::create() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");          // SIGINT/SIGTERM are the Event Manager's
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");   // the close button comes as a window event
    // Only a window system will do: without one SDL would settle for a
    // framebuffer console or an offscreen driver, where nobody sees the
    // window and the headless host serves better.
    if (!SDL_getenv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, SDL_getenv("WAYLAND_DISPLAY") ? "wayland,x11" : "x11");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return fail(unimpErr, "SDL could not start its video");
    std::unique_ptr<SdlHost> host(new SdlHost());
    SdlHost* raw = host.get();
    host->exit_hook_ = process::add_exit_hook([raw] { raw->shutdown(); });
    return host;
}

SdlHost::~SdlHost() {
    process::remove_exit_hook(exit_hook_);
    shutdown();
}

void SdlHost::shutdown() {
    audio_.reset();   // the device goes before SDL does
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = nullptr;
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_Quit();
}

Result<void> SdlHost::open_screen(ScreenSize size) {
    if (!screen_size_valid(size)) return fail(paramErr, "screen size out of range");
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    if (!window_) {
        // Start at the screen's size, or smaller to fit the display.
        int w = size.width, h = size.height;
        SDL_Rect usable;
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
            double scale = std::min({1.0, usable.w * 0.95 / w, usable.h * 0.90 / h});
            w = std::max(1, int(w * scale));
            h = std::max(1, int(h * scale));
        }
        window_ = SDL_CreateWindow("Kinora", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h,
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
        if (!window_) return fail(unimpErr, "SDL could not open a window");
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) return fail(unimpErr, "SDL could not create a renderer");
        SDL_StartTextInput();
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (SDL_RenderSetLogicalSize(renderer_, size.width, size.height) != 0)
        return fail(unimpErr, "SDL could not scale the screen");
    texture_ = SDL_CreateTexture(renderer_, kScreenPixelFormat, SDL_TEXTUREACCESS_STREAMING,
                                 size.width, size.height);
    if (!texture_) return fail(unimpErr, "SDL could not create the screen texture");
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    size_ = size;
    shadow_.assign(size_t(size.width) * size_t(size.height) * 4, 0);
    SDL_UpdateTexture(texture_, nullptr, shadow_.data(), size.width * 4);
    render();
    return ok();
}

// The host's own clock, so that time still runs while SDL shuts down.
UInt64 SdlHost::now_ms() const {
    return UInt64(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
                      .count());
}

void SdlHost::render() {
    if (!renderer_ || !texture_) return;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlHost::present(const UInt8* pixels, size_t rowBytes, std::span<const ScreenRect> dirty) {
    if (!texture_ || !pixels || rowBytes < size_t(size_.width) * 4) return;
    bool any = false;
    const size_t shadowRow = size_t(size_.width) * 4;
    for (const ScreenRect& d : dirty) {
        int left = std::max(d.left, 0), right = std::min(d.right, size_.width);
        int top = std::max(d.top, 0), bottom = std::min(d.bottom, size_.height);
        if (left >= right || top >= bottom) continue;
        const UInt8* src = pixels + size_t(top) * rowBytes + size_t(left) * 4;
        SDL_Rect r{left, top, right - left, bottom - top};
        SDL_UpdateTexture(texture_, &r, src, int(rowBytes));
        for (int y = top; y < bottom; ++y)
            std::memcpy(&shadow_[size_t(y) * shadowRow + size_t(left) * 4],
                        pixels + size_t(y) * rowBytes + size_t(left) * 4, size_t(right - left) * 4);
        any = true;
    }
    if (any) render();
}

int SdlHost::mouse_x(int x) const { return std::clamp(x, 0, std::max(0, size_.width - 1)); }
int SdlHost::mouse_y(int y) const { return std::clamp(y, 0, std::max(0, size_.height - 1)); }

void SdlHost::finish_pending_key() {
    if (!pending_key_) return;
    InputEvent k = *pending_key_;
    pending_key_.reset();
    last_char_for_key_[k.key_code & 0x7F] = k.character;
    input_.push_back(k);
}

void SdlHost::translate(const SDL_Event& e) {
    // SDL's own modifier state is already past the events still queued;
    // key events carry the state of their moment, the rest use the last.
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) mods_ = sdl_modifiers(e.key.keysym.mod);
    const UInt16 mods = mods_;
    InputEvent in;
    in.modifiers = mods;
    switch (e.type) {
    case SDL_QUIT:
        finish_pending_key();
        in.kind = InputKind::QuitRequested;
        input_.push_back(in);
        break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            finish_pending_key();
            in.kind = InputKind::QuitRequested;
            input_.push_back(in);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            finish_pending_key();
            in.kind = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ? InputKind::FocusGained
                                                                      : InputKind::FocusLost;
            input_.push_back(in);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            render();
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEMOTION:
        finish_pending_key();
        in.kind = InputKind::MouseMoved;
        in.x = mouse_x(e.motion.x);
        in.y = mouse_y(e.motion.y);
        input_.push_back(in);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) break;   // one button, as the toolbox knows it
        finish_pending_key();
        in.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputKind::MouseDown : InputKind::MouseUp;
        in.x = mouse_x(e.button.x);
        in.y = mouse_y(e.button.y);
        input_.push_back(in);
        break;
    case SDL_KEYDOWN: {
        finish_pending_key();
        if (sdl_is_modifier_key(e.key.keysym.sym)) {
            in.kind = InputKind::ModifiersChanged;
            input_.push_back(in);
            break;
        }
        SdlKey k = sdl_key(e.key.keysym.sym, e.key.keysym.scancode);
        in.kind = InputKind::KeyDown;
        in.key_code = k.key_code;
        in.repeat = e.key.repeat != 0;
        in.character = k.character;
        if (k.character) {
            last_char_for_key_[k.key_code & 0x7F] = k.character;
            input_.push_back(in);
            break;
        }
        // A text key: the character SDL's layout gives without text input
        // (used with Command or Control, or when no text follows).
        SDL_Keycode sym = e.key.keysym.sym;
        UInt8 c = (sym >= 32 && sym < 127) ? UInt8(sym) : keys::unshifted_character(k.key_code);
        if (mods & kModShift) c = keys::shifted_character(c);
        if ((mods & kModControl) && c >= '@' && c < 127) c = UInt8(c & 0x1F);
        in.character = c;
        pending_key_ = in;
        break;
    }
    case SDL_TEXTINPUT: {
        const UInt8* text = reinterpret_cast<const UInt8*>(e.text.text);
        size_t n = strnlen(e.text.text, sizeof e.text.text);
        if (n == 0) break;
        if (pending_key_) {
            InputEvent k = *pending_key_;
            if (k.modifiers & (kModCommand | kModControl)) {   // a shortcut: keep the key's own character
                finish_pending_key();
                break;
            }
            pending_key_.reset();
            k.character = text[0];
            last_char_for_key_[k.key_code & 0x7F] = k.character;
            input_.push_back(k);
            for (size_t i = 1; i < n; ++i) {   // the rest of a UTF-8 sequence
                k.character = text[i];
                input_.push_back(k);
            }
            break;
        }
        // Text with no key press of its own (an input method).
        in.kind = InputKind::KeyDown;
        in.key_code = keys::kUnknown;
        for (size_t i = 0; i < n; ++i) {
            in.character = text[i];
            input_.push_back(in);
        }
        break;
    }
    case SDL_KEYUP:
        finish_pending_key();
        if (sdl_is_modifier_key(e.key.keysym.sym)) {
            in.kind = InputKind::ModifiersChanged;
        } else {
            SdlKey k = sdl_key(e.key.keysym.sym, e.key.keysym.scancode);
            in.kind = InputKind::KeyUp;
            in.key_code = k.key_code;
            in.character = k.character ? k.character : last_char_for_key_[k.key_code & 0x7F];
        }
        input_.push_back(in);
        break;
    default:
        break;
    }
}

// The window system draws the cursor: an SDL cursor made from the
// platform's current cursor image, remade whenever that changes.
void SdlHost::sync_cursor() {
    if (!window_) return;
    const UInt32 generation = quickdraw::cursor_generation();
    if (cursor_ && generation == cursor_generation_) return;
    cursor_generation_ = generation;
    const Cursor& c = quickdraw::cursor_state().cursor;
    Uint8 data[32], mask[32];
    for (int row = 0; row < 16; ++row) {
        data[2 * row] = Uint8(c.data[row] >> 8);
        data[2 * row + 1] = Uint8(c.data[row]);
        mask[2 * row] = Uint8(c.mask[row] >> 8);
        mask[2 * row + 1] = Uint8(c.mask[row]);
    }
    SDL_Cursor* made = SDL_CreateCursor(data, mask, 16, 16, std::clamp<int>(c.hotSpot.h, 0, 15),
                                        std::clamp<int>(c.hotSpot.v, 0, 15));
    if (made) {
        SDL_SetCursor(made);
        if (cursor_) SDL_FreeCursor(cursor_);
        cursor_ = made;
    }
    SDL_ShowCursor(quickdraw::cursor_visible() ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlHost::poll(InputEvent& out) {
    sync_cursor();
    // A wait that timed out has just looked at the window system; looking
    // again at once only costs an idle program its CPU.
    if (!pumped_by_wait_) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) translate(e);
    }
    pumped_by_wait_ = false;
    finish_pending_key();
    if (input_.empty()) return false;
    out = input_.front();
    input_.pop_front();
    return true;
}

void SdlHost::wait_until(UInt64 deadline_ms) {
    if (!input_.empty() || pending_key_) return;
    UInt64 now = now_ms();
    if (deadline_ms <= now) return;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, int(std::min<UInt64>(deadline_ms - now, 1000)))) translate(e);
    else pumped_by_wait_ = true;
}

AudioOutput* SdlHost::audio() {
    if (!audio_ && !audio_failed_) {
        audio_ = sound::SdlAudio::open();
        audio_failed_ = !audio_;
    }
    return audio_.get();
}

void SdlHost::beep() {
    // SDL has no bell; a terminal, when there is one, rings.
    if (isatty(STDERR_FILENO)) (void)!write(STDERR_FILENO, "\a", 1);
}

Result<void> SdlHost::save_screenshot(const std::string& path) {
    if (shadow_.empty()) return fail(paramErr, "no screen is open");
    return save_screenshot_with_cursor(path, shadow_.data(), size_.width, size_.height, size_t(size_.width) * 4);
}

Result<void> SdlHost::save_window_capture(const std::string& path) {
    if (!renderer_ || !texture_) return fail(paramErr, "no screen is open");
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0 || w <= 0 || h <= 0)
        return fail(unimpErr, "SDL could not tell the window's size");
    // Draw the frame as the window shows it (letterboxed) over the whole
    // output and read it back before presenting: after a present the back
    // buffer's contents are undefined.
    SDL_RenderSetLogicalSize(renderer_, 0, 0);
    double scale = std::min(double(w) / size_.width, double(h) / size_.height);
    SDL_Rect dst{0, 0, int(size_.width * scale), int(size_.height * scale)};
    dst.x = (w - dst.w) / 2;
    dst.y = (h - dst.h) / 2;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    std::vector<UInt8> buffer(size_t(w) * size_t(h) * 4);
    int rc = SDL_RenderReadPixels(renderer_, nullptr, kScreenPixelFormat, buffer.data(), w * 4);
    SDL_RenderSetLogicalSize(renderer_, size_.width, size_.height);
    render();
    if (rc != 0) return fail(unimpErr, "SDL could not read the window back");
    return write_png_xrgb(path, buffer.data(), w, h, size_t(w) * 4);
}

}  // namespace platform::host
