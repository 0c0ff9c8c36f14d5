// The playing calls of the movie toolbox: StartMovie, StopMovie,
// MoviesTask and UpdateMovie (the time and rate calls in MovieCalls.cpp
// reach the same player).
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"

using namespace platform::movies;

void StartMovie(::Movie theMovie) {
    with_movie(theMovie, [](MovieObject& m) {
        // A movie whose preferred rate is 0 would never move: it plays at 1.
        Fixed rate = m.model.header.preferred_rate;
        playback::player_of(m).set_rate(rate ? rate : 0x10000);
    });
}

void StopMovie(::Movie theMovie) {
    with_movie(theMovie, [](MovieObject& m) { playback::player_of(m).set_rate(0); });
}

void MoviesTask(::Movie theMovie, SInt32 /*maxMilliSecToUse*/) {
    if (!theMovie) {
        // Every movie that plays or waits to be drawn.
        for (MovieObject* m : live_movies())
            if (m->player && m->active) m->player->task();
        set_error(noErr);
        return;
    }
    with_movie(theMovie, [](MovieObject& m) {
        if (m.active) playback::player_of(m).task();
    });
}

void UpdateMovie(::Movie theMovie) {
    with_movie(theMovie, [](MovieObject& m) { playback::player_of(m).invalidate(); });
}
