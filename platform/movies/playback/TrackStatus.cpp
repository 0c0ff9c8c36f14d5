// GetTrackStatus and GetMovieStatus: whether playback can present a track.
//
// The answer comes from the track's sample descriptions, before anything
// plays: a sound track plays only when every description is one the sound
// feeder reads or a sound decompressor accepts, a video track only when a codec decodes every
// description at its depth. Other media (text, time code, ...) are not
// presented and have nothing to fail. The codes: noCodecErr for a format
// nothing decodes, invalidSampleDescription for a description that cannot
// be read.
#include "platform/codecs/Codec.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/format/SampleDescriptions.h"
#include "platform/movies/playback/SoundPackets.h"
#include "platform/sound/SoundFormats.h"

using namespace platform::movies;

namespace platform::movies {
namespace {

OSErr sound_status(const SampleDescription& entry, UInt32 media_scale) {
    auto d = SoundDescription::parse(entry.bytes);
    if (!d.ok()) return invalidSampleDescription;
    if (d->version < 2 && sound::pcm_format(d->format, d->sample_size, d->channels)) return noErr;
    if (!playback::sound_source(*d, media_scale).ok()) return invalidSampleDescription;
    return playback::open_decoder(*d, media_scale).decoder ? noErr : noCodecErr;
}

OSErr video_status(const SampleDescription& entry, UInt32) {
    auto v = VideoDescription::parse(entry.bytes);
    if (!v.ok()) return invalidSampleDescription;
    const codecs::Codec* codec = codecs::find_codec(v->codec);
    const int depth = codecs::decoded_depth(v->depth);
    if (!codec || depth == 0 || !codec->supports_depth(depth)) return noCodecErr;
    return noErr;
}

OSErr track_status(TrackObject& t) {
    if (!t.has_media) return noErr;
    const Media& m = t.data().media;
    OSErr (*check)(const SampleDescription&, UInt32) = nullptr;
    if (m.type() == SoundMediaType) check = sound_status;
    else if (m.type() == VideoMediaType) check = video_status;
    if (!check) return noErr;
    for (const SampleDescription& entry : m.descriptions.entries)
        if (OSErr err = check(entry, m.header.time_scale); err != noErr) return err;
    return noErr;
}

}  // namespace
}  // namespace platform::movies

ComponentResult GetTrackStatus(::Track theTrack) {
    TrackObject* t = track_of(theTrack);
    if (!t) return set_error(invalidTrack);
    set_error(noErr);
    return track_status(*t);
}

ComponentResult GetMovieStatus(::Movie theMovie, ::Track* firstProblemTrack) {
    if (firstProblemTrack) *firstProblemTrack = nullptr;
    MovieObject* m = movie_of(theMovie);
    if (!m) return set_error(invalidMovie);
    set_error(noErr);
    for (TrackObject* t : m->tracks_in_order()) {
        if (!(t->data().header.full.flags & kTrackEnabled)) continue;
        if (OSErr err = track_status(*t); err != noErr) {
            if (firstProblemTrack) *firstProblemTrack = to_api(t);
            return err;
        }
    }
    return noErr;
}
