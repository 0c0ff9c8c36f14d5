// Sound files imported as movies: WAV and AIFF/AIFF-C parse results,
// refusals of what we do not import, damaged files, and finding the
// importer for a file through an alias.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/Importers.h"
#include "platform/Memory.h"
#include "platform/importers/AliasRecord.h"
#include "platform/importers/ImporterComponents.h"
#include "platform/importers/SoundFileImport.h"
#include "platform/core/Bytes.h"
#include "tests/importers/ImporterTestSupport.h"
#include "tests/importers/SoundTestFiles.h"

using namespace platform::importers;

namespace {

using namespace soundfiles;

platform::Result<SoundFileImport> parse(const Bytes& file) { return parse_sound_file(MemorySoundSource(file)); }

using F = SoundFileFormat;

struct Good { const char* name; Bytes file; SoundFileFormat format; OSType dataFormat; int channels, bits; UnsignedFixed rate; UInt64 offset; UInt32 frames; };

TEST(SoundImport, ParsesWavAndAiff) {
    Bytes odd(7, 1);   // an odd chunk before the data: its pad byte must be skipped
    std::vector<Good> cases = {
        {"wav 8 mono", wav(fmt(1, 1, 11025, 8), Bytes(100)), F::wave, 'raw ', 1, 8, 11025u << 16, 44, 100},
        {"wav 16 stereo, odd chunk first",
         form("RIFF", "WAVE", {{"fmt ", fmt(1, 2, 44100, 16)}, {"LIST", odd}, {"data", Bytes(4000)}}, true),
         F::wave, 'sowt', 2, 16, 44100u << 16, 12 + 24 + 16 + 8, 1000},
        {"wav odd rate, partial frame dropped", wav(fmt(1, 2, 22051, 16), Bytes(4003)), F::wave, 'sowt', 2, 16, 22051u << 16, 44, 1000},
        {"wav data before fmt", form("RIFF", "WAVE", {{"data", Bytes(10)}, {"fmt ", fmt(1, 1, 8000, 16)}}, true),
         F::wave, 'sowt', 1, 16, 8000u << 16, 20, 5},
        {"wav extensible pcm",
         form("RIFF", "WAVE", {{"fmt ", extensible(2, 48000, 16, 1, 16)}, {"data", Bytes(40)}}, true),
         F::wave, 'sowt', 2, 16, 48000u << 16, 20 + 40 + 8, 10},
        {"wav odd data last, no pad",
         form("RIFF", "WAVE", {{"fmt ", fmt(1, 1, 8000, 8)}, {"data", Bytes(9), -1, false}}, true), F::wave, 'raw ', 1, 8, 8000u << 16, 44, 9},
        {"aiff 8 mono", aiff_file("AIFF", comm(1, 50, 8, k44100), ssnd(0, 50)), F::aiff, 'twos', 1, 8, 44100u << 16, 12 + 26 + 16, 50},
        {"aiff 16 stereo, offset, fractional rate",
         aiff_file("AIFF", comm(2, 25, 16, "400DADDD1745D1745D17"), ssnd(4, 100)), F::aiff, 'twos', 2, 16, 0x56EE8BA3, 12 + 26 + 16 + 4, 25},
        {"aiff sound chunk first",
         form("FORM", "AIFF", {{"SSND", ssnd(0, 20)}, {"COMM", comm(1, 10, 16, "400BFA00000000000000")}}, false),
         F::aiff, 'twos', 1, 16, 8000u << 16, 12 + 16, 10},
        {"aifc NONE", aiff_file("AIFC", comm(2, 5, 16, k44100, "NONE"), ssnd(0, 20)), F::aifc, 'twos', 2, 16, 44100u << 16, 12 + 36 + 16, 5},
        {"aifc sowt", aiff_file("AIFC", comm(1, 5, 16, k44100, "sowt"), ssnd(0, 10)), F::aifc, 'sowt', 1, 16, 44100u << 16, 12 + 36 + 16, 5},
        {"aifc twos 8", aiff_file("AIFC", comm(1, 5, 8, k44100, "twos"), ssnd(0, 5)), F::aifc, 'twos', 1, 8, 44100u << 16, 12 + 36 + 16, 5},
        {"aifc raw 8", aiff_file("AIFC", comm(2, 5, 8, k44100, "raw "), ssnd(0, 10)), F::aifc, 'raw ', 2, 8, 44100u << 16, 12 + 36 + 16, 5},
        {"aiff highest rate", aiff_file("AIFF", comm(1, 1, 8, "400EFFFFFFFF40000000"), ssnd(0, 1)),
         F::aiff, 'twos', 1, 8, 0xFFFFFFFF, 12 + 26 + 16, 1},
    };
    for (const Good& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = parse(c.file);
        ASSERT_TRUE(r.ok()) << r.error().message;
        const SoundDescription& d = r->description;
        EXPECT_TRUE(r->format == c.format);
        EXPECT_EQ(std::make_tuple(OSType(d.dataFormat), int(d.numChannels), int(d.sampleSize), d.sampleRate),
                  std::make_tuple(c.dataFormat, c.channels, c.bits, c.rate));
        EXPECT_EQ(std::make_tuple(r->dataOffset, r->frameCount, r->bytesPerFrame, r->dataSize),
                  std::make_tuple(c.offset, c.frames, UInt32(c.channels * c.bits / 8), UInt64(c.frames) * r->bytesPerFrame));
        EXPECT_LE(r->dataOffset + r->dataSize, c.file.size());
    }
}

TEST(SoundImport, RefusesWhatItDoesNotImportAndDamagedFiles) {
    auto wav = [](Bytes f, Bytes data = Bytes(8)) { return form("RIFF", "WAVE", {{"fmt ", f}, {"data", data}}, true); };
    auto aiff = [](Bytes c, size_t data = 16) {
        return form("FORM", "AIFF", {{"COMM", c}, {"SSND", ssnd(0, data)}}, false);
    };
    Bytes truncated = wav(fmt(1, 1, 8000, 8), Bytes(100));
    truncated.resize(truncated.size() - 10);
    struct Bad { const char* name; Bytes file; OSErr code; } cases[] = {
        {"wav 24 bits", wav(fmt(1, 2, 44100, 24)), siInvalidSampleSize},
        {"wav float", wav(fmt(3, 1, 44100, 32)), siInvalidCompression},
        {"wav ADPCM", wav(fmt(2, 1, 44100, 4)), siInvalidCompression},
        {"wav extensible float", wav(extensible(2, 44100, 32, 3, 32)), siInvalidCompression},
        {"wav extensible 20 in 24", wav(extensible(2, 44100, 24, 1, 20)), siInvalidSampleSize},
        {"wav 6 channels", wav(fmt(1, 6, 44100, 16)), badChannel},
        {"wav no channels", wav(fmt(1, 0, 44100, 16, 2)), badFileFormat},
        {"wav 96 kHz", wav(fmt(1, 2, 96000, 16)), siInvalidSampleRate},
        {"wav rate 0", wav(fmt(1, 2, 0, 16)), siInvalidSampleRate},
        {"wav block size wrong", wav(fmt(1, 2, 8000, 16, 3)), badFileFormat},
        {"wav fmt too short", wav(Bytes(12)), badFileFormat},
        {"wav data chunk past the end", truncated, badFileFormat},
        {"wav without data", form("RIFF", "WAVE", {{"fmt ", fmt(1, 1, 8000, 8)}}, true), badFileFormat},
        {"wav without fmt", form("RIFF", "WAVE", {{"data", Bytes(4)}}, true), badFileFormat},
        {"wav chunk size past the end",
         form("RIFF", "WAVE", {{"fmt ", fmt(1, 1, 8000, 8)}, {"LIST", Bytes(4), 0x7FFFFFF0}, {"data", Bytes(4)}}, true), badFileFormat},
        {"wav odd chunk without its pad",
         form("RIFF", "WAVE", {{"fmt ", fmt(1, 1, 8000, 8)}, {"LIST", Bytes(3), -1, false}, {"data", Bytes(4)}}, true), badFileFormat},
        {"aiff 12 bits", aiff(comm(1, 4, 12, k44100)), siInvalidSampleSize},
        {"aiff 3 channels", aiff(comm(3, 2, 16, k44100), 12), badChannel},
        {"aiff no channels", aiff(comm(0, 2, 16, k44100)), badFileFormat},
        {"aiff 96 kHz", aiff(comm(1, 4, 16, "400FBB80000000000000")), siInvalidSampleRate},
        {"aiff rate rounding to 65536", aiff(comm(1, 4, 16, "400EFFFFFFFF80000000")), siInvalidSampleRate},
        {"aiff half a hertz", aiff(comm(1, 4, 16, "3FFE8000000000000000")), siInvalidSampleRate},
        {"aiff negative rate", aiff(comm(1, 4, 16, "C00EAC44000000000000")), siInvalidSampleRate},
        {"aiff infinite rate", aiff(comm(1, 4, 16, "7FFF8000000000000000")), siInvalidSampleRate},
        {"aiff zero rate", aiff(comm(1, 4, 16, "00000000000000000000")), siInvalidSampleRate},
        {"aiff frames past the data", aiff(comm(2, 100, 16, k44100)), badFileFormat},
        {"aiff offset past its chunk",
         form("FORM", "AIFF", {{"COMM", comm(1, 1, 8, k44100)}, {"SSND", {0, 0, 1, 0, 0, 0, 0, 0, 1}}}, false), badFileFormat},
        {"aiff common chunk too short", form("FORM", "AIFF", {{"COMM", Bytes(10)}, {"SSND", ssnd(0, 4)}}, false), badFileFormat},
        {"aiff without sound data", form("FORM", "AIFF", {{"COMM", comm(1, 0, 8, k44100)}}, false), badFileFormat},
        {"aifc compressed", aiff_file("AIFC", comm(1, 4, 16, k44100, "ima4"), ssnd(0, 8)), siInvalidCompression},
        {"aifc raw 16", aiff_file("AIFC", comm(1, 4, 16, k44100, "raw "), ssnd(0, 8)), siInvalidCompression},
        {"aifc common chunk without its type", aiff_file("AIFC", comm(1, 4, 16, k44100), ssnd(0, 8)), badFileFormat},
        {"not a sound file", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '\n'}, badFileFormat},
        {"empty", Bytes{}, badFileFormat}};
    for (const Bad& c : cases) EXPECT_EQ(parse(c.file).code(), c.code) << c.name;
    // A RIFF size past the end of the file (as streams write) is read as
    // "to the end of the file".
    Bytes riffTooBig = wav(fmt(1, 1, 8000, 8));
    std::fill_n(riffTooBig.begin() + 4, 4, 0xFF);
    EXPECT_EQ(parse(riffTooBig).value().frameCount, 8u);
}

TEST(SoundImport, FromFilesThroughAliasesAndComponents) {
    TempFolder dir;
    write_bytes(dir / "tone.data", wav(fmt(1, 2, 22050, 16), Bytes(400)));
    write_bytes(dir / "tone.aif", aiff_file("AIFC", comm(1, 5, 16, k44100, "NONE"), ssnd(0, 10)));
    write_bytes(dir / "picture.wav", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
    write_bytes(dir / "notes.txt", Bytes(40, 'x'));

    struct Case { const char* file; OSType subtype; /* 0: no importer */ } cases[] = {{"tone.data", 'WAVE'}, {"tone.aif", 'AIFC'}, {"picture.wav", 0}, {"notes.txt", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        FSSpec spec = spec_of(dir / c.file);
        AliasHandle alias = nullptr;
        ASSERT_EQ(QTNewAlias(&spec, &alias, true), noErr);
        Component importer = reinterpret_cast<Component>(1);
        OSErr err = GetMovieImporterForDataRef(rAliasType, alias, kGetMovieImporterDontConsiderGraphicsImporters, &importer);
        if (!c.subtype) {
            EXPECT_EQ(std::tuple(err, importer), std::tuple(OSErr(cantFindHandler), Component(nullptr)));
        } else {
            ASSERT_EQ(err, noErr);
            ComponentDescription cd{};
            ASSERT_EQ(GetComponentInfo(importer, &cd, nullptr, nullptr, nullptr), noErr);
            EXPECT_EQ(std::tuple(cd.componentType, cd.componentSubType), std::tuple(OSType(MovieImportType), c.subtype));
            // The importer instance parses the file in place.
            ComponentInstance ci = OpenComponent(importer);
            auto* movieImporter = platform::components::instance_as<MovieImporter>(ci);
            ASSERT_NE(movieImporter, nullptr);
            auto imported = movieImporter->import_file(dir / c.file);
            ASSERT_TRUE(imported.ok());
            EXPECT_EQ(std::tuple(imported->dataOffset + imported->dataSize, CloseComponent(ci)), std::tuple(std::filesystem::file_size(dir / c.file), noErr));
        }
        DisposeHandle(alias);
    }

    EXPECT_EQ(import_sound_file(dir / "tone.data").value().frameCount, 100u);
    EXPECT_EQ(std::tuple(import_sound_file(dir / "missing.wav").code(), import_sound_file(dir / "notes.txt").code()),
              std::tuple(OSErr(fnfErr), OSErr(badFileFormat)));

    // The alias record (version 2, the absolute path in extra 2) is checked
    // before it is followed.
    FSSpec spec = spec_of(dir / "tone.data");
    AliasHandle alias = nullptr;
    ASSERT_EQ(QTNewAlias(&spec, &alias, false), noErr);
    const Bytes record(reinterpret_cast<const UInt8*>(*alias), reinterpret_cast<const UInt8*>(*alias) + GetHandleSize(alias));
    EXPECT_EQ(resolve_file_alias(record).value_or(""), dir / "tone.data");
    Component importer = nullptr;
    EXPECT_EQ(std::tuple(GetMovieImporterForDataRef('url ', alias, 0, &importer), GetMovieImporterForDataRef(rAliasType, nullptr, 0, &importer),
                         GetMovieImporterForDataRef(rAliasType, alias, 0, nullptr)),
              std::tuple(OSErr(cantFindHandler), OSErr(paramErr), OSErr(paramErr)));
    struct Damage { const char* name; void (*change)(Bytes&); } damages[] = {
        {"size larger than the record", [](Bytes& b) { b[4] = 0x7F; }},
        {"size below the fixed part", [](Bytes& b) { b[4] = 0, b[5] = 0x10; }},
        {"extras cut short", [](Bytes& b) { b.resize(160), b[4] = 0, b[5] = 160; }},
        {"no path extra", [](Bytes& b) { b[151] = 7; }},
        {"a relative path", [](Bytes& b) { b[154] = 'x'; }}};
    for (const Damage& d : damages) {
        Bytes bad = record;
        d.change(bad);
        Handle h = nullptr;
        ASSERT_EQ(PtrToHand(bad.data(), &h, SInt32(bad.size())), noErr);
        EXPECT_EQ(GetMovieImporterForDataRef(rAliasType, h, 0, &importer), invalidDataRef) << d.name;
        DisposeHandle(h);
    }
    std::filesystem::remove(dir / "tone.data");
    EXPECT_EQ((std::tuple{GetMovieImporterForDataRef(rAliasType, alias, 0, &importer), QTNewAlias(&spec, &alias, true),
                          QTNewAlias(&spec, nullptr, true)}), std::tuple(OSErr(fnfErr), OSErr(fnfErr), OSErr(paramErr)));
    DisposeHandle(alias);
}

}  // namespace
