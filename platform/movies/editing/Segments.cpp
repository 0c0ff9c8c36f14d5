#include "platform/movies/editing/Segments.h"

#include <algorithm>

#include "platform/movies/objects/HostDescriptions.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/editing/TrackEdits.h"
#include "platform/movies/format/SampleDependencies.h"
#include "platform/movies/format/SampleFraming.h"

namespace platform::movies {

namespace {

UInt64 rescale(UInt64 v, UInt32 from, UInt32 to) {
    if (from == to || from == 0) return v;
    return UInt64((static_cast<unsigned __int128>(v) * to + from / 2) / from);
}

SInt64 rescale_signed(SInt64 v, UInt32 from, UInt32 to) {
    if (v >= 0) return SInt64(rescale(UInt64(v), from, to));
    return -SInt64(rescale(UInt64(-v), from, to));
}

// The index in `to` of a description of `from` (for the data reference the
// sample's file has in `to`), added when `to` has no equal one.
Result<UInt32> map_description(MediaObject& from, UInt32 index, MediaObject& to) {
    const SampleDescription& d = from.data().descriptions.entries[index - 1];
    UInt16 ref = load_u16be(&d.bytes[kDescriptionDataRefIndexOffset]);
    auto source = TRY(source_of(from, ref));
    UInt16 to_ref = TRY(add_data_source(to, std::move(source)));
    SampleDescription copy = d;
    store_u16be(&copy.bytes[kDescriptionDataRefIndexOffset], to_ref);
    auto& entries = to.data().descriptions.entries;
    auto same = std::find(entries.begin(), entries.end(), copy);
    if (same != entries.end()) return UInt32(same - entries.begin() + 1);
    entries.push_back(std::move(copy));
    return UInt32(entries.size());
}

}  // namespace

Result<UInt64> copy_media_span(MediaObject& from, UInt64 start, UInt64 duration, MediaObject& to) {
    const Media& src = from.data();
    if (src.type() != to.data().type()) return fail(mediaTypesDontMatch, "the media are of different types");
    const SampleTable& table = src.samples;
    const UInt32 from_scale = src.header.time_scale, to_scale = to.data().header.time_scale;
    SampleTable& dst = to.data().samples;
    const SampleRange range = samples_needed(src, start, start + duration);
    if (range.empty()) return dst.display_end();

    const UInt64 base = table.sample_time(range.first);
    TRY(dst.make_room(rescale_signed(table.earliest_shown(range.first, range.last), from_scale, to_scale)));
    const UInt64 copy_start = dst.duration();

    std::vector<UInt32> mapped(src.descriptions.entries.size(), 0);
    for (UInt32 n = range.first; n <= range.last;) {
        SampleTable::ChunkSpan chunk = table.chunk_span(n);
        const UInt32 begin = n, stop = std::min(range.last + 1, chunk.first_sample + chunk.samples);
        const auto framing = chunk_framing(src, chunk);
        if (!mapped[chunk.description - 1]) mapped[chunk.description - 1] = TRY(map_description(from, chunk.description, to));
        const UInt32 description = mapped[chunk.description - 1];

        // The samples keep their bytes where they are: one new chunk at the
        // first one's offset, in runs of equal size, timing and sync.
        const UInt64 offset = sample_offset(table, chunk, framing, begin);
        bool new_chunk = true;
        for (UInt32 s = begin; s < stop;) {
            UInt64 next = s < table.sample_count() ? table.sample_time(s + 1) : table.duration();
            UInt32 sample_duration = UInt32(std::max<UInt64>(1, rescale(next - table.sample_time(s), from_scale, to_scale)));
            SInt32 composition = SInt32(rescale_signed(table.composition_offset(s), from_scale, to_scale));
            UInt32 size = table.size_of(s);
            bool sync = table.is_sync(s);
            UInt32 run = std::min(stop - s, table.same_timing_run(s));
            UInt32 take = 1;
            if (framing || (table.sizes_constant() && !table.has_sync_table())) take = run;
            else while (take < run && table.size_of(s + take) == size && table.is_sync(s + take) == sync) ++take;
            if (new_chunk) TRY(dst.add_chunk(offset, take, size, sample_duration, description, sync, composition));
            else TRY(dst.extend_last_chunk(take, size, sample_duration, sync, composition));
            new_chunk = false;
            s += take;
        }
        n = stop;
    }
    Media& m = to.data();
    m.header.duration = m.samples.duration();
    m.samples_changed();
    m.encryption_lost |= src.encrypted();   // encrypted samples come without their encryption information
    to.movie().mark_changed();
    // Where `start` shows in `to`; a display time before the copy's first
    // decode time (a negative offset) cannot be named by an edit.
    const SInt64 shown = SInt64(copy_start) + rescale_signed(SInt64(start) - SInt64(base), from_scale, to_scale);
    return UInt64(std::max<SInt64>(shown, 0));
}

Result<void> insert_track_segment(TrackObject& from, UInt64 start, UInt64 duration, TrackObject& to, UInt64 at) {
    if (!from.has_media || !to.has_media) return fail(invalidMedia, "a track without media");
    if (from.data().media.type() != to.data().media.type())
        return fail(mediaTypesDontMatch, "the media are of different types");
    const UInt32 from_scale = from.movie->model.header.time_scale;
    const UInt32 to_scale = to.movie->model.header.time_scale;
    // Taken before anything changes, since `from` may be `to`.
    const std::vector<EditEntry> edits = timeline(from.data(), from_scale);

    struct Piece {
        UInt64 track_duration;   // in `to`'s movie scale
        SInt64 media_time;       // in `from`'s media; -1 empty
        UInt64 media_duration;
        Fixed rate;
    };
    std::vector<Piece> pieces;
    UInt64 edit_start = 0, end = start + duration;
    for (const EditEntry& e : edits) {
        UInt64 edit_end = edit_start + e.track_duration;
        UInt64 a = std::max(start, edit_start), b = std::min(end, edit_end);
        if (a < b) {
            const EditEntry part = edit_part(from.data(), e, a - edit_start, b - edit_start, from_scale);
            Piece p{rescale(part.track_duration, from_scale, to_scale), part.media_time, 0, e.rate};
            // The media the part shows, its end counted as readers of the file count it.
            if (part.media_time >= 0)
                p.media_duration = std::max<UInt64>(
                    media_end(part, from_scale, from.data().media.header.time_scale) - UInt64(part.media_time), 1);
            pieces.push_back(p);
        }
        edit_start = edit_end;
    }
    // What lies past the last edit plays nothing.
    if (end > edit_start) pieces.push_back(Piece{rescale(end - std::max(start, edit_start), from_scale, to_scale), -1, 0, 0x10000});

    UInt64 place = at;
    for (const Piece& p : pieces) {
        if (p.track_duration == 0) continue;
        EditEntry edit{p.track_duration, -1, p.rate};
        if (p.media_time >= 0) {
            edit.media_time = SInt64(TRY(copy_media_span(from.media, UInt64(p.media_time), p.media_duration, to.media)));
        }
        insert_edit(to.data(), to_scale, place, edit);
        place += p.track_duration;
    }
    to.movie->refresh_durations(to.data());
    to.movie->mark_changed();
    return ok();
}

}  // namespace platform::movies
