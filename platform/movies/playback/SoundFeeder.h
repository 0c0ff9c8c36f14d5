// SoundFeeder.h — one sound track's samples on their way to the device.
//
// From the movie time playback starts at, the feeder walks the track's
// edits (empty edits and the time past the track's end are silence; an
// edit of another rate plays its media at that speed), reads
// the media's samples from wherever they live, decodes them to float,
// resamples them from the media's rate (times the playback rate) to the
// device's and writes them into a stream that starts at the device frame
// the picture starts at. It keeps about a quarter of a second written
// ahead of the device and stops at the end of the span being played.
//
// Our own PCM formats are read here; every other format is decoded by a
// sound decompressor (SoundPackets.h). Samples nothing decodes play as
// silence; problem() says why, in words, once the track reaches them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/PlayClock.h"
#include "platform/movies/playback/SoundPackets.h"
#include "platform/sound/AudioOutput.h"
#include "platform/sound/AudioStream.h"
#include "platform/sound/Resampler.h"
#include "platform/sound/SoundFormats.h"

namespace platform::movies::playback {

class SoundFeeder {
public:
    explicit SoundFeeder(UInt32 track_id) : track_id_(track_id) {}
    ~SoundFeeder();
    SoundFeeder(const SoundFeeder&) = delete;
    SoundFeeder& operator=(const SoundFeeder&) = delete;

    UInt32 track_id() const { return track_id_; }

    // Starts a stream on `out`: track time `anchor.time` plays at device
    // frame `anchor.at`, forward at `anchor.rate`; nothing is written for
    // movie time `stop` on.
    void start(TrackObject& track, host::AudioOutput& out, const Anchor& anchor, SInt64 stop);
    // Detaches the stream (what was written ahead is not heard).
    void stop();
    bool playing() const { return stream_ != nullptr; }
    // Writes what the device will need next.
    void top_up(TrackObject& track);
    void set_gain(float gain);

    const std::string& problem() const { return problem_; }

private:
    void restart_at(UInt64 frame);
    size_t read_input(TrackObject& track, UInt64 pos, size_t count, float* out);
    size_t read_media(TrackObject& track, UInt64 media_time, size_t count, float* out);
    void read_scaled(TrackObject& track, UInt64 media_time, Fixed rate, UInt64 first, size_t count, float* out);

    UInt32 track_id_;
    host::AudioOutput* out_ = nullptr;
    std::shared_ptr<sound::AudioStream> stream_;
    std::unique_ptr<sound::Resampler> resampler_;
    int channels_ = 1;
    double step_ = 1;
    UInt64 start_frame_ = 0;     // device frame of input_origin_
    double input_origin_ = 0;    // input frame (media units along the track) playing at start_frame_
    UInt64 input_next_ = 0;      // next input frame to push
    UInt64 frame_end_ = 0;       // device frames from here on stay silent
    float gain_ = 1.0f;
    std::vector<float> input_, output_, scaled_;
    SoundPackets packets_;     // what is not our own PCM
    std::string problem_;
};

}  // namespace platform::movies::playback
