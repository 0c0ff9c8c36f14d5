// FrameDrawing.h — the look of window frames and of the desktop, drawn in
// one place. Everything is clipped to what of the window shows.
//
// Active document windows and movable dialogs have a striped title bar
// with the title in black and (documents with goAwayFlag) the close box at
// the left; inactive ones a plain pale title bar with a gray title and no
// close box. Titles are centred and elided with "…" when too long. The
// grow box of documentProc windows is drawn in the content's bottom-right
// corner, after each update.
#pragma once

#include "platform/windows/Window.h"

namespace platform::windows {

void draw_frame(const Window& w, bool closeBoxPressed = false);
void draw_grow_box(const Window& w);
void draw_desktop(const quickdraw::Region& global);
// The menu bar with no menus: its background and bottom line.
void draw_empty_menu_bar();

// What DragWindow shows while dragging: the outline of the frame and the
// line under its title bar, one pixel wide (to be inverted on the screen).
quickdraw::Region drag_outline(const FrameSpec& spec, const FrameGeometry& g);

// The room the title has, and where it goes (tests use these too).
Rect title_text_area(const FrameSpec& spec, const FrameGeometry& g);

}  // namespace platform::windows
