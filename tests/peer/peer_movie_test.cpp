// Our movie files as other readers see them: ffprobe's streams, ffmpeg's
// decoded sound in every format we write, external data references.
// (ffmpeg's decode of our video: the New command's movie,
// new_movie_peer_test; files ffmpeg writes, rewritten and edited:
// peer_edit_test and peer_iso_file_test.)
#include <filesystem>

#include "tests/movies/ToolboxTestSupport.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"
#include "platform/movies/format/Alias.h"
#include "platform/movies/format/MovieFile.h"

using namespace platform;
using namespace platform::movies;
using testsupport::quote;
using testsupport::TempFolder;
using testsupport::run_shell;
using Bytes = std::vector<UInt8>;

namespace {

// The codec as ffprobe names it, and ffmpeg's raw output format that gives our bytes back.
struct SoundFormat { const char* name; OSType format; SInt16 channels, bits; const char* ffmpeg_codec; const char* raw_format; };

const SoundFormat kRaw8{"raw ", kSoundRaw, 1, 8, "pcm_u8", "u8"};

Bytes pcm_bytes(const SoundFormat& s, UInt32 frames) {
    Bytes b(size_t(frames) * s.channels * (s.bits / 8));
    for (size_t i = 0; i < b.size(); ++i) b[i] = UInt8((i * 37) ^ (i >> 7));
    return b;
}

// A movie of one sound track; `pcm_path`, when given, holds the sound in an
// external file reached through an alias.
void write_movie(const std::string& path, const SoundFormat& s, UInt32 rate, UInt32 frames, const std::string& pcm_path = {}) {
    SInt16 ref = 0;
    ::Movie movie = tbtest::begin_movie(path, &ref);
    tbtest::add_sound_track(movie, s.format, s.bits, s.channels, rate, pcm_bytes(s, frames), frames, kFullVolume, 0x10000, pcm_path);
    tbtest::finish_movie(movie, ref);
    DisposeMovie(movie);
}

std::string probe(const std::string& path) {
    auto o = run_shell("ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,sample_rate,channels,nb_frames,duration "
                       "-of compact=p=0 " + quote(path) + " 2>&1");
    EXPECT_EQ(o.status, 0) << o.out;
    return o.out;
}

}  // namespace

TEST(PeerMovie, SoundFormatsDecodeToTheirSamples) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    KINORA_REQUIRE_TOOL("ffprobe");
    const SoundFormat formats[] = {kRaw8, {"twos", kSoundTwos, 2, 16, "pcm_s16be", "s16be"}, {"sowt", kSoundSowt, 1, 16, "pcm_s16le", "s16le"},
                                   {"twos 8-bit", kSoundTwos, 1, 8, "pcm_s8", "s8"}};
    TempFolder dir;
    for (const SoundFormat& s : formats) {
        SCOPED_TRACE(s.name);
        std::string path = dir / "sound.mov";
        const UInt32 rate = 11025, frames = 11025 * 2 + 17;
        write_movie(path, s, rate, frames);
        std::string streams = probe(path);
        EXPECT_NE(streams.find(std::string("codec_name=") + s.ffmpeg_codec + "|codec_type=audio|sample_rate=11025|channels=" +
                               std::to_string(s.channels)), std::string::npos) << streams;
        auto out = run_shell("ffmpeg -nostdin -v error -i " + quote(path) + " -f " + s.raw_format + " -");
        Bytes pcm = pcm_bytes(s, frames);
        EXPECT_EQ(out.err, "") << "ffmpeg reports problems";
        EXPECT_TRUE(out.out == std::string(pcm.begin(), pcm.end())) << out.out.size() << " bytes, want " << pcm.size();
    }
}

TEST(PeerMovie, ExternalSoundThroughAnAliasPlaysWithDrefsEnabled) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    std::filesystem::create_directories(dir / "movies"), std::filesystem::create_directories(dir / "media");
    std::string path = dir / "movies/external.mov";
    const UInt32 frames = 8000 * 3;
    write_movie(path, kRaw8, 8000, frames, dir / "media/sound.raw");

    auto out = run_shell("ffmpeg -nostdin -v error -enable_drefs 1 -i " + quote(path) + " -map 0:a -f u8 - 2>/dev/null");
    Bytes pcm = pcm_bytes(kRaw8, frames);
    EXPECT_TRUE(out.status == 0 && out.out == std::string(pcm.begin(), pcm.end())) << "ffmpeg decoded " << out.out.size() << " bytes";

    // Our reader finds it the same way.
    auto file = open_data_file(path, OpenMode::read).value();
    auto c = read_movie_file(*file);
    ASSERT_TRUE(c.ok()) << c.error().message;
    EXPECT_EQ(std::tuple(c->data_refs[0][0].found, c->data_refs[0][0].path), std::tuple(true, absolute_path(dir / "media/sound.raw").value()));
}

