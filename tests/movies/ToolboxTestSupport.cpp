#include "ToolboxTestSupport.h"

#include "platform/movies/format/Alias.h"

namespace tbtest {

namespace {

void add_video(Movie movie, int frames) {
    Rect r{0, 0, 16, 32};
    Track track = NewMovieTrack(movie, 32 << 16, 16 << 16, kNoVolume);
    Media media = NewTrackMedia(track, VideoMediaType, 600, nullptr, 0);
    ASSERT_EQ(BeginMediaEdits(media), noErr);
    GWorldPtr world = nullptr;
    ASSERT_EQ(NewGWorld(&world, 8, &r, nullptr, nullptr, 0), noErr);
    PixMapHandle pm = GetPortPixMap(world);
    LockPixels(pm);
    SInt32 max = 0;
    ASSERT_EQ(GetMaxCompressionSize(pm, &r, 0, codecNormalQuality, kAnimationCodecType, anyCodec, &max), noErr);
    Handle data = NewHandle(max);
    HLock(data);
    ImageDescriptionHandle desc = (ImageDescriptionHandle)NewHandle(4);
    for (int f = 1; f <= frames; ++f) {
        UInt8* base = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x) base[y * GetPixRowBytes(pm) + x] = frame_pixel(f, x, y);
        ASSERT_EQ(CompressImage(pm, &r, codecNormalQuality, kAnimationCodecType, desc, *data), noErr);
        ASSERT_EQ(AddMediaSample(media, data, 0, UInt32((**desc).dataSize), 60, (SampleDescriptionHandle)desc, 1, 0,
                                 nullptr),
                  noErr);
    }
    DisposeHandle((Handle)desc);
    DisposeHandle(data);
    DisposeGWorld(world);
    ASSERT_EQ(EndMediaEdits(media), noErr);
    ASSERT_EQ(InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), 0x10000), noErr);
}

void add_sound(Movie movie, const MovieSpec& spec) {
    Track track = NewMovieTrack(movie, 0, 0, kFullVolume);
    Handle alias = nullptr;
    if (!spec.sound_file.empty()) {
        write_bytes(spec.sound_file, {});
        auto bytes = platform::movies::make_alias(spec.sound_file, spec.sound_file).value();
        alias = NewHandle(Size(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), *alias);
    }
    Media media = NewTrackMedia(track, SoundMediaType, TimeScale(spec.sound_rate), alias, alias ? OSType(rAliasType) : OSType(0));
    ASSERT_NE(media, nullptr) << GetMoviesError();
    if (alias) DisposeHandle(alias);
    ASSERT_EQ(BeginMediaEdits(media), noErr);
    SoundDescriptionHandle desc = (SoundDescriptionHandle)NewHandleClear(sizeof(SoundDescription));
    SoundDescription& d = **desc;
    d.descSize = sizeof(SoundDescription), d.dataFormat = SInt32(k8BitOffsetBinaryFormat), d.dataRefIndex = 1;
    d.numChannels = 1, d.sampleSize = 8, d.sampleRate = spec.sound_rate << 16;
    Handle data = NewHandle(Size(spec.sound_samples));
    for (UInt32 i = 0; i < spec.sound_samples; ++i) (*data)[i] = char(sound_byte(i));
    ASSERT_EQ(AddMediaSample(media, data, 0, spec.sound_samples, 1, (SampleDescriptionHandle)desc,
                             SInt32(spec.sound_samples), 0, nullptr),
              noErr);
    DisposeHandle(data);
    DisposeHandle((Handle)desc);
    ASSERT_EQ(EndMediaEdits(media), noErr);
    ASSERT_EQ(InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), 0x10000), noErr);
}

}  // namespace

Movie make_movie(const std::string& path, const MovieSpec& spec) {
    FSSpec fs = spec_for(path);
    Movie movie = nullptr;
    SInt16 ref = 0;
    EXPECT_EQ(CreateMovieFile(&fs, sigMoviePlayer, smCurrentScript, 0x90000001, &ref, &movie), noErr);
    if (!movie) return nullptr;
    if (spec.frames) add_video(movie, spec.frames);
    if (spec.sound_samples) add_sound(movie, spec);
    SInt16 resId = movieInDataForkResID;
    EXPECT_EQ(AddMovieResource(movie, ref, &resId, nullptr), noErr);
    EXPECT_EQ(CloseMovieFile(ref), noErr);
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
