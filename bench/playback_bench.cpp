// playback_bench — decoding and playing a large Animation movie, for
// bench/playback-vs-ffmpeg.sh.
//
//   playback_bench make FILE W H N      a movie of N 32-bit Animation key frames
//                                        (natural-looking pictures), 10 a second
//   playback_bench decode FILE          our decoder alone: every frame, already
//                                        in memory, into one 32-bit buffer; prints
//                                        "fps F" (best of three passes)
//   (both count processor time, not wall-clock time)
//   playback_bench play FILE            the headless player, virtual clock, every
//                                        frame decoded and drawn into a 32-bit
//                                        world of the movie's size, the clock
//                                        moved one frame at a time as fast as
//                                        the player keeps up; prints "fps F" and
//                                        "frames N" (frames the player decoded)
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchFrames.h"
#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/Movies.h"
#include "platform/codecs/Codec.h"
#include "platform/files/Catalog.h"
#include "platform/hostapi/Host.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"

using namespace platform;

namespace {

// Processor time of this process: other work on a shared machine does not
// count against us.
double now_seconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

FSSpec spec_for(const std::string& path) {
    FSSpec spec{};
    platform::files::make_fsspec(path, &spec);
    return spec;
}

int fail(const char* what, int err) {
    std::fprintf(stderr, "playback_bench: %s failed (%d)\n", what, err);
    return 1;
}

int make(const std::string& path, SInt16 w, SInt16 h, int n) {
    EnterMovies();
    FSSpec spec = spec_for(path);
    Movie movie = nullptr;
    SInt16 ref = 0;
    if (OSErr e = CreateMovieFile(&spec, sigMoviePlayer, smCurrentScript, 0x90000001, &ref, &movie)) return fail("CreateMovieFile", e);
    Track track = NewMovieTrack(movie, Fixed(w) << 16, Fixed(h) << 16, kNoVolume);
    Media media = NewTrackMedia(track, VideoMediaType, 600, nullptr, 0);
    BeginMediaEdits(media);
    Rect r{0, 0, h, w};
    GWorldPtr world = nullptr;
    if (OSErr e = NewGWorld(&world, 32, &r, nullptr, nullptr, 0)) return fail("NewGWorld", e);
    PixMapHandle pm = GetGWorldPixMap(world);
    LockPixels(pm);
    SInt32 max = 0;
    GetMaxCompressionSize(pm, &r, 0, codecNormalQuality, kAnimationCodecType, anyCodec, &max);
    Handle data = NewHandle(max);
    HLock(data);
    auto desc = reinterpret_cast<ImageDescriptionHandle>(NewHandle(4));
    for (int f = 0; f < n; ++f) {
        const std::vector<UInt8> px = benchframes::natural_frame(w, h, f);
        auto* base = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm));
        for (int y = 0; y < h; ++y)
            std::copy(px.begin() + long(y) * w * 4, px.begin() + long(y + 1) * w * 4, base + long(y) * GetPixRowBytes(pm));
        if (OSErr e = CompressImage(pm, &r, codecNormalQuality, kAnimationCodecType, desc, *data)) return fail("CompressImage", e);
        if (OSErr e = AddMediaSample(media, data, 0, UInt32((**desc).dataSize), 60,
                                     reinterpret_cast<SampleDescriptionHandle>(desc), 1, 0, nullptr))
            return fail("AddMediaSample", e);
    }
    EndMediaEdits(media);
    InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), 0x10000);
    SInt16 resId = movieInDataForkResID;
    if (OSErr e = AddMovieResource(movie, ref, &resId, nullptr)) return fail("AddMovieResource", e);
    CloseMovieFile(ref);
    DisposeMovie(movie);
    DisposeGWorld(world);
    return 0;
}

Movie open(const std::string& path) {
    EnterMovies();
    FSSpec spec = spec_for(path);
    SInt16 ref = 0, resId = 0;
    Movie movie = nullptr;
    if (OpenMovieFile(&spec, &ref, fsRdPerm) != noErr) return nullptr;
    NewMovieFromFile(&movie, ref, &resId, nullptr, newMovieActive, nullptr);
    CloseMovieFile(ref);
    return movie;
}

int decode(const std::string& path) {
    Movie movie = open(path);
    if (!movie) return fail("opening the movie", GetMoviesError());
    movies::MediaObject& media = movies::track_of(GetMovieIndTrack(movie, 1))->media;
    const auto& m = media.data();
    auto v = movies::VideoDescription::parse(m.descriptions.entries[0].bytes);
    if (!v.ok()) return fail("reading the description", v.code());
    std::vector<std::vector<UInt8>> frames;
    for (UInt32 s = 1; s <= m.samples.sample_count(); ++s) {
        auto info = m.samples.sample(s).value();
        std::vector<UInt8> bytes(info.size);
        if (!movies::read_media_data(media, 1, info.offset, bytes.data(), bytes.size()).ok()) return fail("reading", s);
        frames.push_back(std::move(bytes));
    }
    ImageDescription desc{};
    desc.cType = v->codec;
    desc.width = v->width;
    desc.height = v->height;
    desc.depth = v->depth;
    desc.clutID = v->clut_id;
    std::vector<UInt8> out(size_t(v->width) * size_t(v->height) * 4);
    codecs::PixelView view{out.data(), SInt32(v->width) * 4, v->width, v->height, 32};
    double best = 1e30;
    for (int pass = 0; pass < 3; ++pass) {
        const double start = now_seconds();
        for (const auto& f : frames) {
            desc.dataSize = SInt32(f.size());
            if (!codecs::decode_image(desc, f, view).ok()) return fail("decoding", 0);
        }
        best = std::min(best, now_seconds() - start);
    }
    std::printf("fps %.1f\n", double(frames.size()) / best);
    DisposeMovie(movie);
    return 0;
}

int play(const std::string& path) {
    auto* host = new host::HeadlessHost(host::HeadlessHost::Clock::Virtual);
    host::install_for_testing(std::unique_ptr<host::Host>(host));
    Movie movie = open(path);
    if (!movie) return fail("opening the movie", GetMoviesError());
    Rect box;
    GetMovieBox(movie, &box);
    GWorldPtr world = nullptr;
    if (OSErr e = NewGWorld(&world, 32, &box, nullptr, nullptr, 0)) return fail("NewGWorld", e);
    LockPixels(GetGWorldPixMap(world));
    SetMovieGWorld(movie, world, nullptr);
    const TimeValue frame = 60;   // units of 600: one frame at 10 a second
    GoToBeginningOfMovie(movie);
    MoviesTask(movie, 0);
    StartMovie(movie);
    const double start = now_seconds();
    while (GetMovieRate(movie) != 0) {
        host->advance(UInt64(frame) * 1000 / 600);
        MoviesTask(movie, 0);
    }
    const double seconds = now_seconds() - start;
    movies::MovieObject* m = movies::movie_of(movie);
    const auto* v = movies::playback::player_of(*m).video(1);
    const UInt64 decoded = v ? v->decoded() : 0;
    std::printf("fps %.1f\nframes %llu\n", double(decoded) / seconds, static_cast<unsigned long long>(decoded));
    DisposeMovie(movie);
    DisposeGWorld(world);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 6)
        return make(argv[2], SInt16(std::atoi(argv[3])), SInt16(std::atoi(argv[4])), std::atoi(argv[5]));
    if (mode == "decode" && argc == 3) return decode(argv[2]);
    if (mode == "play" && argc == 3) return play(argv[2]);
    std::fprintf(stderr,
                 "usage: playback_bench make FILE W H N | decode FILE | play FILE\n");
    return 2;
}
