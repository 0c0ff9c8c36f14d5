// Image descriptions in their stored (big-endian) form, and the raw codec
// and codec lookup behind decode_image.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "CodecTestSupport.h"
#include "platform/codecs/Codec.h"
#include "platform/codecs/ImageDescriptionIO.h"
#include "platform/codecs/raw/RawCodec.h"

using namespace codectest;
using namespace platform;
using namespace platform::codecs;

namespace {

ImageDescription sample() {
    ImageDescription d{};
    d.idSize = 86, d.cType = 'rle ', d.resvd1 = 0x01020304, d.resvd2 = 0x0506, d.dataRefIndex = 1;
    d.version = 2, d.revisionLevel = 3, d.vendor = 'kino', d.temporalQuality = 0x100, d.spatialQuality = 0x200;
    d.width = 320, d.height = 100, d.hRes = 0x00480000, d.vRes = 0x00480001, d.dataSize = 0x12345678, d.frameCount = 1, d.depth = 8, d.clutID = -1;
    d.name[0] = 9;
    std::memcpy(d.name + 1, "Animation", 9);
    return d;
}

TEST(ImageDescriptionIO, FixedPartIsEightySixBigEndianBytes) {
    const ImageDescription d = sample();
    ByteWriter w;
    write_image_description(w, d);
    const std::vector<UInt8>& b = w.bytes();
    ASSERT_EQ(b.size(), 86u);
    const std::vector<UInt8> head = {0, 0, 0, 86, 'r', 'l', 'e', ' ', 1, 2, 3, 4, 5, 6, 0, 1, 0, 2, 0, 3,
                                     'k', 'i', 'n', 'o', 0, 0, 1, 0, 0, 0, 2, 0, 0x01, 0x40, 0, 100,
                                     0, 0x48, 0, 0, 0, 0x48, 0, 1, 0x12, 0x34, 0x56, 0x78, 0, 1, 9, 'A'};
    EXPECT_EQ(std::vector<UInt8>(b.begin(), b.begin() + long(head.size())), head);
    EXPECT_EQ(std::vector<UInt8>(b.end() - 4, b.end()), (std::vector<UInt8>{0, 8, 0xFF, 0xFF}));

    ByteReader r(b, badImageDescription);
    auto back = read_image_description(r);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(std::tuple(std::memcmp(&*back, &d, sizeof d), r.at_end()), std::tuple(0, true));

    ByteReader shortReader(b.data(), 85, badImageDescription);
    EXPECT_EQ(read_image_description(shortReader).code(), badImageDescription);
}

// Stored -> memory -> stored gives back the same bytes, colour table and
// extensions included, and the memory form reads in host order.
TEST(ImageDescriptionIO, WholeDescriptionsConvertBothWays) {
    ImageDescription d = sample();
    d.depth = 2, d.clutID = 0, d.idSize = 86 + 8 + 4 * 8 + 12;
    ByteWriter w;
    write_image_description(w, d);
    w.u32(0), w.u16(0x8000), w.u16(3);   // colour table: seed, flags, size 3
    for (int i = 0; i < 4; ++i) w.u16(UInt16(i)), w.u16(UInt16(0x1111 * i)), w.u16(0xABCD), w.u16(0);
    w.u32(12), w.u32('gama'), w.u32(0x00023333);   // an extension atom, kept as it is
    const std::vector<UInt8> stored = w.bytes();

    auto mem = image_description_from_file(stored);
    ASSERT_TRUE(mem.ok());
    EXPECT_EQ(std::memcmp(mem->data(), &d, sizeof d), 0);
    ColorTable ct;
    ColorSpec entry;
    std::memcpy(&ct, mem->data() + 86, 8);
    std::memcpy(&entry, mem->data() + 86 + 8 + 2 * 8, 8);
    EXPECT_EQ(std::tuple(ct.ctSize, ct.ctFlags, entry.value, entry.rgb.red, entry.rgb.green), std::tuple(3, SInt16(0x8000), 2, 0x2222, 0xABCD));
    EXPECT_EQ(std::vector<UInt8>(mem->end() - 12, mem->end()), std::vector<UInt8>(stored.end() - 12, stored.end()));

    EXPECT_EQ(image_description_to_file(*mem).value(), stored);
}

TEST(ImageDescriptionIO, DamagedDescriptionsAreRefused) {
    ImageDescription d = sample();
    auto stored = [&](SInt32 idSize, SInt16 clutID, std::vector<UInt8> tail) {
        d.idSize = idSize, d.clutID = clutID;
        ByteWriter w;
        write_image_description(w, d);
        w.bytes(tail);
        return w.take();
    };
    struct Case { const char* name; std::vector<UInt8> bytes; };
    const std::vector<Case> cases = {
        {"shorter than 86 bytes", std::vector<UInt8>(85, 0)},
        {"idSize below 86", stored(40, -1, {})},
        {"idSize past the data", stored(120, -1, {})},
        {"colour table header past idSize", stored(90, 0, {0, 0, 0, 0})},
        {"colour table entries past idSize", stored(86 + 8 + 8, 0, {0, 0, 0, 0, 0, 0, 0, 255, 0, 1, 0, 2, 0, 3, 0, 4})}};
    for (const Case& c : cases) EXPECT_EQ(image_description_from_file(c.bytes).code(), badImageDescription) << c.name;

    // A name longer than its 31 characters is cut, never read past.
    std::vector<UInt8> longName = stored(86, -1, {});
    longName[50] = 200;
    EXPECT_EQ(image_description_from_file(longName).value()[50], 31);
}

// One rule says when a colour table follows, for the codecs' memory form
// and the movie file's sample description alike: indexed and grey depths
// of 1, 2, 4 or 8 bits with clutID 0; nothing after the fixed part means
// the standard table.
TEST(ImageDescriptionIO, ColourTablesFollowIndexedAndGreyDepthsWithIdZero) {
    const std::vector<UInt8> table = {0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x12, 0x34, 0, 1};
    const std::vector<UInt8> atom = {0, 0, 0, 8, 'f', 'r', 'e', 'e'};
    struct Case {
        SInt16 depth, clutID;
        bool with_table;   // the table bytes follow the fixed part
        bool stored;       // read as a colour table
    } cases[] = {{8, 0, true, true},    {4, 0, true, true},   {40, 0, true, true}, {34, 0, true, true},
                 {33, 0, true, true},   {8, -1, false, false}, {8, 0, false, false}, {40, -1, false, false},
                 {16, 0, false, false}, {3, 0, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.depth) + "/" + std::to_string(c.clutID));
        ImageDescription d = sample();
        d.depth = c.depth, d.clutID = c.clutID;
        std::vector<UInt8> tail = c.with_table ? table : std::vector<UInt8>{};
        if (c.depth == 16) tail = atom;   // no table at this depth: bytes after it are extensions
        d.idSize = SInt32(86 + tail.size());
        ByteWriter w;
        write_image_description(w, d);
        w.bytes(tail);
        const std::vector<UInt8> stored = w.take();

        auto v = platform::movies::VideoDescription::parse(stored);
        auto mem = image_description_from_file(stored);
        ASSERT_TRUE(v.ok() && mem.ok());
        EXPECT_EQ(std::tuple(v->has_stored_color_table(), has_color_table(d, tail.size())), std::tuple(c.stored, c.stored));
        if (c.stored) {
            EXPECT_EQ(v->color_table()->size(), 1u);
            ColorSpec entry;
            std::memcpy(&entry, mem->data() + 86 + 8, 8);
            EXPECT_EQ(entry.rgb.red, 0xFFFF) << "the table reads in host order";
        } else {
            EXPECT_EQ(std::vector<UInt8>(mem->begin() + 86, mem->end()), tail) << "extensions stay as stored";
        }
        EXPECT_EQ(image_description_to_file(*mem).value(), stored);
    }
}

TEST(RawCodec, PacksRowsWithoutPaddingAndRefusesShortData) {
    Image mono(3, 2, 1);
    set_pixel(mono, 0, 0, 1), set_pixel(mono, 2, 0, 1), set_pixel(mono, 1, 1, 1);
    mono.row(0)[0] |= 0x0F;   // bits past the width are not the image's
    std::vector<UInt8> out(2);
    ASSERT_EQ(*raw::encode_frame(mono.cview(), 1, out), 2u);
    EXPECT_EQ(out, (std::vector<UInt8>{0xA0, 0x40}));

    Image argb(2, 1, 32);
    set_pixel(argb, 0, 0, 0x11223344), set_pixel(argb, 1, 0, 0x55667788);
    std::vector<UInt8> rgb(6);
    ASSERT_EQ(*raw::encode_frame(argb.cview(), 24, rgb), 6u);
    EXPECT_EQ(rgb, (std::vector<UInt8>{0x22, 0x33, 0x44, 0x66, 0x77, 0x88}));
    Image back(2, 1, 32);
    ASSERT_TRUE(raw::decode_frame(rgb, 24, back.view()).ok());
    EXPECT_EQ(get_pixel(back, 1, 0), 0xFF667788u);

    Image dst(3, 2, 1);
    EXPECT_EQ(std::tuple(raw::decode_frame(std::span(out).first(1), 1, dst.view()).code(), raw::frame_size(40000, 40000, 32).code()),
              std::tuple(codecBadDataErr, codecSizeErr));
}

TEST(DecodeImage, ChecksTheDescriptionAndTheDestination) {
    const Image src = make_image(10, 3, 8, Pattern::Noise);
    std::vector<UInt8> data(*raw::frame_size(10, 3, 8));
    ASSERT_TRUE(raw::encode_frame(src.cview(), 8, data).ok());
    ImageDescription d{};
    d.cType = kRawCodecType, d.width = 10, d.height = 3, d.depth = 40;   // 8-bit grey: the same pixels as 8-bit indexes
    Image out(10, 3, 8);
    ASSERT_TRUE(decode_image(d, data, out.view()).ok());
    EXPECT_TRUE(same_pixels(out, src));

    // No codec here or in libavcodec; a depth no codec draws; a destination of another size.
    auto decode = [&](auto change) {
        ImageDescription bad = d;
        change(bad);
        return decode_image(bad, data, out.view()).code();
    };
    EXPECT_EQ(std::tuple(decode([](auto& b) { b.cType = 'ZZZZ'; }), decode([](auto& b) { b.depth = 12; }),
                         decode([](auto& b) { b.depth = 8, b.width = 11; })), std::tuple(noCodecErr, badImageDescription, paramErr));
}

}  // namespace
