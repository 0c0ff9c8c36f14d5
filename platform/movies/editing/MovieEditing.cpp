#include "platform/movies/editing/MovieEditing.h"

#include <algorithm>
#include <set>

#include "platform/movies/editing/Segments.h"
#include "platform/movies/objects/Session.h"
#include "platform/movies/editing/TrackEdits.h"
#include "platform/movies/playback/Player.h"

namespace platform::movies {

namespace {

// A new track in `to` like `like` (size, volume, place, layer, enabled),
// with empty media of the same type and time scale.
Result<TrackObject*> new_track_like(MovieObject& to, TrackObject& like) {
    const Track& d = like.data();
    ::Track t = NewMovieTrack(to_api(&to), d.header.width, d.header.height, d.header.volume);
    if (!t) return fail(GetMoviesError(), "cannot add a track");
    if (!NewTrackMedia(t, d.media.type(), TimeScale(d.media.header.time_scale), nullptr, 0)) {
        OSErr err = GetMoviesError();
        DisposeMovieTrack(t);
        return fail(err, "cannot give the new track media");
    }
    TrackObject* track = track_of(t);
    TrackHeader& h = track->data().header;
    h.matrix = d.header.matrix;
    h.layer = d.header.layer;
    h.alternate_group = d.header.alternate_group;
    h.full.flags = d.header.full.flags;
    // The new media keeps the handler names of the one it copies.
    track->data().media.handler = d.media.handler;
    return track;
}

UInt64 rescale(UInt64 v, UInt32 from, UInt32 to) {
    if (from == to || from == 0) return v;
    return UInt64((static_cast<unsigned __int128>(v) * to + from / 2) / from);
}

}  // namespace

Result<MovieObject*> copy_movie_span(MovieObject& from, UInt64 start, UInt64 duration) {
    MovieObject* to = new_movie_object(newMovieActive);
    MovieHeader& h = to->model.header;
    h.time_scale = from.model.header.time_scale;
    h.preferred_rate = from.model.header.preferred_rate;
    h.preferred_volume = from.model.header.preferred_volume;
    for (TrackObject* t : from.tracks_in_order()) {
        if (!t->has_media) continue;
        auto made = new_track_like(*to, *t);
        Result<void> inserted = made.ok() ? insert_track_segment(*t, start, duration, **made, 0) : Result<void>(made.error());
        if (!inserted.ok()) {
            (void)dispose_movie_object(to);
            return inserted.error();
        }
    }
    to->refresh_movie_duration();
    to->changed = false;
    return to;
}

Result<UInt64> insert_movie(MovieObject& src, MovieObject& dst, UInt64 at) {
    const UInt64 src_length = src.model.header.duration;
    const UInt64 length = rescale(src_length, src.model.header.time_scale, dst.model.header.time_scale);
    std::set<UInt32> used;
    for (TrackObject* s : src.tracks_in_order()) {
        if (!s->has_media) continue;
        TrackObject* target = nullptr;
        for (TrackObject* d : dst.tracks_in_order())
            if (d->has_media && !used.count(d->id) && d->data().media.type() == s->data().media.type()) {
                target = d;
                break;
            }
        if (!target) target = TRY(new_track_like(dst, *s));
        used.insert(target->id);
        TRY(insert_track_segment(*s, 0, src_length, *target, at));
    }
    const UInt32 scale = dst.model.header.time_scale;
    for (TrackObject* d : dst.tracks_in_order()) {
        if (used.count(d->id) || !d->has_media) continue;
        Track& t = d->data();
        if (at >= t.duration(scale)) continue;
        insert_edit(t, scale, at, EditEntry{length, -1, 0x10000});
        dst.refresh_durations(t);
    }
    dst.refresh_movie_duration();
    dst.mark_changed();
    return length;
}

void delete_movie_span(MovieObject& movie, UInt64 start, UInt64 duration) {
    if (duration == 0) return;
    const UInt32 scale = movie.model.header.time_scale;
    for (TrackObject* t : movie.tracks_in_order()) {
        if (!t->has_media) continue;
        delete_track_span(t->data(), scale, start, duration);
        movie.refresh_durations(t->data());
    }
    movie.refresh_movie_duration();
    movie.mark_changed();
}

EditState save_edit_state(MovieObject& movie) {
    EditState s;
    s.tracks = movie.model.tracks;
    for (auto& [id, t] : movie.track_objects)
        s.sources[id] = EditState::Sources{t->media.sources, t->media.write_ref, t->has_media};
    s.selection_time = movie.model.header.selection_time;
    s.selection_duration = movie.model.header.selection_duration;
    return s;
}

void restore_edit_state(MovieObject& movie, EditState state) {
    std::set<UInt32> ids;
    for (const Track& t : state.tracks) ids.insert(t.header.track_id);
    for (auto it = movie.track_objects.begin(); it != movie.track_objects.end();) {
        if (!ids.count(it->first)) {
            unregister_track(it->second.get());
            it = movie.track_objects.erase(it);
        } else {
            ++it;
        }
    }
    movie.model.tracks = std::move(state.tracks);
    for (const Track& t : movie.model.tracks) {
        const UInt32 id = t.header.track_id;
        TrackObject* object = movie.track(id);
        if (!object) {
            auto made = std::make_unique<TrackObject>(&movie, id);
            object = made.get();
            register_track(object);
            movie.track_objects[id] = std::move(made);
        }
        auto saved = state.sources.find(id);
        if (saved != state.sources.end()) {
            object->media.sources = std::move(saved->second.slots);
            object->media.write_ref = saved->second.write_ref;
            object->has_media = saved->second.has_media;
        }
        if (id >= movie.model.header.next_track_id) movie.model.header.next_track_id = id + 1;
    }
    movie.model.header.selection_time = state.selection_time;
    movie.model.header.selection_duration = state.selection_duration;
    movie.refresh_movie_duration();
    movie.mark_changed();
    movie_edited(movie);
}

void movie_edited(MovieObject& movie) {
    if (movie.player) movie.player->edited();
}

}  // namespace platform::movies
