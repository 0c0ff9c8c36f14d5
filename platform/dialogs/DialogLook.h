// DialogLook.h — the sizes of dialogs, their items and the file dialogs'
// lists. Their colours are the kit's palette (quickdraw/kit/Palette.h).
#pragma once

#include "platform/Types.h"

namespace platform::dialogs::look {

// Push buttons are the kit's (quickdraw/kit/PushButton.h).

// Check boxes and radio buttons.
constexpr SInt16 kMarkSize = 12;

// Editable text: a white box just outside the item's rectangle.
constexpr SInt16 kFieldOutset = 3;    // the box is the item's rectangle grown by this
constexpr SInt16 kFieldPadding = 1;   // text starts this far in from the item's left

// File lists.
constexpr SInt16 kListRowHeight = 18;
constexpr SInt16 kScrollBarWidth = 15;

// Blinking and flashing, in ticks.
constexpr UInt32 kButtonFlashTicks = 8;

}  // namespace platform::dialogs::look
