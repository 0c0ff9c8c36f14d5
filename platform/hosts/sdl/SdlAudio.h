// SdlAudio.h — the SDL host's audio device.
//
// Opens the default output through SDL at a rate SDL and the device agree
// on (48000 Hz asked, 16-bit stereo, blocks of 1024 frames). Where there
// is no usable device (no sound server, a container, Xvfb) it falls back to
// SDL's "dummy" driver, which keeps time like a device but plays nothing,
// and says so once on stderr and in description(); only when even that
// fails is there no audio output.
//
// SDL calls the mixer on its own audio thread; attaching and detaching a
// stream lock the device for that moment only (SDL_LockAudioDevice).
#pragma once

#include <SDL.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/sound/AudioOutput.h"
#include "platform/sound/Mixer.h"

namespace platform::sound {

class SdlAudio final : public host::AudioOutput {
public:
    // The device, or null when no driver at all could be opened.
    static std::unique_ptr<SdlAudio> open();
    ~SdlAudio() override;

    std::string description() const override { return description_; }
    int rate() const override { return rate_; }
    UInt64 play_position() override;
    UInt64 earliest_start() override;
    UInt64 mixed_position() override { return mixed_.load(std::memory_order_acquire); }
    void attach(std::shared_ptr<AudioStream> stream) override;
    void detach(const std::shared_ptr<AudioStream>& stream) override;

    bool is_dummy() const { return dummy_; }

private:
    SdlAudio() = default;
    static void SDLCALL fill(void* self, Uint8* stream, int len);
    bool open_device();

    SDL_AudioDeviceID device_ = 0;
    int rate_ = 48000;
    UInt32 block_ = 1024;
    bool dummy_ = false;
    std::string description_;
    Mixer mixer_;
    std::atomic<UInt64> mixed_{0};
    std::atomic<UInt64> mixed_at_ns_{0};   // steady clock when the last block was mixed
};

}  // namespace platform::sound
