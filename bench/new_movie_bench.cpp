// new_movie_bench — how long the New command takes to build its movie, in
// this process: drawing, compressing and adding the 70 frames, the sound
// track, the movie resource, closing the file. One build warms up (fonts,
// resources), the next is timed.
//
//   new_movie_bench DIR      prints the seconds of the timed build
#include <chrono>
#include <cstdio>

#include "AuthoringDouble.h"
#include "NewMovie.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: new_movie_bench DIR\n");
        return 2;
    }
    std::string path = std::string(argv[1]) + "/new-movie.mov";
    try {
        DisposeMovie(newmovie::create_new_movie(path));
        auto start = std::chrono::steady_clock::now();
        Movie movie = newmovie::create_new_movie(path);
        auto end = std::chrono::steady_clock::now();
        DisposeMovie(movie);
        std::printf("%.6f\n", std::chrono::duration<double>(end - start).count());
    } catch (const AuthoringFailure& e) {
        std::fprintf(stderr, "new_movie_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
