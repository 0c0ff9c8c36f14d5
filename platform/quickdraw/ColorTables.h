// ColorTables.h — colour tables as the drawing code sees them, and the
// mapping from colours to the nearest index.
//
// A CTabHandle is a Memory Manager handle whose block is a ColorTable
// (host-order fields, ctSize + 1 ColorSpecs). Entry i describes index i;
// the `value` fields are written but not consulted.
//
// Nearest means the smallest squared distance in 8-bit RGB, ties going to
// the lowest index. Color2Index, fore and back colours and CopyBits all use
// this one rule, so a colour drawn by any of them lands on the same index.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/StandardColors.h"

namespace platform::quickdraw {

struct Palette {
    std::array<RGB8, 256> rgb{};   // entries past `count` are black
    int count = 0;
    bool operator==(const Palette&) const = default;
};

// The standard table of an indexed depth (1, 2, 4, 8).
Palette standard_palette_of(int depth);
// A grey ramp from white to black with 2^depth entries.
Palette grey_palette_of(int depth);

// The palette an indexed pixel map draws with: its own table, or the
// standard one of its depth when the table is missing or unreadable.
// Tables longer than the depth allows are cut to 2^depth entries.
Palette palette_of(const PixMap& pm);
// A table handle read into a palette of at most maxEntries entries; nothing
// when the handle is not a live handle or is shorter than ctSize says.
std::optional<Palette> read_color_table(CTabHandle table, int maxEntries);

// A new table handle holding these entries; nil (MemError set) when memory
// runs out.
CTabHandle new_color_table(std::span<const RGB8> entries, SInt32 seed);
CTabHandle new_color_table(const Palette& p, SInt32 seed);

// The nearest entry, by scanning every entry.
int nearest_index(const Palette& p, RGB8 c);

// Fast nearest-entry lookup with exactly the result of nearest_index. The
// RGB cube is cut into 32x32x32 cells; each cell keeps the entries that can
// be nearest to some colour inside it (every entry whose distance to the
// cell is at most the smallest worst-case distance of any entry), worked out
// the first time a colour in that cell is asked for.
class InverseTable {
public:
    explicit InverseTable(const Palette& p);
    UInt8 nearest(RGB8 c);
    const Palette& palette() const { return palette_; }

private:
    void build_cell(UInt32 cell);

    Palette palette_;
    static constexpr UInt32 kUnbuilt = 0xFFFFFFFF;
    std::vector<UInt32> cellStart_;   // into candidates_; kUnbuilt until first use
    std::vector<UInt16> cellCount_;
    std::vector<UInt8> candidates_;
};

// A shared inverse table for this palette (a few recent ones are kept).
InverseTable& inverse_table(const Palette& p);

}  // namespace platform::quickdraw
