// Fuzzes the Animation decoder at every depth.
//
// Input: a 5-byte preamble, then the frame.
//   byte 0     bits 0-2: depth (1, 2, 4, 8, 16, 24, 32; 7 is 24 into 32 bits)
//   bytes 1-2  width - 1 (big-endian, taken modulo 300)
//   byte 3     height - 1 (modulo 40)
//   byte 4     spare bytes after each row (modulo 16) and the fill byte
//
// Beyond not crashing, every frame the decoder accepts is re-coded: as a
// key frame, and as a delta frame against what the buffer held before, and
// both must decode back to the same pixels.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/codecs/rle/AnimationDecoder.h"
#include "platform/codecs/rle/AnimationEncoder.h"

using namespace platform;
using namespace platform::codecs;

namespace {

struct Buffer {
    std::vector<UInt8> bytes;
    PixelView view;
    Buffer(SInt32 w, SInt32 h, int depth, size_t slack, UInt8 fill) {
        const SInt32 rowBytes = SInt32(visible_row_bytes(w, depth) + slack);
        bytes.assign(size_t(rowBytes) * size_t(h), fill);
        view = PixelView{bytes.data(), rowBytes, w, h, SInt16(depth)};
    }
};

bool same_visible(const PixelView& a, const PixelView& b) {
    const unsigned bits = unsigned(size_t(a.width) * size_t(a.depth) % 8);
    const size_t whole = visible_row_bytes(a.width, a.depth) - (bits ? 1 : 0);
    for (SInt32 y = 0; y < a.height; ++y) {
        const UInt8 *ra = a.row(y), *rb = b.row(y);
        if (std::memcmp(ra, rb, whole) != 0) return false;
        if (bits && ((ra[whole] ^ rb[whole]) & UInt8(0xFF << (8 - bits)))) return false;
    }
    return true;
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    static const int kDepths[] = {1, 2, 4, 8, 16, 24, 32, 24};
    const int pick = data[0] & 7, depth = kDepths[pick], bufferDepth = pick == 7 ? 32 : depth;
    const SInt32 w = 1 + SInt32(((data[1] << 8) | data[2]) % 300), h = 1 + SInt32(data[3] % 40);
    const size_t slack = data[4] % 16;
    const UInt8 fill = data[4];
    const std::span<const UInt8> frame(data + 5, size - 5);

    Buffer before(w, h, bufferDepth, slack, fill), out(w, h, bufferDepth, slack, fill);
    if (!rle::decode_frame(frame, depth, out.view).ok()) return 0;
    if (bufferDepth != depth) return 0;   // 24 into 32 bits: nothing to re-code

    auto key = rle::encode_frame(out.view, depth);
    check(key.ok());
    Buffer again(w, h, depth, slack, UInt8(~fill));
    check(rle::decode_frame(*key, depth, again.view).ok());
    check(same_visible(again.view, out.view));

    const ConstPixelView prev = before.view;
    auto delta = rle::encode_frame(out.view, depth, &prev);
    check(delta.ok());
    check(rle::decode_frame(*delta, depth, before.view).ok());
    check(same_visible(before.view, out.view));
    return 0;
}
