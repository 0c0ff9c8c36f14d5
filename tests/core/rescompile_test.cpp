// The resource compiler: byte layouts against hand-assembled answers (the
// menu and dialog layouts are read back by the toolbox tests, which use
// them), bad source refused with its line, and the sound files it reads.
#include <gtest/gtest.h>

#include <tuple>

#include "AudioFile.h"
#include "Compiler.h"
#include "platform/Errors.h"
#include "platform/core/FourCC.h"

using platform::fourcc;

namespace {

platform::resources::ResourceFile compile(const std::string& text) {
    rescompile::Compiler c;
    c.compile_text("test.r", text);
    return c.result();
}

std::vector<UInt8> bytes(std::initializer_list<int> list) {
    std::vector<UInt8> out;
    for (int b : list) out.push_back(UInt8(b));
    return out;
}

}  // namespace

TEST(Rescompile, RawBodiesAndTruncation) {
    auto file = compile(R"(
resource 'snd ' 1 "broken" raw preload
    hex 0001 02
    u16 0x8051 65535
    s8 -1
    type 'abcd'
    pstring "x"
    text "\x41\"z"
    zeros 2
end
resource 'DATA' 2
    u32 1 2
    truncate 5
end
)");
    const auto* raw = file.find(fourcc("snd "), 1);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(std::tuple(raw->data, raw->attributes, raw->name),
              std::tuple(bytes({0, 1, 2, 0x80, 0x51, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c', 'd', 1, 'x', 'A', '"', 'z', 0, 0}), 4, "broken"));
    EXPECT_EQ(file.find(fourcc("DATA"), 2)->data, bytes({0, 0, 0, 1, 0}));
}

TEST(Rescompile, SoundHeadersAndCommands) {
    auto file = compile(R"(
resource 'snd ' 1
    format 2
    command soundCmd 0 0
    command bufferCmd|dataOffsetFlag 0 header
    header compressed
    compression MAC6
    channels 2
    rate 22050
    data pattern 2
end
)");
    const std::vector<UInt8> expected = bytes({
        0, 2, 0, 0, 0, 2,                   // format 2, refCount, two commands
        0, 0x50, 0, 0, 0, 0, 0, 0,          // soundCmd without the offset flag
        0x80, 0x51, 0, 0, 0, 0, 0, 22,      // bufferCmd: the header at 22
        0, 0, 0, 0, 0, 0, 0, 2,             // samplePtr, numChannels
        0x56, 0x22, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // rate, loopStart, loopEnd
        0xFE, 60, 0, 0, 0, 2,               // encode, baseFrequency, numFrames (packets)
        0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0,   // 22050 as an 80-bit extended
        0, 0, 0, 0, 'M', 'A', 'C', '6',     // markerChunk, format
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // futureUse2, stateVars, leftOverSamples
        0, 4, 0, 0, 0, 0, 0, 8,             // compressionID, packetSize, snthID, sampleSize
        11, 48, 85, 122,                    // (i * 37 + 11) & 0xFF
    });
    EXPECT_EQ(file.find(fourcc("snd "), 1)->data, expected);
}

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
