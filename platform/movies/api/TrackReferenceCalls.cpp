// Track references: typed lists of other tracks of the same movie, kept by
// track ID (tref). Indexes count from 1; deleting one moves the later ones
// down, and a type whose list becomes empty disappears.
#include "platform/movies/objects/MovieObjects.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

TrackReference* find_list(pm::Track& t, OSType type) {
    if (!t.references) return nullptr;
    for (auto& r : t.references->refs)
        if (r.type == type) return &r;
    return nullptr;
}

bool same_movie(TrackObject* a, TrackObject* b) { return a && b && a->movie == b->movie; }

}  // namespace
}  // namespace platform::movies

OSErr AddTrackReference(::Track theTrack, ::Track refTrack, OSType refType, SInt32* addedIndex) {
    TrackObject* t = track_of(theTrack);
    TrackObject* r = track_of(refTrack);
    if (!t || !r) return set_error(invalidTrack);
    if (!same_movie(t, r)) return set_error(trackNotInMovie);
    if (refType == 0) return set_error(paramErr);
    pm::Track& d = t->data();
    TrackReference* list = find_list(d, refType);
    if (!list) {
        if (!d.references) d.references = TrackReferences{};
        d.references->refs.push_back(TrackReference{refType, {}});
        list = &d.references->refs.back();
    }
    list->track_ids.push_back(r->id);
    if (addedIndex) *addedIndex = SInt32(list->track_ids.size());
    t->movie->mark_changed();
    return set_error(noErr);
}

OSErr DeleteTrackReference(::Track theTrack, OSType refType, SInt32 index) {
    TrackObject* t = track_of(theTrack);
    if (!t) return set_error(invalidTrack);
    pm::Track& d = t->data();
    TrackReference* list = find_list(d, refType);
    if (!list || index < 1 || size_t(index) > list->track_ids.size()) return set_error(paramErr);
    list->track_ids.erase(list->track_ids.begin() + (index - 1));
    if (list->track_ids.empty())
        std::erase_if(d.references->refs, [&](const TrackReference& r) { return r.type == refType; });
    t->movie->mark_changed();
    return set_error(noErr);
}

OSErr SetTrackReference(::Track theTrack, ::Track refTrack, OSType refType, SInt32 index) {
    TrackObject* t = track_of(theTrack);
    if (!t) return set_error(invalidTrack);
    TrackObject* r = refTrack ? track_of(refTrack) : nullptr;
    if (refTrack && !r) return set_error(invalidTrack);
    if (r && !same_movie(t, r)) return set_error(trackNotInMovie);
    TrackReference* list = find_list(t->data(), refType);
    if (!list || index < 1 || size_t(index) > list->track_ids.size()) return set_error(paramErr);
    list->track_ids[size_t(index) - 1] = r ? r->id : 0;
    t->movie->mark_changed();
    return set_error(noErr);
}

::Track GetTrackReference(::Track theTrack, OSType refType, SInt32 index) {
    TrackObject* t = track_of(theTrack);
    if (!t) {
        set_error(invalidTrack);
        return nullptr;
    }
    TrackReference* list = find_list(t->data(), refType);
    if (!list || index < 1 || size_t(index) > list->track_ids.size()) {
        set_error(paramErr);
        return nullptr;
    }
    set_error(noErr);
    UInt32 id = list->track_ids[size_t(index) - 1];
    TrackObject* r = id ? t->movie->track(id) : nullptr;
    return r ? to_api(r) : nullptr;
}

OSType GetNextTrackReferenceType(::Track theTrack, OSType refType) {
    TrackObject* t = track_of(theTrack);
    if (!t) {
        set_error(invalidTrack);
        return 0;
    }
    set_error(noErr);
    pm::Track& d = t->data();
    if (!d.references) return 0;
    const auto& refs = d.references->refs;
    size_t next = 0;
    if (refType != 0) {
        while (next < refs.size() && refs[next].type != refType) ++next;
        if (next == refs.size()) return 0;
        ++next;
    }
    return next < refs.size() ? refs[next].type : 0;
}

SInt32 GetTrackReferenceCount(::Track theTrack, OSType refType) {
    TrackObject* t = track_of(theTrack);
    if (!t) {
        set_error(invalidTrack);
        return 0;
    }
    set_error(noErr);
    TrackReference* list = find_list(t->data(), refType);
    return list ? SInt32(list->track_ids.size()) : 0;
}
