// moviegen — writes a movie with a large sample table, for measuring how
// fast movie files open.
//
//   moviegen FILE SAMPLES
//
// One 'rle ' video track of SAMPLES frames, one frame per chunk, frame
// sizes of 1 to 7 bytes (unchanged frames to a decoder), a sync sample
// every 30 frames: the per-sample size, chunk offset and sync tables are
// all as long as they get.
#include <cstdio>
#include <cstdlib>

#include "platform/movies/format/MovieFile.h"

using namespace platform;
using namespace platform::movies;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: moviegen FILE SAMPLES\n");
        return 2;
    }
    unsigned long samples = std::strtoul(argv[2], nullptr, 10);
    auto file = open_data_file(argv[1], OpenMode::create);
    if (!file.ok()) {
        std::fprintf(stderr, "moviegen: %s\n", file.error().message);
        return 1;
    }
    auto writer = MovieFileWriter::create(**file);
    MovieModel m;
    Track t = Track::make(1, kVide, 600, 64 << 16, 48 << 16, 0);
    VideoDescription d;
    d.codec = fourcc("rle ");
    d.width = 64;
    d.height = 48;
    d.depth = 8;
    d.name = "Animation";
    t.media.descriptions.entries.push_back(d.write());

    // The data goes out in large writes; the table records each frame.
    std::vector<UInt8> block;
    UInt64 base = writer->append({}).value();
    for (unsigned long i = 0; i < samples; ++i) {
        UInt32 size = UInt32(1 + i % 7);
        UInt64 at = base + block.size();
        block.insert(block.end(), size, UInt8(i));
        auto r = t.media.samples.add_chunk(at, 1, size, 20, 1, i % 30 == 0);
        if (!r.ok()) {
            std::fprintf(stderr, "moviegen: %s\n", r.error().message);
            return 1;
        }
        if (block.size() >= (1u << 20) || i + 1 == samples) {
            auto w = writer->append(block);
            if (!w.ok()) {
                std::fprintf(stderr, "moviegen: %s\n", w.error().message);
                return 1;
            }
            base += block.size();
            block.clear();
        }
    }
    insert_whole_media(t, 600);
    m.tracks.push_back(std::move(t));
    m.header.next_track_id = 2;
    m.update_durations();
    auto moov = writer->append_movie(m, 0);
    if (!moov.ok()) {
        std::fprintf(stderr, "moviegen: %s\n", moov.error().message);
        return 1;
    }
    return 0;
}
