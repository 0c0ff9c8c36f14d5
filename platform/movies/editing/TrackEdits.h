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
 *
 * Cuts fall between frames. A frame whose start is not a whole number of
 * movie units (30 fps media in a movie of 1000 units a second) first shows
 * at the movie unit after its start; a cut at that unit is a cut at the
 * frame's start: the earlier part ends at the last whole unit before it
 * (so no part of that frame shows in it) and the later part starts exactly
 * at the frame (so none of the frame before does). The track loses the
 * fraction of a unit no edit can hold, and every reader sees the same
 * frames in each edit.
 */
#pragma once

#include "platform/movies/format/Movie.h"

namespace platform::movies {

// Media units played over `track_units` of track time at `rate`.
UInt64 media_units(UInt64 track_units, UInt32 movie_scale, UInt32 media_scale, Fixed rate);
// Where edit `e` stops showing its media: its media time plus its length
// in media units to the nearest unit (readers of the file count it so).
UInt64 media_end(const EditEntry& e, UInt32 movie_scale, UInt32 media_scale);
// Track time (movie units, rounded up) that `media_units` take at `rate`.
UInt64 track_units(UInt64 media_units, UInt32 media_scale, UInt32 movie_scale, Fixed rate);

// Where a cut `offset` units into edit `e` goes: how far into the edit the
// earlier part ends and the media time the later part starts at (-1 in an
// empty edit); `frame` when it went to a frame's start.
struct EditCut {
    UInt64 offset = 0;
    SInt64 media_time = -1;
    bool frame = false;
};
EditCut cut_edit(const Track& track, const EditEntry& e, UInt64 offset, UInt32 movie_scale);

// The part of edit `e` from `from` to `to` units into it (from < to, to at
// most its duration) as an edit of its own, its ends cut as cut_edit()
// says; when a frame start bounds it, it shows nothing of the frame after.
EditEntry edit_part(const Track& track, const EditEntry& e, UInt64 from, UInt64 to, UInt32 movie_scale);

// The edit list, made explicit when the track has none.
std::vector<EditEntry> timeline(const Track& track, UInt32 movie_scale);
// Gives the track these edits. Sound gets a chunk boundary wherever an
// edit starts or ends in its media (see edit_boundaries()).
void set_timeline(Track& track, std::vector<EditEntry> edits, UInt32 movie_scale);

// The samples at which the track's edits start showing their media, and
// those that follow where they stop: readers that take a chunk's sound in
// whole pieces of many samples play exactly an edit's sound only when
// its ends fall between chunks. Ascending, without repeats.
std::vector<UInt32> edit_boundaries(const Track& track, UInt32 movie_scale);

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
