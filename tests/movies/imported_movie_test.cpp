// Sound files open as movies: one sound track playing the file's samples in
// place (the importers' own tests parse every format). Saving into the sound
// file is refused and leaves it as it was; Save As makes a real movie file of
// it.
#include <cstring>
#include <tuple>

#include "ToolboxTestSupport.h"
#include "tests/importers/SoundTestFiles.h"

using namespace tbtest;

namespace {

Bytes samples(size_t n) {
    Bytes s(n);
    for (size_t i = 0; i < n; ++i) s[i] = UInt8(i * 7 + (i >> 8));
    return s;
}

Bytes wav(UInt16 channels, UInt16 bits, UInt32 rate, const Bytes& data) {
    return soundfiles::form("RIFF", "WAVE", {{"fmt ", soundfiles::fmt(1, channels, rate, bits)}, {"data", data, -1, false}}, true);
}

}  // namespace

TEST(ImportedMovie, SoundFilesPlayInPlaceAndSaveAsMakesAMovie) {
    EnterMovies();

    TempFolder dir;
    struct Case { const char* name; Bytes file; OSType format; SInt16 channels, bits; UInt32 rate; size_t data_bytes; } cases[] = {
        {"wav-8-mono.wav", wav(1, 8, 11025, samples(11025)), 'raw ', 1, 8, 11025, 11025},
        {"wav-16-stereo.wav", wav(2, 16, 22050, samples(22050 * 4)), 'sowt', 2, 16, 22050, 22050 * 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir / c.name;
        write_bytes(path, c.file);
        {
            Opened m(path);
            ASSERT_EQ(m.err, noErr);
            ASSERT_EQ(GetMovieTrackCount(m.movie), 1);
            Media media = GetTrackMedia(GetMovieIndTrack(m.movie, 1));
            Handle desc = NewHandle(0);
            GetMediaSampleDescription(media, 1, (SampleDescriptionHandle)desc);
            const SoundDescription& d = **(SoundDescriptionHandle)desc;
            EXPECT_EQ(std::make_tuple(OSType(d.dataFormat), d.numChannels, d.sampleSize, d.sampleRate),
                      std::make_tuple(c.format, c.channels, c.bits, c.rate << 16));
            DisposeHandle(desc);
            EXPECT_EQ(std::tuple(GetMediaTimeScale(media), GetMediaSampleCount(media)), std::tuple(TimeScale(c.rate), SInt32(c.data_bytes / (c.channels * c.bits / 8))));
            EXPECT_EQ(media_bytes(media), Bytes(c.file.end() - long(c.data_bytes), c.file.end())) << "the file's own samples";

            EXPECT_EQ(UpdateMovieResource(m.movie, m.ref, movieInDataForkResID, nullptr), cantPutPublicMovieAtom);
            SInt16 resId = movieInDataForkResID;
            EXPECT_EQ(AddMovieResource(m.movie, m.ref, &resId, nullptr), cantPutPublicMovieAtom);
            EXPECT_EQ(read_bytes(path), c.file) << "the sound file is never written";

            ASSERT_EQ(flatten_to(m.movie, dir / "copy.mov"), noErr);
        }
        EXPECT_EQ(samples_of_file(dir / "copy.mov"), Bytes(c.file.end() - long(c.data_bytes), c.file.end()));
    }
    // Neither a movie nor a sound file: the movie reader's answer.
    write_bytes(dir / "text.txt", Bytes(100, 'x'));
    EXPECT_EQ(Opened(dir / "text.txt", fsRdPerm).err, invalidMovie);
    // A damaged sound file: the importer's.
    Bytes broken = wav(1, 8, 11025, samples(100));
    broken.resize(30);
    write_bytes(dir / "broken.wav", broken);
    EXPECT_EQ(Opened(dir / "broken.wav", fsRdPerm).err, badFileFormat);
}
