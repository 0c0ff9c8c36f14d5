#include "platform/hosts/sdl/SdlAudio.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace platform::sound {

namespace {

UInt64 steady_ns() {
    return UInt64(std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
}

}  // namespace

bool SdlAudio::open_device() {
    SDL_AudioSpec want{}, have{};
    want.freq = 48000;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlAudio::fill;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return false;
    rate_ = have.freq;
    block_ = have.samples ? have.samples : 1024;
    return true;
}

std::unique_ptr<SdlAudio> SdlAudio::open() {
    std::unique_ptr<SdlAudio> a(new SdlAudio());
    std::string why;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        if (a->open_device()) {
            const char* driver = SDL_GetCurrentAudioDriver();
            a->dummy_ = driver && std::string(driver) == "dummy";
            a->description_ = std::string("SDL ") + (driver ? driver : "audio") + ", " + std::to_string(a->rate_) + " Hz";
        } else {
            why = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    } else {
        why = SDL_GetError();
    }
    if (!a->device_) {
        // No device: SDL's dummy driver keeps the audio clock going silently.
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || !a->open_device()) {
            std::fprintf(stderr, "kinora: no audio output (%s; the dummy driver failed too: %s)\n", why.c_str(),
                         SDL_GetError());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return nullptr;
        }
        a->dummy_ = true;
        a->description_ = "SDL dummy driver (no audio device: " + why + "), " + std::to_string(a->rate_) + " Hz";
        std::fprintf(stderr, "kinora: no audio device (%s); sound goes to SDL's dummy driver and is not heard\n",
                     why.c_str());
    }
    SDL_PauseAudioDevice(a->device_, 0);
    return a;
}

SdlAudio::~SdlAudio() {
    if (device_) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SDLCALL SdlAudio::fill(void* self, Uint8* stream, int len) {
    auto* a = static_cast<SdlAudio*>(self);
    const UInt32 frames = UInt32(len) / 4;
    const UInt64 first = a->mixed_.load(std::memory_order_relaxed);
    a->mixer_.mix(reinterpret_cast<SInt16*>(stream), first, frames);
    a->mixed_at_ns_.store(steady_ns(), std::memory_order_relaxed);
    a->mixed_.store(first + frames, std::memory_order_release);
}

// The block just mixed is the one playing: the position lies between its
// start and its end, interpolated by the time since it was handed over.
UInt64 SdlAudio::play_position() {
    const UInt64 mixed = mixed_.load(std::memory_order_acquire);
    if (mixed == 0) return 0;
    const UInt64 at = mixed_at_ns_.load(std::memory_order_relaxed);
    const UInt64 start = mixed > block_ ? mixed - block_ : 0;
    const UInt64 now = steady_ns();
    const UInt64 elapsed = now > at ? UInt64((static_cast<unsigned __int128>(now - at) * UInt64(rate_)) / 1000000000u) : 0;
    return std::min(start + elapsed, mixed);
}

// A block may be being mixed right now: start a block later.
UInt64 SdlAudio::earliest_start() { return mixed_.load(std::memory_order_acquire) + block_; }

void SdlAudio::attach(std::shared_ptr<AudioStream> stream) {
    SDL_LockAudioDevice(device_);
    mixer_.attach(std::move(stream));
    SDL_UnlockAudioDevice(device_);
}

void SdlAudio::detach(const std::shared_ptr<AudioStream>& stream) {
    SDL_LockAudioDevice(device_);
    mixer_.detach(stream);
    SDL_UnlockAudioDevice(device_);
}

}  // namespace platform::sound
