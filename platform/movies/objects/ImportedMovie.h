// ImportedMovie.h — a sound file (WAV, AIFF, AIFF-C) read as a movie.
//
// The movie has one sound track whose media refers to the samples in the
// file itself: nothing is copied. The movie is marked imported, so nothing
// is ever written into the sound file (UpdateMovieResource refuses); Save
// As flattens it into a real movie file.
#pragma once

#include <optional>

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

// Whether the file's first bytes announce a sound file.
Result<bool> is_sound_file(const files::File& file);

// The movie of a sound file open as `ref_num` at `path`; the importers'
// result codes for a damaged or unsupported one.
Result<MovieObject*> movie_from_sound_file(const files::File& file, const std::string& path, SInt16 ref_num,
                                           SInt16 flags);

}  // namespace platform::movies
