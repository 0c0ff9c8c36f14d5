// ImporterTestSupport.h — files on disk, drawing an importer into a
// graphics world, and the expected pixels of a reference decode.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Files.h"
#include "platform/Importers.h"
#include "platform/QuickDraw.h"
#include "platform/files/Catalog.h"
#include "tests/support/TempFolder.h"

using Bytes = std::vector<UInt8>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using testsupport::TempFolder;
using testsupport::write_bytes;

inline FSSpec spec_of(const std::filesystem::path& path) {
    FSSpec spec{};
    platform::files::make_fsspec(path, &spec);
    return spec;
}

// The rows of a graphics world, without the padding of its row bytes.
inline Bytes pixels_of(GWorldPtr world) {
    PixMapHandle pm = GetGWorldPixMap(world);
    const Rect& b = (**pm).bounds;
    size_t rowLen = size_t(b.right - b.left) * size_t((**pm).pixelSize) / 8;
    Bytes out;
    for (int y = 0; y < b.bottom - b.top; ++y) {
        const UInt8* row = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm)) + size_t(y) * GetPixRowBytes(pm);
        out.insert(out.end(), row, row + rowLen);
    }
    return out;
}

// A graphics world of that depth and size, white.
struct World {
    World(int depth, int w, int h) {
        Rect r{0, 0, SInt16(h), SInt16(w)};
        EXPECT_EQ(NewGWorld(&gw, SInt16(depth), &r, nullptr, nullptr, 0), noErr);
    }
    ~World() { DisposeGWorld(gw); }
    GWorldPtr gw = nullptr;
};

// What the importer draws into a white world of that depth and size.
inline Bytes draw_with(GraphicsImportComponent gi, int depth, int w, int h) {
    World world(depth, w, h);
    EXPECT_EQ((std::tuple{GraphicsImportSetGWorld(gi, world.gw, nullptr), GraphicsImportDraw(gi)}), std::tuple(noErr, noErr));
    return pixels_of(world.gw);
}

// Alpha composited on white, per channel, rounded to nearest.
inline UInt8 on_white(UInt32 c, UInt32 a) { return UInt8((c * a + 255 * (255 - a) + 127) / 255); }

// What a reference RGBA image looks like drawn the same way: put into a
// 32-bit world, composited on white, then copied by QuickDraw into a white
// world of that depth at `dst`.
inline Bytes expected_from_rgba(const Bytes& rgba, int w, int h, int depth, int dstW, int dstH, Rect dst) {
    World source(32, w, h);
    PixMapHandle pm = GetGWorldPixMap(source.gw);
    for (int y = 0; y < h; ++y) {
        UInt8* row = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm)) + size_t(y) * GetPixRowBytes(pm);
        for (int x = 0; x < w; ++x) {
            const UInt8* p = &rgba[(size_t(y) * w + x) * 4];
            row[x * 4] = 0xFF;
            for (int c = 0; c < 3; ++c) row[x * 4 + 1 + c] = on_white(p[c], p[3]);
        }
    }
    World target(depth, dstW, dstH);
    Rect src{0, 0, SInt16(h), SInt16(w)};
    CopyBits(GetPortBitMapForCopyBits(source.gw), GetPortBitMapForCopyBits(target.gw), &src, &dst, srcCopy, nullptr);
    return pixels_of(target.gw);
}

inline Bytes expected_from_rgba(const Bytes& rgba, int w, int h, int depth) {
    return expected_from_rgba(rgba, w, h, depth, w, h, Rect{0, 0, SInt16(h), SInt16(w)});
}

// Opens a file with GetGraphicsImporterForFile; closes it at the end.
struct Importer {
    explicit Importer(const std::filesystem::path& path) {
        FSSpec spec = spec_of(path);
        err = GetGraphicsImporterForFile(&spec, &gi);
    }
    ~Importer() {
        if (gi) CloseComponent(gi);
    }
    OSErr err = noErr;
    GraphicsImportComponent gi = nullptr;
};

// A copy of `v` changed by `change`.
template <class T, class F>
T with(T v, F change) {
    change(v);
    return v;
}

// `bytes` written to `path` and opened: the open gives `open`, and when it
// opened, the first draw gives `draw` (also as the instance's error).
inline void expect_import(const std::filesystem::path& path, const Bytes& bytes, OSErr open, OSErr draw) {
    write_bytes(path, bytes);
    Importer im(path);
    EXPECT_EQ(std::tuple(im.err, im.gi == nullptr), std::tuple(open, open != noErr));
    if (!im.gi) return;
    World world(32, 8, 8);
    ASSERT_EQ(GraphicsImportSetGWorld(im.gi, world.gw, nullptr), noErr);
    EXPECT_EQ((std::tuple{GraphicsImportDraw(im.gi), GetComponentInstanceError(im.gi)}), std::tuple(draw, draw));
}
