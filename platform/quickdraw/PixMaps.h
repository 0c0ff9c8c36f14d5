// PixMaps.h — making and releasing pixel map records.
#pragma once

#include "platform/QuickDraw.h"
#include "platform/core/Result.h"

namespace platform::quickdraw {

struct Palette;

// A new pixel map record (a Memory Manager handle whose block is the
// PixMap) describing pixels that already exist. Indexed depths get their
// own copy of `table` (the standard table of the depth when nil); direct
// depths an empty table (ctSize -1). Fails with paramErr for an unsupported
// depth or a row too short for the bounds, memFullErr without memory.
Result<PixMapHandle> new_pixmap(Ptr base, SInt32 rowBytes, const Rect& bounds, int depth,
                                const Palette* table = nullptr);
// The record and its colour table (never the pixels).
void dispose_pixmap(PixMapHandle pm);

// Bytes per row for a width at a depth: whole 32-bit words.
SInt64 row_bytes_for(SInt32 width, int depth);

}  // namespace platform::quickdraw
