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
                                    UInt32 description, bool sync, SInt32 composition) {
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
    append_samples(count, size, duration, sync, composition);
    return ok();
}

Result<void> SampleTable::extend_last_chunk(UInt32 count, UInt32 size, UInt32 duration, bool sync,
                                            SInt32 composition) {
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
    append_samples(count, size, duration, sync, composition);
    return ok();
}

Result<void> SampleTable::lengthen_last_sample(UInt32 extra) {
    if (sample_count_ == 0) return fail(invalidSampleNum, "no sample to lengthen");
    if (extra == 0) return ok();
    const UInt32 old = time_runs_.back().duration;
    if (old > 0xFFFFFFFFu - extra) return fail(paramErr, "sample duration past 2^32");
    if (time_runs_.back().count == 1) {
        time_runs_.back().duration += extra;
    } else {
        time_runs_.back().count -= 1;
        time_runs_.push_back(TimeRun{1, old + extra});
        time_run_first_sample_.push_back(sample_count_ - 1);
        time_run_first_time_.push_back(duration_ - old);
    }
    duration_ += extra;
    display_.reset();
    return ok();
}

Result<void> SampleTable::make_room(SInt64 earliest) {
    if (sample_count_ == 0) return ok();
    const SInt64 starts = SInt64(duration_) + earliest, end = SInt64(display_end());
    if (starts >= end) return ok();
    return lengthen_last_sample(UInt32(std::min<SInt64>(end - starts, 0xFFFFFFFF)));
}

void SampleTable::set_chunk_offset(UInt32 chunk, UInt64 offset) { chunk_offsets_[chunk - 1] = offset; }

Result<void> SampleTable::split_chunk(UInt32 number, UInt64 offset) {
    if (number == 0 || number > sample_count_) return fail(invalidSampleNum, "no such sample");
    const ChunkSpan span = chunk_span(number);
    if (span.first_sample == number) return ok();
    if (chunk_offsets_.size() >= 0xFFFFFFFFu) return fail(invalidChunkNum, "too many chunks in one media");
    const UInt32 before = number - span.first_sample, after = span.samples - before;
    const size_t r = run_of(chunk_run_first_sample_, number - 1);
    const ChunkRun run = chunk_runs_[r];
    const UInt32 run_end = r + 1 < chunk_runs_.size() ? chunk_runs_[r + 1].first_chunk : chunk_count() + 1;
    // The run becomes: its chunks before this one, this one's two halves,
    // its chunks after; every later run starts a chunk later.
    std::vector<ChunkRun> parts;
    if (span.chunk > run.first_chunk) parts.push_back(ChunkRun{run.first_chunk, run.samples_per_chunk, run.description});
    parts.push_back(ChunkRun{span.chunk, before, run.description});
    parts.push_back(ChunkRun{span.chunk + 1, after, run.description});
    if (span.chunk + 1 < run_end) parts.push_back(ChunkRun{span.chunk + 2, run.samples_per_chunk, run.description});
    for (size_t i = r + 1; i < chunk_runs_.size(); ++i) ++chunk_runs_[i].first_chunk;
    chunk_runs_.erase(chunk_runs_.begin() + long(r));
    chunk_runs_.insert(chunk_runs_.begin() + long(r), parts.begin(), parts.end());
    chunk_offsets_.insert(chunk_offsets_.begin() + span.chunk, offset);
    return index_chunk_runs();
}

void SampleTable::append_samples(UInt32 count, UInt32 size, UInt32 duration, bool sync, SInt32 composition) {
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

    if (composition != 0 && !has_offsets_) {
        has_offsets_ = true;
        if (sample_count_) {
            offset_runs_.push_back(OffsetRun{sample_count_, 0});
            offset_run_first_sample_.push_back(0);
        }
    }
    if (has_offsets_) {
        if (!offset_runs_.empty() && offset_runs_.back().offset == composition &&
            offset_runs_.back().count <= 0xFFFFFFFFu - count) {
            offset_runs_.back().count += count;
        } else {
            offset_runs_.push_back(OffsetRun{count, composition});
            offset_run_first_sample_.push_back(sample_count_);
        }
    }
    display_.reset();

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

UInt32 SampleTable::same_timing_run(UInt32 number) const {
    UInt32 run = same_duration_run(number);
    if (!has_offsets_) return run;
    UInt32 s = number - 1;
    size_t o = run_of(offset_run_first_sample_, s);
    return std::min(run, offset_runs_[o].count - (s - offset_run_first_sample_[o]));
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

SInt32 SampleTable::composition_offset(UInt32 number) const {
    if (!has_offsets_) return 0;
    return offset_runs_[run_of(offset_run_first_sample_, number - 1)].offset;
}

const SampleTable::DisplayIndex& SampleTable::display_index() const {
    if (display_) return *display_;
    auto index = std::make_shared<DisplayIndex>();
    std::vector<std::pair<SInt64, UInt32>> shown(sample_count_);
    for (UInt32 n = 1; n <= sample_count_; ++n) shown[n - 1] = {display_time(n), n};
    std::sort(shown.begin(), shown.end());
    index->order.resize(sample_count_);
    index->times.resize(sample_count_);
    index->position.resize(sample_count_);
    SInt64 end = 0;
    for (UInt32 p = 0; p < sample_count_; ++p) {
        index->times[p] = shown[p].first;
        index->order[p] = shown[p].second;
        index->position[shown[p].second - 1] = p;
    }
    // The last frame shows for its own duration.
    if (sample_count_) {
        UInt32 last = index->order.back();
        size_t t = run_of(time_run_first_sample_, last - 1);
        end = index->times.back() + SInt64(time_runs_[t].duration);
    }
    index->end = end > 0 ? UInt64(end) : 0;
    display_ = std::move(index);
    return *display_;
}

UInt64 SampleTable::display_end() const { return has_offsets_ ? display_index().end : duration_; }

Result<UInt32> SampleTable::sample_shown_at(UInt64 time) const {
    if (!has_offsets_) return sample_at(time);
    const DisplayIndex& d = display_index();
    if (time >= d.end || d.times.empty()) return fail(timeNotInMedia, "time past the end of the media");
    auto it = std::upper_bound(d.times.begin(), d.times.end(), SInt64(time));
    size_t p = it == d.times.begin() ? 0 : size_t(it - d.times.begin()) - 1;
    return d.order[p];
}

std::optional<SampleEdge> SampleTable::next_shown_edge(UInt64 time, bool forward, bool edge_ok) const {
    if (!has_offsets_) return next_edge(time, forward, edge_ok);
    const DisplayIndex& d = display_index();
    // Frames shown before display time 0 are never shown.
    auto first_shown = std::lower_bound(d.times.begin(), d.times.end(), SInt64(0));
    auto edge_of = [&](std::vector<SInt64>::const_iterator it) {
        auto next = it + 1;
        UInt64 end = next == d.times.end() ? d.end : UInt64(*next);
        return SampleEdge{UInt64(*it), UInt32(std::min<UInt64>(end - UInt64(*it), 0xFFFFFFFFu))};
    };
    const SInt64 t = SInt64(std::min<UInt64>(time, UInt64(INT64_MAX)));
    if (forward) {
        auto it = edge_ok ? std::lower_bound(first_shown, d.times.end(), t) : std::upper_bound(first_shown, d.times.end(), t);
        if (it == d.times.end()) return std::nullopt;
        return edge_of(it);
    }
    auto it = edge_ok ? std::upper_bound(first_shown, d.times.end(), t) : std::lower_bound(first_shown, d.times.end(), t);
    if (it == first_shown) return std::nullopt;
    return edge_of(it - 1);
}

SampleTable::ShownSpan SampleTable::shown_between(UInt64 start, UInt64 end) const {
    ShownSpan span;
    if (start >= end || start >= display_end()) return span;
    end = std::min(end, display_end());
    if (!has_offsets_) {
        span.first_decoded = sample_at(start).value();
        span.last_decoded = sample_at(end - 1).value();
        span.first_shown_time = SInt64(sample_time(span.first_decoded));
        return span;
    }
    const DisplayIndex& d = display_index();
    UInt32 from = d.position[sample_shown_at(start).value() - 1];
    UInt32 to = d.position[sample_shown_at(end - 1).value() - 1];
    span.first_shown_time = d.times[from];
    span.first_decoded = *std::min_element(d.order.begin() + from, d.order.begin() + to + 1);
    span.last_decoded = *std::max_element(d.order.begin() + from, d.order.begin() + to + 1);
    return span;
}

SInt64 SampleTable::earliest_shown(UInt32 first, UInt32 last) const {
    if (!has_offsets_) return 0;
    SInt64 earliest = INT64_MAX;
    for (UInt32 n = first; n <= last; ++n) earliest = std::min(earliest, display_time(n));
    return earliest - SInt64(sample_time(first));
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

void SampleTable::index_offset_runs() {
    offset_run_first_sample_.clear();
    offset_run_first_sample_.reserve(offset_runs_.size());
    UInt64 sample = 0;
    for (const OffsetRun& r : offset_runs_) {
        offset_run_first_sample_.push_back(UInt32(sample));
        sample += r.count;
    }
}

bool SampleTable::operator==(const SampleTable& o) const {
    return time_runs_ == o.time_runs_ && offset_runs_ == o.offset_runs_ && chunk_runs_ == o.chunk_runs_ &&
           chunk_offsets_ == o.chunk_offsets_ && offsets_64_ == o.offsets_64_ &&
           sizes_constant_ == o.sizes_constant_ && constant_size_ == o.constant_size_ &&
           sizes_ == o.sizes_ && sample_count_ == o.sample_count_ &&
           has_sync_table_ == o.has_sync_table_ && sync_ == o.sync_;
}

}  // namespace platform::movies
