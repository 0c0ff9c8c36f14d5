// Copying stored H.264 into an export (StreamCopy.h).
#include "platform/export/StreamCopy.h"

#include "platform/core/FourCC.h"
#include "platform/movies/editing/TrackEdits.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/format/CodecConfig.h"

namespace platform::exporting {

namespace pm = platform::movies;

namespace {

// The part of the media one edit needs: samples first...last in decode
// order, and where in display time the edit starts.
struct Run {
    UInt32 first = 0, last = 0;
    UInt64 media_start = 0;
    UInt64 track_duration = 0;
};

std::optional<std::vector<Run>> video_runs(const pm::Track& track, UInt32 movie_scale, SInt64 end) {
    const pm::SampleTable& table = track.media.samples;
    const UInt32 media_scale = track.media.header.time_scale;
    std::vector<Run> runs;
    UInt64 total = 0;
    for (const pm::EditEntry& e : pm::timeline(track, movie_scale)) {
        if (e.media_time < 0 || e.rate != 0x10000 || e.track_duration == 0) return std::nullopt;
        const UInt64 start = UInt64(e.media_time);
        const UInt64 length = UInt64((static_cast<unsigned __int128>(e.track_duration) * media_scale) / movie_scale);
        if (start + length > table.display_end()) return std::nullopt;
        const auto shown = table.shown_between(start, start + length);
        // The edit must start in the frame a sync sample shows, which is
        // then the first one decoded and shown.
        if (!table.is_sync(shown.first_decoded) || table.display_time(shown.first_decoded) > SInt64(start))
            return std::nullopt;
        runs.push_back(Run{shown.first_decoded, shown.last_decoded, start, e.track_duration});
        total += e.track_duration;
    }
    if (runs.empty() || total != UInt64(end)) return std::nullopt;
    return runs;
}

// Copies the runs' samples, first to last in decode order, each run's
// edit moved along with them.
Result<CopiedStream> copy_runs(movies::TrackObject& track, const std::vector<Run>& runs, SampleSpool& spool,
                               const std::function<Result<void>(double)>& progress) {
    const pm::Track& t = track.data();
    const pm::Media& media = t.media;
    CopiedStream out;
    out.time_scale = media.header.time_scale;
    out.description = media.descriptions.entries[0];
    out.description.bytes[14] = 0;   // its data is in the new file: reference 1
    out.description.bytes[15] = 1;
    out.width = t.header.width;
    out.height = t.header.height;
    const UInt16 ref = media.descriptions.entries[0].data_ref_index();
    UInt64 samples = 0, done = 0;
    for (const Run& r : runs) samples += r.last - r.first + 1;
    SInt64 time = 0;   // decode time in the new media
    std::vector<UInt8> data;
    for (const Run& r : runs) {
        const SInt64 shift = time - SInt64(media.samples.sample_time(r.first));
        out.edits.push_back(pm::EditEntry{r.track_duration, SInt64(r.media_start) + shift, 0x10000});
        for (UInt32 n = r.first; n <= r.last; ++n) {
            const pm::SampleInfo s = TRY(media.samples.sample(n));
            data.resize(s.size);
            TRY(pm::read_media_data(track.media, ref, s.offset, data.data(), s.size));
            TRY(spool.add(data, SInt64(s.time) + shift, media.samples.display_time(n) + shift, s.sync, out.units));
            out.durations.push_back(s.duration);
            time += s.duration;
            TRY(progress(double(++done) / double(samples)));
        }
    }
    return out;
}

// The movie's one enabled track of a type (null when none or several).
movies::TrackObject* only_enabled(movies::MovieObject& movie, OSType type, bool& several) {
    movies::TrackObject* found = nullptr;
    several = false;
    for (movies::TrackObject* t : movie.tracks_in_order()) {
        const pm::Track& d = t->data();
        if (!t->has_media || d.media.type() != type || !(d.header.full.flags & pm::kTrackEnabled)) continue;
        if (found) several = true;
        found = t;
    }
    return several ? nullptr : found;
}

}  // namespace

Result<std::optional<CopiedStream>> copy_h264_video(movies::MovieObject& movie, SInt64 end, SampleSpool& spool,
                                                    const std::function<Result<void>(double)>& progress) {
    bool several = false;
    movies::TrackObject* video = only_enabled(movie, pm::kVide, several);   // several are drawn together
    if (!video) return std::optional<CopiedStream>{};
    const pm::Track& track = video->data();
    const pm::Media& media = track.media;
    if (media.descriptions.entries.size() != 1) return std::optional<CopiedStream>{};
    const OSType codec = media.descriptions.entries[0].format();
    if (codec != fourcc("avc1") && codec != fourcc("avc3")) return std::optional<CopiedStream>{};
    const auto& m = track.header.matrix;
    if (m[0] != 0x10000 || m[4] != 0x10000 || m[1] || m[3]) return std::optional<CopiedStream>{};
    const auto runs = video_runs(track, movie.model.header.time_scale, end);
    if (!runs) return std::optional<CopiedStream>{};
    return std::optional<CopiedStream>{TRY(copy_runs(*video, *runs, spool, progress))};
}

Result<std::optional<CopiedStream>> copy_aac_sound(movies::MovieObject& movie, SampleSpool& spool,
                                                   const std::function<Result<void>(double)>& progress) {
    bool several = false;
    movies::TrackObject* sound = only_enabled(movie, pm::kSoun, several);   // several are mixed
    if (!sound) return std::optional<CopiedStream>{};
    const pm::Track& track = sound->data();
    const pm::Media& media = track.media;
    if (track.header.volume != 0x100 || media.descriptions.entries.size() != 1) return std::optional<CopiedStream>{};
    auto d = pm::SoundDescription::parse(media.descriptions.entries[0].bytes);
    if (!d.ok() || d->format != fourcc("mp4a")) return std::optional<CopiedStream>{};
    auto esds = pm::find_atom(d->extensions, fourcc("esds"));
    if (!esds) return std::optional<CopiedStream>{};
    auto es = pm::parse_esds(*esds);
    if (!es.ok() || es->object_type != 0x40) return std::optional<CopiedStream>{};

    // Each edit takes the packets it plays and the one before, which the
    // decoder needs to start (the edit hides it).
    const pm::SampleTable& table = media.samples;
    const UInt32 movie_scale = movie.model.header.time_scale, media_scale = media.header.time_scale;
    std::vector<Run> runs;
    for (const pm::EditEntry& e : pm::timeline(track, movie_scale)) {
        if (e.media_time < 0 || e.rate != 0x10000 || e.track_duration == 0) return std::optional<CopiedStream>{};
        const UInt64 start = UInt64(e.media_time);
        const UInt64 length = UInt64((static_cast<unsigned __int128>(e.track_duration) * media_scale) / movie_scale);
        auto first = table.sample_at(start);
        auto last = table.sample_at(start + std::max<UInt64>(length, 1) - 1);
        if (!first.ok() || !last.ok()) return std::optional<CopiedStream>{};
        runs.push_back(Run{*first > 1 ? *first - 1 : *first, *last, start, e.track_duration});
    }
    if (runs.empty()) return std::optional<CopiedStream>{};
    return std::optional<CopiedStream>{TRY(copy_runs(*sound, runs, spool, progress))};
}

}  // namespace platform::exporting
