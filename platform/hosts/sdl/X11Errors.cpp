#include "platform/hosts/sdl/X11Errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <atomic>
#include <cstdio>

#include "platform/core/ProcessExit.h"

namespace platform::host {

namespace {

XErrorHandler g_previous = nullptr;
std::atomic<bool> g_lost{false};

int on_error(Display* display, XErrorEvent* e) {
    if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
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

}  // namespace platform::host
