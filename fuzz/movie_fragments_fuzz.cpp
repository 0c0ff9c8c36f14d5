// Fuzzes fragmented movies: a fixed movie of two tracks (IDs 1 and 2) whose
// mvex body comes from the input, followed by the input's top-level atoms
// (moof, mdat, ...). Input: mvex body length u16, the mvex body, the rest.
// A file that reads must write back into a movie that reads the same, and
// saved in place it must read as the same movie again (the same atom).
#include "platform/movies/format/Fragments.h"

using namespace platform;
using namespace platform::movies;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t mvex_size = std::min<size_t>(load_u16be(data), size - 2);
    MovieModel m;
    for (UInt32 id : {1u, 2u}) {
        Track t = Track::make(id, fourcc("text"), 600, 0, 0, 0);
        const UInt8 entry[16] = {0, 0, 0, 16, 't', 'e', 'x', 't', 0, 0, 0, 0, 0, 0, 0, 1};
        t.media.descriptions.entries.push_back(SampleDescription{{entry, entry + 16}});
        m.tracks.push_back(t);
    }
    ByteWriter w;
    size_t mvex = begin_atom(w, kMvex);
    w.bytes(data + 2, mvex_size);
    if (!end_atom(w, mvex).ok()) return 0;
    m.kept.keep(kTrak, w.bytes());
    std::vector<UInt8> bytes = m.write().value();
    bytes.insert(bytes.end(), data + 2 + mvex_size, data + size);

    MemoryFile file(std::move(bytes));
    auto contents = read_movie_file(file, /*follow_external=*/false);
    if (!contents.ok()) return 0;
    const MovieModel& movie = contents->movie;
    auto first = movie.write();
    if (!first.ok()) return 0;
    auto again = MovieModel::parse(ByteReader(std::span<const UInt8>(*first).subspan(8), invalidMovie));
    if (is_fragmented(movie) || !again.ok() || again->write().value() != *first) __builtin_trap();

    if (!update_movie_file(file, movie).ok()) return 0;
    auto saved = read_movie_file(file, false);
    if (!saved.ok() || saved->movie.write().value() != *first) __builtin_trap();
    return 0;
}
