#include "ToolboxTestSupport.h"

#include <utility>

#include "platform/files/Catalog.h"
#include "platform/movies/format/Alias.h"

namespace tbtest {

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
    EXPECT_EQ((std::tuple{AddMovieResource(movie, ref, &resId, nullptr), CloseMovieFile(ref)}), std::tuple(noErr, noErr));
}

void add_video_track(Movie movie, SInt16 width, SInt16 height, SInt16 depth, CodecType codec, const std::vector<TimeValue>& durations,
                     const Painter& paint, TimeValue from, TimeValue length) {
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
    for (size_t f = 0; f < durations.size(); ++f) {
        paint(int(f + 1), world);
        ASSERT_EQ(CompressImage(pm, &r, codecNormalQuality, codec, desc, *data), noErr);
        ASSERT_EQ(AddMediaSample(media, data, 0, UInt32((**desc).dataSize), durations[f], (SampleDescriptionHandle)desc, 1, 0, nullptr), noErr);
    }
    for (Handle h : {Handle(desc), data}) DisposeHandle(h);
    DisposeGWorld(world);
    ASSERT_EQ(EndMediaEdits(media), noErr);
    ASSERT_EQ(InsertMediaIntoTrack(track, 0, from, length < 0 ? GetMediaDuration(media) : length, 0x10000), noErr);
}

void add_sound_track(Movie movie, OSType format, SInt16 bits, SInt16 channels, UInt32 rate, const Bytes& bytes,
                     UInt32 frames, SInt16 volume, Fixed edit_rate, const std::string& external) {
    Track track = NewMovieTrack(movie, 0, 0, volume);
    Handle alias = nullptr;
    if (!external.empty()) {
        write_bytes(external, {});
        auto record = platform::movies::make_alias(external, external).value();
        alias = NewHandle(Size(record.size()));
        std::copy(record.begin(), record.end(), *alias);
    }
    Media media = NewTrackMedia(track, SoundMediaType, TimeScale(rate), alias, alias ? OSType(rAliasType) : OSType(0));
    if (alias) DisposeHandle(alias);
    ASSERT_NE(media, nullptr) << GetMoviesError();
    ASSERT_EQ(BeginMediaEdits(media), noErr);
    auto desc = reinterpret_cast<SoundDescriptionHandle>(NewHandleClear(sizeof(SoundDescription)));
    SoundDescription& d = **desc;
    d.descSize = sizeof(SoundDescription), d.dataFormat = SInt32(format), d.dataRefIndex = 1;
    d.numChannels = channels, d.sampleSize = bits, d.sampleRate = rate << 16;
    Handle data = NewHandle(Size(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<UInt8*>(*data));
    ASSERT_EQ(AddMediaSample(media, data, 0, UInt32(bytes.size()), 1, (SampleDescriptionHandle)desc, SInt32(frames), 0, nullptr), noErr);
    for (Handle h : {Handle(desc), data}) DisposeHandle(h);
    ASSERT_EQ(EndMediaEdits(media), noErr);
    ASSERT_EQ(InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), edit_rate), noErr);
}

Movie open_movie(const std::string& path, SInt16* ref, SInt8 permission) {
    Opened m(path, permission);
    EXPECT_EQ(m.err, noErr);
    *ref = std::exchange(m.ref, 0);
    return std::exchange(m.movie, nullptr);
}

Movie read_movie(const std::string& path) {
    Opened m(path, fsRdPerm);
    EXPECT_EQ(m.err, noErr);
    return std::exchange(m.movie, nullptr);
}

Movie make_movie(const std::string& path, const MovieSpec& spec) {
    SInt16 ref = 0;
    Movie movie = begin_movie(path, &ref);
    if (!movie) return nullptr;
    if (spec.frames)
        add_video_track(movie, 32, 16, 8, kAnimationCodecType, std::vector<TimeValue>(size_t(spec.frames), 60), [](int f, GWorldPtr world) {
            PixMapHandle pm = GetGWorldPixMap(world);
            auto* base = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm));
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 32; ++x) base[y * GetPixRowBytes(pm) + x] = UInt8((f * 7 + x / 4 + y * 3) % 256);   // bands moving with the frame
        });
    Bytes sound(spec.sound_samples);
    for (UInt32 i = 0; i < spec.sound_samples; ++i) sound[i] = UInt8((i * 13) ^ (i >> 5));
    if (spec.sound_samples)
        add_sound_track(movie, k8BitOffsetBinaryFormat, 8, 1, spec.sound_rate, sound, spec.sound_samples, kFullVolume, 0x10000, spec.sound_file);
    finish_movie(movie, ref);
    return movie;
}

Opened::Opened(const std::string& path, SInt8 permission) {
    FSSpec spec = spec_for(path);
    err = OpenMovieFile(&spec, &ref, permission);
    if (err != noErr) {
        ref = 0;
        return;
    }
    SInt16 resId = 0;
    err = NewMovieFromFile(&movie, ref, &resId, nullptr, newMovieActive, nullptr);
}

Opened::~Opened() {
    if (movie) DisposeMovie(movie);
    if (ref) CloseMovieFile(ref);
}

OSErr flatten_to(Movie movie, const std::string& path, SInt32 flags) {
    FSSpec spec = spec_for(path);
    Movie copy = FlattenMovieData(movie, flags, &spec, sigMoviePlayer, smSystemScript, 0x90000000);
    OSErr err = GetMoviesError();
    if (copy) DisposeMovie(copy);
    return err;
}

bool peer_clean(const std::string& path) {
    if (!testsupport::peer_available("ffmpeg") || !testsupport::peer_available("ffprobe")) return true;
    auto decoded = testsupport::run_program({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    auto probed = testsupport::run_program({"ffprobe", "-v", "error", "-show_streams", path});
    return decoded.status == 0 && decoded.all().empty() && probed.status == 0 && probed.err.empty();
}

Bytes media_bytes(Media m) {
    Bytes out;
    Handle h = NewHandle(0);
    for (TimeValue t = 0; t < GetMediaDuration(m);) {
        SInt32 size = 0, count = 0;
        TimeValue duration = 0;
        if (GetMediaSample(m, h, 0, &size, t, nullptr, &duration, nullptr, nullptr, 0, &count, nullptr) != noErr) break;
        out.insert(out.end(), *h, *h + size);
        t += duration * count;
    }
    DisposeHandle(h);
    return out;
}

Bytes all_samples(Movie movie) {
    Bytes out;
    for (SInt32 i = 1; i <= GetMovieTrackCount(movie); ++i) {
        Bytes b = media_bytes(GetTrackMedia(GetMovieIndTrack(movie, i)));
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

Bytes samples_of_file(const std::string& path) {
    Opened m(path, fsRdPerm);
    return m.movie ? all_samples(m.movie) : Bytes{};
}

}  // namespace tbtest
