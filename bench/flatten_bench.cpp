// flatten_bench — Save As of a large movie.
//
//   flatten_bench make FILE MIB    writes a movie of MIB MiB of samples: one
//                                  track of 4 MiB 'raw ' frames, and sound
//   flatten_bench flatten SRC DST  opens SRC as the application does and
//                                  flattens it into DST; prints the seconds
//                                  FlattenMovieData took (it syncs the copy)
//   flatten_bench save FILE        opens FILE for writing, changes its preferred
//                                  volume and saves it in place; prints the
//                                  seconds UpdateMovieResource took
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Movies.h"
#include "platform/files/Catalog.h"
#include "platform/movies/format/MovieFile.h"

namespace mv = platform::movies;

namespace {

int make(const char* path, unsigned long mib) {
    auto file = mv::open_data_file(path, mv::OpenMode::create);
    if (!file.ok()) return 1;
    auto writer = mv::MovieFileWriter::create(**file).value();
    mv::MovieModel m;
    mv::Track video = mv::Track::make(1, mv::kVide, 600, 1024 << 16, 1024 << 16, 0);
    mv::VideoDescription d;
    d.codec = platform::fourcc("raw ");
    d.width = 1024;
    d.height = 1024;
    d.depth = 32;
    d.name = "None";
    video.media.descriptions.entries.push_back(d.write());
    mv::Track sound = mv::Track::make(2, mv::kSoun, 22050, 0, 0, 0x100);
    mv::SoundDescription s;
    s.sample_rate = 22050u << 16;
    sound.media.descriptions.entries.push_back(s.write());

    std::vector<UInt8> frame(size_t(4) << 20), pcm(22050 / 10);
    UInt64 x = 88172645463325252ull;
    for (unsigned long i = 0; i < mib / 4; ++i) {
        for (size_t j = 0; j < frame.size(); j += 8) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            std::memcpy(&frame[j], &x, 8);
        }
        UInt64 at = writer.append(frame).value();
        (void)video.media.samples.add_chunk(at, 1, UInt32(frame.size()), 60, 1, true);
        std::memset(pcm.data(), int(i), pcm.size());
        at = writer.append(pcm).value();
        (void)sound.media.samples.add_chunk(at, UInt32(pcm.size()), 1, 1, 1, true);
    }
    mv::insert_whole_media(video, 600);
    mv::insert_whole_media(sound, 600);
    m.tracks.push_back(std::move(video));
    m.tracks.push_back(std::move(sound));
    m.header.next_track_id = 3;
    m.update_durations();
    return writer.append_movie(m, 0).ok() ? 0 : 1;
}

FSSpec spec_for(const std::string& path) {
    FSSpec spec{};
    platform::files::make_fsspec(path, &spec);
    return spec;
}

int flatten(const char* src, const char* dst) {
    EnterMovies();
    FSSpec in = spec_for(src), out = spec_for(dst);
    SInt16 ref = 0;
    Movie movie = nullptr;
    SInt16 resId = 0;
    if (OpenMovieFile(&in, &ref, fsRdPerm) != noErr || NewMovieFromFile(&movie, ref, &resId, nullptr, 0, nullptr) != noErr)
        return 1;
    auto start = std::chrono::steady_clock::now();
    Movie copy = FlattenMovieData(movie, 0x41, &out, 'TVOD', smSystemScript, 0x90000000);
    auto end = std::chrono::steady_clock::now();
    if (!copy) {
        std::fprintf(stderr, "flatten_bench: error %d\n", int(GetMoviesError()));
        return 1;
    }
    std::printf("%.6f\n", std::chrono::duration<double>(end - start).count());
    DisposeMovie(copy);
    DisposeMovie(movie);
    CloseMovieFile(ref);
    return 0;
}

int save(const char* path) {
    EnterMovies();
    FSSpec spec = spec_for(path);
    SInt16 ref = 0;
    Movie movie = nullptr;
    SInt16 resId = 0;
    if (OpenMovieFile(&spec, &ref, fsRdWrPerm) != noErr ||
        NewMovieFromFile(&movie, ref, &resId, nullptr, 0, nullptr) != noErr)
        return 1;
    SetMoviePreferredVolume(movie, SInt16(GetMoviePreferredVolume(movie) == 0x100 ? 0xC0 : 0x100));
    auto start = std::chrono::steady_clock::now();
    const OSErr err = UpdateMovieResource(movie, ref, resId, nullptr);
    auto end = std::chrono::steady_clock::now();
    DisposeMovie(movie);
    CloseMovieFile(ref);
    if (err != noErr) {
        std::fprintf(stderr, "flatten_bench: error %d\n", int(err));
        return 1;
    }
    std::printf("%.6f\n", std::chrono::duration<double>(end - start).count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !std::strcmp(argv[1], "make")) return make(argv[2], std::strtoul(argv[3], nullptr, 10));
    if (argc == 4 && !std::strcmp(argv[1], "flatten")) return flatten(argv[2], argv[3]);
    if (argc == 3 && !std::strcmp(argv[1], "save")) return save(argv[2]);
    std::fprintf(stderr, "usage: flatten_bench make FILE MIB | flatten SRC DST | save FILE\n");
    return 2;
}
