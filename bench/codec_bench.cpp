// Animation codec benchmarks: the new movie's 70 frames (8 bits, 320x100)
// and 1920x1080 32-bit frames, encoding and decoding.
#include <benchmark/benchmark.h>

#include "BenchFrames.h"
#include "platform/codecs/rle/AnimationDecoder.h"
#include "platform/codecs/rle/AnimationEncoder.h"

using namespace platform;
using namespace platform::codecs;

namespace {

struct Clip {
    int w, h, depth;
    std::vector<std::vector<UInt8>> pixels;
    std::vector<std::vector<UInt8>> keys, deltas;

    ConstPixelView view(size_t i) const {
        return ConstPixelView(pixels[i].data(), SInt32(visible_row_bytes(w, depth)), w, h, SInt16(depth));
    }
    void code() {
        for (size_t i = 0; i < pixels.size(); ++i) {
            keys.push_back(*rle::encode_frame(view(i), depth));
            const ConstPixelView prev = view(i ? i - 1 : 0);
            deltas.push_back(*rle::encode_frame(view(i), depth, i ? &prev : nullptr));
        }
    }
};

const Clip& movie_clip() {
    static Clip c = [] {
        Clip c{320, 100, 8, {}, {}, {}};
        for (int n = 1; n <= 70; ++n) c.pixels.push_back(benchframes::movie_frame(n));
        c.code();
        return c;
    }();
    return c;
}

const Clip& hd_clip() {
    static Clip c = [] {
        Clip c{1920, 1080, 32, {}, {}, {}};
        for (int t = 0; t < 4; ++t) c.pixels.push_back(benchframes::natural_frame(1920, 1080, t));
        c.code();
        return c;
    }();
    return c;
}

void encode(benchmark::State& state, const Clip& c, int depth, bool delta) {
    rle::Encoder encoder;
    std::vector<UInt8> out(*rle::max_frame_size(c.w, c.h, depth));
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (size_t i = 0; i < c.pixels.size(); ++i) {
            const ConstPixelView prev = c.view(i ? i - 1 : 0);
            bytes += *encoder.encode(c.view(i), depth, (delta && i) ? &prev : nullptr, out);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * long(c.pixels.size()));
    state.counters["bytes/frame"] = double(bytes) / double(c.pixels.size());
}

void decode(benchmark::State& state, const Clip& c, const std::vector<std::vector<UInt8>>& frames, int depth) {
    const SInt32 rowBytes = SInt32(visible_row_bytes(c.w, depth));
    std::vector<UInt8> px(size_t(rowBytes) * size_t(c.h));
    const PixelView dst{px.data(), rowBytes, c.w, c.h, SInt16(depth)};
    for (auto _ : state) {
        for (const auto& f : frames)
            if (!rle::decode_frame(f, depth, dst).ok()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(px.data());
    }
    state.SetItemsProcessed(state.iterations() * long(frames.size()));
}

void BM_MovieEncodeKey(benchmark::State& s) { encode(s, movie_clip(), 8, false); }
void BM_MovieEncodeDelta(benchmark::State& s) { encode(s, movie_clip(), 8, true); }
void BM_MovieDecodeKey(benchmark::State& s) { decode(s, movie_clip(), movie_clip().keys, 8); }
void BM_HD32EncodeKey(benchmark::State& s) { encode(s, hd_clip(), 32, false); }
void BM_HD24From32EncodeKey(benchmark::State& s) { encode(s, hd_clip(), 24, false); }
void BM_HD32EncodeDelta(benchmark::State& s) { encode(s, hd_clip(), 32, true); }
void BM_HD32DecodeKey(benchmark::State& s) { decode(s, hd_clip(), hd_clip().keys, 32); }
void BM_HD32DecodeDelta(benchmark::State& s) { decode(s, hd_clip(), hd_clip().deltas, 32); }

BENCHMARK(BM_MovieEncodeKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieEncodeDelta)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieDecodeKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HD32EncodeKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HD24From32EncodeKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HD32EncodeDelta)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HD32DecodeKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HD32DecodeDelta)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
