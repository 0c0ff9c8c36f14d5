#include "platform/movies/editing/TrackEdits.h"

#include <algorithm>

#include "platform/movies/format/SampleFraming.h"

namespace platform::movies {

namespace {

using U128 = unsigned __int128;

UInt64 saturate(U128 v) { return v > ~UInt64(0) ? ~UInt64(0) : UInt64(v); }

// Track units, rounded down, that `media_units` take at `rate`.
UInt64 track_units_down(UInt64 media_units, UInt32 media_scale, UInt32 movie_scale, Fixed rate) {
    if (media_scale == 0 || rate <= 0) return 0;
    return saturate(((U128(media_units) * movie_scale) << 16) / (U128(media_scale) * UInt32(rate)));
}

}  // namespace

UInt64 media_units(UInt64 track_units, UInt32 movie_scale, UInt32 media_scale, Fixed rate) {
    if (movie_scale == 0 || rate <= 0) return 0;
    U128 v = U128(track_units) * media_scale * UInt32(rate);
    return saturate(v / (U128(movie_scale) << 16));
}

UInt64 media_end(const EditEntry& e, UInt32 movie_scale, UInt32 media_scale) {
    if (movie_scale == 0 || e.rate <= 0 || e.media_time < 0) return UInt64(std::max<SInt64>(e.media_time, 0));
    const U128 den = U128(movie_scale) << 16;
    const U128 v = U128(e.track_duration) * media_scale * UInt32(e.rate);
    return UInt64(e.media_time) + saturate((v + den / 2) / den);
}

UInt64 track_units(UInt64 media_units, UInt32 media_scale, UInt32 movie_scale, Fixed rate) {
    if (media_scale == 0 || rate <= 0) return 0;
    U128 num = (U128(media_units) * movie_scale) << 16;
    U128 den = U128(media_scale) * UInt32(rate);
    return saturate((num + den - 1) / den);
}

EditCut cut_edit(const Track& track, const EditEntry& e, UInt64 offset, UInt32 movie_scale) {
    if (e.media_time < 0) return EditCut{offset, -1, false};
    const UInt32 media_scale = track.media.header.time_scale;
    const UInt64 m = UInt64(e.media_time) + media_units(offset, movie_scale, media_scale, e.rate);
    EditCut plain{offset, SInt64(m), false};
    const SampleTable& table = track.media.samples;
    auto n = table.sample_shown_at(m);
    if (!n.ok()) return plain;
    const SInt64 s = table.display_time(*n);
    if (s == SInt64(m) || s < e.media_time) return plain;
    // The frame first shows at this unit: the cut is at its start.
    const UInt64 into = UInt64(s - e.media_time);
    if (track_units(into, media_scale, movie_scale, e.rate) != offset) return plain;
    return EditCut{track_units_down(into, media_scale, movie_scale, e.rate), s, true};
}

namespace {

// The part of edit `e` between two of its cuts.
EditEntry edit_between(const Track& track, const EditEntry& e, const EditCut& start, const EditCut& end,
                       UInt32 movie_scale) {
    if (e.media_time < 0) return EditEntry{end.offset - start.offset, -1, e.rate};
    const UInt32 media_scale = track.media.header.time_scale;
    UInt64 duration = end.offset > start.offset ? end.offset - start.offset : 0;
    // A part that now starts later in its media than the units before it
    // say must not run into the frame after its end.
    if ((start.frame || end.frame) && duration > 0 && end.media_time > start.media_time)
        duration = std::clamp<UInt64>(
            track_units_down(UInt64(end.media_time - start.media_time), media_scale, movie_scale, e.rate), 1, duration);
    return EditEntry{duration, start.media_time, e.rate};
}

EditCut edit_start(const EditEntry& e) { return EditCut{0, e.media_time, false}; }

EditCut edit_end(const Track& track, const EditEntry& e, UInt32 movie_scale) {
    if (e.media_time < 0) return EditCut{e.track_duration, -1, false};
    return EditCut{e.track_duration,
                   SInt64(UInt64(e.media_time) + media_units(e.track_duration, movie_scale, track.media.header.time_scale, e.rate)),
                   false};
}

// Splits the edit at `index` so that a new edit starts about `offset`
// units into it (0 < offset < its duration; see cut_edit()). Returns the
// index of the edit that starts at the cut.
size_t split(const Track& track, std::vector<EditEntry>& edits, size_t index, UInt64 offset, UInt32 movie_scale) {
    const EditEntry whole = edits[index];
    const EditCut cut = cut_edit(track, whole, offset, movie_scale);
    if (cut.offset == 0) return index;
    edits[index] = edit_between(track, whole, edit_start(whole), cut, movie_scale);
    edits.insert(edits.begin() + long(index) + 1,
                 edit_between(track, whole, cut, edit_end(track, whole, movie_scale), movie_scale));
    return index + 1;
}

// Makes an edit start at `t` (at or before the end), or at the frame start
// a cut there goes to; returns its index.
size_t cut_at(const Track& track, std::vector<EditEntry>& edits, UInt64 t, UInt32 movie_scale) {
    auto at = edit_at(edits, t);
    if (!at) return edits.size();
    if (at->start != t) return split(track, edits, at->index, t - at->start, movie_scale);
    return at->index;
}

}  // namespace

EditEntry edit_part(const Track& track, const EditEntry& e, UInt64 from, UInt64 to, UInt32 movie_scale) {
    const EditCut start = from ? cut_edit(track, e, from, movie_scale) : edit_start(e);
    const EditCut end = to < e.track_duration ? cut_edit(track, e, to, movie_scale) : edit_end(track, e, movie_scale);
    return edit_between(track, e, start, end, movie_scale);
}

std::vector<EditEntry> timeline(const Track& track, UInt32 movie_scale) {
    if (track.edits && track.edits->list) return track.edits->list->entries;
    std::vector<EditEntry> out;
    UInt64 d = track.media.samples.duration();
    if (d) out.push_back(EditEntry{track_units(d, track.media.header.time_scale, movie_scale, 0x10000), 0, 0x10000});
    return out;
}

void set_timeline(Track& track, std::vector<EditEntry> edits, UInt32 movie_scale) {
    if (!track.edits) track.edits = Edits{};
    if (!track.edits->list) track.edits->list = EditList{};
    // A 64-bit entry needs version 1; otherwise keep the version we had.
    for (const EditEntry& e : edits)
        if (e.track_duration > 0xFFFFFFFFu || e.media_time > 0x7FFFFFFF) track.edits->list->full.version = 1;
    track.edits->list->entries = std::move(edits);
    if (track.media.type() != kSoun) return;
    // A damaged table only loses the boundary; the edits stand.
    for (UInt32 n : edit_boundaries(track, movie_scale)) (void)start_chunk_at(track.media, n);
}

std::vector<UInt32> edit_boundaries(const Track& track, UInt32 movie_scale) {
    std::vector<UInt32> out;
    const SampleTable& table = track.media.samples;
    auto add = [&](UInt64 media_time) {
        auto n = table.sample_shown_at(media_time);
        if (n.ok() && *n > 1 && table.display_time(*n) == SInt64(media_time)) out.push_back(*n);
    };
    for (const EditEntry& e : timeline(track, movie_scale)) {
        if (e.media_time < 0 || e.rate <= 0) continue;
        add(UInt64(e.media_time));
        add(media_end(e, movie_scale, track.media.header.time_scale));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::optional<EditAt> edit_at(const std::vector<EditEntry>& edits, UInt64 t) {
    UInt64 start = 0;
    for (size_t i = 0; i < edits.size(); ++i) {
        if (t < start + edits[i].track_duration) return EditAt{i, start};
        start += edits[i].track_duration;
    }
    return std::nullopt;
}

void insert_edit(Track& track, UInt32 movie_scale, UInt64 at, const EditEntry& edit) {
    std::vector<EditEntry> edits = timeline(track, movie_scale);
    UInt64 end = 0;
    for (const EditEntry& e : edits) end += e.track_duration;
    size_t index;
    if (at >= end) {
        if (at > end) edits.push_back(EditEntry{at - end, -1, 0x10000});
        index = edits.size();
    } else {
        index = cut_at(track, edits, at, movie_scale);
    }
    if (edit.track_duration) edits.insert(edits.begin() + long(index), edit);
    set_timeline(track, std::move(edits), movie_scale);
}

void delete_track_span(Track& track, UInt32 movie_scale, UInt64 start, UInt64 duration) {
    std::vector<EditEntry> edits = timeline(track, movie_scale);
    // The far end first: a cut that goes to a frame start can move what
    // follows it by a fraction of a unit.
    size_t last = cut_at(track, edits, start + duration, movie_scale);
    const size_t count = edits.size();
    size_t first = cut_at(track, edits, start, movie_scale);
    last += edits.size() - count;
    if (first < last) edits.erase(edits.begin() + long(first), edits.begin() + long(last));
    set_timeline(track, std::move(edits), movie_scale);
}

}  // namespace platform::movies
