// Shared by the movie toolbox tests: movies made through the toolbox calls
// themselves, and looks at the bytes of the files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/Movies.h"
#include "platform/QuickDraw.h"
#include "platform/movies/format/MovieFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"
#include "tests/support/Process.h"

namespace tbtest {

using Bytes = std::vector<UInt8>;

using testsupport::read_bytes;
using testsupport::TempFolder;
using testsupport::write_bytes;

FSSpec spec_for(const std::string& path);

// The top-level atoms of a file, and the bytes of its first moov.
inline std::vector<platform::movies::TopAtom> layout(const std::string& path) {
    auto f = platform::movies::open_data_file(path, platform::movies::OpenMode::read);
    if (!f.ok()) return {};
    auto l = platform::movies::scan_movie_file(**f);
    return l.ok() ? l->atoms : std::vector<platform::movies::TopAtom>{};
}

inline Bytes first_moov(const std::string& path) {
    Bytes all = read_bytes(path);
    for (const auto& a : layout(path))
        if (a.type == platform::fourcc("moov")) return Bytes(all.begin() + long(a.offset), all.begin() + long(a.end()));
    return {};
}

inline size_t count_of(const std::string& path, const char (&type)[5]) {
    size_t n = 0;
    for (const auto& a : layout(path)) n += a.type == platform::fourcc(type);
    return n;
}

struct MovieSpec {
    int frames = 20;                  // 'rle ' frames of 32x16 at 8 bits, 60 units each at 600
    UInt32 sound_rate = 8000;         // 8-bit mono 'raw '
    UInt32 sound_samples = 8000 * 2;  // 0: no sound track
    std::string sound_file;           // when set, the sound samples go into this plain file
};

// Makes a movie file the way the New command does, through the toolbox:
// returns the movie (still open, its file closed); the caller disposes of it.
Movie make_movie(const std::string& path, const MovieSpec& spec = {});

// A new movie file at `path` (as the New command makes one); the caller
// adds tracks, then finish_movie writes it and closes the file.
Movie begin_movie(const std::string& path, SInt16* ref);
void finish_movie(Movie movie, SInt16 ref);

// A video track of frames lasting `durations` units at 600, each drawn by
// `paint(frame, world)` (frames counted from 1) into a world of `depth` bits
// and compressed with `codec`; its media from `from` for `length` units
// (-1: to its end) makes the track.
using Painter = std::function<void(int frame, GWorldPtr world)>;
void add_video_track(Movie movie, SInt16 width, SInt16 height, SInt16 depth, CodecType codec, const std::vector<TimeValue>& durations,
                     const Painter& paint, TimeValue from = 0, TimeValue length = -1);

// A sound track of `bytes` in `format` (a description with those fields),
// its media inserted in one edit played at `edit_rate`; with `external`,
// the samples go into that plain file instead of the movie's.
void add_sound_track(Movie movie, OSType format, SInt16 bits, SInt16 channels, UInt32 rate, const Bytes& bytes,
                     UInt32 frames, SInt16 volume = 0x100, Fixed edit_rate = 0x10000, const std::string& external = "");

Movie open_movie(const std::string& path, SInt16* ref, SInt8 permission = fsRdPerm);
// The movie of a file, its file closed again (nullptr when it does not open).
Movie read_movie(const std::string& path);

// Opens a movie file (read-write unless told otherwise) and reads its
// movie; closes both when it goes.
struct Opened {
    explicit Opened(const std::string& path, SInt8 permission = fsRdWrPerm);
    ~Opened();
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    SInt16 ref = 0;
    Movie movie = nullptr;
    OSErr err = noErr;
};

// Save As of a movie into `path` (FlattenMovieData with these flags and
// the New command's creation flags); the toolbox's error.
OSErr flatten_to(Movie movie, const std::string& path, SInt32 flags = 0x41);
// ffprobe reads the file's streams and ffmpeg decodes them without a word
// (true when neither is installed).
bool peer_clean(const std::string& path);

// Every sample of a media, read back one GetMediaSample at a time.
Bytes media_bytes(Media m);
// Every sample of every track of a movie, or of the movie in a file (empty
// when it does not open).
Bytes all_samples(Movie movie);
Bytes samples_of_file(const std::string& path);

}  // namespace tbtest
