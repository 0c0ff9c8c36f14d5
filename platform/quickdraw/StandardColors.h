// StandardColors.h — the standard colour tables of the indexed depths.
//
// These are the tables movie readers assume for colour table ID -1, and the
// default tables of indexed graphics worlds, so both sides must use exactly
// these values.
#pragma once

#include <span>

#include "platform/Types.h"

namespace platform::quickdraw {

struct RGB8 {
    UInt8 r, g, b;
    bool operator==(const RGB8&) const = default;
};

// Depth 1, 2, 4 or 8; an empty span for any other depth.
std::span<const RGB8> standard_palette(int depth);

}  // namespace platform::quickdraw
