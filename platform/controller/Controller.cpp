#include "platform/controller/Controller.h"

#include <algorithm>
#include <vector>

#include "platform/controller/ControllerLook.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/editing/Scrap.h"
#include "platform/movies/playback/Player.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::controller {

namespace {

std::vector<Controller*>& live() {
    static auto* controllers = new std::vector<Controller*>();   // never destroyed: controllers may outlive statics
    return *controllers;
}

}  // namespace

Controller* controller_of(MovieController mc) { return components::instance_as<Controller>(mc); }

Controller::Controller() { live().push_back(this); }

Controller::~Controller() { std::erase(live(), this); }

void Controller::idle_all() {
    for (Controller* c : live()) c->perform(mcActionIdle, nullptr);
}

void Controller::attach_movie(::Movie movie, const Rect& rect, SInt32 flags) {
    movie_ = movie;
    CGrafPtr port = nullptr;
    GetMovieGWorld(movie, &port, nullptr);
    if (!port) {
        GrafPtr current = nullptr;
        GetPort(&current);
        port = current;
        SetMovieGWorld(movie, port, nullptr);
    }
    port_ = port;
    window_ = port ? GetWindowFromPort(port) : nullptr;
    visible_ = !(flags & mcNotVisible);
    use_badge_ = (flags & mcWithBadge) != 0;

    Rect box;
    GetMovieBox(movie, &box);
    Rect want = box;
    const SInt16 w = SInt16(box.right - box.left), h = SInt16(box.bottom - box.top);
    const SInt16 bar = visible_ ? kBarHeight : 0;
    if (flags & mcScaleMovieToFit) {
        want = Rect{rect.top, rect.left, SInt16(std::max<SInt32>(rect.top, rect.bottom - bar)), rect.right};
    } else if (flags & mcTopLeftMovie) {
        want = Rect{rect.top, rect.left, SInt16(rect.top + h), SInt16(rect.left + w)};
    } else {
        const SInt16 left = SInt16(kit::centred_left(rect, w));
        const SInt16 top = SInt16(rect.top + std::max(0, (rect.bottom - rect.top - bar - h) / 2));
        want = Rect{top, left, SInt16(top + h), SInt16(left + w)};
    }
    // Setting an unchanged box would mark the movie changed for nothing.
    if (!kit::equal(want, box)) SetMovieBox(movie, &want);
    detached_bar_ = Rect{want.bottom, want.left, SInt16(want.bottom + kBarHeight), want.right};
}

void Controller::replace_movie(::Movie movie, WindowRef window, Point where) {
    movie_ = movie;
    undo_.reset();
    if (!movie) return;
    if (window) SetMovieGWorld(movie, GetWindowPort(window), nullptr);
    CGrafPtr port = nullptr;
    GetMovieGWorld(movie, &port, nullptr);
    port_ = port;
    window_ = port ? GetWindowFromPort(port) : nullptr;
    Rect box;
    GetMovieBox(movie, &box);
    const Rect want{where.v, where.h, SInt16(where.v + box.bottom - box.top), SInt16(where.h + box.right - box.left)};
    if (!kit::equal(want, box)) SetMovieBox(movie, &want);
    detached_bar_ = Rect{want.bottom, want.left, SInt16(want.bottom + kBarHeight), want.right};
    invalidate(bounds());
}

// ------------------------------------------------------------ geometry

Rect Controller::movie_box() const {
    Rect box{0, 0, 0, 0};
    if (movie_) GetMovieBox(movie_, &box);
    return box;
}

// Attached, the bar is as wide as the movie, or as wide as its parts need
// under a narrower one.
Rect Controller::bar_rect() const {
    if (!attached_) return detached_bar_;
    const Rect box = movie_box();
    SInt16 right = box.right;
    if (box.right > box.left)
        right = SInt16(std::max<SInt32>(box.right, box.left + minimum_bar_width(bar_options())));
    return Rect{box.bottom, box.left, SInt16(box.bottom + kBarHeight), right};
}

Rect Controller::bounds() const {
    if (!attached_) return detached_bar_;
    return visible_ ? kit::enclosing(movie_box(), bar_rect()) : movie_box();
}

bool Controller::speaker_shown() const {
    if (control_flags_ & mcFlagSuppressSpeakerButton) return false;
    if (explicit_flags_ & mcFlagSuppressSpeakerButton) return true;
    return movie_ && GetMovieIndTrackType(movie_, 1, AudioMediaCharacteristic,
                                          movieTrackCharacteristic | movieTrackEnabledOnly) != nullptr;
}

BarOptions Controller::bar_options() const {
    BarOptions o;
    o.speaker = speaker_shown();
    o.steps = !(control_flags_ & mcFlagSuppressStepButtons);
    o.grow = grow_bounds_.has_value() && attached_;
    return o;
}

BarLayout Controller::layout() const {
    Rect bar = bar_rect();
    if (bar.right <= bar.left && port_) {
        // A movie without a picture: the bar spans the window.
        Rect port;
        GetPortBounds(port_, &port);
        bar.left = port.left;
        bar.right = port.right;
    }
    return layout_bar(bar, bar_options());
}

void Controller::set_visible(bool visible) {
    if (visible == visible_) return;
    const Rect before = bounds();
    visible_ = visible;
    invalidate(kit::enclosing(before, bounds()));
    invalidate(bar_rect());
    size_changed();
}

void Controller::set_attached(bool attached) {
    if (attached == attached_) return;
    if (!attached) detached_bar_ = bar_rect();   // the bar stays where it is
    invalidate(bar_rect());
    attached_ = attached;
    invalidate(bar_rect());
}

void Controller::set_bounds(const Rect& b) {
    if (attached_) {
        Rect box{b.top, b.left, SInt16(std::max<SInt32>(b.top, b.bottom - (visible_ ? kBarHeight : 0))), b.right};
        SetMovieBox(movie_, &box);
    } else {
        detached_bar_ = Rect{b.top, b.left, SInt16(b.top + kBarHeight), b.right};
    }
    invalidate(bounds());
    size_changed();
}

void Controller::position(const Rect* movie_rect, const Rect* bar, SInt32 flags) {
    const Rect before = bounds();
    if (movie_rect) SetMovieBox(movie_, movie_rect);
    if (bar && !attached_) detached_bar_ = Rect{bar->top, bar->left, SInt16(bar->top + kBarHeight), bar->right};
    if (!(flags & mcPositionDontInvalidate)) {
        invalidate(before);
        invalidate(bounds());
        invalidate(bar_rect());
    }
    size_changed();
}

void Controller::size_changed() { act(mcActionControllerSizeChanged, nullptr); }

// ------------------------------------------------------------ state

SInt32 Controller::info() {
    SInt32 f = 0;
    if (!movie_) return f;
    if (GetMovieIndTrackType(movie_, 1, AudioMediaCharacteristic, movieTrackCharacteristic | movieTrackEnabledOnly))
        f |= mcInfoHasSound;
    if (GetMovieRate(movie_) != 0) f |= mcInfoIsPlaying;
    const SInt32 tb = GetTimeBaseFlags(GetMovieTimeBase(movie_));
    if (tb & loopTimeBase) f |= mcInfoIsLooping;
    if ((tb & loopTimeBase) && (tb & palindromeLoopTimeBase)) f |= mcInfoIsInPalindrome;
    if (editing_) {
        f |= mcInfoEditingEnabled;
        TimeValue start = 0, length = 0;
        GetMovieSelection(movie_, &start, &length);
        if (length > 0) f |= mcInfoCutAvailable | mcInfoCopyAvailable | mcInfoClearAvailable;
        if (movies::scrap_has_movie()) f |= mcInfoPasteAvailable;
        if (undo_) f |= mcInfoUndoAvailable;
    }
    return f;
}

// ------------------------------------------------------------ drawing

void Controller::invalidate(const Rect& r) {
    if (!window_ || (control_flags_ & mcFlagsDontInvalidate) || kit::is_empty(r)) return;
    InvalWindowRect(window_, &r);
}

void Controller::draw(WindowRef w) {
    if (!movie_ || (w && w != window_)) return;
    const kit::PortGuard in(port_, kit::Keep::port);
    if (auto* m = movies::movie_of(movie_)) movies::playback::player_of(*m).draw();
    if (visible_) draw_bar();
    else if (use_badge_) draw_badge(movie_box());
}

void Controller::draw_bar() {
    if (!visible_ || !port_ || !movie_) return;
    const kit::PortGuard in(port_, kit::Keep::port);
    const BarLayout l = layout();
    const SInt64 duration = GetMovieDuration(movie_);
    TimeValue sel_start = 0, sel_length = 0;
    GetMovieSelection(movie_, &sel_start, &sel_length);
    BarLook look;
    look.active = active_;
    look.playing = GetMovieRate(movie_) != 0;
    look.thumb_x = x_at_time(l, GetMovieTime(movie_, nullptr), duration);
    if (sel_length > 0) {
        look.sel_left = x_at_time(l, sel_start, duration);
        look.sel_right = x_at_time(l, SInt64(sel_start) + sel_length, duration);
    }
    look.volume = GetMovieVolume(movie_);
    look.pressed = pressed_;
    draw_controller_bar(l, look);
    drawn_thumb_ = look.thumb_x;
    drawn_playing_ = look.playing;
    drawn_sel_start_ = sel_start;
    drawn_sel_length_ = sel_length;
}

void Controller::redraw_if_moved() {
    if (!visible_ || !movie_) return;
    const BarLayout l = layout();
    TimeValue sel_start = 0, sel_length = 0;
    GetMovieSelection(movie_, &sel_start, &sel_length);
    const SInt16 thumb = x_at_time(l, GetMovieTime(movie_, nullptr), GetMovieDuration(movie_));
    const bool playing = GetMovieRate(movie_) != 0;
    if (thumb != drawn_thumb_ || playing != drawn_playing_ || sel_start != drawn_sel_start_ ||
        sel_length != drawn_sel_length_)
        draw_bar();
}

}  // namespace platform::controller
