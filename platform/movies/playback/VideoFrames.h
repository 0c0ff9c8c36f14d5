// VideoFrames.h — one video track's picture while its movie plays.
//
// Each video track decodes into a buffer of its own (an offscreen world at
// the image's depth, 32 bits for 24, with the image's colour table), which
// always holds a whole frame: the last one shown. Going to a sample decodes
// forward from the frame the buffer holds when the samples between allow
// it (a delta frame needs its predecessor), otherwise from the nearest sync
// sample at or before it. Drawing copies the buffer into the movie's port,
// scaled to the track's place in the movie box; drawing again (an update)
// does not decode.
//
// Codecs that keep state from frame to frame (those libavcodec decodes)
// go through a decode session instead (SessionFrames.h). Their frames are
// converted at drawing time, straight into the port when it is 32 bits
// deep and shows the frame whole, unscaled and unclipped (no buffer then);
// otherwise into a 32-bit buffer, made when first needed, that is copied.
// Our own whole-image codecs (Animation, raw) decode here.
// Drawing shows the clean aperture ('clap') when the description has one,
// turned as the track's matrix says (through a 32-bit buffer of its own).
//
// Frames this platform cannot decode never show as garbage: a codec it does
// not have (or a decoder the installed libraries lack), a depth the codec
// does not take, or damaged data, make the buffer a neutral grey
// placeholder that names the reason. A damaged frame of a session keeps the
// last good picture instead, once there is one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/movies/format/SampleDescriptions.h"
#include "platform/movies/objects/MovieBox.h"
#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies::playback {

class SessionFrames;

class VideoFrames {
public:
    explicit VideoFrames(UInt32 track_id);
    ~VideoFrames();
    VideoFrames(const VideoFrames&) = delete;
    VideoFrames& operator=(const VideoFrames&) = delete;

    UInt32 track_id() const { return track_id_; }

    // Makes the buffer hold media sample `n` (1-based). Returns whether
    // what the buffer shows changed.
    bool go_to_sample(MediaObject& media, UInt32 n);
    // The sample the buffer holds (0: none yet).
    UInt32 sample() const { return sample_; }
    // Copies the buffer into `port` at `dst` (the port's coordinates),
    // turned by `turn`.
    void draw(CGrafPtr port, const Rect& dst, QuarterTurn turn = {});
    // Why the buffer shows a placeholder (empty when it shows a frame).
    const std::string& placeholder() const { return placeholder_; }
    // Frames decoded since the track started playing (tests, benchmarks).
    UInt64 decoded() const { return decoded_; }

    // Forgets what the buffer holds (the media's samples changed).
    void reset();

private:
    bool prepare(MediaObject& media, UInt32 description);
    bool decode(MediaObject& media, UInt32 n);
    bool prepare_session(const VideoDescription& v);
    bool take_picture_size(const VideoDescription& v);
    void crop_to_clean_aperture(const VideoDescription& v);
    bool go_to_session_sample(MediaObject& media, UInt32 n);
    bool draw_direct(CGrafPtr port, const Rect& dst);
    bool fill_world();
    GWorldPtr turned(const Rect& src, QuarterTurn turn);
    void show_placeholder(const std::string& why);

    UInt32 track_id_;
    GWorldPtr world_ = nullptr;
    GWorldPtr upright_ = nullptr, turned_ = nullptr;   // a turned picture's steps
    SInt16 width_ = 0, height_ = 0;
    UInt32 description_ = 0;     // 1-based index the world was made for
    UInt32 sample_ = 0;
    std::string placeholder_;
    std::string unusable_;       // why the current description cannot be decoded
    std::vector<UInt8> data_;
    UInt64 decoded_ = 0;
    Rect source_{};                            // the part of the buffer shown
    std::unique_ptr<SessionFrames> session_;   // codecs with state
    bool shown_good_ = false;                  // the session has a good frame on show
    bool stale_ = false;                       // and the buffer does not hold it (yet)
};

// The text of the placeholder for frames of codec `codec` that cannot be decoded.
std::string codec_placeholder_text(OSType codec);

}  // namespace platform::movies::playback
