#include "PlaybackSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/files/Catalog.h"
#include "platform/hostapi/LaunchOptions.h"

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
    const UInt8* p = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm)) + size_t(y) * size_t(GetPixRowBytes(pm)) +
                     size_t(x) * 4;
    return UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
}

Bytes MovieCanvas::rgb() const {
    Bytes out;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            UInt32 p = pixel(x, y);
            out.push_back(UInt8(p >> 16));
            out.push_back(UInt8(p >> 8));
            out.push_back(UInt8(p));
        }
    return out;
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

FSSpec spec_for(const std::string& path) {
    FSSpec spec{};
    platform::files::make_fsspec(path, &spec);
    return spec;
}

Movie begin_movie(const std::string& path, SInt16* ref) {
    FSSpec fs = spec_for(path);
    Movie movie = nullptr;
    EXPECT_EQ(CreateMovieFile(&fs, sigMoviePlayer, smCurrentScript, 0x90000001, ref, &movie), noErr);
    return movie;
}

void finish_movie(Movie movie, SInt16 ref) {
    SInt16 resId = movieInDataForkResID;
    EXPECT_EQ(AddMovieResource(movie, ref, &resId, nullptr), noErr);
    EXPECT_EQ(CloseMovieFile(ref), noErr);
}

void add_video_track(Movie movie, SInt16 width, SInt16 height, SInt16 depth, CodecType codec, int frames,
                     TimeValue duration, const Painter& paint) {
    Rect r{0, 0, height, width};
    Track track = NewMovieTrack(movie, Fixed(width) << 16, Fixed(height) << 16, kNoVolume);
    Media media = NewTrackMedia(track, VideoMediaType, 600, nullptr, 0);
    ASSERT_EQ(BeginMediaEdits(media), noErr);
    GWorldPtr world = nullptr;
    ASSERT_EQ(NewGWorld(&world, depth, &r, nullptr, nullptr, 0), noErr);
    PixMapHandle pm = GetGWorldPixMap(world);
    LockPixels(pm);
    SInt32 max = 0;
    ASSERT_EQ(GetMaxCompressionSize(pm, &r, 0, codecNormalQuality, codec, anyCodec, &max), noErr);
    Handle data = NewHandle(max);
    HLock(data);
    auto desc = reinterpret_cast<ImageDescriptionHandle>(NewHandle(4));
    for (int f = 1; f <= frames; ++f) {
        paint(f, world);
        ASSERT_EQ(CompressImage(pm, &r, codecNormalQuality, codec, desc, *data), noErr);
        ASSERT_EQ(AddMediaSample(media, data, 0, UInt32((**desc).dataSize), duration,
                                 reinterpret_cast<SampleDescriptionHandle>(desc), 1, 0, nullptr),
                  noErr);
    }
    DisposeHandle(reinterpret_cast<Handle>(desc));
    DisposeHandle(data);
    DisposeGWorld(world);
    ASSERT_EQ(EndMediaEdits(media), noErr);
    ASSERT_EQ(InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), 0x10000), noErr);
}

void add_sound_track(Movie movie, OSType format, SInt16 bits, SInt16 channels, UInt32 rate, const Bytes& bytes,
                     UInt32 frames, SInt16 volume, Fixed edit_rate) {
    Track track = NewMovieTrack(movie, 0, 0, volume);
    Media media = NewTrackMedia(track, SoundMediaType, TimeScale(rate), nullptr, 0);
    ASSERT_NE(media, nullptr) << GetMoviesError();
    ASSERT_EQ(BeginMediaEdits(media), noErr);
    auto desc = reinterpret_cast<SoundDescriptionHandle>(NewHandleClear(sizeof(SoundDescription)));
    (**desc).descSize = sizeof(SoundDescription);
    (**desc).dataFormat = SInt32(format);
    (**desc).dataRefIndex = 1;
    (**desc).numChannels = channels;
    (**desc).sampleSize = bits;
    (**desc).sampleRate = rate << 16;
    Handle data = NewHandle(Size(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<UInt8*>(*data));
    ASSERT_EQ(AddMediaSample(media, data, 0, UInt32(bytes.size()), 1, reinterpret_cast<SampleDescriptionHandle>(desc),
                             SInt32(frames), 0, nullptr),
              noErr);
    DisposeHandle(data);
    DisposeHandle(reinterpret_cast<Handle>(desc));
    ASSERT_EQ(EndMediaEdits(media), noErr);
    ASSERT_EQ(InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), edit_rate), noErr);
}

Movie open_movie(const std::string& path, SInt16* ref, SInt8 permission) {
    FSSpec fs = spec_for(path);
    EXPECT_EQ(OpenMovieFile(&fs, ref, permission), noErr);
    Movie movie = nullptr;
    SInt16 resId = 0;
    EXPECT_EQ(NewMovieFromFile(&movie, *ref, &resId, nullptr, newMovieActive, nullptr), noErr);
    return movie;
}

}  // namespace pbtest
