// Agreement with ffmpeg, the reference reader and writer of Animation
// streams (a test oracle only; skipped where it is not installed, unless
// the tools are required):
//  - ffmpeg's encoder, key and delta frames: our decoder must produce
//    exactly what ffmpeg's decoder produces from the same packets;
//  - our encoder, key and delta frames, at every depth: ffmpeg's decoder
//    must give back the source pixels (and, below 16 bits, use the standard
//    colour tables for clutID -1).
#include <gtest/gtest.h>

#include <string>

#include "CodecTestSupport.h"
#include "platform/movies/format/MovieFile.h"
#include "platform/codecs/rle/AnimationDecoder.h"
#include "platform/codecs/rle/AnimationEncoder.h"
#include "platform/quickdraw/StandardColors.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

using namespace codectest;
using namespace platform;
using namespace platform::codecs;
namespace fs = std::filesystem;

namespace {

class FfmpegPeer : public ::testing::Test {
protected:
    void SetUp() override { KINORA_REQUIRE_TOOL("ffmpeg"); }
    std::string path(const std::string& name) const { return dir_ / name; }
    static void run(const std::string& args) {
        const std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y " + args;
        auto r = testsupport::run_shell(cmd);
        ASSERT_EQ(r.status, 0) << cmd << "\n" << r.all();
    }

    testsupport::TempFolder dir_{"codec-peer"};
};

// Our frames in a movie file of our own writer (frames 1 and 7 key frames):
// ffmpeg reads Animation only from a container, which gives it the depth.
void write_movie(const std::string& p, const std::vector<std::vector<UInt8>>& frames, SInt32 w, SInt32 h, int depth) {
    namespace mv = platform::movies;
    auto file = mv::open_data_file(p, mv::OpenMode::create).value();
    auto writer = mv::MovieFileWriter::create(*file).value();
    mv::MovieModel m;
    m.header.time_scale = 600;
    mv::Track t = mv::Track::make(1, mv::kVide, 600, UInt32(w) << 16, UInt32(h) << 16, 0);
    mv::VideoDescription d;
    d.codec = platform::fourcc("rle "), d.width = SInt16(w), d.height = SInt16(h), d.depth = SInt16(depth), d.clut_id = -1;
    t.media.descriptions.entries.push_back(d.write());
    for (size_t i = 0; i < frames.size(); ++i)
        ASSERT_TRUE(t.media.samples.add_chunk(writer.append(frames[i]).value(), 1, UInt32(frames[i].size()), 60, 1, i % 6 == 0).ok());
    mv::insert_whole_media(t, 600);
    m.tracks.push_back(std::move(t));
    m.header.next_track_id = 2;
    m.update_durations();
    ASSERT_TRUE(writer.append_movie(m, 0).ok());
}

// Frames with a gradient background, a moving block, a run of repeated
// frames and speckles in one area, so delta frames have work to do.
std::vector<Image> moving_frames(SInt32 w, SInt32 h, int depth, int count) {
    std::vector<Image> frames;
    Rng rng(42);
    const UInt32 mask = depth == 16 ? 0x7FFF : pixel_mask(depth);   // readers drop 16-bit's x bit
    for (int f = 0; f < count; ++f) {
        const int t = (f >= 5 && f < 8) ? 5 : f;   // frames 5-7 identical
        Image im(w, h, depth);
        for (SInt32 y = 0; y < h; ++y)
            for (SInt32 x = 0; x < w; ++x) {
                UInt32 v = UInt32(x * 0x030507 + y * 0x0B0D11) & mask;
                if (x >= 3 * t && x < 3 * t + 9 && y >= t && y < t + 6) v = 0x00FF8040u & mask;
                set_pixel(im, x, y, v);
            }
        if (t == f)
            for (int k = 0; k < 5; ++k) set_pixel(im, w / 2 + SInt32(rng.next() % 8), h / 2, rng.next() & mask);
        frames.push_back(std::move(im));
    }
    return frames;
}

// Splits concatenated Animation frames by their chunk sizes.
std::vector<std::vector<UInt8>> split_frames(const std::vector<UInt8>& all) {
    std::vector<std::vector<UInt8>> out;
    size_t at = 0;
    while (at + 4 <= all.size()) {
        const size_t size = load_u32be(&all[at]) & 0x3FFFFFFF;
        if (size < 4 || size > all.size() - at) break;
        out.emplace_back(all.begin() + long(at), all.begin() + long(at + size));
        at += size;
    }
    EXPECT_EQ(at, all.size()) << "packets did not split cleanly";
    return out;
}

std::vector<UInt8> visible_bytes(const Image& im) {
    std::vector<UInt8> out;
    for (SInt32 y = 0; y < im.height; ++y) out.insert(out.end(), im.row(y), im.row(y) + im.visible());
    return out;
}

struct FfmpegFormat {
    const char* pixFmt;      // ffmpeg's input and decoded output format
    int depth;               // the stream's depth as our decoder takes it
    size_t outFrameBytes;    // extra bytes per decoded frame (the palette of pal8)
    const char* outPixFmt;
};

// ffmpeg encodes (default group of pictures: key and delta frames); our
// decoding of its packets must match its own decoding byte for byte.
TEST_F(FfmpegPeer, OurDecoderMatchesFfmpegOnFfmpegsFrames) {
    const FfmpegFormat formats[] = {
        {"rgb24", 24, 0, "rgb24"}, {"rgb555be", 16, 0, "rgb555be"},
        {"argb", 32, 0, "argb"},   {"gray", 8, 1024, "pal8"},   // grey levels travel as 8-bit indexes
    };
    const int count = 30;
    for (const FfmpegFormat& f : formats) {
        const SInt32 w = f.depth == 8 ? 68 : 67, h = 23;   // ffmpeg codes grey only 4 pixels at a time
        std::vector<UInt8> raw;
        for (const Image& im : moving_frames(w, h, f.depth, count)) {
            auto v = visible_bytes(im);
            raw.insert(raw.end(), v.begin(), v.end());
        }
        testsupport::write_bytes(path("in.raw"), raw);
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        run("-f rawvideo -pix_fmt " + std::string(f.pixFmt) + " -s " + size + " -r 10 -i " + path("in.raw") + " -c:v qtrle " + path("enc.mov"));
        run("-i " + path("enc.mov") + " -c copy -f rawvideo " + path("packets.bin"));
        run("-i " + path("enc.mov") + " -f rawvideo -pix_fmt " + f.outPixFmt + " " + path("dec.raw"));

        const auto packets = split_frames(testsupport::read_bytes(path("packets.bin")));
        const auto decoded = testsupport::read_bytes(path("dec.raw"));
        ASSERT_EQ(packets.size(), size_t(count)) << f.pixFmt;
        const size_t frameBytes = visible_row_bytes(w, f.depth) * size_t(h) + f.outFrameBytes;
        ASSERT_EQ(decoded.size(), frameBytes * size_t(count)) << f.pixFmt;

        size_t deltas = 0;
        Image ours(w, h, f.depth);
        for (int i = 0; i < count; ++i) {
            deltas += packets[size_t(i)].size() < 8 || load_u16be(&packets[size_t(i)][4]) == 0x0008;
            auto r = rle::decode_frame(packets[size_t(i)], f.depth, ours.view());
            ASSERT_TRUE(r.ok()) << f.pixFmt << " frame " << i << ": " << r.error().message;
            const auto mine = visible_bytes(ours);
            const auto theirs = std::vector<UInt8>(decoded.begin() + long(frameBytes * size_t(i)),
                                                   decoded.begin() + long(frameBytes * size_t(i) + mine.size()));
            ASSERT_EQ(mine, theirs) << f.pixFmt << " frame " << i;
        }
        EXPECT_GT(deltas, 0u) << f.pixFmt << ": the test needs delta frames";
    }
}

// Our frames, key then delta, at every depth, read back by ffmpeg.
TEST_F(FfmpegPeer, FfmpegDecodesOurFramesAtEveryDepth) {
    const SInt32 w = 53, h = 19;
    const int count = 12;
    for (int depth : {1, 2, 4, 8, 16, 24, 32}) {
        const auto frames = moving_frames(w, h, depth, count);
        std::vector<std::vector<UInt8>> coded;
        for (int i = 0; i < count; ++i) {
            const ConstPixelView prev = i ? frames[size_t(i - 1)].cview() : ConstPixelView{};
            coded.push_back(*rle::encode_frame(frames[size_t(i)].cview(), depth, (i % 6) ? &prev : nullptr));
        }
        write_movie(path("ours.mov"), coded, w, h, depth);

        const bool indexed = depth <= 8;
        const char* pixFmt = indexed ? "pal8" : depth == 16 ? "rgb555be" : depth == 24 ? "rgb24" : "argb";
        run("-i " + path("ours.mov") + " -f rawvideo -pix_fmt " + pixFmt + " " + path("back.raw"));
        const auto back = testsupport::read_bytes(path("back.raw"));
        const size_t pixels = size_t(w) * size_t(h), pixelBytes = indexed ? 1 : depth == 16 ? 2 : size_t(depth / 8);
        const size_t frameBytes = indexed ? pixels + 1024 : pixels * pixelBytes;
        ASSERT_EQ(back.size(), frameBytes * size_t(count)) << "depth " << depth;

        for (int i = 0; i < count; ++i) {
            const UInt8* f = back.data() + frameBytes * size_t(i);
            for (SInt32 y = 0; y < h; ++y)
                for (SInt32 x = 0; x < w; ++x) {
                    const UInt8* p = f + (size_t(y) * size_t(w) + size_t(x)) * pixelBytes;
                    UInt32 v = 0;
                    for (size_t k = 0; k < pixelBytes; ++k) v = (v << 8) | p[k];
                    ASSERT_EQ(v, get_pixel(frames[size_t(i)], x, y)) << "depth " << depth << " frame " << i << " pixel " << x << "," << y;
                }
            if (indexed) {   // the palette ffmpeg used: 256 native-endian 0xAARRGGBB words
                const auto table = quickdraw::standard_palette(depth);
                for (size_t k = 0; k < table.size(); ++k) {
                    UInt32 argb;
                    std::memcpy(&argb, f + pixels + 4 * k, 4);
                    EXPECT_EQ(argb & 0xFFFFFF, UInt32(table[k].r << 16 | table[k].g << 8 | table[k].b)) << "depth " << depth << " colour " << k;
                }
            }
        }
    }
}

}  // namespace
