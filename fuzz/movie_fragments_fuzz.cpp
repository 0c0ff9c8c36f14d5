// Fuzzes fragmented movies: a fixed movie of two tracks (IDs 1 and 2) whose
// mvex body comes from the input, followed by the input's top-level atoms
// (moof, mdat, ...). Input: mvex body length u16, the mvex body, the rest.
// A file that reads must write back into a movie that reads the same, and
// saved in place it must read as the same movie again (the same atom).
#include <cstdio>

#include "platform/movies/format/Fragments.h"

// Stops the run, naming the property that failed.
#define MUST(condition)                                                                \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "failed: %s\n", #condition);                          \
            __builtin_trap();                                                          \
        }                                                                              \
    } while (0)

using namespace platform;
using namespace platform::movies;

namespace {

std::vector<UInt8> head_with(std::span<const UInt8> mvex_body) {
    MovieModel m;
    m.header.next_track_id = 3;
    Track video = Track::make(1, kVide, 600, 64 << 16, 48 << 16, 0);
    VideoDescription v;
    v.codec = fourcc("raw ");
    v.width = 64;
    v.height = 48;
    v.depth = 24;
    video.media.descriptions.entries.push_back(v.write());
    Track sound = Track::make(2, kSoun, 8000, 0, 0, 0x100);
    SoundDescription s;
    s.format = kSoundRaw;
    s.channels = 1;
    s.sample_size = 8;
    s.sample_rate = 8000u << 16;
    sound.media.descriptions.entries.push_back(s.write());
    m.tracks = {video, sound};
    ByteWriter mvex;
    size_t at = begin_atom(mvex, kMvex);
    mvex.bytes(mvex_body);
    if (!end_atom(mvex, at).ok()) return {};
    m.kept.keep(kTrak, mvex.bytes());

    ByteWriter out;
    (void)FileType{}.write(out);
    if (!m.write(out).ok()) return {};
    return out.take();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t mvex_size = std::min<size_t>(load_u16be(data), size - 2);
    std::vector<UInt8> bytes = head_with(std::span(data + 2, mvex_size));
    if (bytes.empty()) return 0;
    bytes.insert(bytes.end(), data + 2 + mvex_size, data + size);

    MemoryFile file(std::move(bytes));
    auto contents = read_movie_file(file, /*follow_external=*/false);
    if (!contents.ok()) return 0;
    const MovieModel& movie = contents->movie;
    MUST(!is_fragmented(movie));
    for (const Track& t : movie.tracks) {
        const SampleTable& table = t.media.samples;
        if (table.sample_count() == 0) continue;
        for (UInt32 n : {1u, table.sample_count()}) MUST(table.sample(n).ok());
    }

    auto first = movie.write();
    if (!first.ok()) return 0;
    auto again = MovieModel::parse(ByteReader(std::span<const UInt8>(*first).subspan(8), invalidMovie));
    MUST(again.ok());
    auto second = again->write();
    MUST(second.ok() && *second == *first);

    if (!update_movie_file(file, movie).ok()) return 0;
    auto saved = read_movie_file(file, false);
    MUST(saved.ok());
    auto third = saved->movie.write();
    MUST(third.ok() && *third == *first);
    return 0;
}
