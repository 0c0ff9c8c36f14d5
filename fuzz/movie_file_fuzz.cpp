// Fuzzes the movie file reader: arbitrary bytes as a movie file in memory.
// A file that reads must answer every lookup without fault, print, and
// write back into a movie that reads again and writes the same bytes.
#include <sstream>

#include "platform/movies/format/MovieFile.h"

using namespace platform;
using namespace platform::movies;

namespace {

void probe_samples(const SampleTable& t) {
    UInt32 n = t.sample_count();
    for (UInt32 s : {1u, n / 2, n}) {
        if (s == 0) continue;
        auto info = t.sample(s);
        if (!info.ok()) __builtin_trap();
        (void)t.sync_sample(s, true);
        (void)t.sync_sample(s, false);
    }
    for (UInt64 time : {UInt64(0), t.duration() / 3, t.duration() ? t.duration() - 1 : 0, t.duration()}) {
        (void)t.sample_at(time);
        (void)t.sample_shown_at(time);
        (void)t.shown_between(time, time + t.duration() / 2 + 1);
        for (bool forward : {true, false})
            for (bool edge_ok : {true, false}) {
                (void)t.next_edge(time, forward, edge_ok);
                (void)t.next_shown_edge(time, forward, edge_ok);
            }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(std::vector<UInt8>(data, data + size));
    auto contents = read_movie_file(file, /*follow_external=*/false);
    if (!contents.ok()) return 0;

    const MovieModel& movie = contents->movie;
    for (const Track& track : movie.tracks) {
        probe_samples(track.media.samples);
        for (const auto& d : track.media.descriptions.entries) {
            (void)VideoDescription::parse(d.bytes);
            (void)SoundDescription::parse(d.bytes);
        }
    }
    std::ostringstream sink;
    movie.dump(sink, false);

    auto first = movie.write();
    if (!first.ok()) return 0;   // e.g. a movie too large to write as one atom
    auto again = MovieModel::parse(ByteReader(std::span<const UInt8>(*first).subspan(8), invalidMovie));
    if (!again.ok()) __builtin_trap();
    auto second = again->write();
    if (!second.ok() || *second != *first) __builtin_trap();
    return 0;
}
