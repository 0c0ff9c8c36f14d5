#include "platform/hosts/sdl/X11Window.h"

#include <SDL_syswm.h>

namespace platform::host {

unsigned long x11_window_of(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        return static_cast<unsigned long>(info.info.x11.window);
#else
    (void)window;
#endif
    return 0;
}

bool x11_is_destruction_of(const SDL_SysWMmsg* message, unsigned long window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!message || !window || message->subsystem != SDL_SYSWM_X11) return false;
    const XEvent& e = message->msg.x11.event;
    return e.type == DestroyNotify && e.xdestroywindow.window == window;
#else
    (void)message;
    (void)window;
    return false;
#endif
}

}  // namespace platform::host
