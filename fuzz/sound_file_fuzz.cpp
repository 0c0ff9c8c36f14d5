// Fuzzes the WAV and AIFF/AIFF-C parsers of the sound-file movie importers.
#include <cstddef>
#include <cstdint>

#include "platform/importers/SoundFileImport.h"

using namespace platform::importers;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySoundSource source({data, size});
    auto imported = parse_sound_file(source);
    if (!imported.ok()) return 0;
    // What a movie would refer to must lie inside the file.
    const SoundFileImport& s = *imported;
    if (s.dataOffset > size || s.dataSize > size - s.dataOffset) __builtin_trap();
    if (s.dataSize != UInt64(s.frameCount) * s.bytesPerFrame) __builtin_trap();
    if (s.description.sampleRate < 0x10000) __builtin_trap();
    return 0;
}
