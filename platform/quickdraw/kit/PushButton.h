// PushButton.h — the look's push button, drawn the same wherever one is
// shown (dialogs and alerts, the progress window): a rounded white face in
// a dark border with its title centred in the application font; pressed,
// the face takes the highlight colour; the default button has a ring
// around it, a gap away.
#pragma once

#include <string_view>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Region.h"

namespace platform::kit {

inline constexpr SInt16 kButtonRadius = 5;
inline constexpr SInt16 kRingGap = 1;     // between the face and the ring
inline constexpr SInt16 kRingWidth = 3;

// A rectangle with rounded corners of that radius, as a region.
quickdraw::Region rounded_rect(const Rect& r, SInt16 radius);

// Where the default button's ring reaches, around the button's rectangle.
Rect ring_area(const Rect& button);

struct ButtonState {
    bool pressed = false;
    bool enabled = true;
    bool is_default = false;
};

// Draws the button in `r` (local) in the current port, whose pen colour
// and text settings it changes: the caller keeps them if it must
// (PortGuard). `title` should fit the face; it is not cut.
void draw_push_button(const Rect& r, std::string_view title, ButtonState state);

}  // namespace platform::kit
