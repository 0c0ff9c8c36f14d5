// TrackEdits.h — a track's edit list as a timeline: what plays when.
/*
 * Track time is in the movie's time scale, media time in the media's. An
 * edit plays `track_duration` units of track time from `media_time` on at
 * `rate`; media time -1 is an empty edit (nothing plays). A track without
 * an edit list plays its whole media once from time 0.
 *
 * Inserting at a time inside an edit splits that edit in two; inserting
 * past the end first fills the gap with an empty edit. Deleting a span
 * splits the edits at both of its ends and drops what lies between.
 */
#pragma once

#include "platform/movies/format/Movie.h"

namespace platform::movies {

// Media units played over `track_units` of track time at `rate`.
UInt64 media_units(UInt64 track_units, UInt32 movie_scale, UInt32 media_scale, Fixed rate);
// Track time (movie units, rounded up) that `media_units` take at `rate`.
UInt64 track_units(UInt64 media_units, UInt32 media_scale, UInt32 movie_scale, Fixed rate);

// The edit list, made explicit when the track has none.
std::vector<EditEntry> timeline(const Track& track, UInt32 movie_scale);
void set_timeline(Track& track, std::vector<EditEntry> edits);

// Inserts an edit at `at` (track time; past the end leaves an empty edit
// in the gap).
void insert_edit(Track& track, UInt32 movie_scale, UInt64 at, const EditEntry& edit);

// Removes [start, start + duration) of track time.
void delete_track_span(Track& track, UInt32 movie_scale, UInt64 start, UInt64 duration);

// Where track time `t` falls: the edit's index and its start, or nothing
// past the end.
struct EditAt {
    size_t index = 0;
    UInt64 start = 0;
};
std::optional<EditAt> edit_at(const std::vector<EditEntry>& edits, UInt64 t);

}  // namespace platform::movies
