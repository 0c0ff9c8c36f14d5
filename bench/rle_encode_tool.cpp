// rle_encode_tool — codes raw 24-bit frames as Animation key frames, for
// comparing with other encoders from a script (bench/rle-vs-ffmpeg.sh).
//
//   rle_encode_tool generate W H N OUT.raw      writes N synthetic R,G,B frames
//   rle_encode_tool encode W H N IN.raw OUT     codes them; prints
//                                                 "bytes B" and "seconds S"
//
// S is the processor time of coding all N frames (frames already in memory,
// output into one reused buffer), the best of five passes; B is the size
// of what was written to OUT (the frames back to back).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "BenchFrames.h"
#include "platform/codecs/rle/AnimationEncoder.h"

using namespace platform;
using namespace platform::codecs;

namespace {

double cpu_seconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

int usage() {
    std::fprintf(stderr, "usage: rle_encode_tool generate W H N OUT.raw\n"
                         "       rle_encode_tool encode W H N IN.raw OUT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) return usage();
    const std::string mode = argv[1];
    const int w = std::atoi(argv[2]), h = std::atoi(argv[3]), n = std::atoi(argv[4]);
    if (w <= 0 || h <= 0 || n <= 0) return usage();
    const size_t frameBytes = size_t(w) * size_t(h) * 3;

    if (mode == "generate") {
        std::ofstream out(argv[5], std::ios::binary);
        for (int t = 0; t < n; ++t) {
            const auto rgb = benchframes::natural_frame_rgb(w, h, t);
            out.write(reinterpret_cast<const char*>(rgb.data()), long(rgb.size()));
        }
        return out ? 0 : 1;
    }
    if (mode != "encode" || argc < 7) return usage();

    std::ifstream in(argv[5], std::ios::binary);
    const std::vector<UInt8> raw((std::istreambuf_iterator<char>(in)), {});
    if (raw.size() < frameBytes * size_t(n)) {
        std::fprintf(stderr, "rle_encode_tool: %s holds fewer than %d frames\n", argv[5], n);
        return 1;
    }
    auto max = rle::max_frame_size(w, h, 24);
    if (!max) {
        std::fprintf(stderr, "rle_encode_tool: %s\n", max.error().message);
        return 1;
    }

    rle::Encoder encoder;
    std::vector<UInt8> buf(*max);
    double best = 1e30;
    for (int pass = 0; pass < 5; ++pass) {
        const double start = cpu_seconds();
        for (int i = 0; i < n; ++i) {
            const ConstPixelView v(raw.data() + frameBytes * size_t(i), w * 3, w, h, 24);
            auto size = encoder.encode(v, 24, nullptr, buf);
            if (!size) {
                std::fprintf(stderr, "rle_encode_tool: %s\n", size.error().message);
                return 1;
            }
        }
        best = std::min(best, cpu_seconds() - start);
    }

    // Written once more outside the timing, frame by frame.
    std::ofstream out(argv[6], std::ios::binary);
    size_t total = 0;
    for (int i = 0; i < n; ++i) {
        const ConstPixelView v(raw.data() + frameBytes * size_t(i), w * 3, w, h, 24);
        const size_t size = *encoder.encode(v, 24, nullptr, buf);
        out.write(reinterpret_cast<const char*>(buf.data()), long(size));
        total += size;
    }
    std::printf("bytes %zu\nseconds %.6f\n", total, best);
    return out ? 0 : 1;
}
