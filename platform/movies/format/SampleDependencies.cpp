#include "platform/movies/format/SampleDependencies.h"

#include "platform/movies/format/SampleFraming.h"

namespace platform::movies {

namespace {

// How much sound before the first packet heard its decoder needs: whole
// packets, or a time in milliseconds.
struct Preroll {
    OSType format;
    UInt32 packets;
    UInt32 milliseconds;
};

constexpr Preroll kPrerolls[] = {
    {fourcc("mp4a"), 1, 0},   // AAC: each packet's transform overlaps the one before
    {fourcc("ac-3"), 1, 0},
    {fourcc("ec-3"), 1, 0},
    {fourcc(".mp3"), 2, 0},   // overlap, and the bit reservoir reaching back
    {fourcc("Opus"), 0, 80},
};

UInt32 with_preroll(const Media& media, UInt32 first) {
    const SampleTable& table = media.samples;
    const UInt32 description = table.chunk_span(first).description;
    if (description == 0 || description > media.descriptions.entries.size()) return first;
    const OSType format = media.descriptions.entries[description - 1].format();
    for (const Preroll& p : kPrerolls) {
        if (p.format != format) continue;
        if (p.packets) return first > p.packets ? first - p.packets : 1;
        const UInt64 want = UInt64(p.milliseconds) * media.header.time_scale / 1000;
        UInt64 got = 0;
        while (first > 1 && got < want) got += table.sample(--first).value().duration;
        return first;
    }
    return first;
}

// Widens a range of framed sound to whole packets of the chunks it starts
// and ends in.
SampleRange whole_packets(const Media& media, SampleRange r) {
    const SampleTable& table = media.samples;
    SampleTable::ChunkSpan head = table.chunk_span(r.first);
    if (auto f = chunk_framing(media, head)) r.first = head.first_sample + UInt32(f->whole_packets(r.first - head.first_sample));
    SampleTable::ChunkSpan tail = table.chunk_span(r.last);
    if (auto f = chunk_framing(media, tail)) {
        UInt64 length = r.last - tail.first_sample + 1;
        if (length % f->samples_per_packet) length += f->samples_per_packet - length % f->samples_per_packet;
        r.last = tail.first_sample + UInt32(std::min<UInt64>(length, tail.samples)) - 1;
    }
    return r;
}

}  // namespace

SampleRange samples_needed(const Media& media, UInt64 start, UInt64 end) {
    const SampleTable& table = media.samples;
    const SampleTable::ShownSpan shown = table.shown_between(start, end);
    if (shown.first_decoded == 0) return {};
    SampleRange r{shown.first_decoded, shown.last_decoded};
    if (table.has_sync_table()) {
        UInt32 sync = table.sync_sample(r.first, false);
        while (sync > 1 && table.display_time(sync) > shown.first_shown_time) sync = table.sync_sample(sync - 1, false);
        // No sync sample before: the media starts with what it has.
        r.first = sync ? sync : 1;
    }
    if (media.type() == kSoun) {
        r.first = with_preroll(media, r.first);
        r = whole_packets(media, r);
    }
    return r;
}

}  // namespace platform::movies
