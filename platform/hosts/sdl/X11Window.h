// X11Window.h — the X window under the SDL host's window, for what SDL does
// not report: the window destroyed by another program (a tool such as
// `xdotool windowclose`, a window manager gone wrong). SDL sends no event of
// its own for that, and its next request on the window would end the
// process through Xlib's error handler; the host instead makes a new window
// and asks the application to quit, so that it can ask about unsaved work
// (SdlHost.cpp, X11Errors.h).
#pragma once

#include <SDL.h>

namespace platform::host {

// The X window of an SDL window; 0 when SDL does not run on X11.
unsigned long x11_window_of(SDL_Window* window);

// Whether a window-system message (an SDL_SYSWMEVENT's) is the news that X
// window `window` was destroyed.
bool x11_is_destruction_of(const SDL_SysWMmsg* message, unsigned long window);

}  // namespace platform::host
