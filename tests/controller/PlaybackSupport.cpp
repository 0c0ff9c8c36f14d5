#include "PlaybackSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/Process.h"

#include "platform/hostapi/LaunchOptions.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"

namespace pbtest {

VirtualHost::VirtualHost(int rate, std::optional<std::string> record) {
    setenv("KINORA_HEADLESS_AUDIO_RATE", std::to_string(rate).c_str(), 1);
    platform::host::LaunchOptions o;
    o.record_audio = std::move(record);
    platform::host::set_launch_options(o);
    auto h = std::make_unique<platform::host::HeadlessHost>(platform::host::HeadlessHost::Clock::Virtual);
    host_ = h.get();
    platform::host::install_for_testing(std::move(h));
    EnterMovies();
}

VirtualHost::~VirtualHost() { finish(); }

void VirtualHost::finish() {
    if (!host_) return;
    platform::host::install_for_testing(nullptr);
    platform::host::set_launch_options({});
    host_ = nullptr;
}

void VirtualHost::run(Movie movie, UInt64 ms, UInt64 step) {
    for (UInt64 done = 0; done < ms; done += step) {
        host_->advance(std::min(step, ms - done));
        MoviesTask(movie, 0);
    }
}

MovieCanvas::MovieCanvas(Movie movie, SInt16 width, SInt16 height) : width_(width), height_(height) {
    Rect r{0, 0, height, width};
    EXPECT_EQ(NewGWorld(&world_, 32, &r, nullptr, nullptr, 0), noErr);
    LockPixels(GetGWorldPixMap(world_));
    SetMovieGWorld(movie, world_, nullptr);
    SetMovieBox(movie, &r);
}

MovieCanvas::~MovieCanvas() {
    if (world_) DisposeGWorld(world_);
}

UInt32 MovieCanvas::pixel(int x, int y) const {
    PixMapHandle pm = GetGWorldPixMap(world_);
    const UInt8* p = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm)) + size_t(y) * size_t(GetPixRowBytes(pm)) + size_t(x) * 4;
    return UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
}

Bytes MovieCanvas::rgb() const {
    Bytes out;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) out.insert(out.end(), {UInt8(pixel(x, y) >> 16), UInt8(pixel(x, y) >> 8), UInt8(pixel(x, y))});
    return out;
}

Movie sound_movie(const std::string& path, OSType format, SInt16 bits, UInt32 rate, const Bytes& bytes, UInt32 frames, SInt16 volume) {
    SInt16 ref = 0;
    Movie movie = begin_movie(path, &ref);
    add_sound_track(movie, format, bits, 1, rate, bytes, frames, volume);
    finish_movie(movie, ref);
    return movie;
}

std::string ffmpeg(const std::string& args) {
    const auto r = testsupport::run_shell("ffmpeg -nostdin -hide_banner -v error -y " + args + " 2>&1");
    return r.status == 0 ? "" : r.all() + " (" + args + ")";
}

bool have_encoder(const std::string& name) {
    static const std::string list = testsupport::run_shell("ffmpeg -hide_banner -encoders 2>/dev/null").out;
    return list.find(" " + name + " ") != std::string::npos;
}

Recording read_wav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(in)), {});
    Recording r;
    if (b.size() < 44) return r;
    auto u32 = [&](size_t at) { return UInt32(b[at]) | UInt32(b[at + 1]) << 8 | UInt32(b[at + 2]) << 16 | UInt32(b[at + 3]) << 24; };
    r.rate = int(u32(24));
    const size_t n = std::min<size_t>(u32(40), b.size() - 44) / 2;
    r.samples.resize(n);
    for (size_t i = 0; i < n; ++i) r.samples[i] = SInt16(UInt16(b[44 + 2 * i] | b[45 + 2 * i] << 8));
    return r;
}

Recording play_and_record(Movie movie, int rate, const std::string& wav, double from,
                          const std::function<void(VirtualHost&)>& during, std::string* problem) {
    VirtualHost vh(rate, wav);
    SetMovieTimeValue(movie, TimeValue(from * GetMovieTimeScale(movie)));
    vh.run(movie, 200);
    StartMovie(movie);
    if (during) during(vh);
    vh.run(movie, UInt64(GetMovieDuration(movie)) * 1000 / UInt64(GetMovieTimeScale(movie)) + 300);
    EXPECT_EQ(GetMovieRate(movie), 0);
    if (problem) {
        const auto p = platform::movies::playback::player_of(*platform::movies::movie_of(movie)).problems();
        *problem = p.empty() ? "" : p[0];
    }
    DisposeMovie(movie);
    vh.finish();
    Recording r = read_wav(wav);
    EXPECT_EQ(r.rate, rate);
    return r;
}

}  // namespace pbtest
