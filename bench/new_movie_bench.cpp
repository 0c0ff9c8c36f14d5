// new_movie_bench — how long the New command takes to build its movie, in
// this process: drawing, compressing and adding the 70 frames, the sound
// track, the movie resource, closing the file. Three builds warm up (fonts,
// glyphs, resources, the allocator), the next is timed.
//
//   new_movie_bench DIR [RUNS]   prints the seconds of the timed build (the
//                                fastest of RUNS, default 1)
#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "AuthoringDouble.h"
#include "NewMovie.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: new_movie_bench DIR [RUNS]\n");
        return 2;
    }
    int runs = argc == 3 ? std::atoi(argv[2]) : 1;
    std::string path = std::string(argv[1]) + "/new-movie.mov";
    try {
        for (int i = 0; i < 3; ++i) DisposeMovie(newmovie::create_new_movie(path));
        double best = 1e9;
        for (int i = 0; i < std::max(runs, 1); ++i) {
            auto start = std::chrono::steady_clock::now();
            Movie movie = newmovie::create_new_movie(path);
            auto end = std::chrono::steady_clock::now();
            DisposeMovie(movie);
            best = std::min(best, std::chrono::duration<double>(end - start).count());
        }
        std::printf("%.6f\n", best);
    } catch (const AuthoringFailure& e) {
        std::fprintf(stderr, "new_movie_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
