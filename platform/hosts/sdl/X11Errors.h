// X11Errors.h — what the SDL host does about errors on its X connection.
#pragma once

namespace platform::host {

// Installs Xlib's error handlers; call before SDL starts (its X driver
// chains to the handlers it finds and puts them back as it closes the
// display). Xlib's handlers are process-wide; installing them costs nothing
// when no X display is ever opened.
//
// - A harmless error passes: SDL wakes a thread waiting for events by
//   sending its window a message over a second connection to the server.
//   When the program quits right after such a wake-up, the server may
//   handle the window's destruction on the main connection first and
//   answer the message with BadWindow.
// - So does an error saying that a window of the host's (x11_watch_window)
//   does not exist (BadWindow, BadDrawable): another program may destroy
//   it at any moment, and every request made on it until the host has
//   noticed and made a new one (X11Window.h) is answered so. Window ids are
//   the client's own and not reused, so the error cannot be about another
//   window.
// - Every other error goes to the handler before (Xlib's own ends the
//   process, as before).
// - A lost connection (the server ended or the session closed) ends the
//   process at once, through the exit hooks, with status 1 and a message.
//   From then on display_lost() is true and nothing may speak to the
//   server: Xlib's own handler would exit with the host still to tear
//   down, and tearing a window down waits for the dead server forever.
void install_x11_error_handlers();

bool x11_display_lost();

// Adds a window of the host's to those whose absence is no error (0: none).
void x11_watch_window(unsigned long window);

}  // namespace platform::host
