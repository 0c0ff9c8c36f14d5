// ControllerLook.h — the controller's appearance: the bar, the volume
// popup and the badge, drawn with QuickDraw into the current port. Nothing
// here decides anything; the caller says what to show.
#pragma once

#include "platform/controller/ControllerLayout.h"

namespace platform::controller {

struct BarLook {
    bool active = true;           // inactive: glyphs in grey
    bool playing = false;         // play button shows "pause" while playing
    SInt16 thumb_x = 0;           // the thumb's centre
    SInt16 sel_left = 0, sel_right = 0;   // the selection band (none when equal)
    SInt16 volume = 0x100;        // 8.8; negative = muted
    Part pressed = Part::None;    // a button held down
};

// Draws the whole bar of `layout` (clipped to it).
void draw_controller_bar(const BarLayout& layout, const BarLook& look);
// The volume slider popped up from the speaker button.
void draw_volume_popup(const Rect& popup, SInt16 volume);
// The small badge in the movie's lower left corner shown while the bar is hidden.
void draw_badge(const Rect& movie_box);

}  // namespace platform::controller
