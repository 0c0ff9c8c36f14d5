// A decode session fed damaged samples: any bytes as a codec, its
// configuration and a run of samples, sent with flushes between, every
// frame that comes out converted. Input layout:
//   codec index u8, configuration length u16 + bytes,
//   then samples: control u8 (bit 0 sync, bit 1 flush first, bit 2 not to be shown), length u16 + bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/codecs/libav/DecodeSession.h"
#include "platform/core/FourCC.h"

using namespace platform;

namespace {

constexpr OSType kCodecs[] = {fourcc("avc1"), fourcc("hvc1"), fourcc("mp4v"), fourcc("jpeg"), fourcc("png "),
                              fourcc("apcn"), fourcc("smc "), fourcc("rpza"), fourcc("cvid"), fourcc("SVQ1"),
                              fourcc("yuv2"), fourcc("v210"), fourcc("av01"), fourcc("vp09")};

struct Input {
    const uint8_t* p;
    size_t n;
    bool take(size_t k, const uint8_t** out) {
        if (k > n) return false;
        *out = p, p += k, n -= k;
        return true;
    }
    // A big-endian number of `bytes` bytes.
    bool number(size_t bytes, unsigned* v) {
        const uint8_t* b;
        if (!take(bytes, &b)) return false;
        *v = 0;
        for (size_t i = 0; i < bytes; ++i) *v = *v << 8 | b[i];
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    unsigned codec = 0, config_size = 0;
    const uint8_t* config = nullptr;
    if (!in.number(1, &codec) || !in.number(2, &config_size) || !in.take(config_size, &config)) return 0;
    codecs::libav::StreamSetup setup;
    setup.codec = kCodecs[codec % (sizeof kCodecs / sizeof kCodecs[0])], setup.width = 64, setup.height = 48, setup.depth = 24;
    setup.threads = 1 + (codec >> 7);   // frame threads too, for the upper half
    setup.cache_frames = 3;
    setup.config.assign(config, config + config_size);
    auto session = codecs::libav::DecodeSession::open(setup);
    if (!session.ok()) return 0;
    std::vector<UInt8> pixels(64 * 48 * 4);
    const codecs::PixelView dst{pixels.data(), 64 * 4, 64, 48, 32};
    auto drain = [&] {
        while (auto f = (*session)->receive()) {
            if (f->damaged) continue;
            if (f->tag & 1) (void)(*session)->hold(f->tag);
            (void)(*session)->convert(f->tag, dst);
        }
    };
    unsigned control = 0, length = 0;
    const uint8_t* sample = nullptr;
    for (SInt64 tag = 1; in.number(1, &control) && in.number(2, &length) && in.take(length, &sample); ++tag) {
        if (control & 2) (*session)->flush();
        (void)(*session)->send(std::span<const UInt8>(sample, length), tag, control & 1, !(control & 4));
        drain();
    }
    (*session)->end_of_stream();
    drain();
    return 0;
}
