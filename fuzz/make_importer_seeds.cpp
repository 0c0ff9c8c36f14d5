// Writes the seed corpora of the importer and atom container fuzz targets:
//   build-asan/fuzz/make_importer_seeds fuzz/corpus
// Images come from the reference libraries themselves; BMP, sound and atom
// container seeds are assembled byte by byte.
#include <filesystem>
#include <fstream>

#include "platform/AtomContainers.h"
#include "platform/Memory.h"
#include "tests/importers/ImageTestFiles.h"

namespace fs = std::filesystem;

namespace {

void save(const fs::path& dir, const std::string& name, const Bytes& b) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

void le(Bytes& b, UInt32 v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(UInt8(v >> (8 * i)));
}
void be(Bytes& b, UInt32 v, int n) {
    for (int i = n - 1; i >= 0; --i) b.push_back(UInt8(v >> (8 * i)));
}

Bytes bmp(UInt32 headerSize, SInt32 w, SInt32 h, UInt16 bits, UInt32 compression, UInt32 colors,
          const Bytes& extra, const Bytes& pixels) {
    Bytes info;
    le(info, headerSize, 4);
    le(info, UInt32(w), 4);
    le(info, UInt32(h), 4);
    le(info, 1, 2);
    le(info, bits, 2);
    le(info, compression, 4);
    le(info, UInt32(pixels.size()), 4);
    le(info, 2835, 4);
    le(info, 2835, 4);
    le(info, colors, 4);
    le(info, 0, 4);
    info.resize(headerSize, 0);
    info.insert(info.end(), extra.begin(), extra.end());
    Bytes f = {'B', 'M'};
    le(f, UInt32(14 + info.size() + pixels.size()), 4);
    le(f, 0, 4);
    le(f, UInt32(14 + info.size()), 4);
    f.insert(f.end(), info.begin(), info.end());
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

Bytes palette(int n) {
    Bytes p;
    for (int i = 0; i < n; ++i) p.insert(p.end(), {UInt8(i * 40), UInt8(i * 90), UInt8(255 - i * 30), 0});
    return p;
}

Bytes pattern(size_t n, int mod) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = UInt8((i * 7 + i / 5) % mod);
    return b;
}

std::vector<std::pair<std::string, Bytes>> bmps() {
    Bytes masks565;
    le(masks565, 0xF800, 4), le(masks565, 0x07E0, 4), le(masks565, 0x001F, 4);
    Bytes v5masks;
    for (UInt32 m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) le(v5masks, m, 4);
    Bytes v5header = bmp(124, 3, 2, 32, 3, 0, {}, pattern(24, 256));
    std::copy(v5masks.begin(), v5masks.end(), v5header.begin() + 14 + 40);
    return {
        {"rgb24.bmp", bmp(40, 5, 3, 24, 0, 0, {}, pattern(48, 256))},
        {"topdown24.bmp", bmp(40, 3, -2, 24, 0, 0, {}, pattern(24, 256))},
        {"pal8.bmp", bmp(40, 6, 4, 8, 0, 5, palette(5), pattern(32, 5))},
        {"pal4.bmp", bmp(40, 7, 2, 4, 0, 16, palette(16), pattern(8, 256))},
        {"pal1.bmp", bmp(40, 17, 2, 1, 0, 2, palette(2), pattern(8, 256))},
        {"rle8.bmp", bmp(40, 4, 3, 8, 1, 6, palette(6), {4, 1, 0, 0, 0, 3, 3, 4, 5, 0, 0, 0, 0, 2, 2, 0, 1, 2, 0, 1})},
        {"rle4.bmp", bmp(40, 7, 1, 4, 2, 6, palette(6), {3, 0x12, 0, 3, 0x34, 0x50, 1, 0x05, 0, 1})},
        {"565.bmp", bmp(40, 3, 2, 16, 3, 0, masks565, pattern(16, 256))},
        {"alpha32.bmp", v5header},
    };
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes chunk(const char* id, const Bytes& body, bool little) {
    Bytes b(id, id + 4);
    little ? le(b, UInt32(body.size()), 4) : be(b, UInt32(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

Bytes riff(const char* magic, const char* kind, const Bytes& chunks, bool little) {
    Bytes b(magic, magic + 4);
    little ? le(b, UInt32(4 + chunks.size()), 4) : be(b, UInt32(4 + chunks.size()), 4);
    b.insert(b.end(), kind, kind + 4);
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

std::vector<std::pair<std::string, Bytes>> sounds() {
    auto fmt = [](UInt16 tag, UInt16 ch, UInt32 rate, UInt16 bits, bool ext) {
        Bytes b;
        le(b, tag, 2), le(b, ch, 2), le(b, rate, 4), le(b, rate * ch * bits / 8, 4), le(b, ch * bits / 8, 2), le(b, bits, 2);
        if (ext) {
            le(b, 22, 2), le(b, bits, 2), le(b, 3, 4), le(b, 1, 2);
            b.insert(b.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
        }
        return b;
    };
    auto comm = [](UInt16 ch, UInt32 frames, UInt16 bits, const char* compression) {
        Bytes b;
        be(b, ch, 2), be(b, frames, 4), be(b, bits, 2);
        b.insert(b.end(), {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});
        if (compression) b.insert(b.end(), compression, compression + 4), b.insert(b.end(), {0, 0});
        return b;
    };
    auto ssnd = [](UInt32 offset, size_t n) {
        Bytes b;
        be(b, offset, 4), be(b, 0, 4);
        Bytes d = pattern(offset + n, 256);
        b.insert(b.end(), d.begin(), d.end());
        return b;
    };
    return {
        {"mono8.wav", riff("RIFF", "WAVE", chunk("fmt ", fmt(1, 1, 11025, 8, false), true) + chunk("data", pattern(33, 256), true), true)},
        {"ext16.wav", riff("RIFF", "WAVE", chunk("fmt ", fmt(0xFFFE, 2, 44100, 16, true), true) + chunk("LIST", Bytes(5, 'x'), true) +
                                               chunk("data", pattern(64, 256), true), true)},
        {"stereo16.aif", riff("FORM", "AIFF", chunk("COMM", comm(2, 8, 16, nullptr), false) + chunk("SSND", ssnd(0, 32), false), false)},
        {"sowt.aifc", riff("FORM", "AIFC", chunk("COMM", comm(1, 8, 16, "sowt"), false) + chunk("SSND", ssnd(4, 16), false), false)},
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
    QTAtom parent = 0;
    QTInsertChild(c, 0, 'prnt', 0, 0, 0, nullptr, &parent);
    QTInsertChild(c, parent, 'leaf', 0, 0, 3, (void*)"abc", nullptr);
    QTInsertChild(c, parent, 'leaf', 0, 1, 0, nullptr, nullptr);
    QTAtom inner = 0;
    QTInsertChild(c, parent, 'innr', 9, 0, 0, nullptr, &inner);
    QTInsertChild(c, inner, 'deep', 1, 0, 5, (void*)"12345", nullptr);
    take("nested");
    QTDisposeAtomContainer(c);
    return out;
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
    Bytes qtif;
    {
        Bytes desc;
        be(desc, 86, 4), desc.insert(desc.end(), {'r', 'a', 'w', ' '});
        desc.resize(32, 0);
        be(desc, 4, 2), be(desc, 2, 2), be(desc, 0x00480000, 4), be(desc, 0x00480000, 4), be(desc, 0, 4), be(desc, 1, 2);
        desc.resize(82, 0);
        be(desc, 32, 2), be(desc, 0xFFFF, 2);
        be(qtif, UInt32(8 + desc.size()), 4), qtif.insert(qtif.end(), {'i', 'd', 's', 'c'});
        qtif.insert(qtif.end(), desc.begin(), desc.end());
        Bytes pixels = pattern(4 * 2 * 4, 256);
        be(qtif, UInt32(8 + pixels.size()), 4), qtif.insert(qtif.end(), {'i', 'd', 'a', 't'});
        qtif.insert(qtif.end(), pixels.begin(), pixels.end());
    }
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
    save(images, "raw.qtif", qtif);
    auto bmpSeeds = bmps();
    for (auto& [name, bytes] : bmpSeeds) save(root / "bmp_decoder_fuzz", name, bytes);
    save(images, "rgb24.bmp", bmpSeeds[0].second);
    save(images, "rle8.bmp", bmpSeeds[5].second);
    for (auto& [name, bytes] : sounds()) save(root / "sound_file_fuzz", name, bytes);
    for (auto& [name, bytes] : containers()) save(root / "atom_container_fuzz", name, bytes);
    return 0;
}
