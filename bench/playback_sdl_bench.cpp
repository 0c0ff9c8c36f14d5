// playback_sdl_bench — a movie played in real time on the SDL host, for
// bench/playback-vs-ffmpeg.sh: how much processor time playing takes.
//
//   playback_sdl_bench [LAUNCH OPTIONS] MOVIE
//
// A Kinora program (the launch library reads the options, such as --screen,
// and picks the host: SDL on a display).
// It shows the movie in a window of its size and plays it once from start
// to end in an event loop shaped like the application's (WaitNextEvent with
// no sleep, updates drawn, MoviesTask on every pass). Prints
//   seconds S         wall-clock time of the play
//   cpu-percent P     user + system time of the whole process (the audio
//                     thread included) over S, in % of one core
//   host NAME
//   audio DESCRIPTION what played the sound ("SDL dummy driver ..." when
//                     there was no audio device)
//   frames-shown N    samples of the first video track that were on screen
//                     after some MoviesTask
//   frames-dropped D  samples of that track never shown (the player went
//                     past them before they were drawn); each is named on
//                     standard error
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/Movies.h"
#include "platform/QuickDraw.h"
#include "platform/Windows.h"
#include "platform/files/Catalog.h"
#include "platform/hostapi/Host.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"
#include "platform/sound/AudioOutput.h"

namespace {

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: playback_sdl_bench [LAUNCH OPTIONS] MOVIE\n");
        return 2;
    }
    const std::string path = argv[argc - 1];
    EnterMovies();
    FSSpec spec{};
    platform::files::make_fsspec(path, &spec);
    SInt16 ref = 0, resId = 0;
    Movie movie = nullptr;
    if (OpenMovieFile(&spec, &ref, fsRdPerm) != noErr ||
        NewMovieFromFile(&movie, ref, &resId, nullptr, newMovieActive, nullptr) != noErr) {
        std::fprintf(stderr, "playback_sdl_bench: cannot open %s\n", path.c_str());
        return 1;
    }
    CloseMovieFile(ref);

    Rect box;
    GetMovieBox(movie, &box);
    OffsetRect(&box, SInt16(-box.left), SInt16(-box.top));
    Rect bounds = box;
    OffsetRect(&bounds, 50, 50);
    WindowRef window = NewCWindow(nullptr, &bounds, reinterpret_cast<ConstStr255Param>("\x05Movie"), true, documentProc,
                                  reinterpret_cast<WindowRef>(-1), false, 0);
    SetGWorld(GetWindowPort(window), nullptr);
    SetMovieGWorld(movie, GetWindowPort(window), nullptr);
    SetMovieBox(movie, &box);

    platform::host::Host& host = platform::host::current();
    platform::movies::TrackObject* video = nullptr;
    for (platform::movies::TrackObject* t : platform::movies::movie_of(movie)->tracks_in_order())
        if (!video && t->has_media && t->data().media.type() == VideoMediaType) video = t;
    auto& player = platform::movies::playback::player_of(*platform::movies::movie_of(movie));
    std::set<UInt32> shown;
    EventRecord e;
    // One pass of the event loop: an update drawn, the movie served, the
    // frame then on screen noted.
    const auto pass = [&] {
        const bool got = WaitNextEvent(everyEvent, &e, 0, nullptr);
        if (got && e.what == updateEvt) {
            auto w = reinterpret_cast<WindowRef>(e.message);
            BeginUpdate(w);
            if (w == window) UpdateMovie(movie);
            EndUpdate(w);
        }
        MoviesTask(movie, 0);
        if (const auto* v = video ? player.video(video->id) : nullptr; v && v->sample() && v->placeholder().empty())
            shown.insert(v->sample());
        return got;
    };
    // As in the application, the window is up and its first frame drawn
    // before the movie starts: the window's first update is not charged to
    // the play.
    GoToBeginningOfMovie(movie);
    while (pass()) {
    }
    StartMovie(movie);
    const double wall0 = wall_seconds(), cpu0 = cpu_seconds();
    while (GetMovieRate(movie) != 0) {
        pass();
        if (wall_seconds() - wall0 > 60) break;
    }
    const double wall = wall_seconds() - wall0, cpu = cpu_seconds() - cpu0;
    platform::host::AudioOutput* audio = host.audio();
    std::printf("seconds %.2f\ncpu-percent %.2f\nhost %s\naudio %s\n", wall, 100.0 * cpu / wall, host.name(),
                audio ? audio->description().c_str() : "none");
    if (video) {
        const UInt32 samples = video->data().media.samples.sample_count();
        for (UInt32 i = 1; i <= samples; ++i)
            if (!shown.count(i)) std::fprintf(stderr, "sample %u was never shown\n", unsigned(i));
        std::printf("frames-shown %zu\nframes-dropped %zu\n", shown.size(), samples - std::min<size_t>(samples, shown.size()));
    }
    DisposeMovie(movie);
    DisposeWindow(window);
    return 0;
}
