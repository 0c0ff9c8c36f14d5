// AudioOutput.h — the host's audio device, as playback sees it.
//
// A device plays 16-bit stereo at a rate of its own choosing and counts
// time in device frames from when it opened: frame F is heard F / rate()
// seconds after the start. Sound reaches it through streams (AudioStream.h):
// each stream holds frames addressed by the device frame they play at, so a
// stream that starts at frame F plays in step with a picture that started
// at the same moment. The device mixes every attached stream (Mixer.h).
//
// Threads: attach, detach and the clock are called on the main thread; a
// device with a thread of its own (SDL) mixes there, touching only the
// streams' lock-free rings and gains.
#pragma once

#include <memory>
#include <string>

#include "platform/Types.h"

namespace platform::sound {
class AudioStream;
}

namespace platform::host {

class AudioOutput {
public:
    AudioOutput();
    virtual ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Whether `out` is a device that still exists: a stream's producer may
    // outlive the host that made its device (a host replaced in tests, a
    // movie disposed after the host at exit) and must not touch it then.
    static bool alive(const AudioOutput* out);

    // What plays the sound, for messages ("headless, 44100 Hz", "SDL pulseaudio, 48000 Hz", ...).
    virtual std::string description() const = 0;
    // Device frames per second; every device is stereo.
    virtual int rate() const = 0;
    // The device frame being heard now: the audio clock playback follows.
    virtual UInt64 play_position() = 0;
    // The first frame a stream attached now is sure to have heard in full:
    // the device has not mixed it yet.
    virtual UInt64 earliest_start() = 0;
    // The frames mixed so far (producers never write more than a stream's
    // capacity past it).
    virtual UInt64 mixed_position() = 0;

    virtual void attach(std::shared_ptr<sound::AudioStream> stream) = 0;
    virtual void detach(const std::shared_ptr<sound::AudioStream>& stream) = 0;
};

}  // namespace platform::host
