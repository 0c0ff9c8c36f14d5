#include "platform/hosts/sdl/X11Errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <array>
#include <atomic>
#include <cstdio>

#include "platform/core/ProcessExit.h"

namespace platform::host {

namespace {

XErrorHandler g_previous = nullptr;
std::atomic<bool> g_lost{false};

// The host's windows, the newest kSlots of them: a window is replaced only
// when another program destroys it, so a handful covers every request
// still in flight on the old ones. Read by the handler, on whichever thread
// Xlib reports on.
constexpr size_t kSlots = 16;
std::array<std::atomic<unsigned long>, kSlots> g_watched{};
std::atomic<size_t> g_next_slot{0};

bool watched(unsigned long id) {
    if (id == 0) return false;
    for (const auto& w : g_watched)
        if (w.load() == id) return true;
    return false;
}

int on_error(Display* display, XErrorEvent* e) {
    if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
    if ((e->error_code == BadWindow || e->error_code == BadDrawable) && watched(e->resourceid)) return 0;
    return g_previous ? g_previous(display, e) : 0;
}

int on_connection_lost(Display* display) {
    g_lost = true;
    const char* name = display ? DisplayString(display) : nullptr;
    std::fprintf(stderr, "kinora: the connection to the display %s was lost; quitting\n", name ? name : "");
    process::set_exit_status(1);
    process::exit_now();
}

}  // namespace

void install_x11_error_handlers() {
    XErrorHandler current = XSetErrorHandler(on_error);
    if (current != on_error) g_previous = current;
    XSetIOErrorHandler(on_connection_lost);
}

bool x11_display_lost() { return g_lost; }

void x11_watch_window(unsigned long window) {
    if (window == 0 || watched(window)) return;
    g_watched[g_next_slot.fetch_add(1) % kSlots].store(window);
}

}  // namespace platform::host
