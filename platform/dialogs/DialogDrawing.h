// DialogDrawing.h — how dialogs look: the background, push buttons (the
// default one with a ring around it), check boxes and radio buttons, static
// text wrapped into its rectangle (with ParamText's ^0–^3 filled in),
// editable text with its selection and caret, and user items (their
// procedures are called). Everything is drawn through the dialog's port,
// whose state is put back afterwards.
#pragma once

#include <string_view>

#include "platform/dialogs/Dialog.h"
#include "platform/quickdraw/Region.h"

namespace platform::dialogs {

// The whole dialog, as an update does.
void draw_dialog(Dialog& d);
// One item, now (its area is painted afresh first).
void draw_item(Dialog& d, SInt16 n);
// The focused field's text, selection and caret, now.
void draw_edit(Dialog& d);

// Widths in the dialogs' font, and the distance between its lines.
SInt32 dialog_text_width(std::string_view text);
SInt32 dialog_line_height();
// The offset in the focused field nearest a local point.
size_t edit_offset_at(const Dialog& d, Point local);

// Where items draw beyond their rectangles: the box of an editable text
// item, the default button's ring.
Rect field_box(const Rect& item);
Rect ring_area(const Rect& button);

// The text a static text item shows: its text with ^0–^3 filled in.
std::string shown_text(const Dialog& d, SInt16 n);

// Presents a button pressed for a moment (Return on the default button).
void flash_button(Dialog& d, SInt16 n);

}  // namespace platform::dialogs
