// X11Errors.h — keeps a harmless X error from ending the process.
#pragma once

namespace platform::host {

// SDL wakes a thread waiting for events by sending its window a message
// over a second connection to the X server. When the program quits right
// after such a wake-up, the server may handle the window's destruction on
// the main connection first and answer the message with BadWindow; Xlib's
// default handler would then end the process in the middle of its exit.
// This installs a handler that lets exactly that error pass (the message
// had nobody left to wake) and hands every other to the handler before it.
// Xlib's handler is process-wide; installing it costs nothing when no X
// display is ever opened.
void ignore_x11_wakeups_to_gone_windows();

}  // namespace platform::host
