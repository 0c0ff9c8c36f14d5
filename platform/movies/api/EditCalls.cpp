// The movie editing calls: cut, copy, paste and clear of the movie's
// selection, every track at once.
#include <algorithm>

#include "platform/movies/editing/MovieEditing.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/objects/Session.h"

using namespace platform;
using namespace platform::movies;

::Movie CopyMovieSelection(::Movie theMovie) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return nullptr;
    }
    const MovieHeader& h = m->model.header;
    if (h.selection_duration == 0) {
        set_error(noErr);
        return nullptr;
    }
    auto copy = copy_movie_span(*m, h.selection_time, h.selection_duration);
    if (!copy.ok()) {
        set_error(copy.code());
        return nullptr;
    }
    set_error(noErr);
    return to_api(*copy);
}

void ClearMovieSelection(::Movie theMovie) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return;
    }
    MovieHeader& h = m->model.header;
    if (h.selection_duration > 0) {
        delete_movie_span(*m, h.selection_time, h.selection_duration);
        h.selection_duration = 0;
        h.selection_time = std::min<UInt32>(h.selection_time, UInt32(std::min<UInt64>(h.duration, 0xFFFFFFFFu)));
        h.current_time = h.selection_time;
        movie_edited(*m);
        SetMovieTimeValue(theMovie, TimeValue(h.selection_time));
    }
    set_error(noErr);
}

::Movie CutMovieSelection(::Movie theMovie) {
    ::Movie copy = CopyMovieSelection(theMovie);
    if (copy) ClearMovieSelection(theMovie);
    return copy;
}

// Pastes at the selection, replacing it; afterwards what was pasted is the
// selection and the time is at its end. A paste that fails leaves the
// movie as it was.
void PasteMovieSelection(::Movie theMovie, ::Movie src) {
    MovieObject* m = movie_of(theMovie);
    MovieObject* s = movie_of(src);
    if (!m || !s) {
        set_error(invalidMovie);
        return;
    }
    if (m == s) {
        set_error(paramErr);
        return;
    }
    EditState before = save_edit_state(*m);
    MovieHeader& h = m->model.header;
    const UInt64 at = std::min<UInt64>(h.selection_time, h.duration);
    delete_movie_span(*m, at, h.selection_duration);
    auto inserted = insert_movie(*s, *m, at);
    if (!inserted.ok()) {
        restore_edit_state(*m, std::move(before));
        movie_edited(*m);
        set_error(inserted.code());
        return;
    }
    h.selection_time = UInt32(at);
    h.selection_duration = UInt32(std::min<UInt64>(*inserted, 0x7FFFFFFF));
    movie_edited(*m);
    SetMovieTimeValue(theMovie, TimeValue(std::min<UInt64>(at + *inserted, 0x7FFFFFFF)));
    set_error(noErr);
}
