// MovieObjects.h — what the movie toolbox's opaque references point to.
//
// A movie is its model (platform/movies/format/Movie.h: the header, the
// tracks with their media and sample tables, user data, atoms we keep as
// read) plus what only matters while it is open: the files its samples
// live in, the file new samples go to, playback state that is not stored,
// and one small object per reference handed out (track, media, media
// handler, user data list, time base). Those objects stay put for the
// movie's life; a track object finds its track in the model by ID, so the
// model's track list can change freely.
//
// Every reference the API receives is looked up in a registry of live
// objects first: a stale or foreign one gives an error, never a crash.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Movies.h"
#include "platform/movies/objects/DataSources.h"
#include "platform/movies/format/Movie.h"

namespace platform::movies {

class MovieObject;
class TrackObject;
class MediaObject;
namespace playback {
class Player;
}

// Where one data reference of a media points while the movie is open.
struct SourceSlot {
    bool self = false;                    // the movie's own file
    std::shared_ptr<DataSource> source;   // another file, when it was found
    OSErr error = noErr;                  // why it cannot be read, if so
};

// The user data list of the movie (track_id 0) or of one of its tracks. The
// stored list is made only when something is written to it, so asking for
// it changes nothing in the file.
class UserDataObject {
public:
    UserDataObject(MovieObject* movie, UInt32 track_id) : movie_(movie), track_id_(track_id) {}
    const UserData* list() const;       // null when the owner has none
    UserData& list_for_writing();
    void touched();                     // marks the movie changed

private:
    std::optional<UserData>& slot() const;
    MovieObject* movie_;
    UInt32 track_id_;
};

class MediaHandlerObject {
public:
    explicit MediaHandlerObject(MediaObject* media) : media(media) {}
    MediaObject* media;
};

class MediaObject {
public:
    explicit MediaObject(TrackObject* track) : track(track), handler(this) {}
    Media& data();
    MovieObject& movie();

    TrackObject* track;
    bool editing = false;
    UInt16 write_ref = 1;                 // the data reference new samples go to
    std::vector<SourceSlot> sources;      // one per data reference, in order
    std::unique_ptr<AppendFile> append;   // while samples go to a plain data file
    MediaHandlerObject handler;
};

class TrackObject {
public:
    TrackObject(MovieObject* movie, UInt32 id) : movie(movie), id(id), media(this), user_data(movie, id) {}
    Track& data();

    MovieObject* movie;
    UInt32 id;
    bool has_media = false;   // NewTrackMedia was called, or it came from a file
    MediaObject media;
    UserDataObject user_data;
};

struct TimeBaseObject {
    MovieObject* movie;
    SInt32 flags = 0;
};

class MovieObject {
public:
    MovieObject();
    ~MovieObject();
    MovieObject(const MovieObject&) = delete;
    MovieObject& operator=(const MovieObject&) = delete;

    TrackObject* track(UInt32 id);
    // Adds a track to the model and its object; the model track's ID must
    // be unused.
    TrackObject* add_track(Track track, bool has_media);
    void remove_track(UInt32 id);
    // Tracks in movie order.
    std::vector<TrackObject*> tracks_in_order();

    // Media, track and movie durations after a change to one track.
    void refresh_durations(Track& track);
    void refresh_movie_duration();
    void mark_changed() { changed = true; }

    // Sets up a media's sources from its data references, as they resolve
    // against the movie's own file.
    void attach_sources(MediaObject& media, const std::vector<ResolvedDataRef>* resolved);

    MovieModel model;
    std::map<UInt32, std::unique_ptr<TrackObject>> track_objects;
    UserDataObject user_data{this, 0};
    TimeBaseObject time_base{this};

    // The movie's own file: where it was read from or created, open for
    // reading for the movie's life. Empty for a movie made by NewMovie.
    std::string home_path;
    std::shared_ptr<DataSource> home;
    // The reference number the movie was read from or created with (it
    // may have been closed since).
    SInt16 home_ref_num = 0;
    // Where new samples of the movie's own file go (CreateMovieFile), until
    // that file is closed.
    std::optional<MovieStorage> storage;
    // Read from a file that is not a movie file (a sound file); nothing may
    // be written into it.
    bool imported = false;

    // State that is not stored in the file.
    bool active = true;
    SInt16 volume = 0x100;   // negative: muted at that level
    Fixed rate = 0;
    SInt32 play_hints = 0;
    CGrafPtr port = nullptr;
    GDHandle device = nullptr;
    MovieProgressUPP progress = nullptr;
    SRefCon progress_refcon = 0;
    bool changed = false;
    // Playback (playback/Player.h): made when the movie first plays, draws
    // or is asked for its time; the movie's time base from then on.
    std::unique_ptr<playback::Player> player;
};

// --- The registry of live objects and the last error.

OSErr set_error(OSErr err);
OSErr last_error();

MovieObject* movie_of(::Movie m);

// Runs f on the movie behind m and records noErr, or records invalidMovie
// when m is not a movie.
template <class F>
void with_movie(::Movie m, F&& f) {
    MovieObject* movie = movie_of(m);
    if (!movie) {
        set_error(invalidMovie);
        return;
    }
    set_error(noErr);
    f(*movie);
}
TrackObject* track_of(::Track t);
MediaObject* media_of(::Media m);
UserDataObject* user_data_of(::UserData u);
TimeBaseObject* time_base_of(TimeBase t);
MediaObject* media_of_handler(MediaHandler h);

inline ::Movie to_api(MovieObject* m) { return reinterpret_cast<::Movie>(m); }
inline ::Track to_api(TrackObject* t) { return reinterpret_cast<::Track>(t); }
inline ::Media to_api(MediaObject* m) { return reinterpret_cast<::Media>(m); }
inline ::UserData to_api(UserDataObject* u) { return reinterpret_cast<::UserData>(u); }
inline TimeBase to_api(TimeBaseObject* t) { return reinterpret_cast<TimeBase>(t); }
inline MediaHandler to_api(MediaHandlerObject* h) { return reinterpret_cast<MediaHandler>(h); }

// Every live movie (CloseMovieFile finds the movies writing into a file).
std::vector<MovieObject*> live_movies();

// Registry entries for a track's objects (MovieObject does this for the
// tracks it adds and removes).
void register_track(TrackObject* t);
void unregister_track(TrackObject* t);

// The Mac clock: seconds since 1904-01-01, as movie headers store times.
UInt64 mac_time_now();

}  // namespace platform::movies
