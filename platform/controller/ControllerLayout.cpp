#include "platform/controller/ControllerLayout.h"

#include <algorithm>

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

}  // namespace platform::controller
