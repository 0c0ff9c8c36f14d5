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

SInt8 sign(Fixed v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

Rect ordered(Rect r) {
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);
    return r;
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

QuarterTurn quarter_turn(const Matrix& m) {
    const Fixed a = m[0], b = m[1], c = m[3], d = m[4];
    if (b == 0 && c == 0 && a != 0 && d != 0) return {sign(a), 0, 0, sign(d)};
    if (a == 0 && d == 0 && b != 0 && c != 0) return {0, sign(b), sign(c), 0};
    return {};
}

Rect track_box(const Track& track) {
    const auto [width, height] = shown_dimensions(track);
    const SInt64 w = (SInt64(width) + 0x8000) >> 16, h = (SInt64(height) + 0x8000) >> 16;
    const Matrix& m = track.header.matrix;
    if (!quarter_turn(m).swaps_axes()) return movie_rect(Rect{0, 0, clamp16(h), clamp16(w)}, m);
    // x' = c y + tx, y' = b x + ty
    return ordered(Rect{clamp16(map(0, m[1], m[7])), clamp16(map(0, m[3], m[6])), clamp16(map(w, m[1], m[7])),
                        clamp16(map(h, m[3], m[6]))});
}

Rect movie_rect(const Rect& r, const Matrix& m) {
    return ordered(Rect{clamp16(map(r.top, m[4], m[7])), clamp16(map(r.left, m[0], m[6])),
                        clamp16(map(r.bottom, m[4], m[7])), clamp16(map(r.right, m[0], m[6]))});
}

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
        const Rect r = track_box(d);
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

Rect movie_box(MovieObject& movie) { return movie_rect(natural_bounds(movie), movie.model.header.matrix); }

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
