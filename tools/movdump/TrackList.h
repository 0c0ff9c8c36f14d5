// TrackList.h — movdump --tracks: opens a movie file through the movie
// toolbox calls the application makes (OpenMovieFile, NewMovieFromFile)
// and prints the movie and each of its tracks. Returns the exit status.
#pragma once

namespace movdump {

int print_tracks(const char* path);

}  // namespace movdump
