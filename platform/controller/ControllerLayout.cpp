#include "platform/controller/ControllerLayout.h"

#include <algorithm>
#include <cmath>

#include "platform/quickdraw/kit/Rects.h"

namespace platform::controller {

namespace {

Rect make(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right) {
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

}  // namespace

SInt16 minimum_bar_width(BarOptions o) {
    return SInt16((o.speaker ? kButtonWidth : 0) + kButtonWidth + kMinSliderWidth + (o.steps ? 2 * kStepWidth : 0) +
                  (o.grow ? kGrowWidth : 0));
}

BarLayout layout_bar(const Rect& bar, BarOptions o) {
    BarLayout l;
    l.bar = bar;
    const SInt32 top = bar.top, bottom = bar.top + kBarHeight;
    SInt32 left = bar.left, right = bar.right;
    if (o.speaker) {
        l.speaker = make(top, left, bottom, left + kButtonWidth);
        left += kButtonWidth;
    }
    l.play = make(top, left, bottom, left + kButtonWidth);
    left += kButtonWidth;
    if (o.grow) {
        l.grow = make(top, right - kGrowWidth, bottom, right);
        right -= kGrowWidth;
    }
    if (o.steps) {
        l.step_forward = make(top, right - kStepWidth, bottom, right);
        l.step_back = make(top, right - 2 * kStepWidth, bottom, right - kStepWidth);
        right -= 2 * kStepWidth;
    }
    right = std::max(right, left);
    l.slider = make(top, left, bottom, right);
    l.track_left = SInt16(left + kSliderInset);
    l.track_right = SInt16(std::max<SInt32>(right - kSliderInset - 1, l.track_left));
    return l;
}

Part hit_part(const BarLayout& l, Point p) {
    if (!kit::contains(l.bar, p)) return Part::None;
    if (kit::contains(l.speaker, p)) return Part::Speaker;
    if (kit::contains(l.play, p)) return Part::Play;
    if (kit::contains(l.step_back, p)) return Part::StepBack;
    if (kit::contains(l.step_forward, p)) return Part::StepForward;
    if (kit::contains(l.grow, p)) return Part::Grow;
    if (kit::contains(l.slider, p)) return Part::Slider;
    return Part::None;
}

SInt64 time_at_x(const BarLayout& l, SInt32 x, SInt64 duration) {
    const SInt32 span = l.track_right - l.track_left;
    if (span <= 0 || duration <= 0) return 0;
    const SInt32 dx = std::clamp<SInt32>(x - l.track_left, 0, span);
    return (SInt64(dx) * duration + span / 2) / span;
}

SInt16 x_at_time(const BarLayout& l, SInt64 time, SInt64 duration) {
    const SInt32 span = l.track_right - l.track_left;
    if (span <= 0 || duration <= 0) return l.track_left;
    time = std::clamp<SInt64>(time, 0, duration);
    return SInt16(l.track_left + (time * span + duration / 2) / duration);
}

Rect volume_popup(const BarLayout& l, const Rect& port) {
    const Rect& s = l.speaker;
    SInt32 left = s.left, top = s.top - kVolumePopupHeight;
    if (top < port.top) top = s.bottom;
    return make(top, left, top + kVolumePopupHeight, left + kVolumePopupWidth);
}

// The track runs from popup.top + 4 (full volume) to popup.top + 4 + 64 (silence).
SInt16 volume_at_y(const Rect& popup, SInt32 y) {
    const SInt32 from_bottom = std::clamp<SInt32>(popup.top + 4 + kVolumeTrack - y, 0, kVolumeTrack);
    return SInt16(from_bottom * 256 / kVolumeTrack);
}

SInt16 y_at_volume(const Rect& popup, SInt16 volume) {
    const SInt32 v = std::clamp<SInt32>(volume, 0, 256);
    return SInt16(popup.top + 4 + kVolumeTrack - v * kVolumeTrack / 256);
}

GrowSize grow_size(GrowSize start, SInt32 bar, SInt32 dh, SInt32 dv, bool keep_aspect, const GrowLimits& limits) {
    GrowSize want{start.width + dh, start.height + dv};
    const SInt32 movie_w = start.width, movie_h = start.height - bar;
    if (keep_aspect && movie_w > 0 && movie_h > 0) {
        const double by_width = double(want.width) / movie_w;
        const double by_height = double(want.height - bar) / movie_h;
        double scale = std::abs(by_width - 1) >= std::abs(by_height - 1) ? by_width : by_height;
        const double least = std::max(double(limits.min_width) / movie_w, double(limits.min_height - bar) / movie_h);
        const double most = std::min(double(limits.max_width) / movie_w, double(limits.max_height - bar) / movie_h);
        scale = std::min(std::max(scale, least), most);
        want = GrowSize{SInt32(std::lround(movie_w * scale)), SInt32(std::lround(movie_h * scale)) + bar};
    }
    return GrowSize{std::clamp(want.width, limits.min_width, limits.max_width),
                    std::clamp(want.height, limits.min_height, limits.max_height)};
}

}  // namespace platform::controller
