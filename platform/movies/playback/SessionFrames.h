// SessionFrames.h — the frames of a video track whose codec keeps state
// from frame to frame (H.264, HEVC, ... through libavcodec): a decode
// session fed in decode order, showing frames by composition time.
//
// Going to a sample (its number, in decode order, as the sample table
// shows it at a display time):
//   - a frame still in the session's cache is converted from there
//     (stepping backwards, and going back over frames just played);
//   - while playing forward the session goes on: samples are sent in
//     decode order until the wanted frame comes out (the codec's reordering
//     delay and its frame threads hold frames back for a few samples);
//   - otherwise (a seek, backwards past the cache, a jump past the next
//     sync sample) the session is flushed and decoding starts at the sync
//     sample before the target. The frames decoded on the way are cached,
//     never shown: only the target is.
// A target that comes out damaged, or never comes out (the decoder moved
// past its display time, or the samples ran out), is reported, and the
// picture shown before stays: never garbage. So are the frames decoded
// after a damaged one up to the next sync sample, which may refer to it.
#pragma once

#include <memory>
#include <vector>

#include "platform/codecs/PixelView.h"
#include "platform/codecs/libav/DecodeSession.h"
#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies::playback {

class SessionFrames {
public:
    static Result<std::unique_ptr<SessionFrames>> open(const codecs::libav::StreamSetup& setup, UInt32 description);

    enum class Outcome { Shown, Damaged };
    // Makes the frame of sample `n` (valid) the one on show.
    Outcome go_to(MediaObject& media, UInt32 n);
    // Converts the frame on show into dst (32 bits, scaled to its size);
    // paramErr when there is none.
    Result<void> draw(const codecs::PixelView& dst) { return session_->convert(shown_, dst); }
    // Frames that came out of the decoder.
    UInt64 decoded() const { return decoded_; }

private:
    explicit SessionFrames(std::unique_ptr<codecs::libav::DecodeSession> s, UInt32 description)
        : session_(std::move(s)), description_(description) {}
    // Sends the next sample in decode order (or ends the stream after the
    // last one); false when nothing is left to send. Frames shown before
    // display time `want` will not be shown on this run: the decoder may
    // skip those nothing refers to.
    bool feed(MediaObject& media, SInt64 want);
    // A damaged sample `n`: it and what follows it in its group of pictures
    // are not shown.
    void taint(const SampleTable& table, UInt32 n);
    bool tainted(const SampleTable& table, UInt32 n) const;

    std::unique_ptr<codecs::libav::DecodeSession> session_;
    UInt32 description_;
    SInt64 shown_ = 0;           // the sample on show (0: none)
    UInt32 next_ = 0;            // the next sample to send (0: no run since the last flush)
    UInt32 run_start_ = 0;       // the sync sample the run started at
    bool ended_ = false;         // end of stream sent: flush before sending more
    bool any_out_ = false;
    SInt64 last_out_ = 0;        // display time of the last frame out in this run
    UInt32 tainted_from_ = 0;    // the damaged sample (0: none in this run)
    std::vector<UInt8> data_;
    UInt64 decoded_ = 0;
};

}  // namespace platform::movies::playback
