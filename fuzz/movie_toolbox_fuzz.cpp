// Fuzzes the movie toolbox on arbitrary bytes as a movie file: open it the
// way the application does (OpenMovieFile, NewMovieFromFile), ask every
// kind of question the system asks, cut, copy and paste a span the input's
// first bytes choose, save it back into itself, and flatten it when its
// samples are few enough to copy.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Memory.h"
#include "platform/Movies.h"
#include "platform/files/Catalog.h"
#include "platform/movies/format/MovieFile.h"

namespace {

// A folder of this process's own in memory when there is /dev/shm, removed
// when the fuzzer exits.
std::string folder() {
    // Never destroyed, so the exit handler can still read it.
    static const std::string* f = [] {
        std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
        auto* path = new std::string(base + "/kinora-mtb-fuzz-XXXXXX");
        if (!mkdtemp(path->data())) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(*f, ec);
        });
        return path;
    }();
    return *f;
}

FSSpec spec_for(const std::string& path) {
    FSSpec spec{};
    platform::files::make_fsspec(path, &spec);
    return spec;
}

// Sample bytes a flatten would copy (chunks may share bytes, so this can be
// far more than the file holds).
UInt64 bytes_to_copy(const uint8_t* data, size_t size) {
    platform::movies::MemoryFile file(std::vector<UInt8>(data, data + size));
    auto c = platform::movies::read_movie_file(file, false);
    if (!c.ok()) return 0;
    UInt64 total = 0;
    for (const auto& t : c->movie.tracks)
        (void)t.media.samples.for_each_chunk([&](const platform::movies::SampleTable::ChunkInfo& ch) {
            total += ch.bytes + ch.samples;   // sizes, and framed sound at most one byte a sample more
            return platform::ok();
        });
    return total;
}

void ask(Movie movie) {
    Rect box;
    GetMovieBox(movie, &box);
    GetMovieNaturalBoundsRect(movie, &box);
    (void)GetMovieDuration(movie);
    (void)GetMovieIndTrackType(movie, 1, AudioMediaCharacteristic, movieTrackCharacteristic | movieTrackEnabledOnly);
    (void)GetMovieIndTrackType(movie, 2, VideoMediaType, movieTrackMediaType);
    UserData movie_ud = GetMovieUserData(movie);
    UInt32 item = 0;
    (void)GetUserDataItem(movie_ud, &item, 4, 'WLOC', 0);
    for (OSType type = GetNextUserDataType(movie_ud, 0); type; type = GetNextUserDataType(movie_ud, type)) (void)CountUserDataType(movie_ud, type);
    Handle h = NewHandle(0), desc = NewHandle(0);
    for (SInt32 i = 1; i <= GetMovieTrackCount(movie) && i <= 8; ++i) {
        Track track = GetMovieIndTrack(movie, i);
        Media media = GetTrackMedia(track);
        if (!media) continue;
        Str255 name;
        (void)MediaGetName(GetMediaHandler(media), name, 0, nullptr);
        (void)GetUserData(GetTrackUserData(track), h, 'name', 1);
        for (OSType type = GetNextTrackReferenceType(track, 0); type; type = GetNextTrackReferenceType(track, type))
            (void)GetTrackReference(track, type, 1);
        TimeValue duration = GetMediaDuration(media);
        for (TimeValue t : {TimeValue(0), duration / 2, duration - 1}) {
            SInt32 size = 0;
            if (GetMediaSample(media, nullptr, 0, &size, t, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr) != noErr) continue;
            if (size <= (1 << 20))
                (void)GetMediaSample(media, h, 0, nullptr, t, nullptr, nullptr, (SampleDescriptionHandle)desc, nullptr, 0, nullptr, nullptr);
        }
        TimeValue at = 0;
        SInt16 flags = nextTimeMediaSample | nextTimeEdgeOK;
        for (int step = 0; step < 64 && at >= 0; ++step) {
            GetTrackNextInterestingTime(track, flags, at, 0x10000, &at, nullptr);
            flags = nextTimeStep;
        }
        GetTrackNextInterestingTime(track, nextTimeMediaSample, GetMovieDuration(movie), -0x10000, &at, nullptr);
    }
    DisposeHandle(h), DisposeHandle(desc);
}

// A span of the movie from two of the input's bytes: copied to a third
// place, then cut; every track's edits and tables change.
void edit(Movie movie, const uint8_t* data, size_t size) {
    if (size < 3) return;
    const SInt64 duration = GetMovieDuration(movie);
    auto at = [&](uint8_t b) { return TimeValue(duration * b / 255); };
    SetMovieSelection(movie, at(data[0]), at(data[1]) - std::min(at(data[0]), at(data[1])));
    if (Movie clip = CopyMovieSelection(movie)) SetMovieSelection(movie, at(data[2]), 0), PasteMovieSelection(movie, clip), DisposeMovie(clip);
    SetMovieSelection(movie, at(data[1]), at(data[2]) / 2);
    if (Movie cut = CutMovieSelection(movie)) DisposeMovie(cut);
    ask(movie);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool entered = (EnterMovies(), true);
    (void)entered;
    const std::string path = folder() + "/input.mov";
    if (FILE* f = std::fopen(path.c_str(), "wb")) std::fwrite(data, 1, size, f), std::fclose(f);
    FSSpec spec = spec_for(path);
    SInt16 ref = 0;
    if (OpenMovieFile(&spec, &ref, fsRdWrPerm) != noErr) return 0;
    Movie movie = nullptr;
    SInt16 resId = 0;
    if (NewMovieFromFile(&movie, ref, &resId, nullptr, newMovieDontResolveDataRefs, nullptr) == noErr) {
        ask(movie);
        edit(movie, data, size);
        if (bytes_to_copy(data, size) <= (UInt64(4) << 20)) {
            FSSpec flat = spec_for(folder() + "/flat.mov");
            Movie copy = FlattenMovieData(movie, 0x41, &flat, 'TVOD', smSystemScript, 0x90000000);
            if (copy) ask(copy), DisposeMovie(copy);
        }
        (void)UpdateMovieResource(movie, ref, movieInDataForkResID, nullptr);
        DisposeMovie(movie);
    }
    CloseMovieFile(ref);
    return 0;
}
