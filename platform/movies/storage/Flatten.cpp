// FlattenMovieData: a self-contained copy of a movie in a new file.
/*
 * The copy holds the samples each track's edits show (enabled tracks only
 * with flattenActiveTracksOnly) and those they depend on
 * (SampleDependencies.h), and nothing else: a media keeps, in decode
 * order, the runs of samples its edits need, and each edit's media time
 * moves with the run that holds it, so exactly what the source shows
 * shows. They are gathered from whatever files the data references name,
 * in one mdat; each media's data reference becomes the file itself.
 * Samples are regrouped into chunks of about half a second
 * (at most 4 MiB) that alternate between the tracks in time order, or come
 * track after track with flattenDontInterleaveFlatten. Framed sound (MACE
 * and the like, SampleFraming.h) is cut only between packets. The data is
 * copied file to file wherever it comes in long runs (copy_data).
 *
 *   moov first (flattenForceMovieResourceBeforeMovieData):
 *     ftyp | moov | free (reserve) | mdat
 *   otherwise:
 *     ftyp | wide | mdat | moov | free (reserve)
 *
 * The file is written as a temporary file in the destination's folder,
 * synced, given type 'MooV', the creator and the destination's permission
 * bits, and renamed over the destination (a symbolic link is followed to
 * the file it names); then the folder is synced. A failure before the
 * rename leaves the destination as it was, so flattening onto the movie's
 * own file (or a hard link to it) works: the movie keeps reading the file
 * it has open. A destination that someone else holds open for writing is
 * refused with opWrErr before anything is written.
 */
#include <algorithm>

#include "platform/files/AccessPaths.h"
#include "platform/files/Catalog.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/storage/MovieDestination.h"
#include "platform/movies/storage/MovieFiles.h"
#include "platform/movies/progress/MovieProgress.h"
#include "platform/movies/objects/Session.h"
#include "platform/movies/editing/TrackEdits.h"
#include "platform/movies/format/SampleDependencies.h"
#include "platform/movies/format/SampleFraming.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

constexpr double kChunkSeconds = 0.5;
constexpr UInt64 kChunkBytes = UInt64(4) << 20;
constexpr size_t kCopyBuffer = size_t(8) << 20;
constexpr size_t kAlign = size_t(1) << 20;
// Runs of at least kDirectCopy bytes are copied file to file, at most
// kCopyStep bytes a call.
constexpr UInt64 kDirectCopy = UInt64(256) << 10;
constexpr UInt64 kCopyStep = UInt64(64) << 20;

// Bytes of one source file that go into an output chunk.
struct Piece {
    UInt16 ref = 0;   // the source media's data reference
    UInt64 offset = 0;
    UInt64 bytes = 0;
};

struct OutChunk {
    size_t track = 0;        // index into the plan's tracks
    UInt32 number = 0;       // chunk number in that track's new table
    double start = 0;        // seconds of media time
    UInt64 bytes = 0;
    std::vector<Piece> pieces;
};

struct TrackPlan {
    MediaObject* media = nullptr;
    Track track;             // the copy, with its new sample table
};

struct Plan {
    std::vector<TrackPlan> tracks;
    std::vector<OutChunk> chunks;
    UInt64 data_bytes = 0;
};

// The runs of samples a track's edits need (the whole media without an
// edit list), in decode order, each with where its edits' media times go.
struct Needed {
    SampleRange range;
    SInt64 shift = 0;   // new decode time minus old, once planned
};

SampleRange needed_by(const pm::Media& media, const EditEntry& e, UInt32 movie_scale) {
    const UInt64 start = UInt64(e.media_time);
    return samples_needed(media, start, std::max(media_end(e, movie_scale, media.header.time_scale), start + 1));
}

std::vector<Needed> needed_runs(const pm::Track& track, UInt32 movie_scale) {
    const pm::Media& media = track.media;
    std::vector<SampleRange> ranges;
    if (track.edits && track.edits->list) {
        for (const EditEntry& e : track.edits->list->entries)
            if (e.media_time >= 0)
                if (SampleRange r = needed_by(media, e, movie_scale); !r.empty()) ranges.push_back(r);
    } else if (media.samples.sample_count()) {
        ranges.push_back(SampleRange{1, media.samples.sample_count()});
    }
    std::sort(ranges.begin(), ranges.end(), [](const SampleRange& a, const SampleRange& b) { return a.first < b.first; });
    std::vector<Needed> runs;
    for (const SampleRange& r : ranges) {
        if (!runs.empty() && r.first <= runs.back().range.last + 1)
            runs.back().range.last = std::max(runs.back().range.last, r.last);
        else
            runs.push_back(Needed{r});
    }
    return runs;
}

// Groups the samples a track needs into output chunks and builds its new table.
class TrackPlanner {
public:
    TrackPlanner(Plan& plan, size_t index, const pm::Media& source)
        : plan_(plan), index_(index), source_(source), table_(plan.tracks[index].track.media.samples),
          scale_(source.header.time_scale ? source.header.time_scale : 1),
          chunk_units_(std::max<UInt64>(1, UInt64(kChunkSeconds * scale_))) {}

    // `breaks`: samples that must start an output chunk (edit_boundaries()).
    Result<void> run(std::vector<Needed>& runs, const std::vector<UInt32>& breaks) {
        const SampleTable& src = source_.samples;
        for (Needed& n : runs) {
            TRY(table_.make_room(src.earliest_shown(n.range.first, n.range.last)));
            n.shift = SInt64(table_.duration()) - SInt64(src.sample_time(n.range.first));
            current_ = 0;
            for (UInt32 s = n.range.first; s <= n.range.last;) {
                // The part of the chunk holding `s` that the run needs, up
                // to the next break that falls between packets.
                SampleTable::ChunkSpan span = src.chunk_span(s);
                const auto framing = chunk_framing(source_, span);
                UInt32 stop = std::min(n.range.last + 1, span.first_sample + span.samples);
                for (auto b = std::upper_bound(breaks.begin(), breaks.end(), s); b != breaks.end() && *b < stop; ++b)
                    if (!framing || (*b - span.first_sample) % framing->samples_per_packet == 0) {
                        stop = *b;
                        break;
                    }
                if (std::binary_search(breaks.begin(), breaks.end(), s)) current_ = 0;
                SampleTable::ChunkInfo c{span.chunk, sample_offset(src, span, framing, s), 0, s, stop - s,
                                         span.description};
                UInt16 ref = load_u16be(&source_.descriptions.entries[span.description - 1].bytes[14]);
                TRY(framing ? framed(c, *framing, ref) : per_sample(c, ref));
                s = stop;
            }
        }
        return ok();
    }

private:
    // How many samples fit in the output chunk they go to (the one being
    // filled, or a new one when that is full or of another description),
    // at `duration` and `bytes_each` a sample; at least one. Samples
    // without data are not spread over chunks.
    UInt64 room(UInt32 description, UInt32 duration, UInt64 bytes_each) const {
        if (bytes_each == 0) return ~UInt64(0);
        UInt64 units = 0, used = 0;
        if (current_ && description == description_ && out_units_ < chunk_units_ && current_bytes() < kChunkBytes) {
            units = out_units_;
            used = current_bytes();
        }
        UInt64 by_time = (chunk_units_ - units) / std::max<UInt32>(duration, 1);
        UInt64 by_bytes = (kChunkBytes - used) / bytes_each;
        return std::max<UInt64>(std::min(by_time, by_bytes), 1);
    }

    // Sound counted in packets: whole runs of packets at a time.
    Result<void> framed(const SampleTable::ChunkInfo& c, const SampleFraming& f, UInt16 ref) {
        const SampleTable& src = source_.samples;
        UInt32 done = 0;
        while (done < c.samples) {
            UInt32 n = c.first_sample + done;
            UInt32 left = c.samples - done;
            UInt32 duration = duration_of(n);
            UInt32 take = std::min(left, src.same_timing_run(n));
            take = UInt32(std::min<UInt64>(take, room(c.description, duration, f.bytes_per_packet)));
            if (take < left) {
                // Cut between packets only; a run shorter than a packet stays whole.
                UInt32 whole = UInt32(f.whole_packets(take));
                take = whole ? whole : std::min(left, f.samples_per_packet);
            }
            UInt64 offset = c.offset + f.bytes(done);
            UInt64 bytes = f.bytes(done + take) - f.bytes(done);
            TRY(add(ref, offset, bytes, take, src.size_of(n), duration, c.description, src.is_sync(n),
                    src.composition_offset(n)));
            done += take;
        }
        return ok();
    }

    // Other samples in runs of equal size, duration and sync state.
    Result<void> per_sample(const SampleTable::ChunkInfo& c, UInt16 ref) {
        const SampleTable& src = source_.samples;
        UInt64 offset = c.offset;
        UInt32 done = 0;
        while (done < c.samples) {
            UInt32 n = c.first_sample + done;
            UInt32 size = src.size_of(n);
            UInt32 duration = duration_of(n);
            bool sync = src.is_sync(n);
            UInt32 limit = std::min(c.samples - done, src.same_timing_run(n));
            limit = UInt32(std::min<UInt64>(limit, room(c.description, duration, size)));
            UInt32 take = 1;
            if (src.sizes_constant() && !src.has_sync_table()) {
                take = limit;
            } else {
                while (take < limit && src.size_of(n + take) == size && src.is_sync(n + take) == sync) ++take;
            }
            TRY(add(ref, offset, UInt64(take) * size, take, size, duration, c.description, sync,
                    src.composition_offset(n)));
            offset += UInt64(take) * size;
            done += take;
        }
        return ok();
    }

    UInt32 duration_of(UInt32 n) const {
        const SampleTable& src = source_.samples;
        UInt64 next = n < src.sample_count() ? src.sample_time(n + 1) : src.duration();
        return UInt32(next - src.sample_time(n));
    }

    Result<void> add(UInt16 ref, UInt64 offset, UInt64 bytes, UInt32 count, UInt32 size, UInt32 duration,
                     UInt32 description, bool sync, SInt32 composition) {
        bool fresh = !current_ || description != description_ ||
                     (bytes && (out_units_ >= chunk_units_ || current_bytes() + bytes > kChunkBytes));
        if (fresh) {
            const double start = double(table_.duration()) / double(scale_);
            TRY(table_.add_chunk(0, count, size, duration, description, sync, composition));
            OutChunk chunk;
            chunk.track = index_;
            chunk.number = table_.chunk_count();
            chunk.start = start;
            plan_.chunks.push_back(std::move(chunk));
            current_ = plan_.chunks.size();
            description_ = description;
            out_units_ = 0;
        } else {
            TRY(table_.extend_last_chunk(count, size, duration, sync, composition));
        }
        OutChunk& chunk = plan_.chunks[current_ - 1];
        if (!chunk.pieces.empty() && chunk.pieces.back().ref == ref &&
            chunk.pieces.back().offset + chunk.pieces.back().bytes == offset) {
            chunk.pieces.back().bytes += bytes;
        } else {
            chunk.pieces.push_back(Piece{ref, offset, bytes});
        }
        chunk.bytes += bytes;
        plan_.data_bytes += bytes;
        out_units_ += UInt64(count) * duration;
        return ok();
    }

    UInt64 current_bytes() const { return current_ ? plan_.chunks[current_ - 1].bytes : 0; }

    Plan& plan_;
    size_t index_;
    const pm::Media& source_;
    SampleTable& table_;
    UInt32 scale_;
    UInt64 chunk_units_;
    size_t current_ = 0;   // 1-based index into plan_.chunks; 0 = none yet
    UInt32 description_ = 0;
    UInt64 out_units_ = 0;
};

// The copy's model: kept tracks with self-contained media and empty tables.
Result<Plan> make_plan(MovieObject& movie, pm::MovieModel& out, bool active_only) {
    Plan plan;
    out = movie.model;
    std::vector<UInt32> dropped;
    std::erase_if(out.tracks, [&](const pm::Track& t) {
        TrackObject* o = movie.track(t.header.track_id);
        bool drop = !o || !o->has_media || (active_only && !(t.header.full.flags & kTrackEnabled));
        if (drop) dropped.push_back(t.header.track_id);
        return drop;
    });
    for (pm::Track& t : out.tracks) {
        if (t.references) {
            for (auto& r : t.references->refs)
                std::erase_if(r.track_ids, [&](UInt32 id) { return std::find(dropped.begin(), dropped.end(), id) != dropped.end(); });
            std::erase_if(t.references->refs, [](const TrackReference& r) { return r.track_ids.empty(); });
        }
        pm::Media& m = t.media;
        m.samples = SampleTable{};
        if (m.data_info) m.data_info->refs = DataReferences{FullAtomHeader{}, {DataRef::self()}, {}};
        for (auto& d : m.descriptions.entries) store_u16be(&d.bytes[14], 1);
    }
    plan.tracks.resize(out.tracks.size());
    for (size_t i = 0; i < out.tracks.size(); ++i) {
        plan.tracks[i].media = &movie.track(out.tracks[i].header.track_id)->media;
        plan.tracks[i].track = std::move(out.tracks[i]);
    }
    const UInt32 movie_scale = movie.model.header.time_scale;
    for (size_t i = 0; i < plan.tracks.size(); ++i) {
        const pm::Media& source = plan.tracks[i].media->data();
        const pm::Track& source_track = plan.tracks[i].media->track->data();
        pm::Track& copy = plan.tracks[i].track;
        std::vector<Needed> runs = needed_runs(source_track, movie_scale);
        TrackPlanner planner(plan, i, source);
        TRY(planner.run(runs, edit_boundaries(source_track, movie_scale)));
        copy.media.header.duration = copy.media.samples.duration();
        const bool whole = runs.size() == 1 && runs[0].range.first == 1 &&
                           runs[0].range.last == source.samples.sample_count() && runs[0].shift == 0;
        if (!whole) copy.media.samples_changed();
        if (!copy.edits || !copy.edits->list) continue;
        // Each edit's media time moves with the run that holds what it shows.
        for (EditEntry& e : copy.edits->list->entries) {
            if (e.media_time < 0) continue;
            SampleRange r = needed_by(source, e, movie_scale);
            auto run = std::find_if(runs.begin(), runs.end(), [&](const Needed& n) {
                return !r.empty() && n.range.first <= r.first && r.last <= n.range.last;
            });
            e.media_time = run == runs.end() ? -1 : std::max<SInt64>(0, e.media_time + run->shift);
        }
    }
    return plan;
}

void order_chunks(Plan& plan, bool interleave) {
    std::stable_sort(plan.chunks.begin(), plan.chunks.end(), [&](const OutChunk& a, const OutChunk& b) {
        if (interleave && a.start != b.start) return a.start < b.start;
        if (a.track != b.track) return a.track < b.track;
        return a.number < b.number;
    });
}

// Gives every chunk its place: data starts at `data_start`.
void place_chunks(Plan& plan, UInt64 data_start) {
    UInt64 at = data_start;
    for (const OutChunk& c : plan.chunks) {
        plan.tracks[c.track].track.media.samples.set_chunk_offset(c.number, at);
        at += c.bytes;
    }
}

MovieModel assemble(pm::MovieModel& out, Plan& plan) {
    out.tracks.clear();
    for (TrackPlan& t : plan.tracks) out.tracks.push_back(t.track);
    return out;
}

// Appends through a large buffer so that many small pieces make few,
// large writes; each write but the last ends on a kAlign boundary of the
// file.
class BufferedAppend {
public:
    explicit BufferedAppend(MovieFileWriter& writer) : writer_(writer) { buffer_.reserve(kCopyBuffer); }

    // Room for `n` bytes (at most kCopyBuffer / 2) at the end of the
    // buffer, filled by the caller.
    Result<UInt8*> reserve(size_t n) {
        if (buffer_.size() + n > kCopyBuffer) TRY(write(false));
        size_t at = buffer_.size();
        buffer_.resize(at + n);
        return buffer_.data() + at;
    }

    Result<void> flush() { return write(true); }

private:
    // Writes the buffer up to its last kAlign boundary, or all of it.
    Result<void> write(bool all) {
        const UInt64 end = writer_.end() + buffer_.size();
        const size_t keep = all || buffer_.size() < kAlign ? 0 : size_t(end % kAlign);
        if (buffer_.size() == keep) return ok();
        TRY(writer_.append(std::span<const UInt8>(buffer_.data(), buffer_.size() - keep)));
        buffer_.erase(buffer_.begin(), buffer_.end() - ptrdiff_t(keep));
        return ok();
    }

    MovieFileWriter& writer_;
    std::vector<UInt8> buffer_;
};

// Bytes of one source file that follow each other in the copy.
struct Run {
    std::shared_ptr<DataSource> source;
    UInt64 offset = 0;
    UInt64 bytes = 0;
};

// Copies the chunks in order. Pieces that follow each other in their
// source as in the copy join into one run; a long run is copied file to
// file (by the kernel where it can), in steps that let progress be told;
// short ones are gathered in the buffer.
Result<void> copy_data(Plan& plan, MovieFileWriter& writer, MovieProgress& progress) {
    BufferedAppend out(writer);
    UInt64 copied = 0;
    auto advance = [&](UInt64 n) {
        copied += n;
        return progress.update(plan.data_bytes ? double(copied) / double(plan.data_bytes) : 1.0);
    };
    auto copy = [&](const Run& r) -> Result<void> {
        if (r.bytes >= kDirectCopy) {
            TRY(out.flush());
            for (UInt64 done = 0; done < r.bytes;) {
                UInt64 n = std::min(r.bytes - done, kCopyStep);
                TRY(writer.append_copy(r.source->file(), r.offset + done, n));
                done += n;
                TRY(advance(n));
            }
            return ok();
        }
        for (UInt64 done = 0; done < r.bytes;) {
            size_t n = size_t(std::min<UInt64>(r.bytes - done, kCopyBuffer / 2));
            UInt8* dst = TRY(out.reserve(n));
            TRY(r.source->read(r.offset + done, dst, n));
            done += n;
            TRY(advance(n));
        }
        return ok();
    };
    Run run;
    for (const OutChunk& c : plan.chunks) {
        MediaObject& media = *plan.tracks[c.track].media;
        for (const Piece& p : c.pieces) {
            auto source = TRY(source_of(media, p.ref));
            if (run.source == source && run.offset + run.bytes == p.offset) {
                run.bytes += p.bytes;
                continue;
            }
            TRY(copy(run));
            run = Run{std::move(source), p.offset, p.bytes};
        }
    }
    TRY(copy(run));
    return out.flush();
}

// Writes the copy: its movie (with the chunks placed where the data goes)
// before or after the sample data.
Result<void> write_copy(DataFile& file, pm::MovieModel& out, Plan& plan, bool movie_first, const FileType& file_type,
                        MovieProgress& progress) {
    if (movie_first) {
        auto movie_at = [&](UInt64 data_start) -> Result<std::vector<UInt8>> {
            place_chunks(plan, data_start);
            return assemble(out, plan).write();
        };
        MovieFileWriter w = TRY(MovieFileWriter::create_movie_first(file, plan.data_bytes, movie_at, file_type));
        TRY(copy_data(plan, w, progress));
        return w.finish_data();
    }
    MovieFileWriter w = TRY(MovieFileWriter::create(file, file_type));
    w.leave_sync_to_caller();   // ReplacementFile::commit syncs the whole copy once
    place_chunks(plan, w.end());
    TRY(copy_data(plan, w, progress));
    TRY(w.append_movie(assemble(out, plan)));
    return ok();
}

Result<MovieObject*> flatten(MovieObject& movie, SInt32 flags, const FSSpec& spec, OSType creator,
                             SInt32 create_flags) {
    if (flags & flattenFSSpecPtrIsDataRefRecordPtr) return fail(paramErr, "data reference destinations are not supported");
    files::File* own = movie.home_ref_num ? files::file_of(movie.home_ref_num) : nullptr;
    const MovieDestination dest = TRY(check_destination(spec, create_flags, own));

    pm::MovieModel out;
    Plan plan = TRY(make_plan(movie, out, flags & flattenActiveTracksOnly));
    for (const TrackPlan& t : plan.tracks) TRY(check_encryption_kept(t.track.media));
    order_chunks(plan, !(flags & flattenDontInterleaveFlatten));
    const bool movie_first = (flags & flattenForceMovieResourceBeforeMovieData) != 0;

    MovieProgress progress(&movie, movie.progress, movie.progress_refcon, progressOpFlatten);
    TRY(progress.update(0));
    ReplacementFile copy_file = TRY(ReplacementFile::create(dest));
    // The copy's brand follows its name: an .mp4 copy of a classic movie is
    // an ISO file, a .mov copy of an .mp4 a classic one.
    TRY(write_copy(copy_file.data(), out, plan, movie_first, FileType::for_name(dest.path), progress));
    auto home = TRY(DataSource::reopen(copy_file.file(), dest.path));
    TRY(copy_file.commit(creator));
    progress.close();

    MovieObject* copy = new_movie_object(create_flags & newMovieActive);
    copy->model = MovieModel{};
    copy->model.header = out.header;
    copy->model.user_data = out.user_data;
    copy->model.kept = out.kept;
    copy->home_path = dest.path;
    copy->home = std::move(home);
    for (TrackPlan& t : plan.tracks) {
        TrackObject* o = copy->add_track(std::move(t.track), true);
        copy->attach_sources(o->media, nullptr);
    }
    copy->model.header.next_track_id = out.header.next_track_id;
    copy->volume = copy->model.header.preferred_volume;
    return copy;
}

}  // namespace
}  // namespace platform::movies

::Movie FlattenMovieData(::Movie theMovie, SInt32 movieFlattenFlags, const FSSpec* theFile, OSType creator,
                       ScriptCode /*scriptTag*/, SInt32 createMovieFileFlags) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return nullptr;
    }
    if (!theFile) {
        set_error(paramErr);
        return nullptr;
    }
    auto copy = pm::flatten(*m, movieFlattenFlags, *theFile, creator, createMovieFileFlags);
    if (!copy.ok()) {
        set_error(copy.code());
        return nullptr;
    }
    set_error(noErr);
    return to_api(*copy);
}
