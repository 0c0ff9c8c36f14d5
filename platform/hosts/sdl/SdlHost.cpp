// The SDL host. The window is drawn in software into its own surface,
// only where the platform says the screen changed, and only those parts
// are sent to the window system (on X11 as shared-memory images, by a
// thread of ours so that drawing goes on meanwhile: X11Presenter): playing
// a small movie then costs what its frames cost, not a redraw of the
// whole window per frame. The scaler fits the screen into the window and
// maps mouse positions back to screen pixels.
//
// Files dropped on the window are documents to open, as from the command
// line: the Event Manager's request_open_documents, an 'odoc' in the end.
//
// Keys: SDL reports a key press and, separately and right after it, the
// text it typed. A press of a text key is held back until that text
// arrives (or the batch of events ends) so that the two become one key
// down carrying both the key code and the character.
#include "platform/hosts/sdl/SdlHost.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/core/ProcessExit.h"
#include "platform/events/EventsInternal.h"
#include "platform/events/KeyCodes.h"
#include "platform/hostapi/LaunchOptions.h"
#include "platform/hosts/PngWriter.h"
#include "platform/hosts/Screenshot.h"
#include "platform/hosts/sdl/SdlAudio.h"
#include "platform/hosts/sdl/X11Errors.h"
#include "platform/hosts/sdl/X11Window.h"
#include "platform/quickdraw/Cursor.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::host {

namespace {

// Rows of screen pixels into a window surface of `format`. The surface X11
// usually gives (B,G,R,x bytes in memory on a little-endian machine: the
// screen's four bytes the other way round) is filled by turning each pixel
// here, several times faster over a whole HD screen than SDL's general
// converter; other formats go through that.
void copy_rows(const UInt8* src, size_t srcPitch, UInt8* dst, size_t dstPitch, int w, int h, Uint32 format) {
    const bool turned = kScreenPixelFormat == SDL_PIXELFORMAT_BGRX8888 &&
                        (format == SDL_PIXELFORMAT_XRGB8888 || format == SDL_PIXELFORMAT_ARGB8888);
    if (!turned) {
        SDL_ConvertPixels(w, h, kScreenPixelFormat, src, int(srcPitch), format, dst, int(dstPitch));
        return;
    }
    for (int y = 0; y < h; ++y, src += srcPitch, dst += dstPitch) {
        int x = 0;
#if defined(__SSE2__)
        const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
        for (; x + 4 <= w; x += 4) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * size_t(x)));
            v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));   // the bytes of each half
            v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));             // and the halves
            v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * size_t(x)), _mm_or_si128(v, opaque));
        }
#endif
        for (; x < w; ++x) {
            Uint32 v;
            std::memcpy(&v, src + 4 * size_t(x), 4);
            v = __builtin_bswap32(v) | 0xFF000000u;
            std::memcpy(dst + 4 * size_t(x), &v, 4);
        }
    }
}

}  // namespace

namespace keys = platform::events::keys;

Result<std::unique_ptr<SdlHost>> SdlHost::create() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");          // SIGINT/SIGTERM are the Event Manager's
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");   // the close button comes as a window event
    // Only a window system will do: without one SDL would settle for a
    // framebuffer console or an offscreen driver, where nobody sees the
    // window and the headless host serves better.
    if (!SDL_getenv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, SDL_getenv("WAYLAND_DISPLAY") ? "wayland,x11" : "x11");
    install_x11_error_handlers();   // before SDL starts
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return fail(unimpErr, "SDL could not start its video");
    std::unique_ptr<SdlHost> host(new SdlHost());
    SdlHost* raw = host.get();
    host->exit_hook_ = process::add_exit_hook([raw] { raw->shutdown(); });
    return host;
}

namespace {

// Presenters abandoned with a display that went away; never freed.
std::vector<X11Presenter*>& left_to_the_lost_display() {
    static auto* held = new std::vector<X11Presenter*>;
    return *held;
}

}  // namespace

SdlHost::~SdlHost() {
    process::remove_exit_hook(exit_hook_);
    shutdown();
}

void SdlHost::shutdown() {
    audio_.reset();   // the device goes before SDL does
    if (x11_display_lost()) {   // the server is gone: nothing to tear down there
        // Nor to wait for: its thread is left as it is, the presenter kept
        // where the leak checker still sees it.
        left_to_the_lost_display().push_back(presenter_.release());
        presenter_image_ = nullptr;
        cursor_ = nullptr;
        window_ = nullptr;
        surface_ = nullptr;
        return;
    }
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = nullptr;
    // No more events from here on: destroying the window posts some (focus
    // lost, hidden), and each may send the window a wake-up message
    // (X11Errors.h) just as it goes.
    if (SDL_WasInit(SDL_INIT_EVENTS)) SDL_SetEventFilter([](void*, SDL_Event*) { return 0; }, nullptr);
    drop_presenter();
    if (window_) SDL_DestroyWindow(window_);   // and its surface with it
    window_ = nullptr;
    surface_ = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_Quit();
    SDL_SetEventFilter(nullptr, nullptr);
}

// How many window pixels a screen pixel takes: --scale, else from the
// display's density.
void SdlHost::choose_scale() {
    if (auto asked = launch_options().scale) {
        scale_ = *asked;
        return;
    }
    float dpi = 0;
    scale_ = SDL_GetDisplayDPI(0, &dpi, nullptr, nullptr) == 0 && dpi >= 192 ? 2 : 1;
}

// A window for a screen of `size` at the scale (smaller, to fit the
// display, when that is too big), or on the whole usable area.
Result<void> SdlHost::create_window(ScreenSize size) {
    int w = size.width * scale_, h = size.height * scale_;
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
        if (fills_display_) {
            w = usable.w;
            h = usable.h;
            flags |= SDL_WINDOW_MAXIMIZED;
        } else if (w > 0 && h > 0) {
            double fit = std::min({1.0, usable.w * 0.95 / w, usable.h * 0.90 / h});
            w = std::max(1, int(w * fit));
            h = std::max(1, int(h * fit));
        }
    }
    // X11 can take the window's pixels straight from shared memory; SDL
    // would otherwise route them through an OpenGL texture and draw the
    // whole window on every update. Other window systems keep SDL's
    // choice, and so does a user's SDL_FRAMEBUFFER_ACCELERATION.
    const char* driver = SDL_GetCurrentVideoDriver();
    x11_framebuffer_ = driver && std::strcmp(driver, "x11") == 0 && !SDL_getenv("SDL_FRAMEBUFFER_ACCELERATION");
    if (x11_framebuffer_) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (w <= 0 || h <= 0) return fail(unimpErr, "SDL does not say how big the display is");
    const int at = fills_display_ ? SDL_WINDOWPOS_UNDEFINED : SDL_WINDOWPOS_CENTERED;
    window_ = SDL_CreateWindow("Kinora", fills_display_ ? usable.x : at, fills_display_ ? usable.y : at, w, h, flags);
    if (!window_) return fail(unimpErr, "SDL could not open a window");
    // Where the window has more pixels than SDL's window units, those
    // pixels are dense: the screen takes as many of them (--scale aside).
    if (!launch_options().scale) {
        int units = 0, pixels = 0, unused = 0;
        SDL_GetWindowSize(window_, &units, &unused);
        if (SDL_Surface* surface = SDL_GetWindowSurface(window_)) pixels = surface->w;
        if (units > 0 && pixels / units > scale_) scale_ = std::min(pixels / units, kMaxScreenScale);
    }
    // On X11 the window's destruction by another program comes only as a
    // window-system message.
    x11_window_ = x11_window_of(window_);
    if (x11_framebuffer_ && x11_window_ && !SDL_getenv("KINORA_SDL_PRESENTS")) presenter_ = X11Presenter::open(window_);
    if (x11_window_) {
        x11_watch_window(x11_window_);
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
    if (cursor_) SDL_SetCursor(cursor_);
    SDL_StartTextInput();
    return ok();
}

// Another program destroyed the window (X11Window.h). A new window shows
// the screen as it is, and the application is asked to quit as when the
// window's close button is clicked, so that it asks about unsaved work
// rather than ending without a word; a Cancel keeps it running in the new
// window.
void SdlHost::replace_window() {
    window_lost_ = false;
    std::fprintf(stderr, "kinora: another program destroyed the window; asking to quit in a new one\n");
    // SDL's side of the old window goes; it saw the window unmapped before
    // it was destroyed, so it does not wait for that to happen again.
    drop_presenter();
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    surface_ = nullptr;
    if (!create_window(size_).ok()) {
        std::fprintf(stderr, "kinora: cannot open a new window (%s); quitting\n", SDL_GetError());
        process::set_exit_status(1);
        process::exit_now();
    }
    surface_stale_ = true;
    fetch_surface();
    finish_pending_key();
    InputEvent in;
    in.kind = InputKind::QuitRequested;
    in.modifiers = mods_;
    input_.push_back(in);
}

std::optional<ScreenSize> SdlHost::display_screen_size() {
    if (window_) return follows_window_ ? std::optional(screen_for_window()) : std::nullopt;
    choose_scale();
    fills_display_ = true;
    follows_window_ = true;
    if (!create_window(ScreenSize{}).ok()) {
        fills_display_ = follows_window_ = false;
        return std::nullopt;
    }
    asked_ = screen_for_window();
    return asked_;
}

// The screen that fills the window at the scale, within what a screen can be.
ScreenSize SdlHost::screen_for_window() const {
    int w = 0, h = 0;
    if (SDL_Surface* surface = window_ ? SDL_GetWindowSurface(window_) : nullptr) {
        w = surface->w;
        h = surface->h;
    }
    // QuickDraw's screen is at least 64 pixels a side.
    return ScreenSize{std::clamp(w / scale_, 64, kMaxScreenSide), std::clamp(h / scale_, 64, kMaxScreenSide)};
}

// The window took another size: a screen that fills it is asked for (one
// request standing at a time, the latest size).
void SdlHost::follow_window() {
    if (!follows_window_ || !window_) return;
    ScreenSize want = screen_for_window();
    if (want.width == asked_.width && want.height == asked_.height) return;
    asked_ = want;
    std::erase_if(input_, [](const InputEvent& e) { return e.kind == InputKind::ScreenResized; });
    InputEvent in;
    in.kind = InputKind::ScreenResized;
    in.x = want.width;
    in.y = want.height;
    in.modifiers = mods_;
    input_.push_back(in);
}

Result<void> SdlHost::open_screen(ScreenSize size) {
    if (!screen_size_valid(size)) return fail(paramErr, "screen size out of range");
    if (!window_) {
        choose_scale();
        auto made = create_window(size);
        if (!made.ok()) return made;
    }
    size_ = size;
    shadow_.assign(size_t(size.width) * size_t(size.height) * 4, 0);
    surface_stale_ = true;
    if (!fetch_surface()) return fail(unimpErr, "SDL could not give the window a surface");
    return ok();
}

// The host's own clock, so that time still runs while SDL shuts down.
UInt64 SdlHost::now_ms() const {
    return UInt64(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
                      .count());
}

// Fetches the window's surface; when SDL made a new one (the window's size
// changed) or the screen changed, fits the screen into it again and draws
// the whole window.
bool SdlHost::fetch_surface() {
    if (!window_ || shadow_.empty()) return false;
    SDL_Surface* s = presenter_ ? presenter_surface() : nullptr;
    if (!s) s = SDL_GetWindowSurface(window_);
    if (!s) return false;
    if (s != surface_ || s->w != scaler_.output_width() || s->h != scaler_.output_height() ||
        scaler_.screen().width != size_.width || scaler_.screen().height != size_.height)
        surface_stale_ = true;
    surface_ = s;
    if (surface_stale_) {
        surface_stale_ = false;
        scaler_.fit(size_, s->w, s->h, scale_);
        redraw_window();
    }
    return true;
}

// The presenter's image as the window's surface, at the window's size in
// pixels, once the server is done with what was sent last; null (and SDL
// presents from then on) when it cannot be had.
SDL_Surface* SdlHost::presenter_surface() {
    int w = 0, h = 0;
    SDL_GetWindowSizeInPixels(window_, &w, &h);
    const X11Presenter::Image image = presenter_->begin(w, h);
    if (!image.pixels) {
        drop_presenter();
        return nullptr;
    }
    SDL_Surface*& s = presenter_image_;
    if (!s || s->pixels != image.pixels || s->w != w || s->h != h || s->pitch != image.pitch) {
        if (s) SDL_FreeSurface(s);
        s = SDL_CreateRGBSurfaceWithFormatFrom(image.pixels, w, h, 32, image.pitch, SDL_PIXELFORMAT_XRGB8888);
        if (!s) {
            drop_presenter();
            return nullptr;
        }
    }
    return s;
}

void SdlHost::drop_presenter() {
    if (surface_ && surface_ == presenter_image_) {
        surface_ = nullptr;
        surface_stale_ = true;
    }
    if (presenter_image_) SDL_FreeSurface(presenter_image_);
    presenter_image_ = nullptr;
    presenter_.reset();
}

// Sends rectangles of the surface to the window (`rects` null: all of it).
void SdlHost::update_window(const SDL_Rect* rects, int count) {
    if (presenter_ && surface_ && surface_ == presenter_image_) {
        const SDL_Rect whole{0, 0, surface_->w, surface_->h};
        presenter_->show(rects ? std::span<const SDL_Rect>(rects, size_t(count)) : std::span<const SDL_Rect>(&whole, 1));
    } else if (rects) {
        SDL_UpdateWindowSurfaceRects(window_, rects, count);
    } else {
        SDL_UpdateWindowSurface(window_);
    }
}

// Draws window rectangle `o` from the shadow screen into the surface.
void SdlHost::draw(OutputRect o) {
    if (o.empty()) return;
    const int w = o.right - o.left, h = o.bottom - o.top;
    const size_t shadowRow = size_t(size_.width) * 4;
    if (SDL_MUSTLOCK(surface_) && SDL_LockSurface(surface_) != 0) return;
    UInt8* dst = static_cast<UInt8*>(surface_->pixels) + size_t(o.top) * size_t(surface_->pitch) +
                 size_t(o.left) * surface_->format->BytesPerPixel;
    const Uint32 format = surface_->format->format;
    if (scaler_.unscaled()) {
        const OutputRect place = scaler_.placement();
        const UInt8* src = shadow_.data() + size_t(o.top - place.top) * shadowRow + size_t(o.left - place.left) * 4;
        copy_rows(src, shadowRow, dst, size_t(surface_->pitch), w, h, format);
    } else if (format == kScreenPixelFormat) {
        scaler_.draw(shadow_.data(), shadowRow, o, dst, size_t(surface_->pitch));
    } else {
        scratch_.resize(size_t(w) * size_t(h) * 4);
        scaler_.draw(shadow_.data(), shadowRow, o, scratch_.data(), size_t(w) * 4);
        copy_rows(scratch_.data(), size_t(w) * 4, dst, size_t(surface_->pitch), w, h, format);
    }
    if (SDL_MUSTLOCK(surface_)) SDL_UnlockSurface(surface_);
}

// The whole window: black around the screen, the screen scaled to fit.
void SdlHost::redraw_window() {
    SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
    draw(scaler_.placement());
    update_window(nullptr, 0);
}

void SdlHost::present(const UInt8* pixels, size_t rowBytes, std::span<const ScreenRect> dirty) {
    if (shadow_.empty() || !pixels || rowBytes < size_t(size_.width) * 4) return;
    const size_t shadowRow = size_t(size_.width) * 4;
    std::vector<ScreenRect> changed;
    for (const ScreenRect& d : dirty) {
        int left = std::max(d.left, 0), right = std::min(d.right, size_.width);
        int top = std::max(d.top, 0), bottom = std::min(d.bottom, size_.height);
        if (left >= right || top >= bottom) continue;
        for (int y = top; y < bottom; ++y)
            std::memcpy(&shadow_[size_t(y) * shadowRow + size_t(left) * 4],
                        pixels + size_t(y) * rowBytes + size_t(left) * 4, size_t(right - left) * 4);
        changed.push_back({left, top, right, bottom});
    }
    if (changed.empty()) return;
    const bool wasStale = surface_stale_;
    SDL_Surface* before = surface_;
    if (!fetch_surface()) return;
    if (wasStale || surface_ != before) return;   // the whole window was just drawn
    std::vector<SDL_Rect> sent;
    for (const ScreenRect& r : changed) {
        OutputRect o = scaler_.affected(r);
        if (o.empty()) continue;
        draw(o);
        sent.push_back({o.left, o.top, o.right - o.left, o.bottom - o.top});
    }
    if (!sent.empty()) update_window(sent.data(), int(sent.size()));
}

// A position in the window (in SDL's window coordinates, which differ from
// pixels on a high-density display) as a screen position.
void SdlHost::to_screen(int x, int y, InputEvent& in) const {
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    const int pw = scaler_.output_width(), ph = scaler_.output_height();
    if (ww > 0 && wh > 0 && pw > 0 && ph > 0) {
        x = int(SInt64(x) * pw / ww);
        y = int(SInt64(y) * ph / wh);
    }
    int sx = 0, sy = 0;
    scaler_.to_screen(x, y, &sx, &sy);
    in.x = sx;
    in.y = sy;
}

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
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE:
        take_drop(e);
        break;
    case SDL_SYSWMEVENT:
        if (x11_is_destruction_of(e.syswm.msg, x11_window_)) window_lost_ = true;
        break;
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
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            surface_stale_ = true;
            fetch_surface();
            follow_window();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            if (fetch_surface()) update_window(nullptr, 0);
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEMOTION:
        finish_pending_key();
        in.kind = InputKind::MouseMoved;
        to_screen(e.motion.x, e.motion.y, in);
        input_.push_back(in);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) break;   // one button, as the toolbox knows it
        finish_pending_key();
        in.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputKind::MouseDown : InputKind::MouseUp;
        to_screen(e.button.x, e.button.y, in);
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

// SDL owns nothing of a drop's text once it is sent: each file or text
// event's string is ours to free. Text dropped (not files) is not a document.
void SdlHost::take_drop(const SDL_Event& e) {
    if (e.type == SDL_DROPFILE && e.drop.file) dropped_.emplace_back(e.drop.file);
    if (e.type == SDL_DROPFILE || e.type == SDL_DROPTEXT) SDL_free(e.drop.file);
    if (e.type == SDL_DROPBEGIN) dropping_ = true;
    if (e.type == SDL_DROPCOMPLETE) dropping_ = false;
    // A file dropped outside a begin and complete pair opens on its own.
    if (!dropping_ && !dropped_.empty()) {
        std::vector<std::string> files;
        files.swap(dropped_);
        events::request_open_documents(files);
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
    if (window_lost_) replace_window();
    finish_pending_key();
    if (input_.empty()) return false;
    out = input_.front();
    input_.pop_front();
    return true;
}

void SdlHost::wait_until(UInt64 deadline_ms) {
    if (!input_.empty() || pending_key_ || window_lost_) return;
    UInt64 now = now_ms();
    if (deadline_ms <= now) return;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, int(std::min<UInt64>(deadline_ms - now, 1000)))) translate(e);
    else pumped_by_wait_ = true;
}

void SdlHost::raise() {
    if (!window_) return;
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
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
    if (!fetch_surface()) return fail(paramErr, "no screen is open");
    const int w = surface_->w, h = surface_->h;
    std::vector<UInt8> buffer(size_t(w) * size_t(h) * 4);
    if (SDL_MUSTLOCK(surface_) && SDL_LockSurface(surface_) != 0)
        return fail(unimpErr, "SDL could not read the window back");
    int rc = SDL_ConvertPixels(w, h, surface_->format->format, surface_->pixels, surface_->pitch, kScreenPixelFormat,
                               buffer.data(), w * 4);
    if (SDL_MUSTLOCK(surface_)) SDL_UnlockSurface(surface_);
    if (rc != 0) return fail(unimpErr, "SDL could not read the window back");
    return write_png_xrgb(path, buffer.data(), w, h, size_t(w) * 4);
}

}  // namespace platform::host
