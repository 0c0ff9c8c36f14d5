// HeadlessAudio.h — the headless host's audio device: a virtual device
// that "plays" as the host clock moves, at a fixed rate (44100 Hz stereo
// 16-bit; KINORA_HEADLESS_AUDIO_RATE chooses another, 8000 ... 192000).
//
// Device frame F is heard at host time F / rate seconds, counted from the
// host clock's zero, so with the virtual clock a recording's frame index is
// the virtual time it was heard at. The device mixes lazily: whenever its
// clock is asked, it mixes up to the host's present time. With
// --record-audio FILE.wav it writes everything it mixes (silence included,
// from time zero) into that file, which is finished when the device goes,
// when the process ends through ExitToShell or when main returns.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/hostapi/Host.h"
#include "platform/sound/AudioOutput.h"
#include "platform/sound/Mixer.h"
#include "platform/sound/WavWriter.h"

namespace platform::sound {

class HeadlessAudio final : public host::AudioOutput {
public:
    using Clock = std::function<UInt64()>;   // host milliseconds

    HeadlessAudio(Clock clock, int rate, std::optional<std::string> record_path);
    ~HeadlessAudio() override;

    std::string description() const override;
    int rate() const override { return rate_; }
    UInt64 play_position() override;
    UInt64 earliest_start() override { return play_position(); }
    UInt64 mixed_position() override { return play_position(); }
    void attach(std::shared_ptr<AudioStream> stream) override;
    // What the stream held for the time that has passed was heard: it is
    // mixed before the stream goes.
    void detach(const std::shared_ptr<AudioStream>& stream) override;

    // Mixes up to now and closes the recording (idempotent).
    void finish();
    bool recording() const { return wav_.is_open(); }

    // The rate a new headless device uses.
    static int configured_rate();

private:
    void catch_up();

    Clock clock_;
    int rate_;
    UInt64 mixed_ = 0;
    Mixer mixer_;
    WavWriter wav_;
    std::vector<SInt16> block_;
    int exit_hook_ = 0;
};

}  // namespace platform::sound
