// Colour tables and nearest-colour lookup.
#include "platform/quickdraw/ColorTables.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <list>

#include "platform/Memory.h"
#include "platform/memory/MemoryInternal.h"

namespace platform::quickdraw {
namespace {

int square(int v) { return v * v; }

int distance2(RGB8 a, RGB8 b) { return square(a.r - b.r) + square(a.g - b.g) + square(a.b - b.b); }

constexpr size_t kHeaderSize = offsetof(ColorTable, ctTable);

}  // namespace

Palette standard_palette_of(int depth) {
    Palette p;
    auto std = standard_palette(depth);
    std::copy(std.begin(), std.end(), p.rgb.begin());
    p.count = int(std.size());
    return p;
}

Palette grey_palette_of(int depth) {
    Palette p;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return p;
    p.count = 1 << depth;
    for (int i = 0; i < p.count; ++i) {
        UInt8 v = UInt8(255 - i * 255 / (p.count - 1));
        p.rgb[i] = RGB8{v, v, v};
    }
    return p;
}

std::optional<Palette> read_color_table(CTabHandle table, int maxEntries) {
    Handle h = reinterpret_cast<Handle>(table);
    if (!h || !memory::is_handle(h) || !*h) return std::nullopt;
    Size size = GetHandleSize(h);
    if (size < Size(kHeaderSize)) return std::nullopt;
    const ColorTable* ct = *table;
    int entries = ct->ctSize + 1;
    if (entries < 0) return std::nullopt;
    if (size_t(size) < kHeaderSize + size_t(entries) * sizeof(ColorSpec)) return std::nullopt;
    Palette p;
    p.count = std::min({entries, maxEntries, 256});
    for (int i = 0; i < p.count; ++i) {
        const ColorSpec& cs = ct->ctTable[i];
        p.rgb[i] = RGB8{UInt8(cs.rgb.red >> 8), UInt8(cs.rgb.green >> 8), UInt8(cs.rgb.blue >> 8)};
    }
    return p;
}

Palette palette_of(const PixMap& pm) {
    int depth = pm.pixelSize;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return Palette{};
    if (auto p = read_color_table(pm.pmTable, 1 << depth); p && p->count > 0) return *p;
    return standard_palette_of(depth);
}

CTabHandle new_color_table(std::span<const RGB8> entries, SInt32 seed) {
    size_t n = std::max<size_t>(entries.size(), 1);   // the record always has room for one
    Handle h = NewHandleClear(Size(kHeaderSize + n * sizeof(ColorSpec)));
    if (!h) return nullptr;
    auto* ct = reinterpret_cast<ColorTable*>(*h);
    ct->ctSeed = seed;
    ct->ctFlags = 0;
    ct->ctSize = SInt16(SInt32(entries.size()) - 1);
    for (size_t i = 0; i < entries.size(); ++i) {
        ct->ctTable[i].value = SInt16(i);
        ct->ctTable[i].rgb = RGBColor{UInt16(entries[i].r * 0x101), UInt16(entries[i].g * 0x101),
                                      UInt16(entries[i].b * 0x101)};
    }
    return reinterpret_cast<CTabHandle>(h);
}

CTabHandle new_color_table(const Palette& p, SInt32 seed) {
    return new_color_table(std::span<const RGB8>(p.rgb.data(), size_t(p.count)), seed);
}

int nearest_index(const Palette& p, RGB8 c) {
    int best = 0;
    int bestD = 1 << 30;
    for (int i = 0; i < p.count; ++i) {
        int d = distance2(p.rgb[i], c);
        if (d < bestD) {
            bestD = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

InverseTable::InverseTable(const Palette& p)
    : palette_(p), cellStart_(32 * 32 * 32, kUnbuilt), cellCount_(32 * 32 * 32, 0) {}

// Per channel, the distance from an entry's value v to the cell's span
// [lo, lo + 7] is 0 inside it, and the farthest point is one of its ends.
void InverseTable::build_cell(UInt32 cell) {
    const int lo[3] = {int(cell >> 10) * 8, int((cell >> 5) & 31) * 8, int(cell & 31) * 8};
    auto nearDist = [&](RGB8 e) {
        const int v[3] = {e.r, e.g, e.b};
        int d = 0;
        for (int k = 0; k < 3; ++k) {
            if (v[k] < lo[k]) d += square(lo[k] - v[k]);
            else if (v[k] > lo[k] + 7) d += square(v[k] - lo[k] - 7);
        }
        return d;
    };
    auto farDist = [&](RGB8 e) {
        const int v[3] = {e.r, e.g, e.b};
        int d = 0;
        for (int k = 0; k < 3; ++k) d += square(std::max(std::abs(v[k] - lo[k]), std::abs(v[k] - lo[k] - 7)));
        return d;
    };
    int bound = 1 << 30;
    for (int i = 0; i < palette_.count; ++i) bound = std::min(bound, farDist(palette_.rgb[i]));
    cellStart_[cell] = UInt32(candidates_.size());
    for (int i = 0; i < palette_.count; ++i)
        if (nearDist(palette_.rgb[i]) <= bound) candidates_.push_back(UInt8(i));
    cellCount_[cell] = UInt16(candidates_.size() - cellStart_[cell]);
}

UInt8 InverseTable::nearest(RGB8 c) {
    if (palette_.count <= 0) return 0;
    UInt32 cell = (UInt32(c.r >> 3) << 10) | (UInt32(c.g >> 3) << 5) | UInt32(c.b >> 3);
    if (cellStart_[cell] == kUnbuilt) build_cell(cell);
    const UInt8* cand = candidates_.data() + cellStart_[cell];
    UInt16 n = cellCount_[cell];
    if (n == 1) return cand[0];
    UInt8 best = cand[0];
    int bestD = distance2(palette_.rgb[best], c);
    for (UInt16 k = 1; k < n; ++k) {
        int d = distance2(palette_.rgb[cand[k]], c);
        if (d < bestD) {
            bestD = d;
            best = cand[k];
        }
    }
    return best;
}

InverseTable& inverse_table(const Palette& p) {
    // Most recently used first; a handful of tables are ever live at once.
    static std::list<InverseTable> cache;
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->palette() == p) {
            if (it != cache.begin()) cache.splice(cache.begin(), cache, it);
            return cache.front();
        }
    }
    cache.emplace_front(p);
    if (cache.size() > 8) cache.pop_back();
    return cache.front();
}

}  // namespace platform::quickdraw
