// video_play_bench — movies of decoder-backed video (H.264, HEVC, ...)
// played and sought on the headless host, for bench/codecs-vs-ffmpeg.sh.
//
//   video_play_bench play MOVIE         plays the movie once, as fast as the
//                                       player keeps up: the virtual clock is
//                                       moved a little less than one frame at
//                                       a time, so every frame is decoded,
//                                       converted and drawn into a 32-bit
//                                       world of the movie's size. Prints
//                                       "frames N" (frames of the first video
//                                       track shown), "decoded D" (frames out
//                                       of the decoder), "cpu-seconds S" (user +
//                                       system of the whole process, decoder
//                                       threads included) and "fps F".
//   video_play_bench seek MOVIE COUNT   COUNT seeks to random times (fixed
//                                       seed) of a stopped movie, each until
//                                       the frame of that time is drawn.
//                                       Prints "seek-ms-median M" (wall
//                                       clock), "seek-cpu-ms-median C",
//                                       "seek-frames-median F" (frames out of
//                                       the decoder) and
//                                       "seek-wrong W" (seeks after which the
//                                       wrong or no frame was shown).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/Movies.h"
#include "platform/QuickDraw.h"
#include "platform/files/Catalog.h"
#include "platform/hostapi/Host.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"

using namespace platform;

namespace {

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int fail(const char* what, int err) {
    std::fprintf(stderr, "video_play_bench: %s failed (%d)\n", what, err);
    return 1;
}

struct Opened {
    Movie movie = nullptr;
    GWorldPtr world = nullptr;
    movies::TrackObject* video = nullptr;
};

Opened open(const std::string& path) {
    Opened o;
    EnterMovies();
    FSSpec spec{};
    files::make_fsspec(path, &spec);
    SInt16 ref = 0, resId = 0;
    if (OpenMovieFile(&spec, &ref, fsRdPerm) != noErr) return o;
    NewMovieFromFile(&o.movie, ref, &resId, nullptr, newMovieActive, nullptr);
    CloseMovieFile(ref);
    if (!o.movie) return o;
    for (movies::TrackObject* t : movies::movie_of(o.movie)->tracks_in_order())
        if (t->has_media && t->data().media.type() == VideoMediaType) {
            o.video = t;
            break;
        }
    Rect box;
    GetMovieBox(o.movie, &box);
    if (NewGWorld(&o.world, 32, &box, nullptr, nullptr, 0) != noErr) return o;
    LockPixels(GetGWorldPixMap(o.world));
    SetMovieGWorld(o.movie, o.world, nullptr);
    return o;
}

// The shortest sample of the track, in milliseconds of movie time.
UInt64 frame_ms(const Opened& o) {
    const auto& media = o.video->data().media;
    const auto& table = media.samples;
    UInt64 shortest = UInt64(media.header.time_scale);   // one second
    for (UInt32 s = 1; s + 1 <= table.sample_count(); ++s) {
        const SInt64 d = SInt64(table.sample_time(s + 1)) - SInt64(table.sample_time(s));
        if (d > 0) shortest = std::min<UInt64>(shortest, UInt64(d));
    }
    return std::max<UInt64>(1, shortest * 1000 / std::max<UInt32>(media.header.time_scale, 1));
}

int play(const std::string& path) {
    auto* host = new host::HeadlessHost(host::HeadlessHost::Clock::Virtual);
    host::install_for_testing(std::unique_ptr<host::Host>(host));
    Opened o = open(path);
    if (!o.movie || !o.world || !o.video) return fail("opening the movie", GetMoviesError());
    const UInt64 step = frame_ms(o);
    auto& player = movies::playback::player_of(*movies::movie_of(o.movie));
    std::set<UInt32> shown;
    const double cpu0 = cpu_seconds();
    GoToBeginningOfMovie(o.movie);
    MoviesTask(o.movie, 0);
    StartMovie(o.movie);
    while (GetMovieRate(o.movie) != 0) {
        host->advance(step);
        MoviesTask(o.movie, 0);
        const auto* v = player.video(o.video->id);
        if (v && v->sample() && v->placeholder().empty()) shown.insert(v->sample());
    }
    const double cpu = cpu_seconds() - cpu0;
    const auto* v = player.video(o.video->id);
    std::printf("frames %zu\nsamples %u\ndecoded %llu\ncpu-seconds %.3f\nfps %.1f\n", shown.size(),
                o.video->data().media.samples.sample_count(), v ? static_cast<unsigned long long>(v->decoded()) : 0ull,
                cpu, double(shown.size()) / cpu);
    DisposeMovie(o.movie);
    DisposeGWorld(o.world);
    return 0;
}

int seek(const std::string& path, int count) {
    auto* host = new host::HeadlessHost(host::HeadlessHost::Clock::Virtual);
    host::install_for_testing(std::unique_ptr<host::Host>(host));
    Opened o = open(path);
    if (!o.movie || !o.world || !o.video) return fail("opening the movie", GetMoviesError());
    auto& player = movies::playback::player_of(*movies::movie_of(o.movie));
    const TimeValue duration = GetMovieDuration(o.movie);
    std::mt19937 random(20240601);
    std::uniform_int_distribution<TimeValue> pick(0, std::max<TimeValue>(duration - 1, 0));
    MoviesTask(o.movie, 0);
    std::vector<double> wall, cpu, frames;
    int wrong = 0;
    for (int i = 0; i < count; ++i) {
        const TimeValue t = pick(random);
        const auto* before = player.video(o.video->id);
        const UInt64 decoded0 = before ? before->decoded() : 0;
        const double w0 = wall_seconds(), c0 = cpu_seconds();
        SetMovieTimeValue(o.movie, t);
        MoviesTask(o.movie, 0);
        wall.push_back((wall_seconds() - w0) * 1000);
        cpu.push_back((cpu_seconds() - c0) * 1000);
        const auto* v = player.video(o.video->id);
        frames.push_back(v ? double(v->decoded() - decoded0) : 0);
        if (!v || !v->placeholder().empty() || v->sample() != movies::playback::sample_at_movie_time(*o.video, t))
            ++wrong;
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    std::printf("seek-ms-median %.1f\nseek-cpu-ms-median %.1f\nseek-frames-median %.0f\nseek-wrong %d\n", median(wall),
                median(cpu), median(frames), wrong);
    DisposeMovie(o.movie);
    DisposeGWorld(o.world);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "play" && argc == 3) return play(argv[2]);
    if (mode == "seek" && argc == 4) return seek(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: video_play_bench play MOVIE | seek MOVIE COUNT\n");
    return 2;
}
