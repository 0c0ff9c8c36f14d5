// Session.h — starting and ending the movie toolbox, making and disposing
// of movie objects.
#pragma once

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

OSErr enter_movies();
void exit_movies();

// A new, empty movie: time scale 600, preferred rate and volume 1.0,
// creation and modification times now. Active with newMovieActive.
MovieObject* new_movie_object(SInt32 flags);

// Finishes what the movie was writing (the open mdat of its file, a data
// file), then frees it and everything it handed out. Reports a failure to
// finish, but the movie is gone either way.
Result<void> dispose_movie_object(MovieObject* movie);

// Ends the movie's writing into its own file: the open mdat gets its size
// and the data reaches the disk.
Result<void> finish_storage(MovieObject& movie);

}  // namespace platform::movies
