// The media calls: making a track's media, editing sessions, putting media
// into the track's timeline, and what a media handler tells about itself.
#include <cstring>

#include "platform/Memory.h"
#include "platform/movies/objects/HostDescriptions.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/editing/TrackEdits.h"
#include "platform/movies/format/Alias.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

MediaObject* checked(::Media m) {
    MediaObject* media = media_of(m);
    set_error(media ? OSErr(noErr) : OSErr(invalidMedia));
    return media;
}

SInt32 clamp32(UInt64 v) { return v > 0x7FFFFFFFu ? 0x7FFFFFFF : SInt32(v); }

// The name a media handler goes by.
std::string handler_name(const pm::Media& m) {
    switch (m.type()) {
    case VideoMediaType: return "Video";
    case SoundMediaType: return "Sound";
    case TextMediaType: return "Text";
    case TimeCodeMediaType: return "Timecode";
    case BaseMediaType: return "Base";
    default: break;
    }
    std::string stored = m.handler.name();
    return stored.empty() ? fourcc_string(m.type()) : stored;
}

void to_pascal(const std::string& s, StringPtr out) {
    size_t n = std::min<size_t>(s.size(), 255);
    out[0] = UInt8(n);
    std::memcpy(out + 1, s.data(), n);
}

// The data reference a new media's samples go to: its movie's own file,
// or the file an alias names.
Result<void> set_up_data(MediaObject& media, Handle dataRef, OSType dataRefType) {
    MovieObject& movie = media.movie();
    pm::Media& m = media.data();
    if (!dataRef) {
        movie.attach_sources(media, nullptr);
        media.write_ref = 1;
        return ok();
    }
    if (dataRefType != kAlis) return fail(cantFindHandler, "only alias data references can be written");
    if (!*dataRef) return fail(nilHandleErr, "empty data reference");
    std::vector<UInt8> bytes(*dataRef, *dataRef + GetHandleSize(dataRef));
    DataRef given{kAlis, FullAtomHeader{0, 0}, bytes};
    ResolvedDataRef where = resolve_data_ref(given, movie.home_path, 0);
    if (!where.found) return fail(where.error ? where.error : OSErr(couldNotResolveDataRef), "alias target not found");
    auto source = TRY(DataSource::open(where.path));
    if (!movie.home_path.empty()) given.data = TRY(make_alias(movie.home_path, source->path()));
    m.data_info->refs->entries = {std::move(given)};
    media.sources.clear();
    SourceSlot slot;
    slot.source = std::move(source);
    media.sources.push_back(std::move(slot));
    media.write_ref = 1;
    return ok();
}

}  // namespace
}  // namespace platform::movies

::Media NewTrackMedia(::Track theTrack, OSType mediaType, TimeScale timeScale, Handle dataRef, OSType dataRefType) {
    TrackObject* t = track_of(theTrack);
    if (!t) {
        set_error(invalidTrack);
        return nullptr;
    }
    if (t->has_media) {
        set_error(paramErr);
        return nullptr;
    }
    if (timeScale <= 0) {
        set_error(paramErr);
        return nullptr;
    }
    pm::Track& d = t->data();
    d.media = pm::Media::make(mediaType, UInt32(timeScale));
    d.media.header.creation_time = d.media.header.modification_time = mac_time_now();
    auto ready = set_up_data(t->media, dataRef, dataRefType);
    if (!ready.ok()) {
        d.media = pm::Media{};
        t->media.sources.clear();
        set_error(ready.code());
        return nullptr;
    }
    t->has_media = true;
    t->movie->mark_changed();
    set_error(noErr);
    return to_api(&t->media);
}

::Track GetMediaTrack(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    return m ? to_api(m->track) : nullptr;
}

TimeScale GetMediaTimeScale(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    return m ? TimeScale(m->data().header.time_scale) : 0;
}

TimeValue GetMediaDuration(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    return m ? clamp32(m->data().samples.duration()) : 0;
}

SInt32 GetMediaSampleCount(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    return m ? clamp32(m->data().samples.sample_count()) : 0;
}

SInt32 GetMediaSampleDescriptionCount(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    return m ? SInt32(m->data().descriptions.entries.size()) : 0;
}

void GetMediaSampleDescription(::Media theMedia, SInt32 index, SampleDescriptionHandle descH) {
    MediaObject* m = checked(theMedia);
    if (!m) return;
    const auto& entries = m->data().descriptions.entries;
    if (index < 1 || size_t(index) > entries.size() || !descH) {
        set_error(index < 1 || size_t(index) > entries.size() ? OSErr(invalidSampleDescIndex) : OSErr(paramErr));
        return;
    }
    auto host = description_to_host(m->data().type(), entries[size_t(index) - 1].bytes);
    if (!host.ok()) {
        set_error(host.code());
        return;
    }
    Handle h = reinterpret_cast<Handle>(descH);
    SetHandleSize(h, Size(host->size()));
    if (MemError() != noErr) {
        set_error(MemError());
        return;
    }
    std::memcpy(*h, host->data(), host->size());
}

OSErr BeginMediaEdits(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    if (!m) return invalidMedia;
    auto opened = open_for_writing(*m);
    if (!opened.ok()) return set_error(opened.code());
    m->editing = true;
    return set_error(noErr);
}

OSErr EndMediaEdits(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    if (!m) return invalidMedia;
    m->editing = false;
    return set_error(close_writing(*m).code());
}

OSErr InsertMediaIntoTrack(::Track theTrack, TimeValue trackStart, TimeValue mediaTime, TimeValue mediaDuration,
                           Fixed mediaRate) {
    TrackObject* t = track_of(theTrack);
    if (!t) return set_error(invalidTrack);
    if (!t->has_media) return set_error(invalidMedia);
    if (mediaRate <= 0 || mediaDuration < 0 || trackStart < -1 || mediaTime < -1) return set_error(paramErr);
    pm::Track& d = t->data();
    MovieObject& movie = *t->movie;
    if (mediaTime >= 0 && UInt64(mediaTime) + UInt64(mediaDuration) > d.media.samples.duration())
        return set_error(invalidDuration);
    if (mediaDuration == 0) return set_error(noErr);
    UInt32 movie_scale = movie.model.header.time_scale;
    EditEntry edit;
    edit.media_time = mediaTime;
    edit.rate = mediaRate;
    edit.track_duration = track_units(UInt64(mediaDuration), d.media.header.time_scale, movie_scale, mediaRate);
    UInt64 at = trackStart == -1 ? d.duration(movie_scale) : UInt64(trackStart);
    insert_edit(d, movie_scale, at, edit);
    movie.refresh_durations(d);
    movie.mark_changed();
    return set_error(noErr);
}

::MediaHandler GetMediaHandler(::Media theMedia) {
    MediaObject* m = checked(theMedia);
    return m ? to_api(&m->handler) : nullptr;
}

void GetMediaHandlerDescription(::Media theMedia, OSType* mediaType, Str255 creatorName, OSType* creatorManufacturer) {
    MediaObject* m = checked(theMedia);
    if (!m) return;
    const pm::Media& d = m->data();
    if (mediaType) *mediaType = d.type();
    if (creatorName) to_pascal(handler_name(d), creatorName);
    if (creatorManufacturer) *creatorManufacturer = d.handler.manufacturer;
}

ComponentResult MediaGetName(::MediaHandler mh, Str255 name, SInt32 /*requestedLanguage*/, SInt32* actualLanguage) {
    MediaObject* m = media_of_handler(mh);
    if (!m) return set_error(badComponentType);
    if (name) to_pascal(handler_name(m->data()), name);
    if (actualLanguage) *actualLanguage = 0;
    return set_error(noErr);
}
