// The track calls: making and disposing of tracks, finding them, and
// their stored properties.
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/objects/MovieBox.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/Player.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

TrackObject* checked(::Track t) {
    TrackObject* track = track_of(t);
    set_error(track ? OSErr(noErr) : OSErr(invalidTrack));
    return track;
}

SInt32 clamp32(UInt64 v) { return v > 0x7FFFFFFFu ? 0x7FFFFFFF : SInt32(v); }

bool track_matches(TrackObject* t, OSType type, SInt32 flags) {
    const pm::Track& d = t->data();
    if ((flags & movieTrackEnabledOnly) && !(d.header.full.flags & kTrackEnabled)) return false;
    if (!t->has_media) return false;
    if (flags & movieTrackMediaType) return d.media.type() == type;
    if (flags & movieTrackCharacteristic) return media_has_characteristic(d.media.type(), type);
    return true;
}

}  // namespace
}  // namespace platform::movies

::Track NewMovieTrack(::Movie theMovie, Fixed width, Fixed height, SInt16 trackVolume) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return nullptr;
    }
    if (width < 0 || height < 0) {
        set_error(paramErr);
        return nullptr;
    }
    UInt32 id = std::max<UInt32>(m->model.header.next_track_id, 1);
    while (m->track(id)) ++id;
    pm::Track t;
    t.header.track_id = id;
    t.header.creation_time = t.header.modification_time = mac_time_now();
    t.header.width = width;
    t.header.height = height;
    t.header.volume = trackVolume;
    // A new track plays nothing until media is inserted into it.
    t.edits = pm::Edits{pm::EditList{}, {}};
    TrackObject* track = m->add_track(std::move(t), false);
    m->mark_changed();
    set_error(noErr);
    return to_api(track);
}

void DisposeMovieTrack(::Track theTrack) {
    TrackObject* t = checked(theTrack);
    if (!t) return;
    MovieObject* m = t->movie;
    (void)close_writing(t->media);
    m->remove_track(t->id);
    m->mark_changed();
}

SInt32 GetMovieTrackCount(::Movie theMovie) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return 0;
    }
    set_error(noErr);
    return SInt32(m->tracks_in_order().size());
}

::Track GetMovieIndTrack(::Movie theMovie, SInt32 index) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return nullptr;
    }
    auto tracks = m->tracks_in_order();
    if (index < 1 || size_t(index) > tracks.size()) {
        set_error(badTrackIndex);
        return nullptr;
    }
    set_error(noErr);
    return to_api(tracks[size_t(index) - 1]);
}

::Track GetMovieIndTrackType(::Movie theMovie, SInt32 index, OSType trackType, SInt32 flags) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return nullptr;
    }
    if (index >= 1) {
        SInt32 seen = 0;
        for (TrackObject* t : m->tracks_in_order()) {
            if (!track_matches(t, trackType, flags)) continue;
            if (++seen == index) {
                set_error(noErr);
                return to_api(t);
            }
        }
    }
    set_error(badTrackIndex);
    return nullptr;
}

::Media GetTrackMedia(::Track theTrack) {
    TrackObject* t = checked(theTrack);
    if (!t) return nullptr;
    return t->has_media ? to_api(&t->media) : nullptr;
}

::Movie GetTrackMovie(::Track theTrack) {
    TrackObject* t = checked(theTrack);
    return t ? to_api(t->movie) : nullptr;
}

SInt32 GetTrackID(::Track theTrack) {
    TrackObject* t = checked(theTrack);
    return t ? SInt32(t->id) : 0;
}

TimeValue GetTrackDuration(::Track theTrack) {
    TrackObject* t = checked(theTrack);
    return t ? clamp32(t->data().header.duration) : 0;
}

Boolean GetTrackEnabled(::Track theTrack) {
    TrackObject* t = checked(theTrack);
    return t && (t->data().header.full.flags & kTrackEnabled) != 0;
}

void SetTrackEnabled(::Track theTrack, Boolean isEnabled) {
    TrackObject* t = checked(theTrack);
    if (!t) return;
    UInt32& flags = t->data().header.full.flags;
    UInt32 wanted = isEnabled ? (flags | kTrackEnabled) : (flags & ~UInt32(kTrackEnabled));
    if (wanted == flags) return;
    flags = wanted;
    t->movie->mark_changed();
}

SInt16 GetTrackVolume(::Track theTrack) {
    TrackObject* t = checked(theTrack);
    return t ? t->data().header.volume : SInt16(0);
}

void SetTrackVolume(::Track theTrack, SInt16 volume) {
    TrackObject* t = checked(theTrack);
    if (!t || t->data().header.volume == volume) return;
    t->data().header.volume = volume;
    t->movie->mark_changed();
    if (t->movie->player) t->movie->player->apply_volume();
}

void GetTrackDimensions(::Track theTrack, Fixed* width, Fixed* height) {
    TrackObject* t = checked(theTrack);
    if (!t) return;
    // A file's track without a size of its own takes its pictures'.
    const TrackHeader& h = t->data().header;
    const auto [w, ht] = h.width > 0 && h.height > 0 ? std::pair{h.width, h.height} : shown_dimensions(t->data());
    if (width) *width = w;
    if (height) *height = ht;
}
