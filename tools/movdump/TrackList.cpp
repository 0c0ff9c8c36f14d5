// movdump --tracks: the movie as the application opens it.
#include "TrackList.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Movies.h"
#include "platform/core/FourCC.h"
#include "platform/movies/format/DataFile.h"

namespace movdump {

namespace {

std::string pascal(const unsigned char* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

// The movie through the toolbox calls the application itself makes.
}  // namespace

int print_tracks(const char* path) {
    EnterMovies();
    std::string abs = platform::movies::absolute_path(path).value_or(path);
    std::vector<unsigned char> name(abs.size() + 1);
    name[0] = UInt8(std::min<size_t>(abs.size(), 255));
    std::copy(abs.begin(), abs.begin() + name[0], name.begin() + 1);
    FSSpec spec{};
    OSErr err = FSMakeFSSpec(0, 0, name.data(), &spec);
    SInt16 ref = 0;
    if (err == noErr) err = OpenMovieFile(&spec, &ref, fsRdPerm);
    Movie movie = nullptr;
    SInt16 resId = 0;
    if (err == noErr) err = NewMovieFromFile(&movie, ref, &resId, nullptr, 0, nullptr);
    if (err != noErr) {
        if (ref) CloseMovieFile(ref);
        std::fprintf(stderr, "movdump: %s: cannot open the movie (error %d)\n", path, int(err));
        return 1;
    }
    Rect box;
    GetMovieBox(movie, &box);
    std::printf("movie: time scale %d, duration %d, box %dx%d, %d track(s)\n", int(GetMovieTimeScale(movie)),
                int(GetMovieDuration(movie)), box.right - box.left, box.bottom - box.top,
                int(GetMovieTrackCount(movie)));
    for (SInt32 i = 1; i <= GetMovieTrackCount(movie); ++i) {
        Track t = GetMovieIndTrack(movie, i);
        Media m = GetTrackMedia(t);
        if (!m) {
            std::printf("track %d: ID %d, no media\n", int(i), int(GetTrackID(t)));
            continue;
        }
        OSType type = 0;
        Str255 handler;
        GetMediaHandlerDescription(m, &type, handler, nullptr);
        Fixed w = 0, h = 0;
        GetTrackDimensions(t, &w, &h);
        std::printf("track %d: ID %d, '%s' (%s), %s, duration %d, media time scale %d, media duration %d, "
                    "%d sample(s), %d description(s), %dx%d, volume %.3f\n",
                    int(i), int(GetTrackID(t)), platform::fourcc_string(type).c_str(), pascal(handler).c_str(),
                    GetTrackEnabled(t) ? "enabled" : "disabled", int(GetTrackDuration(t)),
                    int(GetMediaTimeScale(m)), int(GetMediaDuration(m)), int(GetMediaSampleCount(m)),
                    int(GetMediaSampleDescriptionCount(m)), int(w >> 16), int(h >> 16), GetTrackVolume(t) / 256.0);
    }
    DisposeMovie(movie);
    CloseMovieFile(ref);
    return 0;
}

}  // namespace movdump
