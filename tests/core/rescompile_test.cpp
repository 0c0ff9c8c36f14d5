// The resource compiler: bad source refused with its line, and the sound
// files it reads. (What it compiles is read back by the toolbox tests,
// through the application's resource file.)
#include <gtest/gtest.h>

#include <tuple>

#include "AudioFile.h"
#include "Compiler.h"
#include "platform/Errors.h"

namespace {

std::vector<UInt8> bytes(std::initializer_list<int> list) {
    std::vector<UInt8> out;
    for (int b : list) out.push_back(UInt8(b));
    return out;
}

}  // namespace

// Refused with the line at fault (the wording is the compiler's own).
TEST(Rescompile, BadSourceIsRefusedWithItsLine) {
    const std::pair<const char*, int> cases[] = {
        {"resource 'MENU' 1\n  title \"x\"\n", 1},                            // no 'end'
        {"# fine\nresorce 'MENU' 1\nend\n", 2},
        {"resource 'MENU' 40000\nend\n", 1},                                   // ID out of range
        {"resource 'MENU' 1\n title \"x\"\n item \"A\" kee N\nend\n", 3},
        {"resource 'STR#' 1\n string \"a\"\nend\nresource 'STR#' 1\nend\n", 4},   // a duplicate
        {"resource 'DITL' 1\n button \"OK\" 10 2 3 4\nend\n", 2},              // bottom above top
        {"resource 'snd ' 1\n rate 22050\n header standard\n data wav \"nowhere.wav\"\nend\n", 4},
        {"resource 'DATA' 1\n u8 1\n truncate 2\nend\n", 3},                   // longer than it is
    };
    for (auto [source, line] : cases) {
        rescompile::Compiler compiler;
        try {
            compiler.compile_text("test.r", source);
            ADD_FAILURE() << "accepted: " << source;
        } catch (const rescompile::CompileError& e) {
            EXPECT_EQ(e.line, line) << source;
            EXPECT_EQ(std::string(e.what()).rfind("test.r:" + std::to_string(line) + ": ", 0), 0u) << e.what();
        }
    }
}

TEST(AudioFiles, WavAndAiffRoundTripTheSameSamples) {
    rescompile::Audio a;
    a.channels = 2, a.bits = 16, a.rate = 11025, a.samples = bytes({0x12, 0x34, 0xFE, 0xDC, 0x80, 0x00, 0x7F, 0xFF});
    for (auto [name, writer, reader] :
         {std::tuple{"wav", &rescompile::write_wav, &rescompile::read_wav},
          std::tuple{"aiff", &rescompile::write_aiff, &rescompile::read_aiff}}) {
        auto back = reader(writer(a));
        ASSERT_TRUE(back.ok()) << name << ": " << back.error().message;
        EXPECT_EQ(std::tuple(back->channels, back->bits, back->rate, back->samples), std::tuple(2, 16, 11025.0, a.samples)) << name;
    }
    a.channels = 1, a.bits = 8, a.samples = bytes({0x00, 0x80, 0xFF});
    EXPECT_EQ(rescompile::read_aiff(rescompile::write_aiff(a))->samples, a.samples) << "AIFF's signed bytes convert back";
    const auto wav = rescompile::write_wav(a);
    EXPECT_EQ(std::vector<UInt8>(wav.end() - 4, wav.end() - 1), a.samples) << "WAV keeps 8-bit samples unsigned";
}
