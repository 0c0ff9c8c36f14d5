// The platform's own progress window: a movable window in the middle of
// the desktop, titled after the operation, whose content is a bar filled
// to the share done and a Cancel button. It is drawn when it appears, kept
// current on every update (its update region is drawn and validated then,
// so the application never sees an update event for it) and presented at
// once, since no event loop runs during the operation. Disposing of it
// uncovers the windows behind, which the application redraws as usual.
//
// Cancelling: on every update the window looks through the queued input
// and takes out only what cancels (a press in its Cancel button, Escape,
// Command-period); whatever else was typed or clicked stays queued, in
// order, for the application once the operation is over. A press in the
// button cancels at once (it is drawn pressed until the window goes):
// following the mouse to its release would need input that may be queued
// behind what the application has yet to take. The release, like the
// Escape's key-up, reaches the application, which has no use for it.
#include "platform/progresswindow/ProgressWindow.h"

#include <cstring>
#include <string>

#include "platform/Movies.h"
#include "platform/Windows.h"
#include "platform/events/EventsInternal.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "platform/quickdraw/kit/PushButton.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/WindowManager.h"

namespace platform::progress {

namespace {

constexpr SInt16 kWidth = 320, kHeight = 76;
const Rect kBar{20, 20, 32, kWidth - 20};                    // top, left, bottom, right
const Rect kCancel{44, kWidth - 20 - 72, 64, kWidth - 20};   // in the look of dialogs' buttons
const char kCancelTitle[] = "Cancel";

std::string title_for(SInt16 operation) {
    switch (operation) {
    case progressOpFlatten: return "Saving Movie";
    case progressOpLoadMovieIntoRam: return "Opening Movie";
    case progressOpImportMovie: return "Importing";
    case progressOpExportMovie: return "Exporting";
    default: return "Working";
    }
}

bool is_cancel_key(const EventRecord& e) {
    const char c = char(e.message & charCodeMask);
    const bool command = (e.modifiers & cmdKey) != 0;
    return (c == kEscapeCharCode && !command) || (c == '.' && command);
}

class ProgressWindow final : public movies::ProgressDisplay {
public:
    explicit ProgressWindow(SInt16 operation) {
        Rect desk = windows::WindowManager::get().desktop_rect();
        SInt16 left = SInt16((desk.left + desk.right - kWidth) / 2);
        SInt16 top = SInt16((desk.top + desk.bottom - kHeight) / 3 + 20);
        Rect bounds{top, left, SInt16(top + kHeight), SInt16(left + kWidth)};
        std::string title = title_for(operation);
        unsigned char t[256];
        t[0] = UInt8(title.size());
        std::memcpy(t + 1, title.data(), title.size());
        window_ = NewCWindow(nullptr, &bounds, t, true, movableDBoxProc, reinterpret_cast<WindowRef>(-1), false, 0);
    }

    ~ProgressWindow() override {
        if (window_) DisposeWindow(window_);
        events::flush_screen_now();
    }

    void show(Fixed done) override {
        if (!window_) return;
        done_ = done;
        draw();
    }

    bool cancel_requested() override {
        if (!window_) return false;
        auto taken = events::take_event_if(mDownMask | keyDownMask, [&](const EventRecord& e) {
            return e.what == keyDown ? is_cancel_key(e) : in_cancel(e.where);
        });
        if (!taken) return false;
        if (taken->what == mouseDown) {
            pressed_ = true;
            draw();
        }
        return true;
    }

private:
    // Whether a global point is on the Cancel button, this window being the
    // one there.
    bool in_cancel(Point global) {
        WindowRef hit = nullptr;
        if (FindWindow(global, &hit) != inContent || hit != window_) return false;
        kit::PortGuard guard(GetWindowPort(window_), kit::Keep::port);
        Point local = global;
        GlobalToLocal(&local);
        return kit::contains(kCancel, local);
    }

    static void paint(const Rect& r, quickdraw::RGB8 c) {
        const RGBColor rgb = quickdraw::to_rgb_color(c);
        RGBForeColor(&rgb);
        PaintRect(&r);
    }

    void draw() {
        kit::PortGuard guard(GetWindowPort(window_), kit::Keep::drawing_state);
        BeginUpdate(window_);   // takes what was waiting to be drawn; drawn in full below
        EndUpdate(window_);
        Rect content;
        GetWindowPortBounds(window_, &content);
        paint(content, kit::palette::kDialogBack);
        Rect bar = kBar;
        paint(bar, kit::palette::kText);
        InsetRect(&bar, 1, 1);
        SInt16 filled = SInt16(bar.left + SInt32(bar.right - bar.left) * std::min<Fixed>(done_, 0x10000) / 0x10000);
        paint(Rect{bar.top, bar.left, bar.bottom, filled}, kit::palette::kHighlight);
        paint(Rect{bar.top, filled, bar.bottom, bar.right}, kit::palette::kBoxBack);
        kit::draw_push_button(kCancel, kCancelTitle, kit::ButtonState{pressed_, true, false});
        events::flush_screen_now();
    }

    WindowRef window_ = nullptr;
    Fixed done_ = 0;
    bool pressed_ = false;
};

}  // namespace

std::unique_ptr<movies::ProgressDisplay> make_progress_window(SInt16 operation) {
    // Only where there is a screen to show it on.
    if (!quickdraw::screen_exists()) return nullptr;
    return std::make_unique<ProgressWindow>(operation);
}

}  // namespace platform::progress
