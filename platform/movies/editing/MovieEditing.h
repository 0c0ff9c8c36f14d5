// MovieEditing.h — movie-level editing: whole spans of every track copied
// into a new movie, a movie inserted into another, a span removed, and the
// state an undo brings back.
//
// Everything works by reference (Segments.h): samples stay in the files
// they are in, and a movie that gains samples from another file gains a
// data reference to it. Track times are movie times; every track of the
// edited movie changes by the same span, so the tracks stay in step.
#pragma once

#include <map>

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

// A new movie (no file of its own) holding [start, start + duration) of
// every track of `from`, with the same time scale; a track with nothing in
// the span gets an empty stretch of that length.
Result<MovieObject*> copy_movie_span(MovieObject& from, UInt64 start, UInt64 duration);

// Inserts the whole of `src` into `dst` at movie time `at`. Each track of
// `src` goes into the first unused track of `dst` with the same media type,
// or into a new track like it; the tracks of `dst` that get nothing are
// given an empty stretch of `src`'s length (unless `at` lies past their
// end). Returns the length inserted, in `dst`'s time scale.
Result<UInt64> insert_movie(MovieObject& src, MovieObject& dst, UInt64 at);

// Removes [start, start + duration) from every track.
void delete_movie_span(MovieObject& movie, UInt64 start, UInt64 duration);

// What an undo puts back: every track as it was (edit list, sample table,
// descriptions, data references and the files they reach) and the
// selection.
struct EditState {
    std::vector<Track> tracks;
    struct Sources {
        std::vector<SourceSlot> slots;
        UInt16 write_ref = 1;
        bool has_media = false;
    };
    std::map<UInt32, Sources> sources;   // by track ID
    UInt32 selection_time = 0;
    UInt32 selection_duration = 0;
};

EditState save_edit_state(MovieObject& movie);
// Puts the tracks back; track objects of tracks that did not exist then
// go, those of tracks that did exist and went come back (as new objects).
// The movie's player starts over from the restored tracks.
void restore_edit_state(MovieObject& movie, EditState state);

// Tells the movie's player (if any) that its tracks changed.
void movie_edited(MovieObject& movie);

}  // namespace platform::movies
