#include <gtest/gtest.h>

#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"

using namespace platform;

TEST(ByteReader, ReadsBigEndianAndFailsOnShortReadsWithItsCode) {
    const UInt8 data[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0xFF};
    ByteReader r(data, sizeof data, mapReadErr);
    EXPECT_EQ(*r.u16(), 0x1234);
    EXPECT_EQ(*r.u24(), 0x56789Au);
    EXPECT_EQ(*r.s8(), SInt8(0xBC));
    EXPECT_EQ(r.remaining(), 3u);
    auto bad = r.u32();   // only 3 bytes left
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.code(), mapReadErr);
    EXPECT_EQ(r.position(), 6u) << "a failed read does not move";
    EXPECT_EQ(*r.u16(), 0xDEF0);
    EXPECT_EQ(*r.u8(), 0xFF);
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.u8().ok());
}

TEST(ByteReader, SubViewsAreBoundedAndAdvanceTheParent) {
    const UInt8 data[] = {0, 0, 0, 1, 0xAA, 0xBB, 0xCC};
    ByteReader r(data, sizeof data);
    ByteReader inner = *r.sub(5);
    EXPECT_EQ(r.position(), 5u);
    EXPECT_EQ(*inner.u32(), 1u);
    EXPECT_EQ(*inner.u8(), 0xAA);
    EXPECT_FALSE(inner.u8().ok()) << "the sub view must not see its parent's bytes";
    EXPECT_FALSE(r.sub(3).ok());
    EXPECT_FALSE(r.view(6, 2).ok());
    EXPECT_FALSE(r.view(SIZE_MAX, 2).ok()) << "offset + size must not wrap";
    EXPECT_EQ(*r.view(5, 2)->u16(), 0xBBCC);
    EXPECT_FALSE(r.seek(8).ok());
    EXPECT_TRUE(r.seek(7).ok());
}

TEST(ByteReader, PStringChecksItsLengthByte) {
    const UInt8 good[] = {3, 'a', 'b', 'c'};
    const UInt8 bad[] = {4, 'a', 'b', 'c'};
    ByteReader g(good, sizeof good);
    EXPECT_EQ(*g.pstring(), "abc");
    ByteReader b(bad, sizeof bad);
    EXPECT_FALSE(b.pstring().ok());
}

TEST(ByteWriter, WritesWhatTheReaderReadsAndPatches) {
    ByteWriter w;
    w.u32(0);                 // size, patched below
    w.u16(0xBEEF);
    w.u64(0x0102030405060708ull);
    w.pstring(std::string(300, 'x'));
    w.align(4);
    w.patch_u32(0, UInt32(w.size()));
    ByteReader r(w.bytes());
    EXPECT_EQ(*r.u32(), w.size());
    EXPECT_EQ(*r.u16(), 0xBEEF);
    EXPECT_EQ(*r.u64(), 0x0102030405060708ull);
    EXPECT_EQ(r.pstring()->size(), 255u) << "a length byte holds at most 255";
    EXPECT_EQ(w.size() % 4, 0u);
}

TEST(FourCC, MatchesMultiCharacterLiteralsAndRoundTripsText) {
    EXPECT_EQ(fourcc("MooV"), OSType('MooV'));
    EXPECT_EQ(fourcc("snd "), OSType('snd '));
    EXPECT_EQ(fourcc_string('TVOD'), "TVOD");
    EXPECT_EQ(fourcc_string(0xA9637079), "\\xA9cpy");
    OSType t = 0;
    ASSERT_TRUE(parse_fourcc("\\xA9cpy", &t));
    EXPECT_EQ(t, 0xA9637079u);
    ASSERT_TRUE(parse_fourcc("STR#", &t));
    EXPECT_EQ(t, OSType('STR#'));
    EXPECT_FALSE(parse_fourcc("abc", &t));
    EXPECT_FALSE(parse_fourcc("abcde", &t));
}

TEST(Overflow, SizeArithmeticDetectsWrap) {
    UInt64 out;
    EXPECT_TRUE(mul_overflows(UINT64_MAX / 2 + 1, 2, &out));
    EXPECT_FALSE(mul_overflows(1u << 20, 1u << 20, &out));
    EXPECT_EQ(out, 1ull << 40);
    EXPECT_TRUE(add_overflows(UINT64_MAX, 1, &out));
}
