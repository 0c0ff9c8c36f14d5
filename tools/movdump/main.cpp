// movdump — prints a movie file in readable form: the atom tree with
// offsets and sizes, then the movie and each track with its edit list,
// sample descriptions, sample table and user data.
//
//   movdump [--samples] FILE   also list every sample
//   movdump --check FILE       read and validate only; one line of summary
//   movdump --tracks FILE      open the movie as the application does
//                              (OpenMovieFile, NewMovieFromFile) and list
//                              its tracks as the movie toolbox reports them
//
// Exit status: 0 for a readable movie, 1 for a damaged one, 2 for usage.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "AtomDump.h"
#include "TrackList.h"
#include "platform/movies/format/MovieFile.h"

using namespace platform;
using namespace platform::movies;

namespace {

int usage() {
    std::fprintf(stderr, "usage: movdump [--samples | --check | --tracks] FILE\n");
    return 2;
}

int damaged(const char* path, const Error& e) {
    std::cout.flush();
    std::fprintf(stderr, "movdump: %s: damaged or unreadable movie file: %s (error %d)\n", path,
                 e.message, int(e.code));
    return 1;
}

void print_data_refs(const MovieFileContents& c) {
    for (size_t t = 0; t < c.data_refs.size(); ++t) {
        for (size_t i = 0; i < c.data_refs[t].size(); ++i) {
            const ResolvedDataRef& r = c.data_refs[t][i];
            std::cout << "track " << t + 1 << " data reference " << i + 1 << ": ";
            if (r.in_movie_file) std::cout << "the movie file";
            else if (r.found) std::cout << r.path << " (" << r.size << " bytes)";
            else std::cout << "not found (error " << r.error << ")";
            std::cout << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool samples = false, check = false, tracks = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--samples")) samples = true;
        else if (!std::strcmp(argv[i], "--check")) check = true;
        else if (!std::strcmp(argv[i], "--tracks")) tracks = true;
        else if (argv[i][0] == '-' || path) return usage();
        else path = argv[i];
    }
    if (!path || int(samples) + int(check) + int(tracks) > 1) return usage();
    std::ios::sync_with_stdio(false);
    if (tracks) return movdump::print_tracks(path);

    auto file = open_data_file(path, OpenMode::read);
    if (!file.ok()) {
        std::fprintf(stderr, "movdump: %s: cannot open: %s (error %d)\n", path, file.error().message,
                     int(file.code()));
        return 1;
    }

    if (check) {
        auto contents = read_movie_file(**file);
        if (!contents.ok()) return damaged(path, contents.error());
        UInt64 count = 0;
        for (const Track& t : contents->movie.tracks) count += t.media.samples.sample_count();
        std::cout << "ok: " << contents->movie.tracks.size() << " track(s), " << count << " sample(s)\n";
        return 0;
    }

    std::cout << "file " << (*file)->path() << ", " << (*file)->size().value_or(0) << " bytes\n";
    auto tree = movdump::print_atom_tree(std::cout, **file);
    if (!tree.ok()) return damaged(path, tree.error());
    auto contents = read_movie_file(**file);
    if (!contents.ok()) return damaged(path, contents.error());
    std::cout << "\n";
    contents->movie.dump(std::cout, samples);
    print_data_refs(*contents);
    return 0;
}
