// Frame sizes: the encoder's lines must be the cheapest the format allows
// (checked against a plain exhaustive search over every code at every
// position), and no frame may outgrow max_frame_size.
#include <gtest/gtest.h>

#include <algorithm>

#include "CodecTestSupport.h"
#include "platform/codecs/rle/AnimationEncoder.h"

using namespace codectest;
using namespace platform;
using namespace platform::codecs;

namespace {

constexpr size_t kInf = size_t(1) << 40;

// Cheapest line at depths 2-32, trying every length of every code.
size_t reference_line(const std::vector<UInt32>& cur, const std::vector<UInt32>* prev, size_t b) {
    const size_t n = cur.size();
    std::vector<bool> same(n);
    for (size_t i = 0; i < n; ++i) same[i] = prev && cur[i] == (*prev)[i];
    size_t t = n;
    while (t > 0 && same[t - 1]) --t;
    if (t == 0) return 2;
    std::vector<size_t> cost(n + 1, 0);
    for (size_t i = t; i-- > 0;) {
        size_t best = kInf;
        for (size_t L = 1; L <= 127 && i + L <= n; ++L) best = std::min(best, 1 + L * b + cost[i + L]);
        for (size_t L = 2; L <= 128 && i + L <= n && cur[i + L - 1] == cur[i]; ++L)
            best = std::min(best, 1 + b + cost[i + L]);
        for (size_t L = 1; L <= 254 && i + L <= n && same[i + L - 1]; ++L)
            best = std::min(best, 2 + cost[i + L]);
        cost[i] = best;
    }
    size_t best = kInf;
    for (size_t k = 0; k <= 254 && k <= n && (k == 0 || same[k - 1]); ++k)
        best = std::min(best, 2 + cost[k]);
    return best;
}

// Cheapest 1-bit line: pairs whose skip byte may skip up to 127 unchanged
// units before a code, or skip alone.
size_t reference_pairs(const std::vector<UInt32>& cur, const std::vector<UInt32>* prev) {
    const size_t n = cur.size();
    std::vector<bool> same(n);
    for (size_t i = 0; i < n; ++i) same[i] = prev && cur[i] == (*prev)[i];
    size_t t = n;
    while (t > 0 && same[t - 1]) --t;
    if (t == 0) return 2;
    std::vector<size_t> cost(n + 1, 0), code(n + 1, kInf);
    for (size_t i = t; i-- > 0;) {
        for (size_t L = 1; L <= 127 && i + L <= n; ++L) code[i] = std::min(code[i], 2 + 2 * L + cost[i + L]);
        for (size_t L = 2; L <= 128 && i + L <= n && cur[i + L - 1] == cur[i]; ++L)
            code[i] = std::min(code[i], 4 + cost[i + L]);
        size_t best = code[i];
        for (size_t s = 1; s <= 127 && i + s <= n && same[i + s - 1]; ++s) {
            best = std::min(best, code[i + s]);
            best = std::min(best, 2 + cost[i + s]);
        }
        cost[i] = best;
    }
    return cost[0];
}

struct Geo {
    int depth;
    size_t unitBytes, unitPixels;
};
const Geo kGeos[] = {{1, 2, 16}, {2, 4, 16}, {4, 4, 8}, {8, 4, 4}, {16, 2, 1}, {24, 3, 1}, {32, 4, 1}};

// A line of units: noise, runs of every length, and short runs of values
// from a small set, so equal neighbours also happen by chance.
std::vector<UInt32> random_units(Rng& rng, size_t n, size_t unitBytes) {
    const UInt32 mask = unitBytes == 4 ? 0xFFFFFFFFu : (1u << (8 * unitBytes)) - 1;
    std::vector<UInt32> u;
    while (u.size() < n) {
        const UInt32 v = (rng.next() % 5) & mask;
        switch (rng.next() % 4) {
        case 0:   // noise: literals longer than one code
            for (size_t k = 1 + rng.next() % 400; k > 0 && u.size() < n; --k) u.push_back(rng.next() & mask);
            break;
        case 1:   // a run, often longer than one code
            for (size_t k = 1 + rng.next() % 300; k > 0 && u.size() < n; --k) u.push_back(v);
            break;
        default:
            for (size_t k = 1 + rng.next() % 4; k > 0 && u.size() < n; --k) u.push_back(v);
        }
    }
    return u;
}

void put_units(Image& im, SInt32 y, const std::vector<UInt32>& u, size_t b) {
    for (size_t i = 0; i < u.size(); ++i)
        for (size_t k = 0; k < b; ++k) im.row(y)[i * b + k] = UInt8(u[i] >> (8 * (b - 1 - k)));
}

// One-line frames, key and delta, against the exhaustive search.
TEST(AnimationSize, LinesAreTheCheapestTheFormatAllows) {
    Rng rng(7);
    for (const Geo& g : kGeos) {
        for (int trial = 0; trial < 150; ++trial) {
            const size_t n = 1 + rng.next() % 600;
            const std::vector<UInt32> cur = random_units(rng, n, g.unitBytes);
            std::vector<UInt32> prev = cur;
            for (int k = rng.next() % 6; k > 0; --k) {   // change a few stretches
                const size_t at = rng.next() % n, len = 1 + rng.next() % 40;
                for (size_t i = at; i < std::min(n, at + len); ++i) prev[i] = rng.next();
            }
            const SInt32 w = SInt32(n * g.unitPixels);
            Image a(w, 1, g.depth), p(w, 1, g.depth);
            put_units(a, 0, cur, g.unitBytes);
            put_units(p, 0, prev, g.unitBytes);
            const size_t frameBytes = 6 + (g.depth == 1 ? 2 : 1);

            const size_t key = rle::encode_frame(a.cview(), g.depth)->size();
            const size_t refKey = g.depth == 1 ? reference_pairs(cur, nullptr)
                                               : reference_line(cur, nullptr, g.unitBytes);
            ASSERT_EQ(key, frameBytes + refKey) << "key, depth " << g.depth << " trial " << trial;

            const ConstPixelView pv = p.cview();
            const size_t delta = rle::encode_frame(a.cview(), g.depth, &pv)->size();
            if (cur == prev) {
                EXPECT_EQ(delta, 7u);
                continue;
            }
            const size_t refDelta = g.depth == 1 ? reference_pairs(cur, &prev)
                                                 : reference_line(cur, &prev, g.unitBytes);
            ASSERT_EQ(delta, frameBytes + refDelta) << "delta, depth " << g.depth << " trial " << trial;
        }
    }
}

// The bound holds on the content that codes worst: no two neighbouring
// units alike (alternating pixels, noise), at widths around the literal
// limit, for key frames and for delta frames against a frame that differs
// everywhere. For 32-bit noise it is met exactly, less the line range.
TEST(AnimationSize, MaxFrameSizeBoundsEveryFrame) {
    for (const Geo& g : kGeos) {
        for (SInt32 units : {1, 2, 126, 127, 128, 254, 255, 1000}) {
            const SInt32 w = units * SInt32(g.unitPixels) - (g.unitPixels > 1 ? 1 : 0);
            for (Pattern p : {Pattern::Alternating, Pattern::Noise}) {
                const Image a = make_image(w, 4, g.depth, p, UInt32(units));
                const Image b = make_image(w, 4, g.depth, Pattern::Noise, UInt32(units + 1));
                const size_t bound = *rle::max_frame_size(w, 4, g.depth);
                const ConstPixelView bv = b.cview();
                const std::string what = std::string(pattern_name(p)) + " depth " +
                                         std::to_string(g.depth) + " width " + std::to_string(w);
                EXPECT_LE(rle::encode_frame(a.cview(), g.depth)->size(), bound) << what;
                EXPECT_LE(rle::encode_frame(a.cview(), g.depth, &bv)->size(), bound) << what;
                if (g.depth == 32 && p == Pattern::Noise) {
                    EXPECT_EQ(rle::encode_frame(a.cview(), g.depth)->size(), bound - 8) << what;
                }
            }
        }
    }
}

}  // namespace
