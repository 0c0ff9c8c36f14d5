// The movie the New command builds, made by the system's own authoring code
// (the video and sound modules and the flattening step), and the frames it
// draws, drawn again here for comparison.
#pragma once

#include <string>
#include <vector>

#include "platform/Movies.h"

namespace newmovie {

inline constexpr int kWidth = 320;
inline constexpr int kHeight = 100;
inline constexpr int kFrames = 70;

struct Paths {
    std::string movie;   // DIR/new-movie.mov
    std::string flat;    // DIR/new-movie-flat.mov
};

// CreateMovieFile with the New command's flags, the video track, the sound
// track from the application's 'snd ' 128 (build/Kinora.rsrc), AddMovieResource
// with ID -1 and the name "MovieFile.mov", CloseMovieFile. Returns the movie
// (its file closed) for the caller to dispose of. Throws AuthoringFailure
// with the message of a failed call.
Movie create_new_movie(const std::string& path);
// The Save As step (QTSave_FlattenMovie) of that movie into `path`.
void flatten_new_movie(Movie movie, const std::string& path);
// Both, into DIR/new-movie.mov and DIR/new-movie-flat.mov.
Paths build(const std::string& dir);

// Frame `n` (1...70) as the video module draws it, in RGB (3 bytes a pixel,
// rows top to bottom) through the standard 8-bit colour table.
std::vector<UInt8> drawn_frame_rgb(int n);

// The sample rate of the application's 'snd ' 128 and its sample count.
struct SoundFacts {
    UInt32 rate_fixed = 0;   // 16.16
    UInt32 samples = 0;
};
SoundFacts application_sound();

}  // namespace newmovie
