#include <gtest/gtest.h>

#include <tuple>

#include "platform/movies/format/SampleTable.h"

using namespace platform;
using namespace platform::movies;

namespace {

// Nine samples in five chunks: a run of equal sizes that turns per-sample,
// two non-sync samples, a second description, a zero-length sample.
//   sample  1   2   3 | 4   5 | 6   7 | 8 | 9
//   size    10  10  10| 10  10| 20  20| 5 | 8
//   dur     5   5   5 | 5   5 | 7   7 | 0 | 3
//   time    0   5   10| 15  20| 25  32| 39| 39    (42 in all)
SampleTable mixed_table() {
    SampleTable t;
    EXPECT_TRUE(t.add_chunk(1000, 3, 10, 5, 1, true).ok());
    EXPECT_TRUE(t.add_chunk(2000, 2, 10, 5, 1, false).ok());
    EXPECT_TRUE(t.add_chunk(3000, 2, 20, 7, 2, true).ok());
    EXPECT_TRUE(t.add_chunk(4000, 1, 5, 0, 2, true).ok());
    EXPECT_TRUE(t.add_chunk(5000, 1, 8, 3, 2, true).ok());
    return t;
}

// Reads a run of table atoms into a new table.
SampleTable parse_tables(const std::vector<UInt8>& bytes, UInt32 descriptions) {
    SampleTable back;
    ByteReader r(bytes, invalidMovie);
    while (!r.at_end()) {
        const UInt32 size = r.u32().value(), type = r.u32().value();
        ByteReader body = r.sub(size - 8).value();
        const Result<void> parsed = type == kStts ? back.parse_stts(body) : type == kCtts ? back.parse_ctts(body)
                                    : type == kStss ? back.parse_stss(body) : type == kStsc ? back.parse_stsc(body)
                                    : type == kStsz ? back.parse_stsz(body)
                                    : type == kStco || type == kCo64 ? back.parse_stco(body, type == kCo64) : ok();   // others are read elsewhere
        EXPECT_TRUE(parsed.ok());
    }
    EXPECT_TRUE(back.finish(descriptions).ok());
    return back;
}

SampleTable reparse(const SampleTable& t, UInt32 descriptions) {
    ByteWriter w;
    for (const Result<void>& r : {t.write_stts(w), t.write_ctts(w), t.write_stss(w), t.write_stsc(w), t.write_stsz(w), t.write_stco(w)}) EXPECT_TRUE(r.ok());
    return parse_tables(w.bytes(), descriptions);
}

}  // namespace

TEST(SampleTable, BuildsCompactRunsAsChunksArrive) {
    SampleTable t = mixed_table();
    EXPECT_EQ(std::tuple(t.sample_count(), t.chunk_count(), t.duration()), std::tuple(9u, 5u, 42u));
    EXPECT_EQ(t.time_runs(), (std::vector<TimeRun>{{5, 5}, {2, 7}, {1, 0}, {1, 3}}));
    EXPECT_EQ(t.chunk_runs(), (std::vector<ChunkRun>{{1, 3, 1}, {2, 2, 1}, {3, 2, 2}, {4, 1, 2}}));
    EXPECT_EQ(t.sizes(), (std::vector<UInt32>{10, 10, 10, 10, 10, 20, 20, 5, 8}));
    EXPECT_EQ(std::tuple(t.sizes_constant(), t.has_sync_table()), std::tuple(false, true));
    EXPECT_EQ(t.sync_samples(), (std::vector<UInt32>{1, 2, 3, 6, 7, 8, 9}));
}

TEST(SampleTable, EqualSamplesStayOneRunWithoutPerSampleArrays) {
    SampleTable t;
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(t.add_chunk(100 + 512 * UInt64(i), 512, 1, 1, 1, true).ok());
    EXPECT_EQ(std::tuple(t.sample_count(), t.time_runs().size(), t.chunk_runs().size(), t.sizes_constant(), t.sizes().size(), t.has_sync_table()),
              std::tuple(512000u, 1u, 1u, true, 0u, false));
    auto s = t.sample(512000).value();
    EXPECT_EQ(std::tuple(s.offset, s.chunk), std::tuple(100 + 512 * 999ull + 511, 1000u));
}

TEST(SampleTable, SampleLookupsOnRunLengthForms) {
    struct Row { UInt32 n; UInt64 offset; UInt32 size; UInt64 time; UInt32 duration; UInt32 desc; UInt32 chunk; bool sync; };
    const Row rows[] = {
        {1, 1000, 10, 0, 5, 1, 1, true},   {2, 1010, 10, 5, 5, 1, 1, true},
        {3, 1020, 10, 10, 5, 1, 1, true},  {4, 2000, 10, 15, 5, 1, 2, false},
        {5, 2010, 10, 20, 5, 1, 2, false}, {6, 3000, 20, 25, 7, 2, 3, true},
        {7, 3020, 20, 32, 7, 2, 3, true},  {8, 4000, 5, 39, 0, 2, 4, true},
        {9, 5000, 8, 39, 3, 2, 5, true}};
    SampleTable built = mixed_table();
    SampleTable read = reparse(built, 2);
    EXPECT_TRUE(read == built);
    for (const SampleTable* t : {&built, &read}) {
        for (const Row& r : rows) {
            SCOPED_TRACE(r.n);
            SampleInfo s = t->sample(r.n).value();
            EXPECT_EQ(std::tie(s.offset, s.size, s.time, s.duration, s.description, s.chunk, s.sync),
                      std::tie(r.offset, r.size, r.time, r.duration, r.desc, r.chunk, r.sync));
        }
        EXPECT_EQ(std::tuple(t->sample(0).code(), t->sample(10).code()), std::tuple(invalidSampleNum, invalidSampleNum));
    }
}

TEST(SampleTable, MediaTimeToSample) {
    SampleTable t = mixed_table();
    const std::pair<UInt64, UInt32> rows[] = {
        {0, 1}, {4, 1}, {5, 2}, {24, 5}, {25, 6}, {31, 6}, {38, 7},
        {39, 9},   // the zero-length sample 8 never plays
        {41, 9}};
    for (auto [time, n] : rows) EXPECT_EQ(t.sample_at(time).value(), n) << "time " << time;
    EXPECT_EQ((std::tuple{t.sample_at(42).code(), SampleTable().sample_at(0).code()}), std::tuple(timeNotInMedia, timeNotInMedia));
}

TEST(SampleTable, NextInterestingTimeIsASampleEdge) {
    SampleTable t = mixed_table();
    struct Row { UInt64 time; bool forward; bool edge_ok; std::optional<UInt64> want; };
    const Row rows[] = {
        {0, true, true, 0},    {0, true, false, 5},   {3, true, false, 5},
        {24, true, false, 25}, {32, true, false, 39}, {39, true, true, 39},
        {39, true, false, std::nullopt},  {42, true, true, std::nullopt},
        {10, false, false, 5}, {10, false, true, 10}, {0, false, false, std::nullopt},
        {0, false, true, 0},   {100, false, false, 39}, {39, false, false, 32}};
    for (const Row& r : rows) {
        auto e = t.next_edge(r.time, r.forward, r.edge_ok);
        EXPECT_EQ(e ? std::optional(e->time) : std::nullopt, r.want) << r.time << (r.forward ? " forward" : " backward");
    }
    EXPECT_EQ(t.next_edge(32, true, false)->duration, 3u) << "the zero-length sample is skipped";
}

TEST(SampleTable, SyncSamples) {
    SampleTable t = mixed_table();
    // Either way from a sync sample is that sample.
    EXPECT_EQ((std::vector{t.sync_sample(4, true), t.sync_sample(5, false), t.sync_sample(9, true), t.sync_sample(6, false), t.sync_sample(0, true)}),
              (std::vector{6u, 3u, 9u, 6u, 0u}));
    SampleTable all;
    ASSERT_TRUE(all.add_chunk(0, 5, 1, 1, 1, true).ok());
    EXPECT_EQ(all.sync_sample(3, false), 3u);
    SampleTable none;
    ASSERT_TRUE(none.add_chunk(0, 5, 1, 1, 1, false).ok());
    EXPECT_EQ(std::tuple(none.has_sync_table(), none.sync_sample(3, true)), std::tuple(true, 0u));
    EXPECT_EQ(reparse(none, 1).sync_sample(3, false), 0u) << "an empty stss means no sync samples";
}

TEST(SampleTable, ChunksWithoutSamplesAreSkipped) {
    // Written by hand: chunk 2 holds no samples.
    ByteWriter w;
    auto table = [&](OSType type, std::initializer_list<UInt32> words) {
        size_t at = begin_atom(w, type);
        for (UInt32 v : words) w.u32(v);
        (void)end_atom(w, at);
    };
    table(kStts, {0, 1, 3, 1});
    table(kStsc, {0, 3, 1, 2, 1, 2, 0, 1, 3, 1, 1});
    table(kStsz, {0, 4, 3});
    table(kStco, {0, 3, 100, 200, 300});
    SampleTable t = parse_tables(w.bytes(), 1);
    EXPECT_EQ(std::tuple(t.sample(2)->offset, t.sample(3)->offset, t.sample(3)->chunk), std::tuple(104u, 300u, 3u));
}

TEST(SampleTable, SwitchesToCo64OnlyPastFourGigabytes) {
    SampleTable t;
    ASSERT_TRUE(t.add_chunk(0xFFFFFFF0ull, 4, 4, 1, 1, true).ok());
    EXPECT_FALSE(t.needs_co64()) << "a chunk may start below 4 GiB and run past it";
    ByteWriter small;
    ASSERT_TRUE(t.write_stco(small).ok());
    EXPECT_EQ(load_u32be(small.data() + 4), kStco);

    ASSERT_TRUE(t.add_chunk(0x100000000ull, 4, 4, 1, 1, true).ok());
    EXPECT_TRUE(t.needs_co64());
    SampleTable back = reparse(t, 1);
    EXPECT_EQ(std::tuple(back.chunk_offsets(), back.sample(6)->offset), std::tuple(std::vector<UInt64>{0xFFFFFFF0ull, 0x100000000ull}, 0x100000004ull));

    ASSERT_TRUE(back.shift_offsets(-0x10).ok());
    EXPECT_TRUE(back.needs_co64()) << "a table read as co64 stays co64";
    EXPECT_EQ(back.shift_offsets(-0xFFFFFFE1ll).code(), paramErr);
    EXPECT_EQ(back.chunk_offsets()[0], 0xFFFFFFE0ull) << "a failed shift changes nothing";
}

TEST(SampleTable, RefusesChunksThatCannotBeStored) {
    SampleTable t;
    EXPECT_EQ(std::tuple(t.add_chunk(0, 0, 1, 1, 1, true).code(), t.add_chunk(0, 1, 1, 1, 0, true).code(), t.add_chunk(~0ull - 2, 2, 2, 1, 1, true).code()),
              std::tuple(paramErr, invalidSampleDescIndex, paramErr));
    ASSERT_TRUE(t.add_chunk(0, 0xFFFFFFF0u, 0, 1, 1, true).ok());
    EXPECT_EQ((std::tuple{t.add_chunk(0, 0x10, 0, 1, 1, true).code(), t.sample_count()}), std::tuple(invalidSampleNum, 0xFFFFFFF0u));
}

// Reordered frames, decoded I0 P3 B1 B2 P6 B4 B5 (10 units each), shown in
// display order; offsets relative to decode time, some negative.
TEST(SampleTable, FramesShowInDisplayOrder) {
    SampleTable t;
    const SInt32 shown_at[] = {0, 30, 10, 20, 60, 40, 50};
    for (UInt32 i = 0; i < 7; ++i) ASSERT_TRUE(t.add_chunk(100 * i, 1, 8, 10, 1, i == 0, shown_at[i] - SInt32(10 * i)).ok());
    ASSERT_TRUE(t.has_composition_offsets());
    EXPECT_EQ(std::tuple(t.sample_shown_at(25).value(), t.sample_shown_at(35).value(), t.display_end()), std::tuple(4u, 2u, 70u));   // B2, P3
    EXPECT_EQ(t.sample_shown_at(70).code(), timeNotInMedia);
    ASSERT_TRUE(t.next_shown_edge(31, true, false));
    EXPECT_EQ(std::tuple(t.next_shown_edge(31, true, false)->time, t.next_shown_edge(40, false, false)->time), std::tuple(40u, 30u));
    // Showing 15...45 takes B1 through B4 and everything decoded between,
    // from the sync sample on.
    auto span = t.shown_between(15, 45);
    EXPECT_EQ(std::tuple(span.first_decoded, span.last_decoded, span.first_shown_time), std::tuple(2u, 6u, 10));

    // Negative offsets are written as version 1 with a cslg, and read back.
    SampleTable back = reparse(t, 1);
    EXPECT_EQ((std::tuple{back, back.sample_shown_at(25).value()}), std::tuple(t, 4u));

    // A run cut after P6 (its B-frames left out) ends decoding at 50 but
    // shows P6 until 70: what is appended next must show after that.
    SampleTable cut;
    for (UInt32 i = 0; i < 5; ++i) ASSERT_TRUE(cut.add_chunk(100 * i, 1, 8, 10, 1, i == 0, shown_at[i] - SInt32(10 * i)).ok());
    ASSERT_TRUE(cut.make_room(0).ok());
    ASSERT_TRUE(cut.add_chunk(700, 1, 8, 10, 1, true).ok());
    EXPECT_EQ(std::tuple(cut.display_time(6), cut.sample_shown_at(65).value()), std::tuple(70, 5u));
}
