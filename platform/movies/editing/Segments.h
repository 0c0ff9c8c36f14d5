// Segments.h — pieces of one track placed into another by reference.
//
// The samples stay where they are: in the same file, or in another one the
// destination media reaches through a data reference it gains (an alias,
// made relative to the destination movie's file). Only sample tables,
// descriptions and edits are added. This is what editing (cut, copy, paste,
// the scrap) builds on: a copy is a new movie whose tracks got segments
// inserted this way, a paste inserts the copy's segments, a cut or clear
// removes track time (TrackEdits.h: delete_track_span).
#pragma once

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

// Adds to `to` references to the samples of `from` it takes to show
// display time [start, start + duration) of it: the samples shown and
// those they depend on (SampleDependencies.h), so an edit that starts at
// the result shows exactly that span. The media types must match
// (mediaTypesDontMatch); durations are converted when the time scales
// differ. Returns the display time in `to` where `start` shows. Fails with
// the reason when a sample's file cannot be reached.
Result<UInt64> copy_media_span(MediaObject& from, UInt64 start, UInt64 duration, MediaObject& to);

// Inserts track time [start, start + duration) of `from` into `to` at track
// time `at` (each in its own movie's time scale): what plays there, empty
// stretches included, plays there in `to`. `to` must have media of the
// same type. Both tracks may be the same one.
Result<void> insert_track_segment(TrackObject& from, UInt64 start, UInt64 duration, TrackObject& to, UInt64 at);

}  // namespace platform::movies
