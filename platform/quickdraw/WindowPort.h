// WindowPort.h — ports that draw into the screen, for the Window Manager.
//
// A window port's pixel map shares the screen's pixels (same base address
// and row bytes) with bounds placed so that local (0, 0) — or, after
// SetOrigin, the port rectangle's top-left — is the window content's
// top-left on the screen. Global coordinates are screen pixels.
//
// The Window Manager owns the geometry: it creates the port with the
// content rectangle, moves and resizes it, and sets its visible region
// (what of the content is not covered by other windows) whenever the
// window stack changes. Until it does, the visible region is the whole
// port rectangle. Drawing through the port marks the screen dirty.
#pragma once

#include "platform/QuickDraw.h"
#include "platform/core/Result.h"
#include "platform/quickdraw/Region.h"

namespace platform::quickdraw {

// A new window port for content at `globalContent` (global coordinates);
// port rectangle (0, 0, height, width), clip region wide open, the
// default pen, colours and text. Dispose of it with dispose_window_port.
Result<GrafPtr> new_window_port(const Rect& globalContent);
// Releases a window port (not the screen's pixels). If it was the current
// port, the desktop port becomes current. Ignores anything else.
void dispose_window_port(GrafPtr port);

// Moves the content's top-left to (left, top) global; the port rectangle,
// origin and regions stay as they are in local coordinates.
Result<void> move_window_port(GrafPtr port, SInt16 left, SInt16 top);
// Resizes the port rectangle, keeping its top-left (the origin).
Result<void> size_window_port(GrafPtr port, SInt16 width, SInt16 height);
// The content rectangle in global coordinates (the port rectangle mapped
// to the screen); all zero for something that is not a port.
Rect port_global_rect(GrafPtr port);

// The visible region, given in the port's local coordinates or in global
// coordinates. Works for any port (the desktop port too). paramErr for
// something that is not a port or a nil region.
Result<void> set_port_visible_region(GrafPtr port, RgnHandle localRgn);
Result<void> set_port_visible_region(GrafPtr port, const Region& local);
Result<void> set_port_visible_region_global(GrafPtr port, const Region& global);
// The visible region in global coordinates (empty for a non-port).
Region port_visible_region_global(GrafPtr port);

// The window a port belongs to, as the Window Manager recorded it.
void set_port_owner(GrafPtr port, void* owner);
void* port_owner(GrafPtr port);
bool is_window_port(GrafPtr port);

// The desktop port (Screen::desktop_port) as a GrafPtr.
GrafPtr desktop_port();

}  // namespace platform::quickdraw
