// MCDoAction: every action goes to the application's filter first and is
// performed here when the filter leaves it. Actions whose parameter is a
// value (rates, steps, Booleans, flags) carry it in the pointer slot.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/controller/Controller.h"
#include "platform/movies/objects/MovieBox.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::controller {

namespace {

bool same_options(const BarOptions& a, const BarOptions& b) {
    return a.speaker == b.speaker && a.steps == b.steps && a.grow == b.grow;
}

intptr_t value_of(void* params) { return reinterpret_cast<intptr_t>(params); }
bool flag_of(void* params) { return value_of(params) != 0; }

// A time record in the movie's time scale (a record without a scale is
// taken to be in it already). A time between two movie units goes to the
// later one: a frame's start in its media's finer scale then lands where
// that frame shows, not in the unit before, which still shows the one before.
SInt64 movie_time_of(const TimeRecord& r, ::Movie movie) {
    const SInt64 value = (SInt64(r.value.hi) << 32) | SInt64(r.value.lo);
    const TimeScale scale = GetMovieTimeScale(movie);
    if (r.scale <= 0 || r.scale == scale || scale <= 0) return value;
    // 128 bits: a caller's record may hold any 64-bit value.
    const __int128 num = __int128(value) * scale;
    __int128 t = num / r.scale;
    if (num % r.scale > 0) ++t;
    return SInt64(std::clamp<__int128>(t, INT64_MIN, INT64_MAX));
}

}  // namespace

ComponentResult Controller::act(SInt16 action, void* params) {
    if (filter_ && filter_(self_, action, params, refcon_)) return noErr;
    return perform(action, params);
}

ComponentResult Controller::perform(SInt16 action, void* params) {
    switch (action) {
    case mcActionIdle:
        if (movie_) {
            MoviesTask(movie_, 0);
            redraw_if_moved();
        }
        return noErr;
    case mcActionDraw:
        draw(static_cast<WindowRef>(params));
        return noErr;
    case mcActionActivate:
    case mcActionDeactivate:
    case mcActionSuspend:
    case mcActionResume:
        active_ = action == mcActionActivate || action == mcActionResume;
        draw_bar();
        return noErr;
    case mcActionMouseDown:
        if (!params) return paramErr;
        mouse_down(*static_cast<const EventRecord*>(params));
        return noErr;
    case mcActionKey:
        if (!params) return paramErr;
        return key(*static_cast<const EventRecord*>(params)) ? noErr : paramErr;
    case mcActionPlay:
    case mcActionPrerollAndPlay:
        play(Fixed(value_of(params)));
        return noErr;
    case mcActionGoToTime:
        if (!params || !movie_) return paramErr;
        go_to(movie_time_of(*static_cast<const TimeRecord*>(params), movie_));
        return noErr;
    case mcActionSetVolume:
        if (!params) return paramErr;
        set_volume(*static_cast<const SInt16*>(params));
        return noErr;
    case mcActionGetVolume:
        if (!params || !movie_) return paramErr;
        *static_cast<SInt16*>(params) = GetMovieVolume(movie_);
        return noErr;
    case mcActionStep:
        step(SInt32(value_of(params)));
        return noErr;
    case mcActionSetLooping:
        set_looping(loopTimeBase, flag_of(params));
        return noErr;
    case mcActionSetLoopIsPalindrome:
        set_looping(palindromeLoopTimeBase, flag_of(params));
        return noErr;
    case mcActionGetLooping:
    case mcActionGetLoopIsPalindrome: {
        if (!params || !movie_) return paramErr;
        const SInt32 f = GetTimeBaseFlags(GetMovieTimeBase(movie_));
        *static_cast<Boolean*>(params) = (f & (action == mcActionGetLooping ? loopTimeBase : palindromeLoopTimeBase)) != 0;
        return noErr;
    }
    case mcActionSetGrowBoxBounds: {
        const BarOptions before = bar_options();
        const Rect old = bounds();
        const Rect* r = static_cast<const Rect*>(params);
        if (r && !kit::is_empty(*r)) grow_bounds_ = *r;
        else grow_bounds_.reset();
        reshaped(before, old);
        return noErr;
    }
    case mcActionControllerSizeChanged:
        return noErr;
    case mcActionSetSelectionBegin:
    case mcActionSetSelectionDuration: {
        if (!params || !movie_) return paramErr;
        TimeValue start = 0, length = 0;
        GetMovieSelection(movie_, &start, &length);
        const SInt64 t = movie_time_of(*static_cast<const TimeRecord*>(params), movie_);
        if (action == mcActionSetSelectionBegin) set_selection(t, length);
        else set_selection(start, t);
        return noErr;
    }
    case mcActionSetKeysEnabled:
    case mcActionSetControllerKeysEnabled:
        keys_enabled_ = flag_of(params);
        return noErr;
    case mcActionGetKeysEnabled:
        if (!params) return paramErr;
        *static_cast<Boolean*>(params) = keys_enabled_;
        return noErr;
    case mcActionSetPlaySelection:
        if (auto* m = movies::movie_of(movie_)) movies::playback::player_of(*m).set_play_selection(flag_of(params));
        return noErr;
    case mcActionGetPlaySelection: {
        if (!params) return paramErr;
        auto* m = movies::movie_of(movie_);
        *static_cast<Boolean*>(params) = m && movies::playback::player_of(*m).play_selection();
        return noErr;
    }
    case mcActionSetUseBadge:
        use_badge_ = flag_of(params);
        if (!visible_) invalidate(movie_box());
        return noErr;
    case mcActionGetUseBadge:
        if (!params) return paramErr;
        *static_cast<Boolean*>(params) = use_badge_;
        return noErr;
    case mcActionSetFlags:
        return set_flags(UInt32(value_of(params)));
    case mcActionGetFlags: {
        if (!params) return paramErr;
        auto* word = static_cast<SInt32*>(params);
        *word = SInt32((UInt32(*word) & mcFlagQTVRExplicitFlagSet) ? explicit_flags_ : control_flags_);
        return noErr;
    }
    case mcActionSetPlayEveryFrame:
        play_every_frame_ = flag_of(params);
        return noErr;
    case mcActionGetPlayEveryFrame:
        if (!params) return paramErr;
        *static_cast<Boolean*>(params) = play_every_frame_;
        return noErr;
    case mcActionGetPlayRate:
        if (!params || !movie_) return paramErr;
        *static_cast<Fixed*>(params) = GetMovieRate(movie_);
        return noErr;
    case mcActionShowSelection:
        return noErr;
    case mcActionGetTimeSliderRect:
        if (!params) return paramErr;
        *static_cast<Rect*>(params) = layout().slider;
        return noErr;
    case mcActionMovieEdited: {
        if (movie_) UpdateMovie(movie_);
        invalidate(bounds());
        return noErr;
    }
    case mcActionGetDragEnabled:
        if (!params) return paramErr;
        *static_cast<Boolean*>(params) = drag_enabled_;
        return noErr;
    case mcActionSetDragEnabled:
        drag_enabled_ = flag_of(params);
        return noErr;
    default:
        return badComponentSelector;
    }
}

// ------------------------------------------------------------ flags

ComponentResult Controller::set_flags(UInt32 value) {
    const BarOptions before = bar_options();
    const Rect old = bounds();
    if (value & mcFlagQTVRExplicitFlagSet) explicit_flags_ = value & ~UInt32(mcFlagQTVRExplicitFlagSet);
    else control_flags_ = value;
    reshaped(before, old);
    return noErr;
}

void Controller::reshaped(const BarOptions& before, const Rect& old) {
    const BarOptions now = bar_options();
    const Rect b = bounds();
    if (same_options(before, now) && kit::equal(old, b)) return;
    invalidate(old);
    invalidate(b);
    if (visible_) invalidate(bar_rect());
    size_changed();
}

void Controller::set_looping(SInt32 flag, bool on) {
    if (!movie_) return;
    TimeBase tb = GetMovieTimeBase(movie_);
    SInt32 f = GetTimeBaseFlags(tb);
    f = on ? (f | flag) : (f & ~flag);
    SetTimeBaseFlags(tb, f);
}

// ------------------------------------------------------------ time

void Controller::play(Fixed rate) {
    if (!movie_) return;
    if (rate != 0) {
        // Playing on from an end starts again from the other end.
        TimeValue start = 0, length = 0;
        GetMovieSelection(movie_, &start, &length);
        auto* m = movies::movie_of(movie_);
        const bool selection = m && movies::playback::player_of(*m).play_selection() && length > 0;
        const SInt64 from = selection ? start : 0;
        const SInt64 to = selection ? SInt64(start) + length : GetMovieDuration(movie_);
        const SInt64 now = GetMovieTime(movie_, nullptr);
        const bool looping = GetTimeBaseFlags(GetMovieTimeBase(movie_)) & loopTimeBase;
        if (!looping && rate > 0 && now >= to) SetMovieTimeValue(movie_, TimeValue(from));
        if (!looping && rate < 0 && now <= from) SetMovieTimeValue(movie_, TimeValue(to));
    }
    SetMovieRate(movie_, rate);
    MoviesTask(movie_, 0);
    redraw_if_moved();
}

void Controller::go_to(SInt64 t) {
    if (!movie_) return;
    t = std::clamp<SInt64>(t, 0, GetMovieDuration(movie_));
    SetMovieTimeValue(movie_, TimeValue(t));
    MoviesTask(movie_, 0);
    redraw_if_moved();
}

// A step goes to the next (or previous) frame of any enabled track with a
// picture: the first time at which that frame is shown.
SInt64 Controller::step_time(SInt64 from, int direction) {
    const SInt64 duration = GetMovieDuration(movie_);
    const auto visual = movies::visual_media_types();
    if (!GetMovieIndTrackType(movie_, 1, VisualMediaCharacteristic, movieTrackCharacteristic | movieTrackEnabledOnly)) {
        // No picture: a tenth of a second.
        const SInt64 tenth = std::max<SInt64>(1, GetMovieTimeScale(movie_) / 10);
        return std::clamp<SInt64>(from + direction * tenth, 0, duration);
    }
    TimeValue next = -1;
    GetMovieNextInterestingTime(movie_, nextTimeStep, SInt16(visual.size()), visual.data(), TimeValue(from),
                                direction > 0 ? 0x10000 : -0x10000, &next, nullptr);
    if (next < 0 || (direction > 0 && next <= from) || (direction < 0 && next >= from))
        return direction > 0 ? duration : 0;
    return std::clamp<SInt64>(next, 0, duration);
}

void Controller::step(SInt32 steps) {
    if (!movie_ || steps == 0) return;
    if (GetMovieRate(movie_) != 0) SetMovieRate(movie_, 0);
    SInt64 t = GetMovieTime(movie_, nullptr);
    // Stops early at either end, so a huge count costs no more than the movie's frames.
    const SInt64 count = steps < 0 ? -SInt64(steps) : SInt64(steps);
    for (SInt64 i = 0; i < count; ++i) {
        const SInt64 next = step_time(t, steps > 0 ? 1 : -1);
        if (next == t) break;
        t = next;
    }
    go_to(t);
}

void Controller::set_volume(SInt16 v) {
    if (!movie_) return;
    SetMovieVolume(movie_, v);
    draw_bar();
}

void Controller::set_selection(SInt64 start, SInt64 duration) {
    if (!movie_) return;
    const SInt64 end = GetMovieDuration(movie_);
    start = std::clamp<SInt64>(start, 0, end);
    duration = std::clamp<SInt64>(duration, 0, end - start);
    SetMovieSelection(movie_, TimeValue(start), TimeValue(duration));
    redraw_if_moved();
}

// The selection grows or shrinks by a step at the end the current time is
// at (a new selection starts at the current time); the time moves with it.
void Controller::extend_selection(int direction) {
    if (!movie_) return;
    TimeValue start = 0, length = 0;
    GetMovieSelection(movie_, &start, &length);
    const SInt64 now = GetMovieTime(movie_, nullptr);
    SInt64 anchor = now;
    if (length > 0 && now == start) anchor = SInt64(start) + length;
    else if (length > 0 && now == SInt64(start) + length) anchor = start;
    const SInt64 to = step_time(now, direction);
    if (GetMovieRate(movie_) != 0) SetMovieRate(movie_, 0);
    TimeRecord r{};
    r.scale = GetMovieTimeScale(movie_);
    r.value.lo = UInt32(std::min(anchor, to));
    act(mcActionSetSelectionBegin, &r);
    r.value.lo = UInt32(std::abs(to - anchor));
    act(mcActionSetSelectionDuration, &r);
    r.value.lo = UInt32(to);
    act(mcActionGoToTime, &r);
}

}  // namespace platform::controller
