// FrameGaps.h — how long a playing movie went without a new picture.
//
// Each player keeps a watch: it is told when the movie starts and stops
// playing and each time a new frame is drawn into the movie's port. A gap
// runs from the start (or the last new frame) to the next new frame, or to
// the stop; the watch keeps the largest, in host milliseconds (virtual
// when headless). Going to another time while playing (a seek, a loop, an
// edit) does not end a gap: only a new picture does. A movie given too
// little time, among many or passed over, shows here as a large gap.
//
// Environment (read at start-up):
//   KINORA_REPORT_FRAME_GAPS=PATH  at exit, one line per movie that played,
//                                  in the order they were first played:
//                                  "<largest gap ms> <new frames> <name>"
//                                  (name: the movie's file name, or
//                                  "untitled" for a movie without one)
#pragma once

#include <optional>
#include <string>

#include "platform/Types.h"

namespace platform::movies::playback {

class FrameGapWatch {
public:
    // `name` is read when the report is written (the movie's file may be
    // named after the watch is made).
    explicit FrameGapWatch(const std::string& name);
    ~FrameGapWatch();
    FrameGapWatch(const FrameGapWatch&) = delete;
    FrameGapWatch& operator=(const FrameGapWatch&) = delete;

    // The movie plays (or not) from host time `now`.
    void playing(bool on, UInt64 now);
    // A new frame was drawn at `now`.
    void new_frame(UInt64 now);

    UInt64 largest_gap() const { return largest_; }
    UInt64 new_frames() const { return frames_; }
    bool played() const { return played_; }
    // The report line ("<gap> <frames> <name>").
    std::string line() const;

private:
    void close_gap(UInt64 now);

    const std::string& name_;
    std::optional<UInt64> since_;   // while playing: the start or the last new frame
    UInt64 largest_ = 0;
    UInt64 frames_ = 0;
    bool played_ = false;
};

// Writes the report named by KINORA_REPORT_FRAME_GAPS now: the movies
// closed so far and the live ones (the platform also does so at exit,
// ExitToShell included).
void write_frame_gap_report();

}  // namespace platform::movies::playback
