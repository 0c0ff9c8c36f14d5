// export_bench — Movie > Export of a movie file, as the application does it.
//
//   export_bench SRC DST    opens SRC and exports it to DST (an .mp4);
//                           prints the seconds ConvertMovieToFile took
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/Movies.h"
#include "platform/files/Catalog.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: export_bench SRC DST\n");
        return 2;
    }
    EnterMovies();
    FSSpec in{}, out{};
    platform::files::make_fsspec(argv[1], &in);
    platform::files::make_fsspec(argv[2], &out);
    SInt16 ref = 0, resId = 0;
    Movie movie = nullptr;
    if (OpenMovieFile(&in, &ref, fsRdPerm) != noErr || NewMovieFromFile(&movie, ref, &resId, nullptr, 0, nullptr) != noErr) {
        std::fprintf(stderr, "export_bench: cannot open %s\n", argv[1]);
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const OSErr err = ConvertMovieToFile(movie, nullptr, &out, kQTFileTypeMP4, sigMoviePlayer, smSystemScript, nullptr,
                                         createMovieFileDeleteCurFile, nullptr);
    const auto end = std::chrono::steady_clock::now();
    if (err != noErr) {
        std::fprintf(stderr, "export_bench: error %d\n", int(err));
        return 1;
    }
    std::printf("%.6f\n", std::chrono::duration<double>(end - start).count());
    DisposeMovie(movie);
    CloseMovieFile(ref);
    return 0;
}
