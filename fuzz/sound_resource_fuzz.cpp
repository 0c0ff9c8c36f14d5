// Fuzzes the authoring code's sound resource reader: arbitrary bytes as a
// 'snd ' resource. Its fatal error check is doubled by one that throws,
// caught here, so a refused resource ends the run the way the application
// would end, and anything accepted must describe data inside the resource.
#include <cstring>
#include <stdexcept>

#include "QTSoundPrivate.h"

struct SoundRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void CheckError(OSErr error, char* msg) {
    if (error != noErr && msg[0] != '\0') throw SoundRefused(msg);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Handle snd = NewHandle(Size(size));
    if (!snd) return 0;
    if (size) std::memcpy(*snd, data, size);
    SoundDescriptionHandle desc = (SoundDescriptionHandle)NewHandle(4);
    SInt32 offset = 0, samples = 0, bytes = 0;
    try {
        QTSound_CreateSoundDescription(snd, desc, &offset, &samples, &bytes);
        if (offset < 0 || bytes < 0 || samples < 0 || UInt64(offset) + UInt64(bytes) > size) __builtin_trap();
        if (GetHandleSize((Handle)desc) != 36) __builtin_trap();
    } catch (const SoundRefused&) {
    }
    DisposeHandle((Handle)desc);
    DisposeHandle(snd);
    return 0;
}
