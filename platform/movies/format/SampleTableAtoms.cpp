// The five sample table atoms: reading, cross-checking, writing, printing.
// Layouts in SampleTable.h.
#include <algorithm>

#include "platform/movies/format/SampleTable.h"

namespace platform::movies {

namespace {

Error bad_table(const char* message) { return Error{invalidSampleTable, message}; }

// Reads the full-atom header and an entry count, and checks that `count`
// entries of `entry_size` bytes fit in what is left, before anything is
// allocated. Returns the entries' bytes.
Result<std::span<const UInt8>> table_entries(ByteReader& r, size_t entry_size, UInt32* count,
                                             const char* too_many) {
    TRY_AS(read_full_header(r), invalidSampleTable);
    *count = TRY_AS(r.u32(), invalidSampleTable);
    if (*count > r.remaining() / entry_size) return bad_table(too_many);
    return r.bytes(size_t(*count) * entry_size).value();
}

}  // namespace

Result<void> SampleTable::parse_stts(ByteReader r) {
    if (seen_stts_) return bad_table("two time-to-sample tables");
    seen_stts_ = true;
    UInt32 n;
    auto b = TRY(table_entries(r, 8, &n, "time-to-sample count exceeds its atom"));
    time_runs_.resize(n);
    for (UInt32 i = 0; i < n; ++i)
        time_runs_[i] = TimeRun{load_u32be(&b[8 * i]), load_u32be(&b[8 * i + 4])};
    return ok();
}

Result<void> SampleTable::parse_ctts(ByteReader r) {
    if (seen_ctts_) return bad_table("two composition offset tables");
    seen_ctts_ = true;
    UInt32 n;
    auto b = TRY(table_entries(r, 8, &n, "composition offset count exceeds its atom"));
    offset_runs_.resize(n);
    // Version 0 offsets are unsigned, but writers store negative ones there
    // too; read both versions as signed.
    for (UInt32 i = 0; i < n; ++i)
        offset_runs_[i] = OffsetRun{load_u32be(&b[8 * i]), SInt32(load_u32be(&b[8 * i + 4]))};
    std::erase_if(offset_runs_, [](const OffsetRun& o) { return o.count == 0; });
    has_offsets_ = !offset_runs_.empty();
    return ok();
}

Result<void> SampleTable::parse_stss(ByteReader r) {
    if (has_sync_table_) return bad_table("two sync sample tables");
    UInt32 n;
    auto b = TRY(table_entries(r, 4, &n, "sync sample count exceeds its atom"));
    has_sync_table_ = true;
    sync_.resize(n);
    for (UInt32 i = 0; i < n; ++i) sync_[i] = load_u32be(&b[4 * i]);
    return ok();
}

Result<void> SampleTable::parse_stsc(ByteReader r) {
    if (seen_stsc_) return bad_table("two sample-to-chunk tables");
    seen_stsc_ = true;
    UInt32 n;
    auto b = TRY(table_entries(r, 12, &n, "sample-to-chunk count exceeds its atom"));
    chunk_runs_.resize(n);
    for (UInt32 i = 0; i < n; ++i) {
        const UInt8* p = &b[12 * i];
        chunk_runs_[i] = ChunkRun{load_u32be(p), load_u32be(p + 4), load_u32be(p + 8)};
    }
    return ok();
}

Result<void> SampleTable::parse_stsz(ByteReader r) {
    if (seen_stsz_) return bad_table("two sample size tables");
    seen_stsz_ = true;
    TRY_AS(read_full_header(r), invalidSampleTable);
    UInt32 constant = TRY_AS(r.u32(), invalidSampleTable);
    UInt32 n = TRY_AS(r.u32(), invalidSampleTable);
    sample_count_ = n;
    if (constant != 0) {
        sizes_constant_ = true;
        constant_size_ = constant;
        return ok();
    }
    if (n > r.remaining() / 4) return bad_table("sample size count exceeds its atom");
    auto b = r.bytes(size_t(n) * 4).value();
    sizes_constant_ = false;
    constant_size_ = 0;
    sizes_.resize(n);
    for (UInt32 i = 0; i < n; ++i) sizes_[i] = load_u32be(&b[4 * i]);
    return ok();
}

Result<void> SampleTable::parse_stco(ByteReader r, bool co64) {
    if (seen_stco_) return bad_table("two chunk offset tables");
    seen_stco_ = true;
    offsets_64_ = co64;
    UInt32 n;
    auto b = TRY(table_entries(r, co64 ? 8 : 4, &n, "chunk offset count exceeds its atom"));
    chunk_offsets_.resize(n);
    if (co64)
        for (UInt32 i = 0; i < n; ++i) chunk_offsets_[i] = load_u64be(&b[8 * i]);
    else
        for (UInt32 i = 0; i < n; ++i) chunk_offsets_[i] = load_u32be(&b[4 * i]);
    return ok();
}

Result<void> SampleTable::finish(UInt32 description_count) {
    if (!seen_stts_ || !seen_stsc_ || !seen_stsz_ || !seen_stco_)
        return bad_table("sample table lacks one of stts, stsc, stsz, stco");

    UInt64 total = 0;
    for (const TimeRun& t : time_runs_) total += t.count;
    if (total != sample_count_)
        return bad_table("time-to-sample and sample size tables count different samples");
    index_time_runs();

    if (has_offsets_) {
        UInt64 covered = 0;
        for (const OffsetRun& o : offset_runs_) covered += o.count;
        if (covered > sample_count_) return bad_table("composition offsets for more samples than the media has");
        // Samples the table leaves out are shown at their decode times.
        if (covered < sample_count_) offset_runs_.push_back(OffsetRun{UInt32(sample_count_ - covered), 0});
        index_offset_runs();
    }

    for (const ChunkRun& c : chunk_runs_)
        if (c.description == 0 || c.description > description_count)
            return fail(invalidSampleDescIndex, "sample-to-chunk entry names a missing sample description");
    TRY(index_chunk_runs());

    for (size_t i = 0; i < sync_.size(); ++i) {
        if (sync_[i] == 0 || sync_[i] > sample_count_) return bad_table("sync sample number out of range");
        if (i && sync_[i] <= sync_[i - 1]) return bad_table("sync samples out of order");
    }
    return ok();
}

Result<void> SampleTable::index_chunk_runs() {
    chunk_run_first_sample_.clear();
    UInt32 chunks = chunk_count();
    if (chunk_runs_.empty()) {
        if (chunks != 0 || sample_count_ != 0) return bad_table("sample-to-chunk table is empty");
        return ok();
    }
    if (chunk_runs_[0].first_chunk != 1) return bad_table("sample-to-chunk table does not start at chunk 1");
    chunk_run_first_sample_.reserve(chunk_runs_.size());
    UInt64 first = 0;
    for (size_t i = 0; i < chunk_runs_.size(); ++i) {
        const ChunkRun& run = chunk_runs_[i];
        if (i && run.first_chunk <= chunk_runs_[i - 1].first_chunk)
            return bad_table("sample-to-chunk entries out of order");
        if (run.first_chunk > chunks) return bad_table("sample-to-chunk entry past the last chunk");
        chunk_run_first_sample_.push_back(UInt32(first));
        UInt64 end = i + 1 < chunk_runs_.size() ? chunk_runs_[i + 1].first_chunk : UInt64(chunks) + 1;
        first += (end - run.first_chunk) * UInt64(run.samples_per_chunk);
        if (first > sample_count_) return bad_table("chunks hold more samples than the sample size table");
    }
    if (first != sample_count_) return bad_table("chunks hold fewer samples than the sample size table");
    return ok();
}

Result<void> SampleTable::write_stts(ByteWriter& w) const {
    size_t at = begin_atom(w, kStts);
    write_full_header(w, {});
    w.u32(UInt32(time_runs_.size()));
    for (const TimeRun& t : time_runs_) {
        w.u32(t.count);
        w.u32(t.duration);
    }
    return end_atom(w, at);
}

Result<void> SampleTable::write_ctts(ByteWriter& w) const {
    if (!has_offsets_) return ok();
    SInt64 least = INT64_MAX, greatest = INT64_MIN;
    for (const OffsetRun& o : offset_runs_) {
        least = std::min<SInt64>(least, o.offset);
        greatest = std::max<SInt64>(greatest, o.offset);
    }
    const bool negative = least < 0;
    size_t at = begin_atom(w, kCtts);
    write_full_header(w, {UInt8(negative ? 1 : 0), 0});
    w.u32(UInt32(offset_runs_.size()));
    for (const OffsetRun& o : offset_runs_) {
        w.u32(o.count);
        w.u32(UInt32(o.offset));
    }
    TRY(end_atom(w, at));
    if (!negative) return ok();
    // How far display times reach below decode times, for readers that
    // need every display time at or after its decode time.
    auto clamp32 = [](SInt64 v) { return UInt32(SInt32(std::clamp<SInt64>(v, INT32_MIN, INT32_MAX))); };
    const SInt64 start = has_offsets_ && sample_count_ ? display_index().times.front() : 0;
    at = begin_atom(w, kCslg);
    write_full_header(w, {});
    w.u32(clamp32(-least));
    w.u32(clamp32(least));
    w.u32(clamp32(greatest));
    w.u32(clamp32(start));
    w.u32(clamp32(SInt64(display_end())));
    return end_atom(w, at);
}

Result<void> SampleTable::write_stss(ByteWriter& w) const {
    if (!has_sync_table_) return ok();
    size_t at = begin_atom(w, kStss);
    write_full_header(w, {});
    w.u32(UInt32(sync_.size()));
    for (UInt32 s : sync_) w.u32(s);
    return end_atom(w, at);
}

Result<void> SampleTable::write_stsc(ByteWriter& w) const {
    size_t at = begin_atom(w, kStsc);
    write_full_header(w, {});
    w.u32(UInt32(chunk_runs_.size()));
    for (const ChunkRun& c : chunk_runs_) {
        w.u32(c.first_chunk);
        w.u32(c.samples_per_chunk);
        w.u32(c.description);
    }
    return end_atom(w, at);
}

Result<void> SampleTable::write_stsz(ByteWriter& w) const {
    size_t at = begin_atom(w, kStsz);
    write_full_header(w, {});
    if (sizes_constant_ && constant_size_ != 0) {
        w.u32(constant_size_);
        w.u32(sample_count_);
    } else {
        w.u32(0);
        w.u32(sample_count_);
        for (UInt32 n = 1; n <= sample_count_; ++n) w.u32(size_of(n));
    }
    return end_atom(w, at);
}

Result<void> SampleTable::write_stco(ByteWriter& w) const {
    bool wide = needs_co64();
    size_t at = begin_atom(w, wide ? kCo64 : kStco);
    write_full_header(w, {});
    w.u32(chunk_count());
    for (UInt64 o : chunk_offsets_) {
        if (wide) w.u64(o);
        else w.u32(UInt32(o));
    }
    return end_atom(w, at);
}

void SampleTable::dump(std::ostream& out, int level, bool every_sample) const {
    const size_t shown = 8;
    std::string in = indent(level);
    out << in << sample_count_ << " sample(s) in " << chunk_count() << " chunk(s), duration "
        << duration_ << "\n";

    out << in << "time-to-sample, " << time_runs_.size() << " run(s):";
    for (size_t i = 0; i < time_runs_.size() && i < shown; ++i)
        out << " " << time_runs_[i].count << "x" << time_runs_[i].duration;
    if (time_runs_.size() > shown) out << " ...";
    out << "\n";

    out << in << "sample-to-chunk, " << chunk_runs_.size() << " run(s):";
    for (size_t i = 0; i < chunk_runs_.size() && i < shown; ++i)
        out << " [chunk " << chunk_runs_[i].first_chunk << ": " << chunk_runs_[i].samples_per_chunk
            << " per chunk, description " << chunk_runs_[i].description << "]";
    if (chunk_runs_.size() > shown) out << " ...";
    out << "\n";

    if (sizes_constant_) {
        out << in << "sample size: " << constant_size_ << " each\n";
    } else {
        UInt64 total = 0;
        UInt32 lo = sizes_.empty() ? 0 : sizes_[0], hi = lo;
        for (UInt32 s : sizes_) {
            total += s;
            lo = std::min(lo, s);
            hi = std::max(hi, s);
        }
        out << in << "sample sizes: per sample, " << lo << " to " << hi << ", " << total
            << " bytes in all\n";
    }

    out << in << "chunk offsets (" << (needs_co64() ? "co64" : "stco") << "):";
    for (size_t i = 0; i < chunk_offsets_.size() && i < shown; ++i) out << " " << chunk_offsets_[i];
    if (chunk_offsets_.size() > shown) out << " ... " << chunk_offsets_.back();
    out << "\n";

    if (!has_sync_table_) {
        out << in << "sync samples: all\n";
    } else {
        out << in << "sync samples: " << sync_.size() << ":";
        for (size_t i = 0; i < sync_.size() && i < shown; ++i) out << " " << sync_[i];
        if (sync_.size() > shown) out << " ...";
        out << "\n";
    }

    if (has_offsets_) {
        out << in << "composition offsets, " << offset_runs_.size() << " run(s):";
        for (size_t i = 0; i < offset_runs_.size() && i < shown; ++i)
            out << " " << offset_runs_[i].count << "x" << offset_runs_[i].offset;
        if (offset_runs_.size() > shown) out << " ...";
        out << "\n";
    }

    if (!every_sample) return;
    for (UInt32 n = 1; n <= sample_count_; ++n) {
        SampleInfo s = sample(n).value();
        out << in << "  sample " << n << ": time " << s.time << ", duration " << s.duration
            << ", offset " << s.offset << ", size " << s.size << ", chunk " << s.chunk
            << ", description " << s.description << (s.sync ? ", sync" : "");
        if (has_offsets_) out << ", shown at " << display_time(n);
        out << "\n";
    }
}

}  // namespace platform::movies
