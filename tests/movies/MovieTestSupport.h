// Shared by the movie format tests: the standard two-track test movie and
// a way to find an atom in a file's bytes.
#pragma once

#include <string>
#include <vector>

#include "platform/movies/format/MovieFile.h"

namespace movietest {

using namespace platform;
using namespace platform::movies;

constexpr UInt32 kVideoFrames = 70;
constexpr UInt32 kSoundRate = 22050;

// Sample bytes that differ from frame to frame.
inline std::vector<UInt8> frame_bytes(UInt32 frame, size_t size) {
    std::vector<UInt8> b(size);
    for (size_t i = 0; i < size; ++i) b[i] = UInt8(frame * 31 + i * 7);
    return b;
}

inline VideoDescription rle_description() {
    VideoDescription v;
    v.codec = fourcc("rle "), v.vendor = fourcc("Knra"), v.temporal_quality = v.spatial_quality = 0x200;
    v.width = 320, v.height = 100, v.name = "Animation", v.depth = 8, v.clut_id = -1;
    return v;
}

inline SoundDescription raw_sound_description() {
    SoundDescription s;
    s.format = kSoundRaw, s.channels = 1, s.sample_size = 8, s.sample_rate = kSoundRate << 16;
    return s;
}

// A movie of one 8-bit 8000 Hz sound track whose chunks are at these
// offsets and hold these many samples.
inline MovieModel sound_movie(std::initializer_list<std::pair<UInt64, UInt32>> chunks) {
    MovieModel m;
    Track t = Track::make(1, kSoun, 8000, 0, 0, 0x100);
    t.media.descriptions.entries.push_back(raw_sound_description().write());
    for (auto [offset, samples] : chunks) (void)t.media.samples.add_chunk(offset, samples, 1, 1, 1, true);
    m.tracks.push_back(std::move(t));
    m.update_durations();
    return m;
}

// The movie of the New command in shape: 70 video samples of 60 units at
// 600 ('rle ', made-up bytes), then `sound_samples` 8-bit samples of 1 unit
// at 22050 in one chunk. Returns the whole file.
inline std::vector<UInt8> standard_movie_file(UInt32 sound_samples, MovieModel* out_movie = nullptr) {
    MemoryFile file;
    auto writer = MovieFileWriter::create(file).value();
    MovieModel movie;
    movie.header.time_scale = 600;
    Track video = Track::make(1, kVide, 600, 320 << 16, 100 << 16, 0);
    video.media.descriptions.entries.push_back(rle_description().write());
    for (UInt32 f = 1; f <= kVideoFrames; ++f) {
        auto bytes = frame_bytes(f, 100 + f);
        UInt64 at = writer.append(bytes).value();
        (void)video.media.samples.add_chunk(at, 1, UInt32(bytes.size()), 60, 1, true);
    }
    insert_whole_media(video, 600);
    movie.tracks.push_back(std::move(video));

    Track sound = Track::make(2, kSoun, kSoundRate, 0, 0, 0x100);
    sound.media.descriptions.entries.push_back(raw_sound_description().write());
    auto pcm = frame_bytes(0, sound_samples);
    UInt64 at = writer.append(pcm).value();
    (void)sound.media.samples.add_chunk(at, sound_samples, 1, 1, 1, true);
    insert_whole_media(sound, 600);
    movie.tracks.push_back(std::move(sound));

    movie.header.next_track_id = 3;
    movie.update_durations();
    (void)writer.append_movie(movie, 0).value();
    if (out_movie) *out_movie = movie;
    return file.bytes();
}

// Offset of the first atom along a path such as "moov/trak/mdia", or
// SIZE_MAX. Each step searches the children of the previous one.
inline size_t find_atom(const std::vector<UInt8>& bytes, const std::string& path, size_t nth_trak = 0) {
    size_t begin = 0, end = bytes.size();
    size_t found = SIZE_MAX;
    for (size_t i = 0; i < path.size(); i += 5) {
        OSType want = load_u32be(path.data() + i);
        size_t skip = (want == kTrak) ? nth_trak : 0;
        found = SIZE_MAX;
        for (size_t at = begin; at + 8 <= end;) {
            size_t size = load_u32be(&bytes[at]);
            if (size < 8 || at + size > end) return SIZE_MAX;
            if (load_u32be(&bytes[at + 4]) == want && skip-- == 0) {
                found = at;
                break;
            }
            at += size;
        }
        if (found == SIZE_MAX) return SIZE_MAX;
        begin = found + 8;
        end = found + load_u32be(&bytes[found]);
    }
    return found;
}

inline Result<MovieFileContents> read_bytes(const std::vector<UInt8>& bytes) {
    MemoryFile file(bytes);
    return read_movie_file(file);
}

}  // namespace movietest
