// Writes the seed corpora of the importer and atom container fuzz targets:
//   build-asan/fuzz/make_importer_seeds fuzz/corpus
// Images come from the reference libraries themselves; BMP, sound and atom
// container seeds are assembled byte by byte, by the tests' own builders.
#include <filesystem>
#include <fstream>

#include "platform/AtomContainers.h"
#include "platform/Memory.h"
#include "tests/importers/ImageTestFiles.h"
#include "tests/importers/SoundTestFiles.h"

namespace fs = std::filesystem;
using namespace soundfiles;

namespace {

void save(const fs::path& dir, const std::string& name, const Bytes& b) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::vector<std::array<UInt8, 3>> palette(int n) {
    std::vector<std::array<UInt8, 3>> p;
    for (int i = 0; i < n; ++i) p.push_back({UInt8(255 - i * 30), UInt8(i * 90), UInt8(i * 40)});
    return p;
}

Bytes pattern(size_t n, int mod) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = UInt8((i * 7 + i / 5) % mod);
    return b;
}

std::vector<std::pair<std::string, Bytes>> bmps() {
    return {
        {"rgb24.bmp", build_bmp({.width = 5, .height = 3, .pixels = pattern(48, 256)})},
        {"topdown24.bmp", build_bmp({.width = 3, .height = -2, .pixels = pattern(24, 256)})},
        {"pal8.bmp", build_bmp({.width = 6, .height = 4, .bits = 8, .colorsUsed = 5, .palette = palette(5), .pixels = pattern(32, 5)})},
        {"pal4.bmp", build_bmp({.width = 7, .height = 2, .bits = 4, .colorsUsed = 16, .palette = palette(16), .pixels = pattern(8, 256)})},
        {"pal1.bmp", build_bmp({.width = 17, .height = 2, .bits = 1, .colorsUsed = 2, .palette = palette(2), .pixels = pattern(8, 256)})},
        {"rle8.bmp", build_bmp({.width = 4, .height = 3, .bits = 8, .compression = 1, .colorsUsed = 6, .palette = palette(6),
                                .pixels = {4, 1, 0, 0, 0, 3, 3, 4, 5, 0, 0, 0, 0, 2, 2, 0, 1, 2, 0, 1}})},
        {"rle4.bmp", build_bmp({.width = 7, .height = 1, .bits = 4, .compression = 2, .colorsUsed = 6, .palette = palette(6),
                                .pixels = {3, 0x12, 0, 3, 0x34, 0x50, 1, 0x05, 0, 1}})},
        {"565.bmp", build_bmp({.width = 3, .height = 2, .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
                               .pixels = pattern(16, 256)})},
        {"alpha32.bmp", build_bmp({.headerSize = 124, .width = 3, .height = 2, .bits = 32, .compression = 3,
                                   .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, .pixels = pattern(24, 256)})},
    };
}

std::vector<std::pair<std::string, Bytes>> sounds() {
    return {
        {"mono8.wav", wav(fmt(1, 1, 11025, 8), pattern(33, 256))},
        {"ext16.wav", form("RIFF", "WAVE", {{"fmt ", extensible(2, 44100, 16, 1, 16)}, {"LIST", Bytes(5, 'x')},
                                            {"data", pattern(64, 256)}}, true)},
        {"stereo16.aif", form("FORM", "AIFF", {{"COMM", comm(2, 8, 16, k44100)}, {"SSND", ssnd(0, 32)}}, false)},
        {"sowt.aifc", form("FORM", "AIFC", {{"COMM", comm(1, 8, 16, k44100, "sowt")}, {"SSND", ssnd(4, 16)}}, false)},
    };
}

std::vector<std::pair<std::string, Bytes>> containers() {
    std::vector<std::pair<std::string, Bytes>> out;
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    auto take = [&](const char* name) {
        out.push_back({name, Bytes(reinterpret_cast<UInt8*>(*c), reinterpret_cast<UInt8*>(*c) + GetHandleSize(c))});
    };
    take("empty");
    SInt32 speed = 0x000AF000;
    QTInsertChild(c, 0, 'cspd', 1, 0, 4, &speed, nullptr);
    take("cspd");
    QTAtom parent = 0, inner = 0;
    QTInsertChild(c, 0, 'prnt', 0, 0, 0, nullptr, &parent);
    QTInsertChild(c, parent, 'leaf', 0, 0, 3, (void*)"abc", nullptr);
    QTInsertChild(c, parent, 'leaf', 0, 1, 0, nullptr, nullptr);
    QTInsertChild(c, parent, 'innr', 9, 0, 0, nullptr, &inner);
    QTInsertChild(c, inner, 'deep', 1, 0, 5, (void*)"12345", nullptr);
    take("nested");
    QTDisposeAtomContainer(c);
    return out;
}

// A single-image file: a 4x2 32-bit 'raw ' description, then its pixels.
Bytes qtif() {
    Bytes desc;
    put32(desc, 86, false);
    desc.insert(desc.end(), {'r', 'a', 'w', ' '});
    desc.resize(32, 0);
    put16(desc, 4, false), put16(desc, 2, false), put32(desc, 0x00480000, false), put32(desc, 0x00480000, false);
    put32(desc, 0, false), put16(desc, 1, false);
    desc.resize(82, 0);
    put16(desc, 32, false), put16(desc, 0xFFFF, false);
    Bytes file;
    for (auto [type, body] : {std::pair{"idsc", desc}, std::pair{"idat", pattern(4 * 2 * 4, 256)}}) {
        put32(file, UInt32(8 + body.size()), false);
        file.insert(file.end(), type, type + 4);
        file.insert(file.end(), body.begin(), body.end());
    }
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_importer_seeds CORPUS-FOLDER\n");
        return 2;
    }
    fs::path root = argv[1];
    auto png = [](UInt32 w, UInt32 h, int type, int bits, bool interlaced, int samples, int mod) {
        PngSpec s;
        s.width = w, s.height = h, s.colorType = type, s.bitDepth = bits, s.interlaced = interlaced;
        s.rows = pattern(((w * samples * bits + 7) / 8) * h, mod);
        if (type == PNG_COLOR_TYPE_PALETTE) {
            for (int i = 0; i < (1 << bits); ++i) s.palette.push_back({UInt8(i * 50), UInt8(i * 20), UInt8(i * 5)});
            s.trns = {0, 128};
        }
        return write_png(s);
    };
    auto jpeg = [](int comps, bool progressive) {
        return write_jpeg(19, 11, comps, pattern(19 * 11 * size_t(comps), 256), 80, progressive);
    };
    auto gif = [](bool interlaced, bool local, int transparent) {
        GifSpec s;
        s.screenW = 13, s.screenH = 9, s.width = 11, s.height = 7, s.left = 1, s.top = 2;
        s.interlaced = interlaced, s.localTable = local, s.transparent = transparent;
        for (int i = 0; i < 8; ++i) s.colors.push_back({UInt8(i * 30), UInt8(i * 10), UInt8(200 - i * 20)});
        s.indexes = pattern(77, 8);
        return write_gif(s);
    };
    fs::path images = root / "image_decoder_fuzz";
    save(images, "rgb8.png", png(9, 7, PNG_COLOR_TYPE_RGB, 8, false, 3, 256));
    save(images, "pal4.png", png(9, 7, PNG_COLOR_TYPE_PALETTE, 4, false, 1, 256));
    save(images, "grey16i.png", png(9, 7, PNG_COLOR_TYPE_GRAY, 16, true, 1, 256));
    save(images, "rgba8i.png", png(9, 7, PNG_COLOR_TYPE_RGBA, 8, true, 4, 256));
    save(images, "rgb.jpg", jpeg(3, false));
    save(images, "grey.jpg", jpeg(1, false));
    save(images, "progressive.jpg", jpeg(3, true));
    save(images, "plain.gif", gif(false, false, -1));
    save(images, "interlaced_local.gif", gif(true, true, 3));
    save(images, "raw.qtif", qtif());
    auto bmpSeeds = bmps();
    for (auto& [name, bytes] : bmpSeeds) save(root / "bmp_decoder_fuzz", name, bytes);
    save(images, "rgb24.bmp", bmpSeeds[0].second);
    save(images, "rle8.bmp", bmpSeeds[5].second);
    for (auto& [name, bytes] : sounds()) save(root / "sound_file_fuzz", name, bytes);
    for (auto& [name, bytes] : containers()) save(root / "atom_container_fuzz", name, bytes);
    return 0;
}
