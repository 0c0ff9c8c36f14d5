#include "platform/movies/objects/MovieObjects.h"

#include <ctime>
#include <unordered_map>

#include "platform/movies/format/SampleFraming.h"
#include "platform/movies/playback/Player.h"

namespace platform::movies {

namespace {

enum class Kind { Movie, Track, Media, UserData, TimeBase, Handler };

struct Registry {
    std::unordered_map<const void*, Kind> objects;
    std::vector<MovieObject*> movies;   // in creation order
    OSErr error = noErr;
};

Registry& registry() {
    static Registry r;
    return r;
}

template <class T>
T* lookup(const void* p, Kind kind) {
    if (!p) return nullptr;
    auto& objects = registry().objects;
    auto it = objects.find(p);
    if (it == objects.end() || it->second != kind) return nullptr;
    return static_cast<T*>(const_cast<void*>(p));
}

void enter(const void* p, Kind kind) { registry().objects[p] = kind; }
void leave(const void* p) { registry().objects.erase(p); }

}  // namespace

OSErr set_error(OSErr err) { return registry().error = err; }
OSErr last_error() { return registry().error; }

MovieObject* movie_of(::Movie m) { return lookup<MovieObject>(m, Kind::Movie); }
TrackObject* track_of(::Track t) { return lookup<TrackObject>(t, Kind::Track); }
MediaObject* media_of(::Media m) { return lookup<MediaObject>(m, Kind::Media); }
UserDataObject* user_data_of(::UserData u) { return lookup<UserDataObject>(u, Kind::UserData); }
TimeBaseObject* time_base_of(TimeBase t) { return lookup<TimeBaseObject>(t, Kind::TimeBase); }
MediaObject* media_of_handler(MediaHandler h) {
    auto* handler = lookup<MediaHandlerObject>(h, Kind::Handler);
    return handler ? handler->media : nullptr;
}

std::vector<MovieObject*> live_movies() { return registry().movies; }

void register_track(TrackObject* t) {
    enter(t, Kind::Track);
    enter(&t->media, Kind::Media);
    enter(&t->media.handler, Kind::Handler);
    enter(&t->user_data, Kind::UserData);
}

void unregister_track(TrackObject* t) {
    leave(t);
    leave(&t->media);
    leave(&t->media.handler);
    leave(&t->user_data);
}

UInt64 mac_time_now() {
    // 2082844800 seconds lie between 1904-01-01 and 1970-01-01.
    return UInt64(std::time(nullptr)) + 2082844800u;
}

// --- user data lists

std::optional<UserData>& UserDataObject::slot() const {
    if (track_id_ == 0) return movie_->model.user_data;
    return movie_->track(track_id_)->data().user_data;
}

const UserData* UserDataObject::list() const {
    auto& s = slot();
    return s ? &*s : nullptr;
}

UserData& UserDataObject::list_for_writing() {
    auto& s = slot();
    if (!s) s.emplace();
    return *s;
}

void UserDataObject::touched() { movie_->mark_changed(); }

// --- tracks and media

Track& TrackObject::data() { return *movie->model.find_track(id); }
Media& MediaObject::data() { return track->data().media; }
MovieObject& MediaObject::movie() { return *track->movie; }

// --- movies

MovieObject::MovieObject() {
    auto& r = registry();
    enter(this, Kind::Movie);
    enter(&user_data, Kind::UserData);
    enter(&time_base, Kind::TimeBase);
    r.movies.push_back(this);
}

MovieObject::~MovieObject() {
    player.reset();   // its sound streams and frame buffers go before the tracks
    for (auto& [id, t] : track_objects) unregister_track(t.get());
    leave(this);
    leave(&user_data);
    leave(&time_base);
    auto& movies = registry().movies;
    std::erase(movies, this);
}

TrackObject* MovieObject::track(UInt32 id) {
    auto it = track_objects.find(id);
    return it == track_objects.end() ? nullptr : it->second.get();
}

TrackObject* MovieObject::add_track(Track t, bool has_media) {
    UInt32 id = t.header.track_id;
    model.tracks.push_back(std::move(t));
    auto object = std::make_unique<TrackObject>(this, id);
    object->has_media = has_media;
    TrackObject* raw = object.get();
    register_track(raw);
    track_objects[id] = std::move(object);
    if (id >= model.header.next_track_id) model.header.next_track_id = id + 1;
    return raw;
}

void MovieObject::remove_track(UInt32 id) {
    auto it = track_objects.find(id);
    if (it != track_objects.end()) {
        unregister_track(it->second.get());
        track_objects.erase(it);
    }
    std::erase_if(model.tracks, [id](const Track& t) { return t.header.track_id == id; });
    // References to the track from the others go with it.
    for (Track& t : model.tracks) {
        if (!t.references) continue;
        for (auto& ref : t.references->refs) std::erase(ref.track_ids, id);
        std::erase_if(t.references->refs, [](const TrackReference& r) { return r.track_ids.empty(); });
    }
    refresh_movie_duration();
}

std::vector<TrackObject*> MovieObject::tracks_in_order() {
    std::vector<TrackObject*> out;
    for (const Track& t : model.tracks) {
        TrackObject* o = track(t.header.track_id);
        if (o) out.push_back(o);
    }
    return out;
}

void MovieObject::refresh_durations(Track& t) {
    t.media.header.duration = t.media.samples.duration();
    t.header.duration = t.duration(model.header.time_scale);
    refresh_movie_duration();
}

void MovieObject::refresh_movie_duration() {
    UInt64 longest = 0;
    for (const Track& t : model.tracks) longest = std::max(longest, t.header.duration);
    model.header.duration = longest;
}

void MovieObject::attach_sources(MediaObject& media, const std::vector<ResolvedDataRef>* resolved) {
    media.sources.clear();
    const Media& m = media.data();
    const std::vector<DataRef>* refs = m.data_refs();
    size_t count = refs ? refs->size() : 1;
    for (size_t i = 0; i < count; ++i) {
        SourceSlot slot;
        if (!refs || (*refs)[i].in_movie_file()) {
            slot.self = true;
        } else if (resolved && i < resolved->size() && (*resolved)[i].found) {
            auto src = DataSource::open((*resolved)[i].path);
            if (src.ok()) slot.source = std::move(src).value();
            else slot.error = src.code();
        } else {
            slot.error = resolved && i < resolved->size() ? (*resolved)[i].error : OSErr(couldNotResolveDataRef);
            if (slot.error == noErr) slot.error = couldNotResolveDataRef;
        }
        media.sources.push_back(std::move(slot));
    }
    // New samples go to the movie's own file when the media has a reference
    // to it (saving may have put it after the references to other files).
    media.write_ref = 1;
    for (size_t i = 0; i < media.sources.size(); ++i)
        if (media.sources[i].self) {
            media.write_ref = UInt16(i + 1);
            break;
        }
}

}  // namespace platform::movies
