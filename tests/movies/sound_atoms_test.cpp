// Sound descriptions' extension atoms ('wave', 'frma', 'enda', 'esds',
// 'chan', ...): damaged ones refused with a code, padding and atoms of
// others passed over. (ffmpeg's descriptions are read and decoded in
// tests/controller/decoded_sound_test.cpp.)
#include "ToolboxTestSupport.h"
#include "platform/movies/format/SoundAtoms.h"

using namespace tbtest;
namespace mv = platform::movies;

namespace {

Bytes atom(const char* type, Bytes body) {
    Bytes a = {0, 0, 0, UInt8(8 + body.size()), UInt8(type[0]), UInt8(type[1]), UInt8(type[2]), UInt8(type[3])};
    a.insert(a.end(), body.begin(), body.end());
    return a;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST(SoundAtoms, DamagedAtomsRefusedPaddingAndStrangersPassed) {
    const Bytes esds_ok = {0, 0, 0, 0,                         // version, flags
                           0x03, 0x80, 0x80, 0x80, 22,          // ES_Descriptor, 4-byte length
                           0, 1, 0x00,                          // ES_ID, flags
                           0x04, 17, 0x40, 0x15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05, 2, 0x12, 0x10};
    Bytes esds_long = esds_ok;
    esds_long[8] = 40;   // longer than the atom
    Bytes esds_five = esds_ok;
    esds_five[8] = 0x80;   // a fifth length byte
    struct Case { const char* name; Bytes extensions; OSErr code; };
    const Case cases[] = {
        {"wave with frma, enda, esds, terminator",
         atom("wave", cat({atom("frma", {'m', 'p', '4', 'a'}), atom("enda", {0, 1}), atom("esds", esds_ok), Bytes(8, 0)})), noErr},
        {"zero padding after the atoms", cat({atom("chan", Bytes(16, 0)), Bytes(12, 0)}), noErr},
        {"an atom we do not know", atom("btrt", Bytes(12, 7)), noErr},
        {"child runs past the wave", [] { Bytes w = atom("wave", atom("frma", {'a', 'l', 'a', 'c'}));
                                          w[11] = 40; return w; }(), invalidSampleDescription},
        {"esds longer than its atom", atom("esds", esds_long), invalidSampleDescription},
        {"esds length of five bytes", atom("esds", esds_five), invalidSampleDescription},
        {"enda without its flag", atom("enda", {}), invalidSampleDescription},
        {"alac shorter than its configuration", atom("alac", Bytes(20, 0)), invalidSampleDescription},
        {"chan claiming more channels than it holds", atom("chan", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9}), invalidSampleDescription},
        {"frma cut short", atom("frma", {'m', 'p'}), invalidSampleDescription}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto a = mv::SoundAtoms::parse(c.extensions);
        EXPECT_EQ(a.code(), c.code);
        if (c.code == noErr && c.extensions.size() > 40) {
            EXPECT_EQ(std::tuple(a->original_format, a->little_endian), std::tuple(OSType('mp4a'), true));
            ASSERT_TRUE(a->esds.has_value());
            EXPECT_EQ(std::tuple(int(a->esds->object_type), a->esds->specific), std::tuple(0x40, Bytes{0x12, 0x10}));
        }
    }
}
