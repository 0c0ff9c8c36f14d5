#include <gtest/gtest.h>

#include <tuple>

#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"

using namespace platform;

TEST(ByteReader, ReadsBigEndianAndFailsOnShortReadsWithItsCode) {
    const UInt8 data[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0xFF};
    ByteReader r(data, sizeof data, mapReadErr);
    EXPECT_EQ((std::tuple{*r.u16(), *r.u24(), *r.s8(), r.remaining()}), std::tuple(0x1234, 0x56789Au, SInt8(0xBC), 3u));
    // Only 3 bytes are left: a failed read does not move.
    EXPECT_EQ((std::tuple{r.u32().code(), r.position(), *r.u16(), *r.u8(), r.at_end(), r.u8().ok()}),
              std::tuple(OSErr(mapReadErr), 6u, 0xDEF0, 0xFF, true, false));
}

TEST(ByteReader, SubViewsAreBoundedAndAdvanceTheParent) {
    const UInt8 data[] = {0, 0, 0, 1, 0xAA, 0xBB, 0xCC};
    ByteReader r(data, sizeof data);
    ByteReader inner = *r.sub(5);
    EXPECT_EQ((std::tuple{r.position(), *inner.u32(), *inner.u8(), inner.u8().ok()}), std::tuple(5u, 1u, 0xAA, false))
        << "the sub view must not see its parent's bytes";
    EXPECT_EQ(std::tuple(r.sub(3).ok(), r.view(6, 2).ok(), r.view(SIZE_MAX, 2).ok(), r.seek(8).ok()), std::tuple(false, false, false, false))
        << "offset + size must not wrap";
    EXPECT_EQ(*r.view(5, 2)->u16(), 0xBBCC);
    EXPECT_TRUE(r.seek(7).ok());
}

TEST(ByteReader, PStringChecksItsLengthByte) {
    const UInt8 good[] = {3, 'a', 'b', 'c'}, bad[] = {4, 'a', 'b', 'c'};
    EXPECT_EQ(*ByteReader(good, sizeof good).pstring(), "abc");
    EXPECT_FALSE(ByteReader(bad, sizeof bad).pstring().ok());
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
    EXPECT_EQ((std::tuple{*r.u32(), *r.u16(), *r.u64(), r.pstring()->size(), w.size() % 4}),
              std::tuple(UInt32(w.size()), 0xBEEF, 0x0102030405060708ull, 255u, 0u)) << "a length byte holds at most 255";
}

TEST(FourCC, MatchesMultiCharacterLiteralsAndRoundTripsText) {
    EXPECT_EQ(std::tuple(fourcc("MooV"), fourcc("snd "), fourcc_string('TVOD'), fourcc_string(0xA9637079)),
              std::tuple(OSType('MooV'), OSType('snd '), "TVOD", "\\xA9cpy"));
    OSType t = 0, u = 0, v = 0;
    EXPECT_EQ((std::tuple{parse_fourcc("\\xA9cpy", &t), t, parse_fourcc("STR#", &u), u, parse_fourcc("abc", &v), parse_fourcc("abcde", &v)}),
              std::tuple(true, 0xA9637079u, true, OSType('STR#'), false, false));
}

TEST(Overflow, SizeArithmeticDetectsWrap) {
    UInt64 out, product;
    EXPECT_EQ((std::tuple{mul_overflows(UINT64_MAX / 2 + 1, 2, &out), mul_overflows(1u << 20, 1u << 20, &product), product,
                          add_overflows(UINT64_MAX, 1, &out)}), std::tuple(true, false, 1ull << 40, true));
}
