// Fuzzes the WAV and AIFF readers rescompile builds sounds from.
#include <cstddef>
#include <cstdint>

#include "AudioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const UInt8> file(data, size);
    for (auto reader : {&rescompile::read_wav, &rescompile::read_aiff}) {
        auto audio = reader(file);
        if (audio && audio->frame_bytes() && audio->samples.size() % audio->frame_bytes() != 0) __builtin_trap();
    }
    return 0;
}
