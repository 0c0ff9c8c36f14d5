// ControllerLayout.h — where the parts of the controller bar are, which
// part a point is in, and how the time slider and the volume slider map
// positions to values. Pure geometry: nothing here draws or holds state.
/*
 * The bar is 16 pixels high. From left to right:
 *
 *   [speaker 20][play 20][ time slider ......... ][step back 16][step fwd 16][grow 15]
 *
 * The speaker and step buttons are there only when shown, the grow box
 * only when the controller was given grow-box bounds. The slider takes what
 * is left (at least 24 pixels); its track runs 5 pixels in from each end,
 * and the thumb's centre goes from the track's left end (time 0) to its
 * right end (the movie's duration).
 *
 * The volume slider pops up from the speaker button: 20 x 72 pixels above
 * it (below it when there is no room above in the port), full volume at
 * the top of its 64-pixel track.
 */
#pragma once

#include "platform/Types.h"

namespace platform::controller {

inline constexpr SInt16 kBarHeight = 16;
inline constexpr SInt16 kButtonWidth = 20;
inline constexpr SInt16 kStepWidth = 16;
inline constexpr SInt16 kGrowWidth = 15;
inline constexpr SInt16 kSliderInset = 5;
inline constexpr SInt16 kMinSliderWidth = 24;
inline constexpr SInt16 kVolumePopupWidth = 20;
inline constexpr SInt16 kVolumePopupHeight = 72;
inline constexpr SInt16 kVolumeTrack = 64;

enum class Part { None, Speaker, Play, Slider, StepBack, StepForward, Grow };

struct BarOptions {
    bool speaker = true;
    bool steps = true;
    bool grow = false;
};

struct BarLayout {
    Rect bar{};
    Rect speaker{}, play{}, slider{}, step_back{}, step_forward{}, grow{};   // empty when absent
    SInt16 track_left = 0, track_right = 0;   // the thumb centre's range
};

BarLayout layout_bar(const Rect& bar, BarOptions options);
// The narrowest bar that holds the parts `options` asks for.
SInt16 minimum_bar_width(BarOptions options);

Part hit_part(const BarLayout& layout, Point p);

// Time slider: the time under x (clamped to [0, duration]) and the x of a time.
SInt64 time_at_x(const BarLayout& layout, SInt32 x, SInt64 duration);
SInt16 x_at_time(const BarLayout& layout, SInt64 time, SInt64 duration);

// Volume slider popped up from the speaker button within `port` (local
// coordinates): its rectangle, the volume (0 ... 256) under y, and the y of
// a volume.
Rect volume_popup(const BarLayout& layout, const Rect& port);
SInt16 volume_at_y(const Rect& popup, SInt32 y);
SInt16 y_at_volume(const Rect& popup, SInt16 volume);

// The grow box: the size of the controller's bounds when the mouse has
// moved (dh, dv) from where the drag began. `start` is the bounds' size then
// and `bar` the height of the bar under the movie (0 when hidden). With
// keep_aspect the movie keeps the shape it had, scaled by whichever of the
// two directions the mouse moved further in proportion; without it (Shift
// held, or a movie without a picture) width and height follow the mouse
// each on its own. The size is always within the limits, even when that
// means giving up the shape.
struct GrowLimits {
    SInt32 min_width = 1, min_height = 1, max_width = 1, max_height = 1;
};
struct GrowSize {
    SInt32 width = 0, height = 0;
};
GrowSize grow_size(GrowSize start, SInt32 bar, SInt32 dh, SInt32 dv, bool keep_aspect, const GrowLimits& limits);

}  // namespace platform::controller
