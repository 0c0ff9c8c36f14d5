// The Edit commands through the controller: they act on the movie's
// selection while editing is enabled. Each edit that changes the movie
// keeps what the movie was before it, so Undo can put it back; an undo
// keeps what it replaced, so a second Undo redoes the edit.
#include "platform/controller/Controller.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/editing/Scrap.h"

namespace platform::controller {

namespace {

::Movie none(OSErr why) {
    movies::set_error(why);
    return nullptr;
}

bool has_selection(::Movie movie) {
    TimeValue start = 0, length = 0;
    GetMovieSelection(movie, &start, &length);
    return length > 0;
}

}  // namespace

// Copy and Cut leave their result for GetMoviesError (ControllerCalls.cpp):
// paramErr when the controller does not edit a movie, noErr for an empty
// selection (nothing to take), the movie call's own result otherwise.
::Movie Controller::copy() {
    if (!editing_ || !movies::movie_of(movie_)) return none(paramErr);
    if (!has_selection(movie_)) return none(noErr);
    return CopyMovieSelection(movie_);
}

::Movie Controller::cut() {
    auto* m = movies::movie_of(movie_);
    if (!editing_ || !m) return none(paramErr);
    if (!has_selection(movie_)) return none(noErr);
    const Rect old = bounds();
    movies::EditState before = movies::save_edit_state(*m);
    ::Movie segment = CutMovieSelection(movie_);
    if (segment) {
        undo_ = std::move(before);
        after_edit(old);
    }
    return segment;
}

ComponentResult Controller::clear() {
    auto* m = movies::movie_of(movie_);
    if (!editing_ || !m) return paramErr;
    if (!has_selection(movie_)) return noErr;
    const Rect old = bounds();
    movies::EditState before = movies::save_edit_state(*m);
    ClearMovieSelection(movie_);
    const OSErr err = GetMoviesError();
    if (err != noErr) return err;
    undo_ = std::move(before);
    after_edit(old);
    return noErr;
}

ComponentResult Controller::paste(::Movie src) {
    auto* m = movies::movie_of(movie_);
    if (!editing_ || !m) return paramErr;
    ::Movie from = src;
    if (!from) {
        if (!movies::scrap_has_movie()) return noMovieFound;
        from = NewMovieFromScrap(0);
        if (!from) return GetMoviesError();
    }
    const Rect old = bounds();
    movies::EditState before = movies::save_edit_state(*m);
    PasteMovieSelection(movie_, from);
    const OSErr err = GetMoviesError();
    if (!src) DisposeMovie(from);
    if (err != noErr) return err;
    undo_ = std::move(before);
    after_edit(old);
    return noErr;
}

ComponentResult Controller::undo() {
    auto* m = movies::movie_of(movie_);
    if (!editing_ || !m || !undo_) return paramErr;
    const Rect old = bounds();
    movies::EditState now = movies::save_edit_state(*m);
    movies::restore_edit_state(*m, std::move(*undo_));
    undo_ = std::move(now);
    m->mark_changed();
    movies::movie_edited(*m);
    TimeValue start = 0, length = 0;
    GetMovieSelection(movie_, &start, &length);
    SetMovieTimeValue(movie_, start);
    after_edit(old);
    return noErr;
}

// After an edit: the picture and the bar are redrawn; a movie whose box
// changed (a first picture pasted in, the last one cut out) tells the
// filter its size changed.
void Controller::after_edit(const Rect& old) {
    UpdateMovie(movie_);
    MoviesTask(movie_, 0);
    const Rect now = bounds();
    invalidate(old);
    invalidate(now);
    draw_bar();
    if (old.top != now.top || old.left != now.left || old.bottom != now.bottom || old.right != now.right)
        size_changed();
}

}  // namespace platform::controller
