// Single-image movie-format files ('qtif'): images compressed by the
// platform's codecs at several depths drawn exactly; damaged files
// refused.
#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/codecs/ImageDescriptionIO.h"
#include "platform/core/Bytes.h"
#include "tests/importers/ImageTestFiles.h"
#include "tests/importers/ImporterTestSupport.h"
#include "tests/quickdraw/qd_test_util.h"

namespace {

Bytes atom(const char* type, const Bytes& body) {
    const UInt32 size = UInt32(8 + body.size());
    return Bytes{UInt8(size >> 24), UInt8(size >> 16), UInt8(size >> 8), UInt8(size)} + Bytes(type, type + 4) + body;
}

// A world of that depth filled with a pattern of the depth's colours.
void paint(GWorldPtr world, int w, int h) {
    qdtest::UsePort use(world);
    for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; x += 4) {
            RGBColor c{UInt16(x * 4000), UInt16(y * 7000), UInt16((x + y) * 2500)};
            RGBForeColor(&c);
            Rect r{SInt16(y), SInt16(x), SInt16(y + 3), SInt16(x + 4)};
            PaintRect(&r);
        }
}

// The image compressed, as a file: 'idsc' (stored form) then 'idat'.
Bytes compressed_file(GWorldPtr world, CodecType codec, Rect r) {
    SInt32 max = 0;
    EXPECT_EQ(GetMaxCompressionSize(GetGWorldPixMap(world), &r, 0, codecNormalQuality, codec, anyCodec, &max), noErr);
    Bytes data(static_cast<size_t>(max));
    ImageDescriptionHandle desc = reinterpret_cast<ImageDescriptionHandle>(NewHandle(0));
    EXPECT_EQ(CompressImage(GetGWorldPixMap(world), &r, codecNormalQuality, codec, desc, reinterpret_cast<Ptr>(data.data())), noErr);
    data.resize(size_t((**desc).dataSize));
    std::span<const UInt8> memory(reinterpret_cast<const UInt8*>(*desc), size_t(GetHandleSize((Handle)desc)));
    Bytes stored = *platform::codecs::image_description_to_file(memory);
    DisposeHandle(reinterpret_cast<Handle>(desc));
    return atom("idsc", stored) + atom("idat", data);
}

// A description for a whole file of another format held in 'idat'.
Bytes embedding_description(const char* codec, int w, int h, SInt32 size) {
    Bytes d(86, 0);
    platform::store_u32be(&d[0], 86);
    std::memcpy(&d[4], codec, 4);
    platform::store_u16be(&d[32], UInt16(w));
    platform::store_u16be(&d[34], UInt16(h));
    platform::store_u32be(&d[44], UInt32(size));
    platform::store_u16be(&d[82], 24);
    platform::store_u16be(&d[84], 0xFFFF);
    return d;
}

TEST(QtifImport, CodecImagesDrawLikeTheirSource) {
    TempFolder dir;
    const int w = 29, h = 17;
    for (int depth : {8, 16, 32}) {
        for (CodecType codec : {kAnimationCodecType, kRawCodecType}) {
            SCOPED_TRACE("depth " + std::to_string(depth) + (codec == kRawCodecType ? " raw" : " rle"));
            World source(depth, w, h);
            paint(source.gw, w, h);
            Rect r{0, 0, h, w};
            write_bytes(dir / "image.qtif", compressed_file(source.gw, codec, r));
            Importer im(dir / "image.qtif");
            ASSERT_EQ(im.err, noErr);
            World expected(32, w, h);
            CopyBits(GetPortBitMapForCopyBits(source.gw), GetPortBitMapForCopyBits(expected.gw), &r, &r, srcCopy, nullptr);
            EXPECT_EQ(draw_with(im.gi, 32, w, h), pixels_of(expected.gw));
        }
    }
}

TEST(QtifImport, DamagedFilesAreRefused) {
    World source(16, 8, 8);
    paint(source.gw, 8, 8);
    Bytes good = compressed_file(source.gw, kAnimationCodecType, Rect{0, 0, 8, 8});
    const size_t idat = platform::load_u32be(good.data());   // where the data atom starts

    struct Case { const char* name; Bytes bytes; OSErr open, draw; };
    std::vector<Case> cases;
    auto bad = [&](auto change) { return with(good, change); };
    cases.push_back({"unknown codec", bad([](Bytes& b) { std::memcpy(&b[12], "zzzz", 4); }), noCodecErr, noErr});
    cases.push_back({"description size past its atom", bad([](Bytes& b) { b[8 + 2] = 0x7F; }), badImageDescription, noErr});
    cases.push_back({"zero width", bad([](Bytes& b) { b[8 + 32] = 0, b[8 + 33] = 0; }), codecBadDataErr, noErr});
    cases.push_back({"huge", bad([](Bytes& b) { b[8 + 32] = 0x7F, b[8 + 34] = 0x7F; }), codecSizeErr, noErr});
    cases.push_back({"unknown depth", bad([](Bytes& b) { b[8 + 83] = 7; }), badImageDescription, noErr});
    cases.push_back({"compressed data cut short", bad([&](Bytes& b) {
                         size_t half = (b.size() - idat - 8) / 2;
                         b.resize(idat + 8 + half);
                         platform::store_u32be(&b[idat], UInt32(8 + half));
                     }), noErr, codecBadDataErr});
    cases.push_back({"two descriptions", good + Bytes(good.begin(), good.begin() + long(idat)), codecBadDataErr, noErr});
    cases.push_back({"embedded JPEG of another size",
                     atom("idsc", embedding_description("jpeg", 9, 9, 0)) + atom("idat", write_jpeg(8, 8, 1, Bytes(64, 100), 50)),
                     noErr, codecBadDataErr});
    TempFolder dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_import(dir / "d.qtif", c.bytes, c.open, c.draw);
    }
}

}  // namespace
