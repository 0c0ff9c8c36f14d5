#include <gtest/gtest.h>

#include <tuple>

#include "MovieTestSupport.h"

using namespace movietest;

namespace {

std::vector<UInt8> moov_bytes(const MovieModel& m) { return m.write().value(); }

MovieModel parse_moov(const std::vector<UInt8>& moov) {
    auto m = MovieModel::parse(ByteReader(std::span(moov).subspan(8), invalidMovie));
    EXPECT_TRUE(m.ok()) << (m.ok() ? "" : m.error().message);
    return m.ok() ? std::move(*m) : MovieModel{};
}

}  // namespace

TEST(MovieRoundTrip, StandardMovieReadsBackWithItsTracksAndTables) {
    MovieModel written;
    auto file = standard_movie_file(5000, &written);
    auto c = read_bytes(file);
    ASSERT_TRUE(c.ok()) << c.error().message;
    const MovieModel& m = c->movie;
    ASSERT_EQ(m.tracks.size(), 2u);
    EXPECT_EQ(m.header.duration, 7 * 600u);
    const Track &v = m.tracks[0], &s = m.tracks[1];
    EXPECT_EQ(std::tuple(v.media.descriptions.entries[0].bytes.size(), s.media.samples.chunk_count(),
                         s.media.descriptions.entries.at(0).bytes.size()), std::tuple(kImageDescriptionSize, 1u, kSoundDescriptionV0Size));
    // 5000 samples at 22050 Hz in movie units, rounded up.
    EXPECT_EQ(s.edits->list->entries.at(0).track_duration, (5000 * 600 + 22049) / 22050u);

    // Frame 35's bytes are where the table says.
    const SampleInfo info = v.media.samples.sample(35).value();
    EXPECT_EQ(std::vector<UInt8>(file.begin() + long(info.offset), file.begin() + long(info.offset + info.size)), frame_bytes(35, 135));
    EXPECT_EQ((std::tuple{m, moov_bytes(m)}), std::tuple(written, moov_bytes(written)));
}

TEST(MovieRoundTrip, WriteReadWriteIsByteIdentical) {
    MovieModel m;
    standard_movie_file(1234, &m);
    // Touch every optional part: versions with 64-bit times, references,
    // user data at both levels with a classic zero tail, kept atoms.
    m.header.creation_time = 0x123456789ull;   // forces version 1
    m.tracks[1].references = TrackReferences{{{fourcc("sync"), {1}}}, {}};
    m.tracks[1].media.header.language = 0x55C4, m.user_data = UserData{};
    m.user_data->add(fourcc("LOOP"), {0, 0, 0, 1});
    m.user_data->add(fourcc("WLOC"), {0, 100, 0, 200});
    ASSERT_TRUE(set_user_data_text(*m.user_data, 0xA96E616D, 1, "Kinora", 0).ok());
    m.user_data->tail = {0, 0, 0, 0};
    m.tracks[0].user_data = UserData{};
    m.tracks[0].user_data->add(fourcc("name"), {'V', 'i', 'd'});
    const std::vector<UInt8> unknown{0, 0, 0, 12, 'x', 't', 'r', 'a', 0xDE, 0xAD, 0xBE, 0xEF};
    m.kept.keep(kMvhd, unknown);
    m.tracks[0].media.kept_stbl.keep(kStts, unknown);

    auto first = moov_bytes(m);
    MovieModel back = parse_moov(first);
    EXPECT_EQ(std::tuple(int(back.header.full.version), back.header.creation_time), std::tuple(1, 0x123456789ull));
    EXPECT_EQ(back.user_data->find(fourcc("WLOC"), 1)->data, (std::vector<UInt8>{0, 100, 0, 200}));
    EXPECT_EQ(get_user_data_text(*back.user_data, 0xA96E616D, 1, 0).value(), "Kinora");
    EXPECT_EQ(back.tracks[1].references->find(fourcc("sync"))->track_ids, std::vector<UInt32>{1});
    EXPECT_EQ((std::tuple{back.tracks[0].media.kept_stbl.count(), moov_bytes(back)}), std::tuple(1u, first));
}

TEST(MovieRoundTrip, UnknownAtomsOfForeignFilesAreKeptInPlace) {
    MovieModel m;
    standard_movie_file(10, &m);
    auto moov = moov_bytes(m);
    // Put a foreign atom first in the track and one between stsz and stco.
    auto insert = [&](size_t at, std::vector<UInt8> atom, std::vector<size_t> parents) {   // growing the parents
        moov.insert(moov.begin() + long(at), atom.begin(), atom.end());
        for (size_t p : parents) store_u32be(&moov[p], load_u32be(&moov[p]) + UInt32(atom.size()));
    };
    const size_t trak = find_atom(moov, "moov/trak"), mdia = find_atom(moov, "moov/trak/mdia"), minf = find_atom(moov, "moov/trak/mdia/minf");
    const size_t stbl = find_atom(moov, "moov/trak/mdia/minf/stbl"), stco = find_atom(moov, "moov/trak/mdia/minf/stbl/stco");
    insert(stco, {0, 0, 0, 12, 's', 'd', 't', 'p', 'a', 'b', 'c', 'd'}, {0, trak, mdia, minf, stbl});
    insert(trak + 8, {0, 0, 0, 10, 'l', 'o', 'a', 'd', 'x', 'y'}, {0, trak});

    MovieModel back = parse_moov(moov);
    EXPECT_EQ(moov_bytes(back), moov) << "kept atoms go back where they were";
    EXPECT_EQ(std::tuple(back.tracks[0].kept.count(), back.tracks[0].media.kept_stbl.count()), std::tuple(1u, 1u));
}

TEST(MovieRoundTrip, UserDataTextItemsByLanguage) {
    UserData ud;
    const OSType cpy = 0xA9637079;
    ASSERT_TRUE(set_user_data_text(ud, cpy, 1, "(c) us", 0).ok());
    ASSERT_TRUE(set_user_data_text(ud, cpy, 1, "(c) nous", 1).ok());
    ASSERT_TRUE(set_user_data_text(ud, cpy, 1, "(c) we", 0).ok());
    EXPECT_EQ(set_user_data_text(ud, cpy, 3, "x", 0).code(), userDataItemNotFound);
    EXPECT_EQ(ud.count(cpy), 1u);
    EXPECT_EQ(ud.find(cpy, 1)->data, (std::vector<UInt8>{0, 6, 0, 0, '(', 'c', ')', ' ', 'w', 'e', 0, 8, 0, 1, '(', 'c', ')', ' ', 'n', 'o', 'u', 's'}));
    EXPECT_EQ(get_user_data_text(ud, cpy, 1, 2).code(), userDataItemNotFound);
    ud.items.push_back({cpy, {0, 9, 0, 0, 'x'}});
    EXPECT_EQ(get_user_data_text(ud, cpy, 2, 0).code(), invalidMovie) << "a text entry longer than its item";
}

TEST(MovieRoundTrip, SoundDescriptionVersionsOneAndTwoAreRead) {
    SoundDescription v1 = raw_sound_description();
    v1.format = fourcc("ima4"), v1.version = 1, v1.compression_id = -2;
    v1.samples_per_packet = 64, v1.bytes_per_packet = 34, v1.bytes_per_frame = 68, v1.bytes_per_sample = 2;
    EXPECT_EQ((std::tuple{v1.write().bytes.size(), SoundDescription::parse(v1.write().bytes).value()}), std::tuple(kSoundDescriptionV1Size, v1));

    SoundDescription v2;
    v2.format = fourcc("lpcm"), v2.version = 2, v2.channels = 3, v2.sample_size = 16, v2.compression_id = -2;
    v2.sample_rate = 0x10000, v2.rate64 = 96000.0, v2.channels32 = 6, v2.bits_per_channel = 24;
    v2.format_flags = 0xC, v2.bytes_per_packet = 18, v2.frames_per_packet = 1;
    auto e2 = v2.write();
    EXPECT_EQ(e2.bytes.size(), kSoundDescriptionV2Size);
    EXPECT_EQ((std::tuple{SoundDescription::parse(e2.bytes).value(), SoundDescription::parse(e2.bytes)->rate()}), std::tuple(v2, 96000.0));

    e2.bytes.resize(60);
    EXPECT_EQ(SoundDescription::parse(e2.bytes).code(), invalidSampleDescription);
}

TEST(MovieRoundTrip, StoredColourTables) {
    VideoDescription v = rle_description();
    EXPECT_EQ(v.color_table().code(), badImageDescription) << "ID -1: the default table, none stored";
    v.clut_id = 0;
    ByteWriter t;   // seed, flags, two entries less one, then index and R, G, B of each
    for (UInt16 x : {0, 0, 0x8000, 1, 0, 0xFFFF, 0xFFFF, 0xFFFF, 1, 0, 0, 0}) t.u16(x);
    v.extensions = t.take();
    auto back = VideoDescription::parse(v.write().bytes).value();
    EXPECT_EQ(back.color_table().value(), (std::vector<ColorEntry>{{0, 0xFFFF, 0xFFFF, 0xFFFF}, {1, 0, 0, 0}}));
    back.extensions.resize(back.extensions.size() - 1);
    EXPECT_EQ(back.color_table().code(), badImageDescription);
}
