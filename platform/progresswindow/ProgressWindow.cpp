// The platform's own progress window: a movable window in the middle of
// the desktop, titled after the operation, whose content is a bar filled
// to the share done. It is drawn when it appears, kept current on every
// update (its update region is drawn and validated then, so the
// application never sees an update event for it) and presented at once,
// since no event loop runs during the operation. Disposing of it uncovers
// the windows behind, which the application redraws as usual.
#include "platform/progresswindow/ProgressWindow.h"

#include <cstring>
#include <string>

#include "platform/Movies.h"
#include "platform/Windows.h"
#include "platform/events/EventsInternal.h"
#include "platform/quickdraw/Screen.h"
#include "platform/windows/WindowManager.h"

namespace platform::progress {

namespace {

constexpr SInt16 kWidth = 320, kHeight = 56;
const Rect kBar{24, 20, 36, kWidth - 20};   // top, left, bottom, right

std::string title_for(SInt16 operation) {
    switch (operation) {
    case progressOpFlatten: return "Saving Movie";
    case progressOpLoadMovieIntoRam: return "Opening Movie";
    case progressOpImportMovie: return "Importing";
    case progressOpExportMovie: return "Exporting";
    default: return "Working";
    }
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

private:
    void draw() {
        CGrafPtr old_port;
        GDHandle old_device;
        GetGWorld(&old_port, &old_device);
        SetGWorld(GetWindowPort(window_), nullptr);
        BeginUpdate(window_);   // takes what was waiting to be drawn; drawn in full below
        EndUpdate(window_);
        Rect content;
        GetWindowPortBounds(window_, &content);
        ForeColor(blackColor);
        Rect bar = kBar;
        FrameRect(&bar);
        InsetRect(&bar, 1, 1);
        SInt16 filled = SInt16(bar.left + SInt32(bar.right - bar.left) * std::min<Fixed>(done_, 0x10000) / 0x10000);
        Rect full{bar.top, bar.left, bar.bottom, filled};
        Rect empty{bar.top, filled, bar.bottom, bar.right};
        const RGBColor fill{0x3333, 0x6666, 0xCCCC};
        RGBForeColor(&fill);
        PaintRect(&full);
        EraseRect(&empty);
        ForeColor(blackColor);
        SetGWorld(old_port, old_device);
        events::flush_screen_now();
    }

    WindowRef window_ = nullptr;
    Fixed done_ = 0;
};

}  // namespace

std::unique_ptr<movies::ProgressDisplay> make_progress_window(SInt16 operation) {
    // Only where there is a screen to show it on.
    if (!quickdraw::screen_exists()) return nullptr;
    return std::make_unique<ProgressWindow>(operation);
}

}  // namespace platform::progress
