// Cursor.h — the cursor's image and visibility, for the hosts.
//
// QuickDraw keeps the current cursor (a 16x16 image, mask and hot spot) and
// whether it shows; the host draws it over the screen at the mouse position
// when presenting or taking a screenshot (draw_cursor), never into the
// screen's own pixels. A pixel of the cursor is black where data and mask
// are set, white where only the mask is set, inverts what is under it where
// only the data is set, and is transparent elsewhere.
#pragma once

#include "platform/QuickDraw.h"

namespace platform::quickdraw {

struct CursorState {
    Cursor cursor;
    SInt32 hideLevel = 0;   // HideCursor minus ShowCursor calls, never below 0
    bool obscured = false;  // ObscureCursor until the mouse next moves
};

const CursorState& cursor_state();
// The cursor shows: not hidden and not obscured.
bool cursor_visible();
// The host reports mouse movement: ends an ObscureCursor.
void cursor_mouse_moved();
// Changes whenever the cursor's image or visibility changes, so the host
// knows to present again even when no screen pixels changed.
UInt32 cursor_generation();

// Composites the cursor, if it shows, onto 32-bit x,R,G,B pixels (a copy
// of the screen) with the hot spot at `mouse`; clipped to the buffer.
void draw_cursor(UInt8* pixels, SInt32 width, SInt32 height, SInt32 rowBytes, Point mouse);

// The standard arrow.
const Cursor& arrow_cursor();

}  // namespace platform::quickdraw
