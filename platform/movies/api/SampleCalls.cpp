// Adding samples to a media and reading them back.
#include <cstring>

#include "platform/Memory.h"
#include "platform/movies/objects/HostDescriptions.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/format/SampleFraming.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

// Two stored descriptions that differ at most in a video frame's data size
// describe the same kind of sample.
bool same_description(OSType media_type, const std::vector<UInt8>& a, const std::vector<UInt8>& b) {
    if (a.size() != b.size()) return false;
    if (media_type != kVide || a.size() < kImageDataSizeOffset + 4) return a == b;
    return std::memcmp(a.data(), b.data(), kImageDataSizeOffset) == 0 &&
           std::memcmp(a.data() + kImageDataSizeOffset + 4, b.data() + kImageDataSizeOffset + 4,
                       a.size() - kImageDataSizeOffset - 4) == 0;
}

// The stored form of the caller's description, for the data reference the
// media writes to; or the media's latest one when none is given.
Result<std::vector<UInt8>> stored_description(MediaObject& media, SampleDescriptionHandle h) {
    pm::Media& m = media.data();
    if (!h) {
        if (m.descriptions.entries.empty()) return fail(paramErr, "the first sample needs a description");
        return m.descriptions.entries.back().bytes;
    }
    if (!*h) return fail(nilHandleErr, "empty sample description handle");
    Handle raw = reinterpret_cast<Handle>(h);
    std::span<const UInt8> host(reinterpret_cast<const UInt8*>(*raw), size_t(GetHandleSize(raw)));
    std::vector<UInt8> stored = TRY(description_to_file(m.type(), host));
    store_u16be(&stored[kDescriptionDataRefIndexOffset], media.write_ref);
    return stored;
}

Result<void> copy_to_handle(Handle h, const void* data, size_t n) {
    SetHandleSize(h, Size(n));
    if (MemError() != noErr) return fail(MemError(), "cannot size the handle");
    if (n) std::memcpy(*h, data, n);
    return ok();
}

Result<TimeValue> add_samples(MediaObject& media, Handle data, SInt32 offset, UInt32 size, TimeValue duration,
                              SampleDescriptionHandle description, SInt32 count, SInt16 flags) {
    if (!data || !*data) return fail(paramErr, "no sample data");
    if (offset < 0 || count <= 0 || duration <= 0) return fail(paramErr, "bad sample offset, count or duration");
    if (UInt64(offset) + size > UInt64(GetHandleSize(data))) return fail(paramErr, "sample data past the handle's end");
    pm::Media& m = media.data();
    std::vector<UInt8> stored = TRY(stored_description(media, description));

    size_t index = 0;
    while (index < m.descriptions.entries.size() &&
           !same_description(m.type(), m.descriptions.entries[index].bytes, stored))
        ++index;
    SampleDescription entry{stored};
    UInt32 per_sample;
    auto framing = m.type() == kSoun ? sound_framing(entry) : std::nullopt;
    if (framing) {
        if (framing->bytes(UInt32(count)) != size || UInt32(count) % framing->samples_per_packet)
            return fail(paramErr, "sound data does not match its sample count");
        per_sample = framing->samples_per_packet == 1 ? framing->bytes_per_packet : 1;
    } else {
        if (size % UInt32(count)) return fail(paramErr, "sample data does not divide into equal samples");
        per_sample = size / UInt32(count);
    }

    std::span<const UInt8> bytes(reinterpret_cast<const UInt8*>(*data) + offset, size);
    UInt64 at = TRY(write_media_data(media, bytes));
    if (index == m.descriptions.entries.size()) m.descriptions.entries.push_back(std::move(entry));
    UInt64 start = m.samples.duration();
    TRY(m.samples.add_chunk(at, UInt32(count), per_sample, UInt32(duration), UInt32(index + 1),
                            !(flags & mediaSampleNotSync)));
    m.header.duration = m.samples.duration();
    media.movie().mark_changed();
    return start > 0x7FFFFFFFu ? 0x7FFFFFFF : TimeValue(start);
}

struct SampleRun {
    UInt32 first = 0;
    UInt32 count = 0;
    UInt64 offset = 0;
    UInt64 bytes = 0;
    SampleInfo info;
};

// The samples GetMediaSample hands out from `time` on: for framed sound a
// run of whole packets up to the end of the chunk, otherwise one sample or
// up to `max` that lie together in a chunk.
Result<SampleRun> find_run(pm::Media& m, TimeValue time, SInt32 max) {
    const SampleTable& table = m.samples;
    if (time < 0) return fail(invalidTime, "negative media time");
    UInt32 n = TRY(table.sample_at(UInt64(time)));
    SampleRun run;
    SampleTable::ChunkSpan chunk = table.chunk_span(n);
    const auto framing = chunk_framing(m, chunk);
    if (framing) {
        UInt32 start = chunk.first_sample + UInt32(framing->whole_packets(n - chunk.first_sample));
        UInt32 available = std::min(chunk.first_sample + chunk.samples - start, table.same_duration_run(start));
        UInt32 count = available;
        if (max > 0 && UInt32(max) < count) count = std::max(UInt32(max), framing->samples_per_packet);
        count = std::min(count, available);
        if (count >= framing->samples_per_packet) count = UInt32(framing->whole_packets(count));
        run.first = start;
        run.count = count;
        run.offset = chunk.offset + framing->bytes(start - chunk.first_sample);
        run.bytes = framing->bytes(count);
        run.info = TRY(table.sample(start));
        return run;
    }
    run.info = TRY(table.sample(n));
    run.first = n;
    run.count = 1;
    if (max > 1) {
        UInt32 available = std::min(chunk.first_sample + chunk.samples - n, table.same_duration_run(n));
        run.count = std::min(UInt32(max), available);
    }
    run.offset = run.info.offset;
    for (UInt32 i = 0; i < run.count; ++i) run.bytes += table.size_of(n + i);
    return run;
}

}  // namespace
}  // namespace platform::movies

OSErr AddMediaSample(::Media theMedia, Handle dataIn, SInt32 inOffset, UInt32 size, TimeValue durationPerSample,
                     SampleDescriptionHandle sampleDescriptionH, SInt32 numberOfSamples, SInt16 sampleFlags,
                     TimeValue* sampleTime) {
    MediaObject* m = media_of(theMedia);
    if (!m) return set_error(invalidMedia);
    auto added = add_samples(*m, dataIn, inOffset, size, durationPerSample, sampleDescriptionH, numberOfSamples,
                             sampleFlags);
    if (!added.ok()) return set_error(added.code());
    if (sampleTime) *sampleTime = *added;
    return set_error(noErr);
}

OSErr GetMediaSample(::Media theMedia, Handle dataOut, SInt32 maxSizeToGrow, SInt32* size, TimeValue time,
                     TimeValue* sampleTime, TimeValue* durationPerSample, SampleDescriptionHandle sampleDescriptionH,
                     SInt32* sampleDescriptionIndex, SInt32 maxNumberOfSamples, SInt32* numberOfSamples,
                     SInt16* sampleFlags) {
    MediaObject* m = media_of(theMedia);
    if (!m) return set_error(invalidMedia);
    pm::Media& d = m->data();
    auto found = find_run(d, time, maxNumberOfSamples);
    if (!found.ok()) return set_error(found.code());
    const SampleRun& run = *found;
    if (run.bytes > 0x7FFFFFFFu) return set_error(maxSizeToGrowTooSmall);

    if (dataOut) {
        if (maxSizeToGrow > 0 && run.bytes > UInt64(maxSizeToGrow)) return set_error(maxSizeToGrowTooSmall);
        SetHandleSize(dataOut, Size(run.bytes));
        if (MemError() != noErr) return set_error(MemError());
        UInt16 ref = load_u16be(&d.descriptions.entries[run.info.description - 1].bytes[kDescriptionDataRefIndexOffset]);
        auto read = read_media_data(*m, ref, run.offset, *dataOut, size_t(run.bytes));
        if (!read.ok()) return set_error(read.code());
    }
    if (sampleDescriptionH) {
        auto host = description_to_host(d.type(), d.descriptions.entries[run.info.description - 1].bytes);
        if (!host.ok()) return set_error(host.code());
        auto copied = copy_to_handle(reinterpret_cast<Handle>(sampleDescriptionH), host->data(), host->size());
        if (!copied.ok()) return set_error(copied.code());
    }
    if (size) *size = SInt32(run.bytes);
    if (sampleTime) *sampleTime = TimeValue(std::min<UInt64>(run.info.time, 0x7FFFFFFF));
    if (durationPerSample) *durationPerSample = TimeValue(run.info.duration);
    if (sampleDescriptionIndex) *sampleDescriptionIndex = SInt32(run.info.description);
    if (numberOfSamples) *numberOfSamples = SInt32(run.count);
    if (sampleFlags) *sampleFlags = run.info.sync ? 0 : mediaSampleNotSync;
    return set_error(noErr);
}
