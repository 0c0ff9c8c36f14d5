#include "platform/sound/SoundDecoder.h"

namespace platform::sound {

std::unique_ptr<SoundDecoder> open_sound_decoder(OSType format) {
    const ComponentDescription looking{kSoundDecompressorType, format, 0, 0, 0};
    Component c = components::next_component(nullptr, &looking);
    if (!c) return nullptr;
    auto opened = components::open_instance(c);
    if (!opened.ok()) return nullptr;
    std::unique_ptr<components::Instance> instance = components::release_instance(*opened);
    auto* decoder = dynamic_cast<SoundDecoder*>(instance.get());
    if (!decoder) return nullptr;
    instance.release();
    return std::unique_ptr<SoundDecoder>(decoder);
}

}  // namespace platform::sound
