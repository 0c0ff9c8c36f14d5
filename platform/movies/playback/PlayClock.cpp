#include "platform/movies/playback/PlayClock.h"

#include "platform/Movies.h"

namespace platform::movies::playback {

namespace {
using I128 = __int128;
}

SInt64 time_at(const Anchor& a, UInt64 now, UInt32 scale) {
    if (a.rate == 0 || now <= a.at || a.ticks_per_second == 0) return a.time;
    const I128 elapsed = I128(now - a.at);
    const I128 units = elapsed * scale * a.rate / (I128(a.ticks_per_second) << 16);
    return a.time + SInt64(units);
}

UInt64 reading_at(const Anchor& a, SInt64 time, UInt32 scale) {
    const SInt64 d = time - a.time;
    if (a.rate == 0 || scale == 0 || (d > 0) != (a.rate > 0) || d == 0) return a.at;
    const I128 num = (I128(d < 0 ? -d : d) * a.ticks_per_second) << 16;
    const I128 den = I128(scale) * (a.rate < 0 ? -I128(a.rate) : I128(a.rate));
    return a.at + UInt64((num + den - 1) / den);
}

Wrapped wrap(SInt64 t, Fixed rate, Span span, SInt32 flags) {
    Wrapped w{t, rate, false, false};
    const bool forward = rate > 0;
    const bool past = forward ? t >= span.end : t <= span.start;
    if (rate == 0 || !past) return w;
    const SInt64 length = span.end - span.start;
    if (!(flags & loopTimeBase) || length <= 0) {
        w.time = forward ? span.end : span.start;
        w.rate = 0;
        w.stopped = true;
        return w;
    }
    w.jumped = true;
    const SInt64 over = forward ? t - span.end : span.start - t;
    const SInt64 turns = over / length, rest = over % length;
    if (!(flags & palindromeLoopTimeBase)) {
        w.time = forward ? span.start + rest : span.end - rest;
        return w;
    }
    // Each full length travelled past an end turns the direction once more.
    const bool turned = turns % 2 == 0;
    if (turned) {
        w.time = forward ? span.end - rest : span.start + rest;
        w.rate = -rate;
    } else {
        w.time = forward ? span.start + rest : span.end - rest;
    }
    return w;
}

}  // namespace platform::movies::playback
