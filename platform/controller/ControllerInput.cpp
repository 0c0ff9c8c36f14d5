// The controller's events: what MCIsPlayerEvent takes, mouse tracking in
// the bar (buttons, time slider, volume popup, grow box) and the keys.
//
// Taken: mouse-downs in the bar, grow box or movie of a front window, and
// the plain keys of ControllerKeys.h while keys are enabled and the window
// is in front. Null events give the movie time but are never taken, so
// every controller and the application's idle handling see each one.
// Update and activate events are the application's (mcActionDraw, MCActivate).
#include <algorithm>
#include <cstdlib>

#include "platform/Windows.h"
#include "platform/controller/Controller.h"
#include "platform/controller/ControllerLook.h"
#include "platform/events/EventsInternal.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::controller {

bool Controller::in_front() const { return window_ && FrontWindow() == window_; }

Point Controller::mouse_local() {
    const kit::PortGuard in(port_, kit::Keep::port);
    Point p{};
    GetMouse(&p);
    return p;
}

bool Controller::player_event(const EventRecord& e) {
    switch (e.what) {
    case nullEvent:
        idle();
        return false;
    case mouseDown: {
        if (!movie_ || !in_front()) return false;
        WindowRef hit = nullptr;
        const SInt16 part = FindWindow(e.where, &hit);
        if (hit != window_ || (part != inContent && part != inGrow)) return false;
        Point p = e.where;
        {
            const kit::PortGuard in(port_, kit::Keep::port);
            GlobalToLocal(&p);
        }
        const bool in_bar = visible_ && hit_part(layout(), p) != Part::None;
        if (!in_bar && !kit::contains(movie_box(), p)) return false;
        EventRecord copy = e;
        act(mcActionMouseDown, &copy);
        return true;
    }
    case keyDown:
    case autoKey: {
        if (!movie_ || !keys_enabled_ || !in_front()) return false;
        if (!key_command(UInt8(e.message & charCodeMask), e.modifiers)) return false;
        EventRecord copy = e;
        act(mcActionKey, &copy);
        return true;
    }
    default:
        return false;
    }
}

void Controller::idle() { act(mcActionIdle, nullptr); }

bool Controller::key(const EventRecord& e) {
    const auto command = key_command(UInt8(e.message & charCodeMask), e.modifiers);
    if (!command || !movie_) return false;
    switch (*command) {
    case KeyCommand::PlayPause:
        act(mcActionPlay, reinterpret_cast<void*>(intptr_t(GetMovieRate(movie_) != 0 ? 0 : GetMoviePreferredRate(movie_) ? GetMoviePreferredRate(movie_) : 0x10000)));
        break;
    case KeyCommand::StepBack: act(mcActionStep, reinterpret_cast<void*>(intptr_t(-1))); break;
    case KeyCommand::StepForward: act(mcActionStep, reinterpret_cast<void*>(intptr_t(1))); break;
    case KeyCommand::ExtendBack: extend_selection(-1); break;
    case KeyCommand::ExtendForward: extend_selection(+1); break;
    case KeyCommand::VolumeUp:
    case KeyCommand::VolumeDown: {
        const SInt16 now = GetMovieVolume(movie_);
        const SInt32 magnitude = std::abs(SInt32(now));
        const SInt32 step = *command == KeyCommand::VolumeUp ? kVolumeKeyStep : -kVolumeKeyStep;
        SInt16 v = SInt16(std::clamp<SInt32>(magnitude + step, 0, kFullVolume));
        act(mcActionSetVolume, &v);
        break;
    }
    }
    return true;
}

void Controller::mouse_down(const EventRecord& e) {
    Point p = e.where;
    {
        const kit::PortGuard in(port_, kit::Keep::port);
        GlobalToLocal(&p);
    }
    const Part part = visible_ ? hit_part(layout(), p) : Part::None;
    switch (part) {
    case Part::Speaker: track_volume(); break;
    case Part::Play:
    case Part::StepBack:
    case Part::StepForward: track_button(part); break;
    case Part::Slider: track_slider((e.modifiers & shiftKey) != 0); break;
    case Part::Grow: track_grow(p); break;
    case Part::None:
        // A click in the picture stops a playing movie.
        if (movie_ && kit::contains(movie_box(), p) && GetMovieRate(movie_) != 0) act(mcActionPlay, nullptr);
        while (WaitMouseUp()) {
        }
        break;
    }
}

// Buttons: drawn pressed while the mouse is down inside them. The step
// buttons step at once (and repeat while held); the play button acts when
// released inside.
void Controller::track_button(Part part) {
    const BarLayout l = layout();
    const Rect r = part == Part::Play ? l.play : part == Part::StepBack ? l.step_back : l.step_forward;
    pressed_ = part;
    draw_bar();
    if (part == Part::StepBack || part == Part::StepForward)
        act(mcActionStep, reinterpret_cast<void*>(intptr_t(part == Part::StepBack ? -1 : 1)));
    // A step button held down steps again after a third of a second, then
    // every fifteenth, while the mouse stays on it.
    const bool repeats = part != Part::Play;
    UInt32 next_repeat = TickCount() + 20;
    bool inside = true;
    while (WaitMouseUp()) {
        const bool now = kit::contains(r, mouse_local());
        if (now != inside) {
            inside = now;
            pressed_ = inside ? part : Part::None;
            draw_bar();
        }
        if (repeats && inside && TickCount() >= next_repeat) {
            act(mcActionStep, reinterpret_cast<void*>(intptr_t(part == Part::StepBack ? -1 : 1)));
            next_repeat = TickCount() + 4;
        }
        if (movie_) MoviesTask(movie_, 0);
    }
    inside = kit::contains(r, mouse_local());
    pressed_ = Part::None;
    if (part == Part::Play && inside && movie_) {
        const Fixed preferred = GetMoviePreferredRate(movie_);
        const Fixed rate = GetMovieRate(movie_) != 0 ? 0 : (preferred ? preferred : 0x10000);
        act(mcActionPlay, reinterpret_cast<void*>(intptr_t(rate)));
    }
    draw_bar();
}

// The time slider: a click goes to the time under the mouse and a drag
// follows it. With shift the selection runs from its far end (or, with no
// selection, from the current time) to the mouse. Without shift, while
// editing is enabled, the selection becomes an insertion point that goes
// with the time, so a paste goes where the user clicked.
void Controller::track_slider(bool extend) {
    if (!movie_) return;
    const BarLayout l = layout();
    const SInt64 duration = GetMovieDuration(movie_);
    const Fixed rate = GetMovieRate(movie_);
    if (rate != 0) SetMovieRate(movie_, 0);
    TimeValue sel_start = 0, sel_length = 0;
    GetMovieSelection(movie_, &sel_start, &sel_length);
    SInt64 anchor = GetMovieTime(movie_, nullptr);
    const SInt64 first = time_at_x(l, mouse_local().h, duration);
    if (sel_length > 0) {
        const SInt64 a = sel_start, b = SInt64(sel_start) + sel_length;
        anchor = std::abs(first - a) > std::abs(first - b) ? a : b;
    }
    SInt64 last = -1;
    auto follow = [&] {
        const SInt64 t = time_at_x(l, mouse_local().h, duration);
        if (t == last) return;
        last = t;
        TimeRecord r{};
        r.scale = GetMovieTimeScale(movie_);
        if (extend) {
            r.value.lo = UInt32(std::min(anchor, t));
            act(mcActionSetSelectionBegin, &r);
            r.value.lo = UInt32(std::abs(t - anchor));
            act(mcActionSetSelectionDuration, &r);
        } else if (editing_) {
            r.value.lo = 0;
            act(mcActionSetSelectionDuration, &r);
            r.value.lo = UInt32(t);
            act(mcActionSetSelectionBegin, &r);
        }
        r.value.lo = UInt32(t);
        act(mcActionGoToTime, &r);
    };
    follow();
    while (WaitMouseUp()) follow();
    follow();
    if (rate != 0) SetMovieRate(movie_, rate);
}

// The volume slider pops up over the window while the button is down; the
// window redraws what it covered afterwards.
void Controller::track_volume() {
    if (!movie_ || !port_) return;
    const BarLayout l = layout();
    Rect port_rect{};
    GetPortBounds(port_, &port_rect);
    const Rect popup = volume_popup(l, port_rect);
    pressed_ = Part::Speaker;
    draw_bar();
    auto show = [&] {
        const kit::PortGuard in(port_, kit::Keep::port);
        draw_volume_popup(popup, GetMovieVolume(movie_));
    };
    show();
    bool moved = false;
    while (WaitMouseUp()) {
        const Point m = mouse_local();
        if (!moved && kit::contains(l.speaker, m)) continue;   // still on the button: no change yet
        moved = true;
        SInt16 v = volume_at_y(popup, m.v);
        if (v != GetMovieVolume(movie_)) {
            act(mcActionSetVolume, &v);
            show();
        }
    }
    pressed_ = Part::None;
    invalidate(popup);
    if (movie_) UpdateMovie(movie_);
    draw(window_);
}

// The grow box: the controller's bounds follow the mouse, their size kept
// within the grow-box bounds read as limits (left, top: least width and
// height; right, bottom: greatest), and never below what the bar needs. The
// movie keeps its shape unless Shift is down (looked at as the mouse moves,
// so it can be pressed or let go during the drag). Each change resizes the
// movie and tells the filter the size changed.
void Controller::track_grow(Point start) {
    if (!grow_bounds_ || !movie_) return;
    const Rect bounds_limits = *grow_bounds_;
    const Rect orig = bounds();
    const SInt32 bar = visible_ ? kBarHeight : 0;
    GrowLimits limits;
    limits.min_width = std::max<SInt32>({bounds_limits.left, minimum_bar_width(bar_options()), 1});
    limits.min_height = std::max<SInt32>({bounds_limits.top, bar + 1});
    limits.max_width = std::max<SInt32>(bounds_limits.right, limits.min_width);
    limits.max_height = std::max<SInt32>(bounds_limits.bottom, limits.min_height);
    // The shape kept is the movie's own, not that of a bar wider than it.
    const Rect box = movie_box();
    const GrowSize from{box.right - box.left, box.bottom - box.top + bar};
    const bool has_picture = !kit::is_empty(box);
    Rect last = orig;
    auto follow = [&] {
        const Point m = mouse_local();
        const bool free = !has_picture || (events::current_modifiers() & shiftKey);
        const GrowSize start_size = free ? GrowSize{orig.right - orig.left, orig.bottom - orig.top} : from;
        const GrowSize size = grow_size(start_size, bar, m.h - start.h, m.v - start.v, !free, limits);
        const Rect want{orig.top, orig.left, SInt16(orig.top + size.height), SInt16(orig.left + size.width)};
        if (want.right == last.right && want.bottom == last.bottom) return;
        last = want;
        set_bounds(want);
        draw(window_);
    };
    while (WaitMouseUp()) follow();
    follow();
}

}  // namespace platform::controller
