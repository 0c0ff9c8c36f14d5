// The framebuffer reaches the host through the Event Manager's flush hook:
// before the application waits for input, the rectangles drawn since the
// last wait are presented.
#include "platform/hosts/ScreenBridge.h"

#include <cstdio>
#include <vector>

#include "platform/events/EventsInternal.h"
#include "platform/hostapi/Host.h"
#include "platform/menus/MenuManager.h"
#include "platform/quickdraw/Fonts.h"
#include "platform/quickdraw/Screen.h"
#include "platform/windows/WindowManager.h"

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

Result<void> resize_screen(ScreenSize size) {
    if (!screen_size_valid(size)) return fail(paramErr, "screen size out of range");
    TRY(quickdraw::resize_screen(SInt16(size.width), SInt16(size.height)));
    if (windows::WindowManager::running()) windows::WindowManager::get().screen_resized();
    if (menus::MenuManager::running()) menus::MenuManager::get().draw_bar();
    if (host::exists()) TRY(current().open_screen(size));
    return ok();
}

Result<void> attach_screen() {
    ScreenSize size = default_screen_size();
    TRY(quickdraw::init_screen(SInt16(size.width), SInt16(size.height)));
    TRY(quickdraw::init_text());
    events::set_screen_flush(present_dirty);
    events::set_screen_resize([](ScreenSize to) {
        if (auto done = resize_screen(to); !done)
            std::fprintf(stderr, "kinora: the screen stays as it was: %s\n", done.error().message);
    });
    return ok();
}

}  // namespace platform::host
