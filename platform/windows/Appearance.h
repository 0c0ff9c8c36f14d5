// Appearance.h — the sizes of the screen's chrome that other managers lay
// out against. Its colours are the kit's palette (quickdraw/kit/Palette.h).
#pragma once

#include "platform/Types.h"

namespace platform::windows::look {

// The screen.
constexpr SInt16 kMenuBarHeight = 20;   // rows 0..19; row 19 is the bar's bottom line

}  // namespace platform::windows::look
