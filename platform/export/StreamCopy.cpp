// Copying stored H.264 into an export (StreamCopy.h).
#include "platform/export/StreamCopy.h"

#include "platform/core/FourCC.h"
#include "platform/movies/editing/TrackEdits.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/objects/MovieBox.h"

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

std::optional<std::vector<Run>> runs_of(const pm::Track& track, UInt32 movie_scale, SInt64 end) {
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

}  // namespace

Result<std::optional<CopiedVideo>> copy_h264_video(movies::MovieObject& movie, SInt64 end,
                                                   const std::function<Result<void>(double)>& progress) {
    movies::TrackObject* video = nullptr;
    for (movies::TrackObject* t : movie.tracks_in_order()) {
        const pm::Track& d = t->data();
        if (!t->has_media || d.media.type() != pm::kVide || !(d.header.full.flags & pm::kTrackEnabled)) continue;
        if (video) return std::optional<CopiedVideo>{};   // two pictures: they are drawn together
        video = t;
    }
    if (!video) return std::optional<CopiedVideo>{};
    const pm::Track& track = video->data();
    const pm::Media& media = track.media;
    if (media.descriptions.entries.size() != 1) return std::optional<CopiedVideo>{};
    const OSType codec = media.descriptions.entries[0].format();
    if (codec != fourcc("avc1") && codec != fourcc("avc3")) return std::optional<CopiedVideo>{};
    const auto& m = track.header.matrix;
    if (m[0] != 0x10000 || m[4] != 0x10000 || m[1] || m[3]) return std::optional<CopiedVideo>{};
    const auto runs = runs_of(track, movie.model.header.time_scale, end);
    if (!runs) return std::optional<CopiedVideo>{};

    CopiedVideo out;
    out.time_scale = media.header.time_scale;
    out.description = media.descriptions.entries[0];
    out.description.bytes[14] = 0;   // its data is in the new file: reference 1
    out.description.bytes[15] = 1;
    out.width = track.header.width;
    out.height = track.header.height;
    const UInt16 ref = media.descriptions.entries[0].data_ref_index();
    UInt64 samples = 0, done = 0;
    for (const Run& r : *runs) samples += r.last - r.first + 1;
    SInt64 time = 0;   // decode time in the new media
    for (const Run& r : *runs) {
        const SInt64 shift = time - SInt64(media.samples.sample_time(r.first));
        out.edits.push_back(pm::EditEntry{r.track_duration, SInt64(r.media_start) + shift, 0x10000});
        for (UInt32 n = r.first; n <= r.last; ++n) {
            const pm::SampleInfo s = TRY(media.samples.sample(n));
            EncodedUnit u;
            u.data.resize(s.size);
            TRY(pm::read_media_data(video->media, ref, s.offset, u.data.data(), s.size));
            u.dts = SInt64(s.time) + shift;
            u.pts = media.samples.display_time(n) + shift;
            u.key = s.sync;
            out.units.push_back(std::move(u));
            out.durations.push_back(s.duration);
            time += s.duration;
            TRY(progress(double(++done) / double(samples)));
        }
    }
    return std::optional<CopiedVideo>{std::move(out)};
}

}  // namespace platform::exporting
