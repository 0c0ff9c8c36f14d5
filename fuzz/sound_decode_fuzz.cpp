// Fuzzes a sound description and the sound decompressor it selects:
//   u16 entry size N, N bytes of a sample description entry (its own
//   header included), then packets, each u16 size L and L bytes.
// The description is read (fixed fields by version, extension atoms,
// printed as movdump would), made into the decoder's configuration, and
// every packet is decoded: damaged descriptions must be refused and
// damaged packets give nothing, never a crash or a read out of bounds.
#include <sstream>

#include "platform/core/Bytes.h"
#include "platform/movies/format/SoundAtoms.h"
#include "platform/movies/playback/SoundPackets.h"

namespace mv = platform::movies;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::ByteReader r(data, size);
    auto n = r.u16();
    if (!n.ok()) return 0;
    auto entry = r.bytes(*n);
    if (!entry.ok()) return 0;
    auto d = mv::SoundDescription::parse(*entry);
    if (!d.ok()) return 0;
    std::ostringstream out;
    d->dump(out, 0);
    // Rates and channel counts a decoder would spend its time on are not
    // what this looks for.
    if (d->channel_count() > 8 || d->rate() > 192000) return 0;
    mv::playback::OpenedDecoder o = mv::playback::open_decoder(*d, 48000);
    if (!o.decoder) return 0;
    std::vector<float> frames;
    for (int packets = 0; packets < 64; ++packets) {
        auto length = r.u16();
        if (!length.ok()) break;
        auto packet = r.bytes(std::min<size_t>(*length, r.remaining()));
        frames.clear();
        if (!o.decoder->decode(*packet, frames) && packets % 8 == 7) o.decoder->reset();
        if (frames.size() > (size_t(1) << 24)) __builtin_trap();
    }
    return 0;
}
