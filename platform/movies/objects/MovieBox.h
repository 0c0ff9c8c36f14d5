// MovieBox.h — where a movie shows: the natural bounds of its visual
// tracks, and the movie box those become through the movie's matrix.
/*
 * A track's box is (0, 0, width, height) moved, scaled and turned by its
 * matrix (quarter turns and flips, as cameras record a picture taken on
 * its side; another angle is not supported and is ignored); the natural
 * bounds are the union of the enabled visual tracks' boxes. The movie box
 * is the natural bounds through the movie matrix (scale a, d and
 * translation x, y, all 16.16; rotation is not supported and is ignored).
 * Setting the box sets that scale and translation.
 */
#pragma once

#include <span>
#include <utility>

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

// The size a track is shown at (16.16 width, height): its header's, but
// for video the first image description's natural size (clean aperture,
// pixel aspect) when the header has no size, or has the stored picture's
// size while the description says the picture is seen at another.
std::pair<Fixed, Fixed> shown_dimensions(const Track& track);

// How a track's matrix turns its picture: the signs of the matrix's a, b,
// c, d (x' = a x + c y, y' = b x + d y) when it is a quarter turn or a
// flip. A matrix that only moves and scales, or that turns by another
// angle, leaves the picture upright.
struct QuarterTurn {
    SInt8 a = 1, b = 0, c = 0, d = 1;
    bool upright() const { return a == 1 && b == 0 && c == 0 && d == 1; }
    bool swaps_axes() const { return a == 0; }
};
QuarterTurn quarter_turn(const Matrix& m);

// A track's box: its shown size through its matrix (moved, scaled and
// turned).
Rect track_box(const Track& track);
// A rectangle through the movie's matrix (moved and scaled).
Rect movie_rect(const Rect& r, const Matrix& m);

Rect natural_bounds(MovieObject& movie);
Rect movie_box(MovieObject& movie);
void set_movie_box(MovieObject& movie, const Rect& box);

// Converts every time of the movie (edits, durations, selection, current,
// poster and preview times) to a new movie time scale.
void change_time_scale(MovieObject& movie, UInt32 scale);

// Whether a media type is seen ('eyes') or heard ('ears').
bool media_has_characteristic(OSType media_type, OSType characteristic);
// The media types that are seen.
std::span<const OSType> visual_media_types();

}  // namespace platform::movies
