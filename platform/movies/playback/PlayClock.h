// PlayClock.h — movie time while a movie plays: where it is, and what
// happens at the ends of what it plays.
/*
 * A playing movie's time is anchored: at clock reading `at` it was at
 * movie time `time` and runs at `rate` (16.16, negative backwards). Two
 * clocks can drive it: the host's milliseconds, or the audio device's
 * frames when the movie's sound plays (then the picture follows what is
 * heard). Movie time never runs before the anchor: a stream that starts a
 * little after the moment it was asked for holds the picture until it does.
 *
 * At an end of the span played (the movie, or its selection):
 *   no looping       the time stops at the end and the movie stops
 *   loopTimeBase     the time wraps around to the other end, same direction
 *   + palindrome     the time turns back from the end, the rate changes sign
 */
#pragma once

#include "platform/Types.h"

namespace platform::movies::playback {

enum class ClockSource { Host, Audio };

struct Anchor {
    SInt64 time = 0;       // movie units
    Fixed rate = 0;
    ClockSource source = ClockSource::Host;
    UInt64 at = 0;         // host ms or device frame
    UInt32 ticks_per_second = 1000;   // 1000 for the host, the device rate for audio
};

// Movie time at clock reading `now` (movie time scale `scale`).
SInt64 time_at(const Anchor& a, UInt64 now, UInt32 scale);

// The clock reading at which the anchored time reaches `time` (forward
// only; the anchor's reading when `time` lies behind it).
UInt64 reading_at(const Anchor& a, SInt64 time, UInt32 scale);

struct Span {
    SInt64 start = 0;
    SInt64 end = 0;
};

struct Wrapped {
    SInt64 time = 0;
    Fixed rate = 0;
    bool stopped = false;   // reached an end without looping
    bool jumped = false;    // wrapped or turned back: the clock re-anchors
};

// What time `t`, reached at `rate`, becomes within `span` with the time
// base flags (loopTimeBase, palindromeLoopTimeBase).
Wrapped wrap(SInt64 t, Fixed rate, Span span, SInt32 time_base_flags);

}  // namespace platform::movies::playback
