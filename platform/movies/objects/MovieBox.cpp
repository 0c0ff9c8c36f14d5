#include "platform/movies/objects/MovieBox.h"

#include <algorithm>
#include <cmath>

namespace platform::movies {

namespace {

SInt16 clamp16(SInt64 v) { return SInt16(std::clamp<SInt64>(v, -32768, 32767)); }

// A point through a matrix's scale and translation, rounded to pixels.
SInt64 map(SInt64 v, Fixed scale, Fixed offset) {
    SInt64 fixed = v * SInt64(scale) + SInt64(offset);
    return (fixed + 0x8000) >> 16;
}

Rect map_rect(const Rect& r, const Matrix& m) {
    Rect out;
    out.left = clamp16(map(r.left, m[0], m[6]));
    out.right = clamp16(map(r.right, m[0], m[6]));
    out.top = clamp16(map(r.top, m[4], m[7]));
    out.bottom = clamp16(map(r.bottom, m[4], m[7]));
    if (out.right < out.left) std::swap(out.left, out.right);
    if (out.bottom < out.top) std::swap(out.top, out.bottom);
    return out;
}

bool empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Fixed ratio(SInt32 a, SInt32 b) {
    if (b == 0) return 0x10000;
    SInt64 v = (SInt64(a) << 16) / b;
    return Fixed(std::clamp<SInt64>(v, INT32_MIN, INT32_MAX));
}

UInt32 rescale(UInt64 v, UInt32 from, UInt32 to) {
    UInt64 r = UInt64((static_cast<unsigned __int128>(v) * to + from / 2) / from);
    return UInt32(std::min<UInt64>(r, 0xFFFFFFFFu));
}

}  // namespace

std::pair<Fixed, Fixed> shown_dimensions(const Track& track) {
    const std::pair<Fixed, Fixed> stated{track.header.width, track.header.height};
    const Media& m = track.media;
    if (m.type() != VideoMediaType || m.descriptions.entries.empty()) return stated;
    auto v = VideoDescription::parse(m.descriptions.entries.front().bytes);
    if (!v.ok() || v->width <= 0 || v->height <= 0) return stated;
    const bool none = stated.first <= 0 || stated.second <= 0;
    const bool stored = stated.first == Fixed(v->width) << 16 && stated.second == Fixed(v->height) << 16;
    if (!none && !stored) return stated;
    const auto [w, h] = v->natural_size();
    return {Fixed(w) << 16, Fixed(h) << 16};
}

std::span<const OSType> visual_media_types() {
    static constexpr OSType kVisual[] = {VideoMediaType, TextMediaType, 'sprt', 'qd3d', 'pano', 'qtvr'};
    return kVisual;
}

bool media_has_characteristic(OSType media_type, OSType characteristic) {
    switch (characteristic) {
    case VisualMediaCharacteristic: {
        const auto types = visual_media_types();
        return std::find(types.begin(), types.end(), media_type) != types.end();
    }
    case AudioMediaCharacteristic:
        return media_type == SoundMediaType || media_type == 'musi';
    default:
        return false;
    }
}

Rect natural_bounds(MovieObject& movie) {
    Rect u{0, 0, 0, 0};
    bool any = false;
    for (TrackObject* t : movie.tracks_in_order()) {
        const Track& d = t->data();
        if (!t->has_media || !(d.header.full.flags & kTrackEnabled)) continue;
        if (!media_has_characteristic(d.media.type(), VisualMediaCharacteristic)) continue;
        const auto [width, height] = shown_dimensions(d);
        Rect r{0, 0, clamp16((SInt64(height) + 0x8000) >> 16), clamp16((SInt64(width) + 0x8000) >> 16)};
        r = map_rect(r, d.header.matrix);
        if (empty(r)) continue;
        if (!any) {
            u = r;
            any = true;
        } else {
            u.left = std::min(u.left, r.left);
            u.top = std::min(u.top, r.top);
            u.right = std::max(u.right, r.right);
            u.bottom = std::max(u.bottom, r.bottom);
        }
    }
    return u;
}

Rect movie_box(MovieObject& movie) { return map_rect(natural_bounds(movie), movie.model.header.matrix); }

void set_movie_box(MovieObject& movie, const Rect& box) {
    Rect nat = natural_bounds(movie);
    Matrix& m = movie.model.header.matrix;
    Fixed a = 0x10000, d = 0x10000;
    if (!empty(nat)) {
        a = ratio(box.right - box.left, nat.right - nat.left);
        d = ratio(box.bottom - box.top, nat.bottom - nat.top);
    }
    m[0] = a;
    m[4] = d;
    m[6] = Fixed((SInt64(box.left) << 16) - SInt64(nat.left) * a);
    m[7] = Fixed((SInt64(box.top) << 16) - SInt64(nat.top) * d);
}

void change_time_scale(MovieObject& movie, UInt32 scale) {
    MovieHeader& h = movie.model.header;
    UInt32 from = h.time_scale;
    for (Track& t : movie.model.tracks) {
        if (t.edits && t.edits->list)
            for (EditEntry& e : t.edits->list->entries) e.track_duration = rescale(e.track_duration, from, scale);
    }
    h.selection_time = rescale(h.selection_time, from, scale);
    h.selection_duration = rescale(h.selection_duration, from, scale);
    h.current_time = rescale(h.current_time, from, scale);
    h.poster_time = rescale(h.poster_time, from, scale);
    h.preview_time = rescale(h.preview_time, from, scale);
    h.preview_duration = rescale(h.preview_duration, from, scale);
    h.time_scale = scale;
    for (Track& t : movie.model.tracks) t.header.duration = t.duration(scale);
    movie.refresh_movie_duration();
}

}  // namespace platform::movies
