// Sound descriptions' extension atoms ('wave', 'frma', 'enda', 'esds',
// 'chan', ...): read from the descriptions ffmpeg writes, kept byte for
// byte through a Save As, and damaged ones refused with a code.
#include "ToolboxTestSupport.h"
#include "platform/movies/format/SoundAtoms.h"
#include "platform/movies/playback/SoundPackets.h"

using namespace tbtest;
namespace mv = platform::movies;

namespace {

mv::SampleDescription first_sound_description(const std::string& path) {
    auto f = mv::open_data_file(path, mv::OpenMode::read).value();
    auto c = mv::read_movie_file(*f);
    EXPECT_TRUE(c.ok()) << path;
    if (c.ok())
        for (const auto& t : c->movie.tracks)
            if (t.media.type() == mv::kSoun) return t.media.descriptions.entries.at(0);
    return {};
}

Bytes atom(const char* type, Bytes body) {
    Bytes a = {0, 0, 0, UInt8(8 + body.size()), UInt8(type[0]), UInt8(type[1]), UInt8(type[2]), UInt8(type[3])};
    a.insert(a.end(), body.begin(), body.end());
    return a;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

// What ffmpeg's writer puts in each kind of description reaches the
// decoder's configuration, and a Save As keeps every description's bytes.
TEST(SoundAtoms, FfmpegDescriptionsReadAndKeptThroughSaveAs) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    struct Case {
        const char* encoder;
        const char* file;
        OSType format;
        SInt16 version;
        int bits, channels;
        bool little_endian;
        UInt8 object_type;
        size_t config_size;
    };
    const Case cases[] = {
        {"aac", "aac.mov", 'mp4a', 1, 16, 2, false, 0x40, 5},      // esds inside 'wave'
        {"aac", "aac.mp4", 'mp4a', 0, 16, 2, false, 0x40, 5},      // esds at the top
        {"libmp3lame", "mp3.mp4", 'mp4a', 0, 16, 2, false, 0x6B, 0},
        {"alac", "alac.mov", 'alac', 1, 16, 2, false, 0, 36},
        {"flac", "flac.mp4", 'fLaC', 0, 16, 2, false, 0, 34},      // STREAMINFO out of 'dfLa'
        {"libopus", "opus.mp4", 'Opus', 0, 16, 2, false, 0, 19},   // 'dOps' as an identification header
        {"pcm_s24le", "s24le.mov", 'in24', 1, 24, 2, true, 0, 0},  // 'enda' inside 'wave'
        {"pcm_f64be", "f64be.mov", 'fl64', 1, 64, 2, false, 0, 0},
        {"pcm_s16le", "lpcm.mov", 'lpcm', 2, 16, 2, true, 0, 0},   // version 2, at 96 kHz
    };
    TempFolder dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir / c.file;
        const auto made = testsupport::run_program({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                                    "sine=d=0.2:r=96000", "-ac", "2", "-ar",
                                                    c.format == 'lpcm' ? "96000" : "48000", "-strict", "-2",
                                                    "-c:a", c.encoder, path});
        if (made.status != 0) {
            std::cout << "[ skipped ] " << c.encoder << ": " << made.err << "\n";
            continue;
        }
        const mv::SampleDescription entry = first_sound_description(path);
        auto d = mv::SoundDescription::parse(entry.bytes);
        ASSERT_TRUE(d.ok());
        EXPECT_EQ(d->format, c.format);
        EXPECT_EQ(d->version, c.version);
        auto s = mv::playback::sound_source(*d, 48000);
        ASSERT_TRUE(s.ok());
        EXPECT_EQ(s->bits, c.bits);
        EXPECT_EQ(s->channels, c.channels);
        EXPECT_EQ(s->rate, c.format == 'lpcm' ? 96000.0 : 48000.0);
        EXPECT_EQ(s->little_endian, c.little_endian);
        EXPECT_EQ(s->object_type, c.object_type);
        EXPECT_EQ(s->config.size(), c.config_size);

        Opened m(path, fsRdPerm);
        ASSERT_NE(m.movie, nullptr);
        FSSpec copy = spec_for(dir / "copy.mov");
        Movie flat = FlattenMovieData(m.movie, 0x41, &copy, sigMoviePlayer, smSystemScript, 0x90000000);
        ASSERT_NE(flat, nullptr) << GetMoviesError();
        DisposeMovie(flat);
        EXPECT_EQ(first_sound_description(dir / "copy.mov").bytes, entry.bytes);
    }
}

TEST(SoundAtoms, DamagedAtomsRefusedPaddingAndStrangersPassed) {
    const Bytes esds_ok = {0, 0, 0, 0,                         // version, flags
                           0x03, 0x80, 0x80, 0x80, 22,          // ES_Descriptor, 4-byte length
                           0, 1, 0x00,                          // ES_ID, flags
                           0x04, 17, 0x40, 0x15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           0x05, 2, 0x12, 0x10};
    Bytes esds_long = esds_ok;
    esds_long[8] = 40;   // longer than the atom
    Bytes esds_five = esds_ok;
    esds_five[8] = 0x80;   // a fifth length byte
    struct Case {
        const char* name;
        Bytes extensions;
        OSErr code;
    };
    const Case cases[] = {
        {"wave with frma, enda, esds, terminator",
         atom("wave", cat({atom("frma", {'m', 'p', '4', 'a'}), atom("enda", {0, 1}), atom("esds", esds_ok),
                           Bytes(8, 0)})),
         noErr},
        {"zero padding after the atoms", cat({atom("chan", Bytes(16, 0)), Bytes(12, 0)}), noErr},
        {"an atom we do not know", atom("btrt", Bytes(12, 7)), noErr},
        {"child runs past the wave", [] { Bytes w = atom("wave", atom("frma", {'a', 'l', 'a', 'c'}));
                                          w[11] = 40; return w; }(), invalidSampleDescription},
        {"esds longer than its atom", atom("esds", esds_long), invalidSampleDescription},
        {"esds length of five bytes", atom("esds", esds_five), invalidSampleDescription},
        {"enda without its flag", atom("enda", {}), invalidSampleDescription},
        {"alac shorter than its configuration", atom("alac", Bytes(20, 0)), invalidSampleDescription},
        {"chan claiming more channels than it holds", atom("chan", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}),
         invalidSampleDescription},
        {"frma cut short", atom("frma", {'m', 'p'}), invalidSampleDescription},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto a = mv::SoundAtoms::parse(c.extensions);
        EXPECT_EQ(a.code(), c.code);
        if (c.code == noErr && c.extensions.size() > 40) {
            EXPECT_EQ(a->original_format, OSType('mp4a'));
            EXPECT_EQ(a->little_endian, true);
            ASSERT_TRUE(a->esds.has_value());
            EXPECT_EQ(a->esds->object_type, 0x40);
            EXPECT_EQ(a->esds->specific_info, (Bytes{0x12, 0x10}));
        }
    }
}
