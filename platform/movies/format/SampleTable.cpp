#include "platform/movies/format/SampleTable.h"

#include <algorithm>
#include <numeric>

namespace platform::movies {

namespace {

// Index of the run holding 0-based position `key`, given each run's first
// position (ascending, runs of zero length share their successor's key).
size_t run_of(const std::vector<UInt32>& firsts, UInt32 key) {
    return size_t(std::upper_bound(firsts.begin(), firsts.end(), key) - firsts.begin()) - 1;
}

}  // namespace

Result<void> SampleTable::check_growth(UInt32 count, UInt32 size) const {
    if (count == 0) return fail(paramErr, "a chunk holds at least one sample");
    if (count > 0xFFFFFFFFu - sample_count_) return fail(invalidSampleNum, "too many samples in one media");
    UInt64 bytes;
    if (mul_overflows(UInt64(count), UInt64(size), &bytes)) return fail(paramErr, "chunk larger than 2^64");
    return ok();
}

Result<void> SampleTable::add_chunk(UInt64 offset, UInt32 count, UInt32 size, UInt32 duration,
                                    UInt32 description, bool sync) {
    TRY(check_growth(count, size));
    if (description == 0) return fail(invalidSampleDescIndex, "sample description index 0");
    if (chunk_offsets_.size() >= 0xFFFFFFFFu) return fail(invalidChunkNum, "too many chunks in one media");
    UInt64 end;
    if (add_overflows(offset, UInt64(count) * size, &end)) return fail(paramErr, "chunk ends past 2^64");

    UInt32 chunk = chunk_count() + 1;
    if (chunk_runs_.empty() || chunk_runs_.back().samples_per_chunk != count ||
        chunk_runs_.back().description != description) {
        chunk_runs_.push_back(ChunkRun{chunk, count, description});
        chunk_run_first_sample_.push_back(sample_count_);
    }
    chunk_offsets_.push_back(offset);
    append_samples(count, size, duration, sync);
    return ok();
}

Result<void> SampleTable::extend_last_chunk(UInt32 count, UInt32 size, UInt32 duration, bool sync) {
    if (chunk_offsets_.empty()) return fail(invalidChunkNum, "no chunk to extend");
    TRY(check_growth(count, size));
    UInt32 last = chunk_count();
    ChunkRun& run = chunk_runs_.back();
    if (run.samples_per_chunk > 0xFFFFFFFFu - count) return fail(invalidSampleNum, "too many samples in one chunk");
    if (run.first_chunk == last) {
        run.samples_per_chunk += count;
    } else {
        // The last chunk leaves its run for one of its own.
        ChunkRun own{last, run.samples_per_chunk + count, run.description};
        chunk_run_first_sample_.push_back(sample_count_ - run.samples_per_chunk);
        chunk_runs_.push_back(own);
    }
    append_samples(count, size, duration, sync);
    return ok();
}

void SampleTable::set_chunk_offset(UInt32 chunk, UInt64 offset) { chunk_offsets_[chunk - 1] = offset; }

void SampleTable::append_samples(UInt32 count, UInt32 size, UInt32 duration, bool sync) {
    if (!time_runs_.empty() && time_runs_.back().duration == duration &&
        time_runs_.back().count <= 0xFFFFFFFFu - count) {
        time_runs_.back().count += count;
    } else {
        time_runs_.push_back(TimeRun{count, duration});
        time_run_first_sample_.push_back(sample_count_);
        time_run_first_time_.push_back(duration_);
    }

    if (sizes_constant_ && sample_count_ == 0) {
        constant_size_ = size;
    } else if (sizes_constant_ && size != constant_size_) {
        sizes_.assign(sample_count_, constant_size_);
        sizes_constant_ = false;
        constant_size_ = 0;
    }
    if (!sizes_constant_) sizes_.insert(sizes_.end(), count, size);

    if (!sync && !has_sync_table_) {
        has_sync_table_ = true;
        sync_.resize(sample_count_);
        std::iota(sync_.begin(), sync_.end(), 1u);
    }
    if (sync && has_sync_table_)
        for (UInt32 i = 1; i <= count; ++i) sync_.push_back(sample_count_ + i);

    sample_count_ += count;
    duration_ += UInt64(count) * duration;
}

Result<SampleInfo> SampleTable::sample(UInt32 number) const {
    if (number == 0 || number > sample_count_) return fail(invalidSampleNum, "no such sample");
    UInt32 s = number - 1;
    size_t r = run_of(chunk_run_first_sample_, s);
    const ChunkRun& run = chunk_runs_[r];
    UInt32 within = s - chunk_run_first_sample_[r];
    UInt32 pos = within % run.samples_per_chunk;

    SampleInfo info;
    info.number = number;
    info.chunk = run.first_chunk + within / run.samples_per_chunk;
    info.description = run.description;
    info.offset = chunk_offsets_[info.chunk - 1];
    if (sizes_constant_) {
        info.offset += UInt64(pos) * constant_size_;
    } else {
        for (UInt32 i = s - pos; i < s; ++i) info.offset += sizes_[i];
    }
    info.size = size_of(number);
    size_t t = run_of(time_run_first_sample_, s);
    info.duration = time_runs_[t].duration;
    info.time = time_run_first_time_[t] + UInt64(s - time_run_first_sample_[t]) * info.duration;
    info.sync = is_sync(number);
    return info;
}

Result<UInt32> SampleTable::sample_at(UInt64 time) const {
    if (time >= duration_) return fail(timeNotInMedia, "time past the end of the media");
    size_t r = size_t(std::upper_bound(time_run_first_time_.begin(), time_run_first_time_.end(), time) -
                      time_run_first_time_.begin()) - 1;
    UInt64 within = (time - time_run_first_time_[r]) / time_runs_[r].duration;
    return UInt32(time_run_first_sample_[r] + within + 1);
}

UInt64 SampleTable::sample_time(UInt32 number) const {
    UInt32 s = number - 1;
    size_t t = run_of(time_run_first_sample_, s);
    return time_run_first_time_[t] + UInt64(s - time_run_first_sample_[t]) * time_runs_[t].duration;
}

SampleTable::ChunkSpan SampleTable::chunk_span(UInt32 number) const {
    UInt32 s = number - 1;
    size_t r = run_of(chunk_run_first_sample_, s);
    const ChunkRun& run = chunk_runs_[r];
    UInt32 within = s - chunk_run_first_sample_[r];
    ChunkSpan span;
    span.chunk = run.first_chunk + within / run.samples_per_chunk;
    span.first_sample = chunk_run_first_sample_[r] + within - within % run.samples_per_chunk + 1;
    span.samples = run.samples_per_chunk;
    span.offset = chunk_offsets_[span.chunk - 1];
    span.description = run.description;
    return span;
}

UInt32 SampleTable::same_duration_run(UInt32 number) const {
    UInt32 s = number - 1;
    size_t t = run_of(time_run_first_sample_, s);
    return time_runs_[t].count - (s - time_run_first_sample_[t]);
}

bool SampleTable::is_sync(UInt32 number) const {
    return !has_sync_table_ || std::binary_search(sync_.begin(), sync_.end(), number);
}

UInt32 SampleTable::sync_sample(UInt32 number, bool forward) const {
    if (number == 0 || number > sample_count_) return 0;
    if (!has_sync_table_) return number;
    if (forward) {
        auto it = std::lower_bound(sync_.begin(), sync_.end(), number);
        return it == sync_.end() ? 0 : *it;
    }
    auto it = std::upper_bound(sync_.begin(), sync_.end(), number);
    return it == sync_.begin() ? 0 : *(it - 1);
}

std::optional<SampleEdge> SampleTable::next_edge(UInt64 time, bool forward, bool edge_ok) const {
    if (duration_ == 0) return std::nullopt;
    auto edge_of = [this](UInt32 n) {
        size_t t = run_of(time_run_first_sample_, n - 1);
        return SampleEdge{sample_time(n), time_runs_[t].duration};
    };
    if (forward) {
        if (time >= duration_) return std::nullopt;
        SampleEdge here = edge_of(sample_at(time).value());
        if (edge_ok && here.time == time) return here;
        UInt64 next = here.time + here.duration;
        if (next >= duration_) return std::nullopt;
        return edge_of(sample_at(next).value());
    }
    if (edge_ok && time < duration_) {
        SampleEdge here = edge_of(sample_at(time).value());
        if (here.time == time) return here;
    }
    if (time == 0) return std::nullopt;
    UInt64 before = std::min(time, duration_) - 1;
    return edge_of(sample_at(before).value());
}

Result<void> SampleTable::for_each_chunk(const ChunkVisitor& visit) const {
    UInt32 sample = 0;
    for (size_t r = 0; r < chunk_runs_.size(); ++r) {
        const ChunkRun& run = chunk_runs_[r];
        UInt32 last = r + 1 < chunk_runs_.size() ? chunk_runs_[r + 1].first_chunk - 1 : chunk_count();
        for (UInt32 c = run.first_chunk; c <= last && c != 0; ++c) {
            UInt64 bytes = 0;
            if (sizes_constant_) {
                bytes = UInt64(run.samples_per_chunk) * constant_size_;
            } else {
                const UInt32* p = sizes_.data() + sample;
                for (UInt32 i = 0; i < run.samples_per_chunk; ++i) bytes += p[i];
            }
            TRY(visit(ChunkInfo{c, chunk_offsets_[c - 1], bytes, sample + 1, run.samples_per_chunk,
                                run.description}));
            sample += run.samples_per_chunk;
            if (c == 0xFFFFFFFFu) break;
        }
    }
    return ok();
}

Result<void> SampleTable::shift_offsets(SInt64 delta) {
    for (UInt64 o : chunk_offsets_) {
        if (delta < 0 && o < UInt64(-(delta + 1)) + 1) return fail(paramErr, "chunk offset would become negative");
        UInt64 moved;
        if (delta > 0 && add_overflows(o, UInt64(delta), &moved)) return fail(paramErr, "chunk offset past 2^64");
    }
    for (UInt64& o : chunk_offsets_) o += UInt64(delta);
    return ok();
}

bool SampleTable::needs_co64() const {
    if (offsets_64_) return true;
    return std::any_of(chunk_offsets_.begin(), chunk_offsets_.end(),
                       [](UInt64 o) { return o > 0xFFFFFFFFu; });
}

void SampleTable::index_time_runs() {
    time_run_first_sample_.clear();
    time_run_first_time_.clear();
    time_run_first_sample_.reserve(time_runs_.size());
    time_run_first_time_.reserve(time_runs_.size());
    UInt64 sample = 0, time = 0;
    for (const TimeRun& r : time_runs_) {
        time_run_first_sample_.push_back(UInt32(sample));
        time_run_first_time_.push_back(time);
        sample += r.count;
        time += UInt64(r.count) * r.duration;
    }
    duration_ = time;
}

bool SampleTable::operator==(const SampleTable& o) const {
    return time_runs_ == o.time_runs_ && chunk_runs_ == o.chunk_runs_ &&
           chunk_offsets_ == o.chunk_offsets_ && offsets_64_ == o.offsets_64_ &&
           sizes_constant_ == o.sizes_constant_ && constant_size_ == o.constant_size_ &&
           sizes_ == o.sizes_ && sample_count_ == o.sample_count_ &&
           has_sync_table_ == o.has_sync_table_ && sync_ == o.sync_;
}

}  // namespace platform::movies
