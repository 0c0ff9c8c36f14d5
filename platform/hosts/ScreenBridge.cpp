// The framebuffer reaches the host through the Event Manager's flush hook:
// before the application waits for input, the rectangles drawn since the
// last wait are presented.
#include "platform/hosts/ScreenBridge.h"

#include <vector>

#include "platform/events/EventsInternal.h"
#include "platform/hostapi/Host.h"
#include "platform/quickdraw/Fonts.h"
#include "platform/quickdraw/Screen.h"

namespace platform::host {
namespace {

void present_dirty() {
    static bool opened = false;
    if (!quickdraw::screen_exists()) return;
    quickdraw::Screen& screen = quickdraw::screen();
    Host& host = current();
    if (!opened) {
        if (!host.open_screen({screen.width(), screen.height()})) return;
        opened = true;
        screen.mark_dirty(screen.rect());
    }
    std::vector<Rect> dirty = screen.take_dirty_rects();
    if (dirty.empty()) return;
    std::vector<ScreenRect> rects;
    rects.reserve(dirty.size());
    for (const Rect& r : dirty) rects.push_back({r.left, r.top, r.right, r.bottom});
    host.present(screen.pixels(), size_t(screen.row_bytes()), rects);
}

}  // namespace

Result<void> attach_screen() {
    ScreenSize size = default_screen_size();
    TRY(quickdraw::init_screen(SInt16(size.width), SInt16(size.height)));
    TRY(quickdraw::init_text());
    events::set_screen_flush(present_dirty);
    return ok();
}

}  // namespace platform::host
