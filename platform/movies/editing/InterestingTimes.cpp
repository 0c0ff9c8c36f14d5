// GetTrackNextInterestingTime: the next time, in track time, at which a
// sample starts (or a sync sample, or an edit), searching forward for a
// positive rate and backward for a negative one. GetMovieNextInterestingTime:
// the nearest such time over the movie's enabled tracks.
/*
 * A sample "starts" in track time where it first comes into view: at the
 * start of every edit (the sample in view begins there), and inside an
 * edit (start S, media time m, rate r) at the first whole movie unit at
 * which the media time played has reached the sample. The player shows, at
 * track time t, the media time
 *     m + floor((t - S) * media scale * r / movie scale),
 * so a sample starting at media time s comes into view at
 *     S + ceil((s - m) * movie scale / (media scale * r)),
 * never a unit earlier (the previous sample would still show there) and
 * never later (the movie would seem to skip it). A sample shorter than a
 * movie unit may never come into view; many sound samples share one unit.
 * The search always returns a time strictly past the one it started from
 * unless edges are allowed, so stepping from result to result ends.
 * Media times here are display times: with reordered frames a sample
 * starts where it is shown, not where it is decoded.
 */
#include <algorithm>
#include <span>

#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/editing/TrackEdits.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

using U128 = unsigned __int128;

struct Found {
    UInt64 time = 0;
    UInt64 duration = 0;
};

struct Span {
    UInt64 start = 0;   // track time
    const EditEntry* edit = nullptr;
};

class Search {
public:
    Search(const pm::Track& track, UInt32 movie_scale)
        : track_(track), edits_(timeline(track, movie_scale)), movie_scale_(movie_scale),
          media_scale_(track.media.header.time_scale) {
        UInt64 at = 0;
        for (const EditEntry& e : edits_) {
            spans_.push_back(Span{at, &e});
            at += e.track_duration;
        }
    }

    std::optional<Found> forward(UInt64 t, bool edge_ok, SInt16 flags) const {
        std::optional<Found> best;
        auto consider = [&](std::optional<Found> f) {
            if (f && (!best || f->time < best->time)) best = f;
        };
        if (flags & (nextTimeMediaSample | nextTimeStep | nextTimeSyncSample))
            consider(next_sample(t, edge_ok, (flags & nextTimeSyncSample) && !(flags & (nextTimeMediaSample | nextTimeStep))));
        if (flags & (nextTimeMediaEdit | nextTimeTrackEdit)) {
            for (const Span& s : spans_)
                if (s.start > t || (edge_ok && s.start == t)) {
                    consider(Found{s.start, s.edit->track_duration});
                    break;
                }
        }
        return best;
    }

    std::optional<Found> backward(UInt64 t, bool edge_ok, SInt16 flags) const {
        std::optional<Found> best;
        auto consider = [&](std::optional<Found> f) {
            if (f && (!best || f->time > best->time)) best = f;
        };
        if (flags & (nextTimeMediaSample | nextTimeStep | nextTimeSyncSample))
            consider(previous_sample(t, edge_ok, (flags & nextTimeSyncSample) && !(flags & (nextTimeMediaSample | nextTimeStep))));
        if (flags & (nextTimeMediaEdit | nextTimeTrackEdit)) {
            for (auto it = spans_.rbegin(); it != spans_.rend(); ++it)
                if (it->start < t || (edge_ok && it->start == t)) {
                    consider(Found{it->start, it->edit->track_duration});
                    break;
                }
        }
        return best;
    }

private:
    // The first track time at which media time `s` is in view inside span
    // `sp` (s >= its media time).
    UInt64 track_time(const Span& sp, UInt64 s) const {
        return sp.start + track_units(s - UInt64(sp.edit->media_time), media_scale_, movie_scale_, sp.edit->rate);
    }

    // Smallest media time that comes into view at track time `t` or later
    // (t inside sp): whatever lies past the media time shown at t - 1.
    UInt64 media_at_least(const Span& sp, UInt64 t) const {
        if (t <= sp.start) return UInt64(sp.edit->media_time);
        return media_at(sp, t - 1) + 1;
    }

    // Media time shown at track time `t` (t inside sp).
    UInt64 media_at(const Span& sp, UInt64 t) const {
        return UInt64(sp.edit->media_time) + media_units(t - sp.start, movie_scale_, media_scale_, sp.edit->rate);
    }

    UInt64 media_end(const Span& sp) const {
        return UInt64(sp.edit->media_time) + media_units(sp.edit->track_duration, movie_scale_, media_scale_, sp.edit->rate);
    }

    // A found sample starting at media time `s` (track time `at`) lasts to
    // its end or the edit's, whichever is first.
    Found found(const Span& sp, UInt64 at, UInt64 s) const {
        const SampleTable& table = track_.media.samples;
        UInt64 edit_end = sp.start + sp.edit->track_duration;
        UInt64 end = edit_end;
        // The frame shown at s lasts until the next one starts.
        if (auto next = table.next_shown_edge(s, true, false); next && table.sample_shown_at(s).ok()) {
            UInt64 sample_end = next->time;
            if (sample_end < media_end(sp)) end = std::min(track_time(sp, sample_end), edit_end);
        }
        return Found{at, end > at ? end - at : 0};
    }

    // The first sample start at or after media time `s`; sync samples only
    // when asked.
    std::optional<UInt64> sample_start_from(UInt64 s, bool sync_only) const {
        const SampleTable& table = track_.media.samples;
        auto edge = table.next_shown_edge(s, true, true);
        if (!edge) return std::nullopt;
        if (!sync_only) return edge->time;
        UInt32 n = table.sample_shown_at(edge->time).value();
        UInt32 sync = table.sync_sample(n, true);
        if (!sync || table.display_time(sync) < 0) return std::nullopt;
        return UInt64(table.display_time(sync));
    }

    std::optional<Found> next_sample(UInt64 t, bool edge_ok, bool sync_only) const {
        for (const Span& sp : spans_) {
            UInt64 end = sp.start + sp.edit->track_duration;
            if (end <= t || sp.edit->media_time < 0) continue;
            if (sp.start > t || (edge_ok && sp.start == t)) {
                UInt64 shown = UInt64(sp.edit->media_time);
                if (!sync_only || shown_is_sync(shown)) return found(sp, sp.start, shown);
            }
            UInt64 threshold = edge_ok ? std::max(t, sp.start) : std::max(t + 1, sp.start);
            if (threshold >= end) continue;
            auto s = sample_start_from(media_at_least(sp, threshold), sync_only);
            if (s && *s < media_end(sp)) {
                UInt64 at = track_time(sp, *s);
                if (at < end) return found(sp, at, *s);
            }
        }
        return std::nullopt;
    }

    bool shown_is_sync(UInt64 media_time) const {
        const SampleTable& table = track_.media.samples;
        auto n = table.sample_shown_at(media_time);
        return n.ok() && table.is_sync(*n) && table.display_time(*n) == SInt64(media_time);
    }

    std::optional<Found> previous_sample(UInt64 t, bool edge_ok, bool sync_only) const {
        const SampleTable& table = track_.media.samples;
        for (auto it = spans_.rbegin(); it != spans_.rend(); ++it) {
            const Span& sp = *it;
            if (sp.start > t || (sp.start == t && !edge_ok) || sp.edit->media_time < 0) continue;
            UInt64 end = sp.start + sp.edit->track_duration;
            UInt64 limit = edge_ok ? std::min(t, end - 1) : std::min(t - 1, end - 1);
            // The sample in view at `limit`, or an earlier sync sample.
            auto n = table.sample_shown_at(media_at(sp, limit));
            if (n.ok()) {
                UInt32 sample = sync_only ? table.sync_sample(*n, false) : *n;
                if (sample) {
                    SInt64 s = table.display_time(sample);
                    if (s > sp.edit->media_time) return found(sp, track_time(sp, UInt64(s)), UInt64(s));
                }
            }
            UInt64 shown = UInt64(sp.edit->media_time);
            if (!sync_only || shown_is_sync(shown)) return found(sp, sp.start, shown);
        }
        return std::nullopt;
    }

    const pm::Track& track_;
    std::vector<EditEntry> edits_;
    std::vector<Span> spans_;
    UInt32 movie_scale_;
    UInt32 media_scale_;
};

// The interesting time of one track from `time` on (back from it for a
// negative rate).
std::optional<Found> search_track(const pm::Track& track, UInt32 movie_scale, SInt16 flags, UInt64 time, Fixed rate) {
    if (movie_scale == 0 || track.media.header.time_scale == 0) return std::nullopt;
    Search search(track, movie_scale);
    const bool edge_ok = (flags & nextTimeEdgeOK) != 0;
    return rate < 0 ? search.backward(time, edge_ok, flags) : search.forward(time, edge_ok, flags);
}

void report(const std::optional<Found>& f, TimeValue* interestingTime, TimeValue* interestingDuration) {
    if (!f || f->time > 0x7FFFFFFFu) return;
    if (interestingTime) *interestingTime = TimeValue(f->time);
    if (interestingDuration) *interestingDuration = TimeValue(std::min<UInt64>(f->duration, 0x7FFFFFFF));
}

}  // namespace
}  // namespace platform::movies

void GetTrackNextInterestingTime(::Track theTrack, SInt16 interestingTimeFlags, TimeValue time, Fixed rate,
                                 TimeValue* interestingTime, TimeValue* interestingDuration) {
    if (interestingTime) *interestingTime = -1;
    if (interestingDuration) *interestingDuration = 0;
    TrackObject* t = track_of(theTrack);
    if (!t) {
        set_error(invalidTrack);
        return;
    }
    set_error(noErr);
    if (!t->has_media || time < 0) return;
    pm::report(pm::search_track(t->data(), t->movie->model.header.time_scale, interestingTimeFlags, UInt64(time), rate),
               interestingTime, interestingDuration);
}

// Over the enabled tracks of the given media types (all when there are
// none): the nearest time any of them finds; of tracks that find the same
// time, the shortest duration (until the first of them changes again).
void GetMovieNextInterestingTime(::Movie theMovie, SInt16 interestingTimeFlags, SInt16 numMediaTypes,
                                 const OSType* whichMediaTypes, TimeValue time, Fixed rate,
                                 TimeValue* interestingTime, TimeValue* interestingDuration) {
    if (interestingTime) *interestingTime = -1;
    if (interestingDuration) *interestingDuration = 0;
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return;
    }
    if (numMediaTypes < 0 || (numMediaTypes > 0 && !whichMediaTypes)) {
        set_error(paramErr);
        return;
    }
    set_error(noErr);
    if (time < 0) return;
    const std::span<const OSType> types(whichMediaTypes, size_t(numMediaTypes));
    std::optional<pm::Found> best;
    for (TrackObject* t : m->tracks_in_order()) {
        if (!t->has_media) continue;
        const pm::Track& d = t->data();
        if (!(d.header.full.flags & kTrackEnabled)) continue;
        if (!types.empty() && std::find(types.begin(), types.end(), d.media.type()) == types.end()) continue;
        auto f = pm::search_track(d, m->model.header.time_scale, interestingTimeFlags, UInt64(time), rate);
        if (!f) continue;
        if (!best || (rate < 0 ? f->time > best->time : f->time < best->time)) best = f;
        else if (f->time == best->time) best->duration = std::min(best->duration, f->duration);
    }
    pm::report(best, interestingTime, interestingDuration);
}
