// SampleTable.h — a media's sample table: where each sample is, how big,
// how long, which description it uses and whether it is a sync sample.
/*
 * Stored as the tables of an stbl (each a full atom, version 0 unless said):
 *   stts  entry count u32; per entry: sample count u32, sample duration u32
 *   ctts  entry count u32; per entry: sample count u32, composition offset:
 *         u32 in version 0, s32 in version 1. A sample is shown at its
 *         decode time (from stts) plus its offset; codecs that reorder
 *         frames (B-frames) decode a frame before the earlier ones that
 *         refer to it. Absent: every offset is 0. Written as version 1,
 *         with a cslg, only when an offset is negative.
 *   cslg  version 0: composition-to-decode shift s32, least and greatest
 *         offset s32, composition start and end time s32 (written, not
 *         kept: it follows from the offsets)
 *   stss  entry count u32; per entry: sample number u32 (1-based, ascending).
 *         Absent: every sample is a sync sample.
 *   stsc  entry count u32; per entry: first chunk u32 (1-based, ascending),
 *         samples per chunk u32, sample description index u32 (1-based).
 *         An entry covers its first chunk up to the next entry's.
 *   stsz  constant size u32, sample count u32; per-sample sizes u32 only
 *         when the constant size is 0.
 *   stco  entry count u32; per chunk: file offset u32
 *   co64  the same with u64 offsets (written once an offset passes 4 GiB)
 *
 * In memory the tables stay in that compact form: runs for stts, ctts and
 * stsc, one constant for equal sizes, per-sample arrays only when needed,
 * plus small indexes over the runs (first sample and first time of each
 * run) so that every lookup is a binary search. No per-sample objects
 * exist, except that media with composition offsets get an index of their
 * samples in display order, made when first asked for.
 *
 * Times: a sample's decode time is where stts puts it; its display time
 * adds its composition offset. Edit lists and everything that shows a
 * frame speak display time; decoding goes in sample (decode) order.
 */
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/movies/format/Atom.h"

namespace platform::movies {

struct TimeRun {
    UInt32 count = 0;
    UInt32 duration = 0;
    bool operator==(const TimeRun&) const = default;
};

struct OffsetRun {
    UInt32 count = 0;
    SInt32 offset = 0;
    bool operator==(const OffsetRun&) const = default;
};

struct ChunkRun {
    UInt32 first_chunk = 1;
    UInt32 samples_per_chunk = 0;
    UInt32 description = 1;
    bool operator==(const ChunkRun&) const = default;
};

struct SampleInfo {
    UInt32 number = 0;        // 1-based
    UInt64 offset = 0;        // in the data file
    UInt32 size = 0;
    UInt64 time = 0;          // media time the sample starts at
    UInt32 duration = 0;
    UInt32 description = 0;   // 1-based
    UInt32 chunk = 0;         // 1-based
    bool sync = true;
};

struct SampleEdge {
    UInt64 time = 0;          // media time of the sample's start
    UInt32 duration = 0;
};

class SampleTable {
public:
    // --- Building. One call is one chunk: `count` samples of `size` bytes
    // and `duration` units each, stored back to back from `offset`, each
    // shown `composition` units after its decode time.
    Result<void> add_chunk(UInt64 offset, UInt32 count, UInt32 size, UInt32 duration,
                           UInt32 description, bool sync, SInt32 composition = 0);
    // More samples stored right after the last chunk's, in that chunk.
    Result<void> extend_last_chunk(UInt32 count, UInt32 size, UInt32 duration, bool sync,
                                   SInt32 composition = 0);
    // Makes the last sample `extra` units longer (a gap before what is
    // appended next). The table must hold a sample.
    Result<void> lengthen_last_sample(UInt32 extra);
    // Makes room for samples to be appended whose earliest display time
    // lies `earliest` units from the first one's decode time: after cutting
    // through reordered frames the table can show a frame later than its
    // end, and what is appended must not show before it.
    Result<void> make_room(SInt64 earliest);
    // Moves a chunk (1-based number, must exist).
    void set_chunk_offset(UInt32 chunk, UInt64 offset);
    // Makes sample `number` (valid) the first of a chunk of its own, its
    // bytes starting at `offset`: the chunk holding it splits in two.
    Result<void> split_chunk(UInt32 number, UInt64 offset);

    // --- Queries.
    UInt32 sample_count() const { return sample_count_; }
    UInt32 chunk_count() const { return UInt32(chunk_offsets_.size()); }
    UInt64 duration() const { return duration_; }

    // Fails with invalidSampleNum outside 1...sample_count().
    Result<SampleInfo> sample(UInt32 number) const;
    // The sample playing at a media time; timeNotInMedia past the end.
    Result<UInt32> sample_at(UInt64 time) const;
    UInt64 sample_time(UInt32 number) const;     // number must be valid
    // The chunk holding a sample (number must be valid): its number, first
    // sample, sample count, offset and description.
    struct ChunkSpan {
        UInt32 chunk = 0;
        UInt32 first_sample = 0;
        UInt32 samples = 0;
        UInt64 offset = 0;
        UInt32 description = 0;
    };
    ChunkSpan chunk_span(UInt32 number) const;
    // How many samples from `number` on share its duration, and its
    // duration and composition offset (number valid).
    UInt32 same_duration_run(UInt32 number) const;
    UInt32 same_timing_run(UInt32 number) const;
    bool is_sync(UInt32 number) const;
    // The nearest sync sample at or after (forward) or at or before `number`;
    // 0 when there is none.
    UInt32 sync_sample(UInt32 number, bool forward) const;
    // The start of the nearest sample strictly after (forward) or before
    // `time`; with edge_ok, `time` itself when a sample starts there.
    std::optional<SampleEdge> next_edge(UInt64 time, bool forward, bool edge_ok) const;

    // --- Display time (the same as decode time without composition offsets).
    bool has_composition_offsets() const { return has_offsets_; }
    SInt32 composition_offset(UInt32 number) const;   // number must be valid
    SInt64 display_time(UInt32 number) const { return SInt64(sample_time(number)) + composition_offset(number); }
    // Where the last frame shown ends: the media's length in display time.
    UInt64 display_end() const;
    // The sample shown at display time `time`: the last one to start at or
    // before it (the first one before the first start); timeNotInMedia
    // from display_end() on.
    Result<UInt32> sample_shown_at(UInt64 time) const;
    // next_edge() in display time: a frame's start and how long it shows.
    std::optional<SampleEdge> next_shown_edge(UInt64 time, bool forward, bool edge_ok) const;
    // The frames shown in display time [start, end) (start < end): the
    // first and the last of them in decode order, and the display time of
    // the first one shown.
    struct ShownSpan {
        UInt32 first_decoded = 0;   // 1-based sample numbers
        UInt32 last_decoded = 0;
        SInt64 first_shown_time = 0;
    };
    ShownSpan shown_between(UInt64 start, UInt64 end) const;
    // The earliest display time of samples first...last, from the first
    // one's decode time (0 without composition offsets).
    SInt64 earliest_shown(UInt32 first, UInt32 last) const;

    // Every chunk in order, with its byte size as the sample sizes give it.
    struct ChunkInfo {
        UInt32 number = 0;          // 1-based
        UInt64 offset = 0;
        UInt64 bytes = 0;
        UInt32 first_sample = 0;    // 1-based
        UInt32 samples = 0;
        UInt32 description = 0;     // 1-based
    };
    using ChunkVisitor = std::function<Result<void>(const ChunkInfo&)>;
    Result<void> for_each_chunk(const ChunkVisitor& visit) const;

    // Moves every chunk by `delta` bytes (a movie atom written in front of
    // the data); fails when an offset would leave 0...2^64.
    Result<void> shift_offsets(SInt64 delta);
    // Written as co64: read that way, or an offset past 4 GiB.
    bool needs_co64() const;

    // --- The stored form (movdump and tests).
    const std::vector<TimeRun>& time_runs() const { return time_runs_; }
    const std::vector<OffsetRun>& offset_runs() const { return offset_runs_; }
    const std::vector<ChunkRun>& chunk_runs() const { return chunk_runs_; }
    const std::vector<UInt64>& chunk_offsets() const { return chunk_offsets_; }
    bool sizes_constant() const { return sizes_constant_; }
    UInt32 constant_size() const { return constant_size_; }
    const std::vector<UInt32>& sizes() const { return sizes_; }
    bool has_sync_table() const { return has_sync_table_; }
    const std::vector<UInt32>& sync_samples() const { return sync_; }
    UInt32 size_of(UInt32 number) const {
        return sizes_constant_ ? constant_size_ : sizes_[number - 1];
    }

    // --- Atoms (SampleTableAtoms.cpp). The parse_* calls fill the tables in
    // whatever order the atoms come; finish() then checks them against
    // each other and builds the indexes.
    Result<void> parse_stts(ByteReader body);
    Result<void> parse_ctts(ByteReader body);
    Result<void> parse_stss(ByteReader body);
    Result<void> parse_stsc(ByteReader body);
    Result<void> parse_stsz(ByteReader body);
    Result<void> parse_stco(ByteReader body, bool co64);
    Result<void> finish(UInt32 description_count);

    Result<void> write_stts(ByteWriter& w) const;
    Result<void> write_ctts(ByteWriter& w) const;   // ctts and cslg; nothing without offsets
    Result<void> write_stss(ByteWriter& w) const;   // nothing when every sample is sync
    Result<void> write_stsc(ByteWriter& w) const;
    Result<void> write_stsz(ByteWriter& w) const;
    Result<void> write_stco(ByteWriter& w) const;   // stco or co64

    // Run summary; with `every_sample` one line per sample as well.
    void dump(std::ostream& out, int level, bool every_sample) const;

    bool operator==(const SampleTable& o) const;

private:
    Result<void> check_growth(UInt32 count, UInt32 size) const;
    void append_samples(UInt32 count, UInt32 size, UInt32 duration, bool sync, SInt32 composition);
    void index_time_runs();
    void index_offset_runs();
    Result<void> index_chunk_runs();

    // Samples in display order (ties in decode order) with their display
    // times; only for media with composition offsets.
    struct DisplayIndex {
        std::vector<UInt32> order;      // sample numbers
        std::vector<SInt64> times;      // ascending
        std::vector<UInt32> position;   // display position of each sample (by number - 1)
        UInt64 end = 0;
    };
    const DisplayIndex& display_index() const;

    std::vector<TimeRun> time_runs_;
    std::vector<OffsetRun> offset_runs_;
    std::vector<UInt32> offset_run_first_sample_;  // 0-based
    bool has_offsets_ = false;
    mutable std::shared_ptr<const DisplayIndex> display_;   // made on demand, dropped on change
    std::vector<UInt32> time_run_first_sample_;   // 0-based
    std::vector<UInt64> time_run_first_time_;
    std::vector<ChunkRun> chunk_runs_;
    std::vector<UInt32> chunk_run_first_sample_;  // 0-based
    std::vector<UInt64> chunk_offsets_;
    bool offsets_64_ = false;
    bool sizes_constant_ = true;
    UInt32 constant_size_ = 0;
    std::vector<UInt32> sizes_;
    UInt32 sample_count_ = 0;
    UInt64 duration_ = 0;
    bool has_sync_table_ = false;
    std::vector<UInt32> sync_;
    bool seen_stts_ = false, seen_ctts_ = false, seen_stsc_ = false, seen_stsz_ = false, seen_stco_ = false;
};

}  // namespace platform::movies
