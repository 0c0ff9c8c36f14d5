// Reading fragmented movies into one sample table per track. The layout
// is in Fragments.h.
#include "platform/movies/format/Fragments.h"

#include <algorithm>
#include <map>

#include "platform/movies/format/FragmentGroups.h"

namespace platform::movies {

namespace {

constexpr UInt32 kNotSync = 0x10000;

struct Defaults {
    UInt32 description = 1;
    UInt32 duration = 0;
    UInt32 size = 0;
    UInt32 flags = 0;
};

// A track's progress through the fragments.
struct TrackState {
    Track* track = nullptr;
    Defaults defaults;
    UInt64 origin = 0;          // decode time of the media's first sample
    bool placed = false;        // origin known: the track has samples
};

// Samples of a run that share everything, stored back to back.
struct SampleGroup {
    UInt32 count = 0;
    UInt32 size = 0;
    UInt32 duration = 0;
    bool sync = true;
    SInt32 composition = 0;
};

struct Run {
    UInt64 offset = 0;
    UInt64 bytes = 0;
    std::vector<SampleGroup> groups;
};

Result<ByteReader> body_of(std::span<const UInt8> whole) {
    ByteReader r(whole, invalidMovie);
    AtomHeader h = TRY(parse_atom_header(r, whole.size(), false));
    return ByteReader(whole.subspan(h.header_size, size_t(h.body_size())), invalidMovie);
}

Result<std::map<UInt32, Defaults>> parse_mvex(std::span<const UInt8> whole) {
    std::map<UInt32, Defaults> out;
    ChildReader children(TRY(body_of(whole)));
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        if (c.header.type != kTrex) continue;
        TRY(read_full_header(c.body));
        UInt32 id = TRY(c.body.u32());
        Defaults d;
        d.description = TRY(c.body.u32());
        d.duration = TRY(c.body.u32());
        d.size = TRY(c.body.u32());
        d.flags = TRY(c.body.u32());
        out[id] = d;
    }
    return out;
}

struct FragmentHeader {
    UInt32 track_id = 0;
    std::optional<UInt64> base;
    bool base_is_moof = false;
    Defaults defaults;
};

Result<FragmentHeader> parse_tfhd(ByteReader r, const std::map<UInt32, Defaults>& trex) {
    FullAtomHeader full = TRY(read_full_header(r));
    FragmentHeader h;
    h.track_id = TRY(r.u32());
    if (auto d = trex.find(h.track_id); d != trex.end()) h.defaults = d->second;
    if (full.flags & 0x1) h.base = TRY(r.u64());
    if (full.flags & 0x2) h.defaults.description = TRY(r.u32());
    if (full.flags & 0x8) h.defaults.duration = TRY(r.u32());
    if (full.flags & 0x10) h.defaults.size = TRY(r.u32());
    if (full.flags & 0x20) h.defaults.flags = TRY(r.u32());
    h.base_is_moof = (full.flags & 0x20000) != 0;
    return h;
}

Result<UInt64> parse_tfdt(ByteReader r) {
    FullAtomHeader full = TRY(read_full_header(r));
    if (full.version == 1) return r.u64();
    return UInt64(TRY(r.u32()));
}

// One trun: where its samples are and what they are. `next` is where a run
// without a data offset starts.
Result<Run> parse_trun(ByteReader r, UInt64 base, UInt64 next, const Defaults& d, UInt64 file_size) {
    FullAtomHeader full = TRY(read_full_header(r));
    const UInt32 count = TRY(r.u32());
    Run run;
    run.offset = next;
    if (full.flags & 0x1) {
        const SInt32 delta = SInt32(TRY(r.u32()));
        if (base > UInt64(INT64_MAX) - UInt64(INT32_MAX)) return bad_movie("a fragment's data lies past 2^63");
        const SInt64 at = SInt64(base) + delta;
        if (at < 0) return bad_movie("a fragment's data lies before the file");
        run.offset = UInt64(at);
    }
    const bool first_flags_given = (full.flags & 0x4) != 0;
    const UInt32 first_flags = first_flags_given ? TRY(r.u32()) : 0;
    const UInt32 fields = full.flags & 0xF00;
    const size_t record = size_t(4) * UInt32(__builtin_popcount(fields));
    if (record ? UInt64(count) * record > r.remaining() : count > file_size)
        return bad_movie("a fragment lists more samples than it holds");

    for (UInt32 i = 0; i < count; ++i) {
        SampleGroup s;
        s.count = 1;
        s.duration = fields & 0x100 ? TRY(r.u32()) : d.duration;
        s.size = fields & 0x200 ? TRY(r.u32()) : d.size;
        UInt32 flags = i == 0 && first_flags_given ? first_flags : d.flags;
        if (fields & 0x400) flags = TRY(r.u32());
        s.sync = !(flags & kNotSync);
        if (fields & 0x800) s.composition = SInt32(TRY(r.u32()));
        if (!record && i == 1) s.count = count - 1;   // the rest are all alike
        run.bytes += UInt64(s.count) * s.size;
        SampleGroup* last = run.groups.empty() ? nullptr : &run.groups.back();
        if (last && last->size == s.size && last->duration == s.duration && last->sync == s.sync &&
            last->composition == s.composition) {
            last->count += s.count;
        } else {
            run.groups.push_back(s);
        }
        if (s.count > 1) break;
    }
    return run;
}

Result<void> add_run(SampleTable& table, const Run& run, UInt32 description) {
    bool first = true;
    for (const SampleGroup& g : run.groups) {
        if (first) TRY(table.add_chunk(run.offset, g.count, g.size, g.duration, description, g.sync, g.composition));
        else TRY(table.extend_last_chunk(g.count, g.size, g.duration, g.sync, g.composition));
        first = false;
    }
    return ok();
}

// Where the samples that follow start on the track's time line.
Result<void> place(TrackState& state, UInt64 decode_time) {
    SampleTable& table = state.track->media.samples;
    if (!state.placed) {
        state.origin = decode_time;
        return ok();
    }
    const UInt64 at = table.duration() + state.origin;
    if (decode_time <= at || table.sample_count() == 0) return ok();
    const UInt64 gap = decode_time - at;
    if (gap > 0xFFFFFFFFu) return bad_movie("a fragment starts too long after the one before");
    return table.lengthen_last_sample(UInt32(gap));
}

// Auxiliary information of common encryption: the per-sample
// initialization vectors and subsample maps, in an senc atom (or its older
// uuid form) that saiz and saio describe.
bool is_encryption_info(const ChildAtom& c) {
    static constexpr UInt8 kSampleEncryptionUuid[16] = {0xA2, 0x39, 0x4F, 0x52, 0x5A, 0x9B, 0x4F, 0x14,
                                                        0xA2, 0x44, 0x6C, 0x42, 0x7C, 0x64, 0x8D, 0xF4};
    if (c.header.type == kSenc || c.header.type == kSaiz || c.header.type == kSaio) return true;
    if (c.header.type != kUuid || c.body.remaining() < 16) return false;
    return std::equal(c.body.data().begin(), c.body.data().begin() + 16, kSampleEncryptionUuid);
}

// One traf. `next_base` is where a following traf without a base of its
// own starts. Returns false when its data runs past the end of the file.
Result<bool> read_traf(ByteReader body, UInt64 moof_offset, UInt64& next_base, UInt64 file_size,
                       const std::map<UInt32, Defaults>& trex, std::map<UInt32, TrackState>& tracks,
                       FragmentGroups& groups, MovieModel& movie) {
    std::optional<FragmentHeader> header;
    std::optional<UInt64> decode_time;
    std::vector<ByteReader> runs;
    std::vector<ChildAtom> per_sample;
    bool encrypted = false;
    ChildReader children(body);
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        if (c.header.type == kTfhd && !header) header = TRY(parse_tfhd(c.body, trex));
        else if (c.header.type == kTfdt && !decode_time) decode_time = TRY(parse_tfdt(c.body));
        else if (c.header.type == kTrun) runs.push_back(c.body);
        else if (c.header.type == kSbgp || c.header.type == kSgpd || c.header.type == kSdtp) per_sample.push_back(c);
        else encrypted |= is_encryption_info(c);
    }
    if (!header) return bad_movie("a track fragment lacks its header");
    const UInt64 base = header->base ? *header->base : header->base_is_moof ? moof_offset : next_base;

    std::vector<Run> parsed;
    UInt64 next = base;
    for (const ByteReader& r : runs) {
        Run run = TRY(parse_trun(r, base, next, header->defaults, file_size));
        UInt64 end;
        if (add_overflows(run.offset, run.bytes, &end) || end > file_size) return false;
        next = end;
        if (!run.groups.empty()) parsed.push_back(std::move(run));
    }
    next_base = next;

    Track* track = movie.find_track(header->track_id);
    if (!track) return true;   // samples of a track the movie does not have
    TrackState& state = tracks[header->track_id];
    if (!state.track) {
        state.track = track;
        state.placed = track->media.samples.sample_count() > 0;
    }
    const UInt32 description = header->defaults.description;
    if (description == 0 || description > track->media.descriptions.entries.size())
        return fail(invalidSampleDescIndex, "a fragment names a missing sample description");
    if (decode_time) TRY(place(state, *decode_time));
    const UInt32 before = track->media.samples.sample_count();
    for (const Run& run : parsed) {
        TRY(add_run(track->media.samples, run, description));
        state.placed = true;
    }
    track->media.encryption_lost |= encrypted;
    if (const UInt32 added = track->media.samples.sample_count() - before)
        TRY(groups.add(*track, before, added, per_sample));
    return true;
}

// A track whose first samples start later than time 0 waits for them.
void delay_late_tracks(const std::map<UInt32, TrackState>& tracks, MovieModel& movie) {
    for (const auto& [id, state] : tracks) {
        Track& t = *state.track;
        if (state.origin == 0 || (t.edits && t.edits->list) || t.media.samples.sample_count() == 0) continue;
        insert_whole_media(t, movie.header.time_scale);
        const UInt64 delay = convert_duration(state.origin, t.media.header.time_scale, movie.header.time_scale);
        t.edits->list->entries.insert(t.edits->list->entries.begin(), EditEntry{delay, -1, 0x10000});
    }
}

// A fragmented movie's length is not known when its moov is written: a
// last edit of duration 0 runs to the end of the media.
void open_edits_run_to_the_end(MovieModel& movie) {
    for (Track& t : movie.tracks) {
        if (!t.edits || !t.edits->list || t.edits->list->entries.empty()) continue;
        EditEntry& last = t.edits->list->entries.back();
        const UInt64 end = t.media.samples.display_end();
        if (last.track_duration != 0 || last.media_time < 0 || UInt64(last.media_time) >= end) continue;
        last.track_duration = convert_duration(end - UInt64(last.media_time), t.media.header.time_scale,
                                               movie.header.time_scale);
    }
}

}  // namespace

bool is_fragmented(const MovieModel& movie) {
    for (const auto& [after, atom] : movie.kept.atoms())
        if (atom.type == kMvex) return true;
    return false;
}

bool is_fragment_index(OSType type) { return type == kMoof || type == kMfra || type == kSidx; }

Result<void> read_fragments(DataFile& file, const MovieFileLayout& layout, MovieModel& movie) {
    const RawAtom* mvex = nullptr;
    for (const auto& [after, atom] : movie.kept.atoms())
        if (atom.type == kMvex && !mvex) mvex = &atom;
    if (!mvex) return ok();
    const std::map<UInt32, Defaults> trex = TRY(parse_mvex(mvex->bytes));

    std::map<UInt32, TrackState> tracks;
    FragmentGroups groups;
    bool reading = true;
    for (const TopAtom& a : layout.atoms) {
        if (a.type != kMoof || !reading) continue;
        const std::vector<UInt8> bytes = TRY(read_top_atom(file, a, kMaxMovieAtomSize));
        ChildReader children(ByteReader(std::span<const UInt8>(bytes).subspan(a.header_size), invalidMovie));
        UInt64 next_base = a.offset;
        while (reading && !children.done()) {
            ChildAtom c = TRY(children.next());
            if (c.header.type != kTraf) continue;
            reading = TRY(read_traf(c.body, a.offset, next_base, layout.file_size, trex, tracks, groups, movie));
        }
    }
    groups.finish();
    delay_late_tracks(tracks, movie);
    open_edits_run_to_the_end(movie);
    static constexpr OSType kFragmentOnly[] = {kMvex};
    movie.kept.drop(kFragmentOnly);
    movie.update_durations();
    return ok();
}

}  // namespace platform::movies
