// The resources the build compiles: Kinora.rsrc (what the application relies
// on) and TestSounds.rsrc (the sounds a sound reader is tested with), read
// back through the Resource Manager and the --list tool.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "platform/Errors.h"
#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "Compiler.h"

using platform::fourcc;
using platform::load_u16be;
using platform::load_u32be;

namespace {

const std::string kAppFile = std::string(KINORA_BUILD_DIR) + "/Kinora.rsrc";
const std::string kSoundFile = std::string(KINORA_BUILD_DIR) + "/tests/TestSounds.rsrc";

struct Opened {
    explicit Opened(const std::string& path) : refNum(OpenResourceFileAtPath(path.c_str(), 1)) {}
    ~Opened() {
        if (refNum > 0) CloseResFile(refNum);
    }
    SInt16 refNum;
};

std::vector<UInt8> contents(Handle h) {
    return h ? std::vector<UInt8>(*h, *h + GetHandleSize(h)) : std::vector<UInt8>();
}

std::string run(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    return out;
}

struct MenuItem {
    std::string text;
    char key;
};

// Reads a 'MENU' laid out as rescompile documents it.
std::vector<MenuItem> menu_items(const std::vector<UInt8>& m, std::string* title, UInt32* flags) {
    platform::ByteReader r(m);
    std::vector<MenuItem> items;
    if (!r.skip(10)) return items;
    *flags = r.u32().value_or(0);
    *title = r.pstring().value_or("?");
    while (r.remaining() > 1) {
        auto text = r.pstring();
        if (!text || !r.skip(1)) break;
        items.push_back({*text, char(r.u8().value_or(0))});
        if (!r.skip(2)) break;
    }
    return items;
}

struct DialogItem {
    UInt8 type;
    SInt16 top, left, bottom, right;
    std::string text;
};

std::vector<DialogItem> dialog_items(const std::vector<UInt8>& d) {
    platform::ByteReader r(d);
    std::vector<DialogItem> items;
    const int count = r.u16().value_or(0) + 1;
    for (int i = 0; i < count && r.remaining(); ++i) {
        DialogItem item{};
        if (!r.skip(4)) break;
        item.top = r.s16().value_or(0);
        item.left = r.s16().value_or(0);
        item.bottom = r.s16().value_or(0);
        item.right = r.s16().value_or(0);
        item.type = r.u8().value_or(0);
        item.text = r.pstring().value_or("");
        if (item.text.size() % 2 == 1 && !r.skip(1)) break;   // padded to an even length
        items.push_back(item);
    }
    return items;
}

}  // namespace

// Compiling the sources again, in process, gives exactly what the Resource
// Manager reads from the files the build made: every type, ID, name and byte.
TEST(BuiltResources, ReadBackThroughTheApiMatchTheirSourcesByteForByte) {
    struct Build {
        std::string source, includeDir, file;
    };
    const Build builds[] = {
        {std::string(KINORA_SOURCE_DIR) + "/resources/Kinora.r", std::string(KINORA_BUILD_DIR) + "/resources", kAppFile},
        {std::string(KINORA_SOURCE_DIR) + "/tests/resources/TestSounds.r",
         std::string(KINORA_BUILD_DIR) + "/tests/resources", kSoundFile},
    };
    for (const Build& b : builds) {
        rescompile::Compiler compiler;
        compiler.add_include_dir(b.includeDir);
        ASSERT_NO_THROW(compiler.compile_file(b.source)) << b.source;
        Opened opened(b.file);
        ASSERT_GT(opened.refNum, 0) << b.file;
        const auto& types = compiler.result().types();
        ASSERT_EQ(Count1Types(), SInt16(types.size())) << b.file;
        for (size_t t = 0; t < types.size(); ++t) {
            ResType type = 0;
            Get1IndType(&type, SInt16(t + 1));
            EXPECT_EQ(type, types[t].type);
            ASSERT_EQ(Count1Resources(type), SInt16(types[t].resources.size()));
            for (const auto& res : types[t].resources) {
                Handle h = Get1Resource(type, res.id);
                ASSERT_NE(h, nullptr) << platform::fourcc_string(type) << " " << res.id;
                EXPECT_EQ(contents(h), res.data) << platform::fourcc_string(type) << " " << res.id;
                EXPECT_EQ(GetResourceSizeOnDisk(h), SInt32(res.data.size()));
                SInt16 id = 0;
                ResType back = 0;
                Str255 name;
                GetResInfo(h, &id, &back, name);
                EXPECT_EQ(id, res.id);
                EXPECT_EQ(back, type);
                EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), res.name.value_or(""));
                if (res.name) {
                    Str255 pname;
                    pname[0] = UInt8(res.name->size());
                    std::memcpy(pname + 1, res.name->data(), res.name->size());
                    EXPECT_EQ(Get1NamedResource(type, pname), h);
                }
                ReleaseResource(h);
            }
        }
    }
}

TEST(ApplicationResources, TheListHoldsExactlyWhatTheApplicationUses) {
    const std::string out = run(std::string(KINORA_BUILD_DIR) + "/rescompile --list " + kAppFile);
    std::set<std::string> lines;
    std::string sound;
    size_t at = 0;
    while (at < out.size()) {
        size_t nl = out.find('\n', at);
        std::string line = out.substr(at, nl - at);
        if (line.rfind("'snd '", 0) == 0) sound = line;
        if (!line.empty()) lines.insert(line.substr(0, line.find(' ', 7)));   // 'TYPE' ID
        at = nl == std::string::npos ? out.size() : nl + 1;
    }
    const std::set<std::string> expected = {
        "'MBAR' 128", "'MENU' 128", "'MENU' 129", "'MENU' 130", "'MENU' 131", "'xmnu' 129", "'STR#' 1000",
        "'DLOG' 128", "'DLOG' 129", "'DITL' 128", "'DITL' 129", "'ALRT' 129", "'snd ' 128",
    };
    EXPECT_EQ(lines, expected) << out;

    Opened app(kAppFile);
    ASSERT_GT(app.refNum, 0);
    Handle snd = Get1Resource(fourcc("snd "), 128);
    EXPECT_EQ(sound, "'snd ' 128 " + std::to_string(GetResourceSizeOnDisk(snd)) + " Fanfare");
}

TEST(ApplicationResources, MenusNameTheirCommandsAndKeys) {
    Opened app(kAppFile);
    ASSERT_GT(app.refNum, 0);
    EXPECT_EQ(contents(Get1Resource(fourcc("MBAR"), 128)), std::vector<UInt8>({0, 4, 0, 128, 0, 129, 0, 130, 0, 131}));

    struct Menu {
        SInt16 id;
        const char* title;
        std::vector<MenuItem> items;
    };
    const Menu menus[] = {
        {128, "About", {{"About Kinora…", 0}}},
        {129, "File", {{"New", 'N'}, {"Open…", 'O'}, {"Close", 'W'}, {"Save", 'S'}, {"Save As…", 'S'},
                       {"-", 0}, {"Quit", 'Q'}}},
        {130, "Edit", {{"Undo", 'Z'}, {"-", 0}, {"Cut", 'X'}, {"Copy", 'C'}, {"Paste", 'V'}, {"Clear", 0},
                       {"-", 0}, {"Select All", 'A'}, {"Select None", 0}}},
        {131, "Movie", {{"Hide Controller", 0}, {"Hide Speaker Button", 0}}},
    };
    for (const Menu& menu : menus) {
        const auto bytes = contents(Get1Resource(fourcc("MENU"), menu.id));
        ASSERT_GE(bytes.size(), 14u) << menu.id;
        EXPECT_EQ(SInt16(load_u16be(&bytes[0])), menu.id);
        std::string title;
        UInt32 flags = 0;
        auto items = menu_items(bytes, &title, &flags);
        EXPECT_EQ(title, menu.title);
        EXPECT_EQ(flags, 0xFFFFFFFFu) << "the menu and all its items start enabled";
        ASSERT_EQ(items.size(), menu.items.size()) << menu.id;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].text, menu.items[i].text) << menu.id << "/" << i + 1;
            EXPECT_EQ(items[i].key, menu.items[i].key) << menu.id << "/" << i + 1;
        }
    }
    // Save As is Shift-Command-S; nothing else has modifiers.
    EXPECT_EQ(contents(Get1Resource(fourcc("xmnu"), 129)), std::vector<UInt8>({0, 0, 0, 1, 0, 5, 1, 0}));
    EXPECT_EQ(Get1Resource(fourcc("xmnu"), 130), nullptr);

    Str255 name;
    GetIndString(name, 1000, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Kinora");
}

TEST(ApplicationResources, DialogsAndTheAlertHoldTheItemsTheShellUses) {
    Opened app(kAppFile);
    ASSERT_GT(app.refNum, 0);
    const auto about = contents(Get1Resource(fourcc("DLOG"), 128));
    ASSERT_GE(about.size(), 20u);
    EXPECT_EQ(load_u16be(&about[8]), 5) << "a movable modal box";
    EXPECT_EQ(load_u16be(&about[18]), 128);
    const auto message = contents(Get1Resource(fourcc("DLOG"), 129));
    ASSERT_GE(message.size(), 20u);
    EXPECT_EQ(load_u16be(&message[18]), 129);
    const auto alert = contents(Get1Resource(fourcc("ALRT"), 129));
    ASSERT_EQ(alert.size(), 12u);
    EXPECT_EQ(load_u16be(&alert[8]), 129);

    // Every window lies on a 1024x768 screen below the 20-pixel menu bar.
    for (const auto* bounds : {&about, &message, &alert}) {
        const SInt16 top = SInt16(load_u16be(&(*bounds)[0])), left = SInt16(load_u16be(&(*bounds)[2]));
        const SInt16 bottom = SInt16(load_u16be(&(*bounds)[4])), right = SInt16(load_u16be(&(*bounds)[6]));
        EXPECT_GE(top, 40);
        EXPECT_GE(left, 0);
        EXPECT_LE(bottom, 768);
        EXPECT_LE(right, 1024);
    }

    enum { userItem = 0, button = 4, statText = 8, disabled = 128 };
    const auto aboutItems = dialog_items(contents(Get1Resource(fourcc("DITL"), 128)));
    ASSERT_EQ(aboutItems.size(), 4u);
    EXPECT_EQ(aboutItems[0].type, button);
    EXPECT_EQ(aboutItems[0].text, "OK");
    EXPECT_EQ(aboutItems[1].type, statText | disabled);
    EXPECT_NE(aboutItems[1].text.find("Kinora 1.0"), std::string::npos);
    EXPECT_EQ(aboutItems[2].type, statText | disabled);
    EXPECT_EQ(aboutItems[3].type, userItem | disabled);

    const auto items = dialog_items(contents(Get1Resource(fourcc("DITL"), 129)));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].type, button) << "OK, the only enabled item, ends the dialog and the alert";
    EXPECT_EQ(items[1].type, statText | disabled);
    EXPECT_EQ(items[2].type, statText | disabled);
    EXPECT_GE(items[2].right - items[2].left, 300) << "room for a message like \"InsertMediaIntoTrack error\"";
    EXPECT_EQ(items[1].text, "^0") << "the alert's heading alone";
    EXPECT_EQ(items[2].text, "^1 ^2") << "the message and the error number";
    EXPECT_EQ(load_u16be(&message[8]), 5) << "the message dialog is movable";
}

TEST(ApplicationResources, TheFanfareIsAStandardEightBitSoundOfAtMostSevenSeconds) {
    Opened app(kAppFile);
    ASSERT_GT(app.refNum, 0);
    const auto s = contents(Get1Resource(fourcc("snd "), 128));
    ASSERT_GE(s.size(), 42u);
    EXPECT_EQ(load_u16be(&s[0]), 1) << "format 1";
    const size_t commands = 4 + 6 * size_t(load_u16be(&s[2]));
    ASSERT_EQ(load_u16be(&s[commands]), 1) << "one command";
    EXPECT_EQ(load_u16be(&s[commands + 2]), 0x8051) << "bufferCmd with the data-offset flag";
    const UInt32 header = load_u32be(&s[commands + 6]);
    ASSERT_EQ(header, commands + 10);
    EXPECT_EQ(s[header + 20], 0x00) << "a standard header";
    EXPECT_EQ(load_u32be(&s[header + 8]), 0x56220000u) << "22050 Hz exactly";
    const UInt32 length = load_u32be(&s[header + 4]);
    EXPECT_LE(length, 7u * 22050) << "at most 7 seconds";
    EXPECT_GE(length, 22050u);
    ASSERT_EQ(s.size(), header + 22 + length);

    // Not silent, and never pinned at the rails.
    double energy = 0;
    size_t atRails = 0;
    for (size_t i = header + 22; i < s.size(); ++i) {
        const double v = double(s[i]) - 128.0;
        energy += v * v;
        if (s[i] == 0x00 || s[i] == 0xFF) ++atRails;
    }
    EXPECT_GT(std::sqrt(energy / length), 10.0);
    EXPECT_EQ(atRails, 0u);
}

TEST(TestSounds, EachSoundIsLaidOutAsItsNameSays) {
    Opened sounds(kSoundFile);
    ASSERT_GT(sounds.refNum, 0);
    // header: where the offset-flagged command points; count: the standard
    // header's length or the numFrames field; payload: the bytes after the
    // header, which is 22 bytes long (standard) or 64.
    struct Case {
        SInt16 id;
        UInt32 header;
        UInt8 encode;
        UInt32 count, channels;
        UInt16 sampleSize;
        SInt16 compressionID;
        size_t payload;
    };
    const Case cases[] = {
        {1000, 26, 0x00, 1000, 1, 8, 0, 1000}, {1001, 14, 0x00, 500, 1, 8, 0, 500},
        {1002, 28, 0x00, 800, 1, 8, 0, 800},   {1003, 20, 0xFF, 1000, 2, 16, 0, 4000},
        {1004, 20, 0xFF, 1000, 2, 16, 0, 4000}, {1005, 20, 0xFE, 100, 1, 8, 3, 200},
        {1006, 20, 0xFE, 100, 2, 8, 3, 400},   {1007, 20, 0xFE, 100, 1, 8, 4, 100},
        {1008, 20, 0xFE, 100, 2, 8, 4, 200},   {1102, 20, 0x42, 100, 1, 8, 0, 100},
        {1103, 20, 0xFE, 10, 1, 8, 5, 20},     {1104, 20, 0xFE, 10, 3, 8, 3, 60},
    };
    for (const Case& c : cases) {
        const auto s = contents(Get1Resource(fourcc("snd "), c.id));
        ASSERT_GE(s.size(), c.header + 22) << c.id;
        const UInt32 rate = c.id == 1001 ? 0x2B110000 : 0x56220000;
        EXPECT_EQ(load_u32be(&s[c.header + 8]), rate) << c.id;
        EXPECT_EQ(s[c.header + 20], c.encode) << c.id;
        const bool standard = c.encode != 0xFF && c.encode != 0xFE;
        EXPECT_EQ(s.size(), c.header + (standard ? 22 : 64) + c.payload) << c.id;
        if (standard) {
            EXPECT_EQ(load_u32be(&s[c.header + 4]), c.count) << c.id;
            continue;
        }
        EXPECT_EQ(load_u32be(&s[c.header + 4]), c.channels) << c.id;
        EXPECT_EQ(load_u32be(&s[c.header + 22]), c.count) << c.id;
        EXPECT_EQ(load_u16be(&s[c.header + (c.encode == 0xFF ? 48 : 62)]), c.sampleSize) << c.id;
        if (c.encode == 0xFE) {
            EXPECT_EQ(SInt16(load_u16be(&s[c.header + 56])), c.compressionID) << c.id;
        }
    }
    // The same tone read from AIFF and from WAV gives the same big-endian samples.
    const auto fromAiff = contents(Get1Resource(fourcc("snd "), 1003));
    const auto fromWav = contents(Get1Resource(fourcc("snd "), 1004));
    EXPECT_EQ(std::vector<UInt8>(fromAiff.begin() + 84, fromAiff.end()),
              std::vector<UInt8>(fromWav.begin() + 84, fromWav.end()));
    EXPECT_EQ(load_u16be(&fromAiff[84 + 4]), UInt16(SInt16(std::lround(0.5 * std::sin(2 * M_PI * 440 / 22050) * 32767))))
        << "frame 1, left channel, big-endian";
}

TEST(TestSounds, BrokenSoundsAreBrokenTheWayTheirNamesSay) {
    Opened sounds(kSoundFile);
    ASSERT_GT(sounds.refNum, 0);
    auto get = [](SInt16 id) { return contents(Get1Resource(fourcc("snd "), id)); };
    // 1100: the only command lacks the data-offset flag.
    EXPECT_EQ(load_u16be(&get(1100)[12]), 0x0051);
    // 1101: the count says 0, though a command follows.
    EXPECT_EQ(load_u16be(&get(1101)[10]), 0);
    EXPECT_EQ(load_u16be(&get(1101)[12]), 0x8051);
    // 1105: the header offset lies past the end.
    EXPECT_EQ(load_u32be(&get(1105)[16]), 4000u);
    EXPECT_LT(get(1105).size(), 4000u);
    // 1106 and 1108: cut inside the header.
    EXPECT_EQ(get(1106).size(), 30u);
    EXPECT_EQ(get(1108).size(), 60u);
    // 1107: the length claims more than follows.
    const auto s = get(1107);
    EXPECT_EQ(load_u32be(&s[24]), 1000u);
    EXPECT_EQ(s.size(), 20u + 22 + 100);
}
