#include "platform/hosts/sdl/X11Errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace platform::host {

namespace {

XErrorHandler g_previous = nullptr;

int filter(Display* display, XErrorEvent* e) {
    if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
    return g_previous ? g_previous(display, e) : 0;
}

}  // namespace

void ignore_x11_wakeups_to_gone_windows() {
    XErrorHandler current = XSetErrorHandler(filter);
    if (current != filter) g_previous = current;
}

}  // namespace platform::host
