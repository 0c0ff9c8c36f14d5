#include "platform/movies/TrackEdits.h"

namespace platform::movies {

namespace {

using U128 = unsigned __int128;

UInt64 saturate(U128 v) { return v > ~UInt64(0) ? ~UInt64(0) : UInt64(v); }

// Splits the edit at `index` so that a new edit starts `offset` units into
// it (0 < offset < its duration).
void split(std::vector<EditEntry>& edits, size_t index, UInt64 offset, UInt32 movie_scale,
           UInt32 media_scale) {
    EditEntry first = edits[index];
    EditEntry second = first;
    first.track_duration = offset;
    second.track_duration -= offset;
    if (first.media_time >= 0)
        second.media_time += SInt64(media_units(offset, movie_scale, media_scale, first.rate));
    edits[index] = first;
    edits.insert(edits.begin() + long(index) + 1, second);
}

// Makes an edit start exactly at `t` (at or before the end); returns its index.
size_t cut_at(std::vector<EditEntry>& edits, UInt64 t, UInt32 movie_scale, UInt32 media_scale) {
    auto at = edit_at(edits, t);
    if (!at) return edits.size();
    if (at->start != t) {
        split(edits, at->index, t - at->start, movie_scale, media_scale);
        return at->index + 1;
    }
    return at->index;
}

}  // namespace

UInt64 media_units(UInt64 track_units, UInt32 movie_scale, UInt32 media_scale, Fixed rate) {
    if (movie_scale == 0 || rate <= 0) return 0;
    U128 v = U128(track_units) * media_scale * UInt32(rate);
    return saturate(v / (U128(movie_scale) << 16));
}

UInt64 track_units(UInt64 media_units, UInt32 media_scale, UInt32 movie_scale, Fixed rate) {
    if (media_scale == 0 || rate <= 0) return 0;
    U128 num = (U128(media_units) * movie_scale) << 16;
    U128 den = U128(media_scale) * UInt32(rate);
    return saturate((num + den - 1) / den);
}

std::vector<EditEntry> timeline(const Track& track, UInt32 movie_scale) {
    if (track.edits && track.edits->list) return track.edits->list->entries;
    std::vector<EditEntry> out;
    UInt64 d = track.media.samples.duration();
    if (d) out.push_back(EditEntry{track_units(d, track.media.header.time_scale, movie_scale, 0x10000), 0, 0x10000});
    return out;
}

void set_timeline(Track& track, std::vector<EditEntry> edits) {
    if (!track.edits) track.edits = Edits{};
    if (!track.edits->list) track.edits->list = EditList{};
    // A 64-bit entry needs version 1; otherwise keep the version we had.
    for (const EditEntry& e : edits)
        if (e.track_duration > 0xFFFFFFFFu || e.media_time > 0x7FFFFFFF) track.edits->list->full.version = 1;
    track.edits->list->entries = std::move(edits);
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
        index = cut_at(edits, at, movie_scale, track.media.header.time_scale);
    }
    if (edit.track_duration) edits.insert(edits.begin() + long(index), edit);
    set_timeline(track, std::move(edits));
}

void delete_track_span(Track& track, UInt32 movie_scale, UInt64 start, UInt64 duration) {
    std::vector<EditEntry> edits = timeline(track, movie_scale);
    UInt32 media_scale = track.media.header.time_scale;
    size_t first = cut_at(edits, start, movie_scale, media_scale);
    size_t last = cut_at(edits, start + duration, movie_scale, media_scale);
    if (first < last) edits.erase(edits.begin() + long(first), edits.begin() + long(last));
    set_timeline(track, std::move(edits));
}

}  // namespace platform::movies
