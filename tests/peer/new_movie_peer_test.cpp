// The New command's movie (build/test-output/new-movie.mov, made by the
// NewMovie build test) and its flattened copy, as ffprobe and ffmpeg read
// them: the two streams, a clean decode, and every frame
// ffmpeg decodes equal, pixel for pixel, to the frame drawn and the frame
// our decoder gives.
#include <gtest/gtest.h>

#include "NewMovie.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using testsupport::run_shell;
using testsupport::quote;
using testsupport::TempFolder;

namespace {

const std::string kDir = std::string(KINORA_BUILD_DIR) + "/test-output/";

class NewMoviePeer : public testing::TestWithParam<const char*> {
protected:
    std::string path() const { return kDir + GetParam(); }
};

std::string probe(const std::string& path, const char* stream) {
    return run_shell("ffprobe -v error -select_streams " + std::string(stream) +
               " -show_entries stream=codec_name,codec_tag_string,width,height,nb_frames,r_frame_rate,duration,"
               "start_time,sample_rate,channels,sample_fmt -of default=nw=1 " + quote(path) + " 2>&1").out;
}

}  // namespace

TEST_P(NewMoviePeer, FfprobeSeesAnAnimationStreamAndAnUnsignedPcmStream) {
    KINORA_REQUIRE_TOOL("ffprobe");
    EXPECT_EQ(run_shell("ffprobe -v error -show_entries stream=index -of csv=p=0 " + quote(path()) + " 2>&1").out, "0\n1\n") << "two streams";
    std::string v = probe(path(), "v:0");
    for (const char* line : {"codec_name=qtrle\n", "codec_tag_string=rle \n", "width=320\n", "height=100\n",
                             "nb_frames=70\n", "r_frame_rate=10/1\n", "duration=7.000000\n", "start_time=0.000000\n"})
        EXPECT_NE(v.find(line), std::string::npos) << line << v;

    newmovie::SoundFacts snd = newmovie::application_sound();
    std::string a = probe(path(), "a:0");
    std::string rate = "sample_rate=" + std::to_string(snd.rate_fixed >> 16) + "\n";
    for (const std::string& line : {std::string("codec_name=pcm_u8\n"), std::string("sample_fmt=u8\n"),
                                    std::string("channels=1\n"), rate, std::string("start_time=0.000000\n"),
                                    "nb_frames=" + std::to_string(snd.samples) + "\n"})
        EXPECT_NE(a.find(line), std::string::npos) << line << a;
}

TEST_P(NewMoviePeer, EveryFrameFfmpegDecodesIsTheFrameDrawn) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    auto silent = run_shell("ffmpeg -nostdin -v error -i " + quote(path()) + " -f null - 2>&1");
    EXPECT_EQ(std::tuple(silent.status, silent.out), std::tuple(0, "")) << "ffmpeg complains";
    auto o = run_shell("ffmpeg -nostdin -v error -i " + quote(path()) + " -map 0:v -f rawvideo -pix_fmt rgb24 -");
    const size_t frame_bytes = size_t(newmovie::kWidth) * newmovie::kHeight * 3;
    ASSERT_EQ(o.out.size(), frame_bytes * newmovie::kFrames);
    // (Our decoder's frames are the drawn ones: the NewMovie build test.)
    for (int n = 1; n <= newmovie::kFrames; ++n) {
        const std::vector<UInt8> theirs(o.out.begin() + long(frame_bytes) * (n - 1), o.out.begin() + long(frame_bytes) * n);
        ASSERT_TRUE(theirs == newmovie::drawn_frame_rgb(n)) << "ffmpeg's frame " << n << " is not the drawn one";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, NewMoviePeer, testing::Values("new-movie.mov", "new-movie-flat.mov"),
                         [](const auto& info) { return std::string(info.index == 0 ? "NewMovie" : "Flattened"); });
