#include "platform/movies/editing/Scrap.h"

#include "platform/movies/editing/MovieEditing.h"
#include "platform/movies/objects/Session.h"

namespace platform::movies {

namespace {

MovieObject*& scrap() {
    static MovieObject* movie = nullptr;
    return movie;
}

}  // namespace

bool scrap_has_movie() { return scrap() && scrap()->model.header.duration > 0; }

MovieObject* scrap_movie() { return scrap(); }

void clear_scrap() {
    if (scrap()) (void)dispose_movie_object(scrap());
    scrap() = nullptr;
}

}  // namespace platform::movies

using namespace platform::movies;

OSErr PutMovieOnScrap(::Movie theMovie, SInt32 /*movieScrapFlags*/) {
    MovieObject* m = movie_of(theMovie);
    if (!m) return set_error(invalidMovie);
    auto copy = copy_movie_span(*m, 0, m->model.header.duration);
    if (!copy.ok()) return set_error(copy.code());
    clear_scrap();
    scrap() = *copy;
    return set_error(noErr);
}

::Movie NewMovieFromScrap(SInt32 newMovieFlags) {
    MovieObject* s = scrap_movie();
    if (!s) {
        set_error(noMovieFound);
        return nullptr;
    }
    auto copy = copy_movie_span(*s, 0, s->model.header.duration);
    if (!copy.ok()) {
        set_error(copy.code());
        return nullptr;
    }
    (*copy)->active = (newMovieFlags & newMovieActive) != 0;
    set_error(noErr);
    return to_api(*copy);
}
