// Scrap.h — the movie scrap of this process.
//
// PutMovieOnScrap keeps a copy of the movie: its tracks by reference, so
// the scrap holds no sample data, only what points to it (and keeps the
// files it points to open). NewMovieFromScrap hands out a new copy of that
// each time. The scrap lives as long as the process; putting a movie on it
// replaces what it held.
#pragma once

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

// Whether the scrap holds a movie with something in it.
bool scrap_has_movie();
// The scrap's movie (null when empty); it stays the scrap's.
MovieObject* scrap_movie();
// Empties the scrap (tests).
void clear_scrap();

}  // namespace platform::movies
