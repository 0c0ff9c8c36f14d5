// MovieFiles.h — what writing a movie into a file needs, shared by the
// movie file calls and flattening.
#pragma once

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

// The movie as a file at `target_path` stores it: tracks without media
// left out, and when that file is not the movie's own, its data references
// remade as seen from there (the movie's own file becomes an alias to it,
// a file that is the target becomes a self reference).
Result<MovieModel> model_for_file(MovieObject& movie, const FileIdentity& target, const std::string& target_path);

// The File Manager file and absolute path of a reference number; with
// `for_writing`, wrPermErr when it was opened read-only.
struct OpenMovieFileRef {
    files::File* file = nullptr;
    std::string path;
};
Result<OpenMovieFileRef> open_movie_file_ref(SInt16 ref_num, bool for_writing);

}  // namespace platform::movies
