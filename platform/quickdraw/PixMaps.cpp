// Pixel map records.
#include "platform/quickdraw/PixMaps.h"

#include "platform/Memory.h"
#include "platform/quickdraw/ColorTables.h"
#include "platform/quickdraw/PixelFormat.h"

namespace platform::quickdraw {

SInt64 row_bytes_for(SInt32 width, int depth) { return ((SInt64(width) * depth + 31) / 32) * 4; }

Result<PixMapHandle> new_pixmap(Ptr base, SInt32 rowBytes, const Rect& bounds, int depth, const Palette* table) {
    if (!is_valid_depth(depth)) return fail(paramErr, "unsupported pixel depth");
    SInt32 width = SInt32(bounds.right) - bounds.left;
    if (width < 0 || bounds.bottom < bounds.top || rowBytes < 0 || SInt64(rowBytes) * 8 < SInt64(width) * depth)
        return fail(paramErr, "pixel map rows too short for its bounds");

    CTabHandle ct;
    if (is_indexed_depth(depth))
        ct = new_color_table(table ? *table : standard_palette_of(depth), depth);
    else
        ct = new_color_table(std::span<const RGB8>{}, 0);
    if (!ct) return fail(memFullErr, "no memory for a colour table");

    Handle h = NewHandleClear(sizeof(PixMap));
    if (!h) {
        DisposeHandle(reinterpret_cast<Handle>(ct));
        return fail(memFullErr, "no memory for a pixel map");
    }
    PixMap& pm = *reinterpret_cast<PixMap*>(*h);
    pm.baseAddr = base;
    pm.rowBytes = rowBytes;
    pm.bounds = bounds;
    pm.pmVersion = 0;
    pm.packType = 0;
    pm.packSize = 0;
    pm.hRes = 72 << 16;
    pm.vRes = 72 << 16;
    pm.pixelSize = SInt16(depth);
    pm.pmTable = ct;
    pm.pmExt = nullptr;
    if (is_indexed_depth(depth)) {
        pm.pixelType = 0;
        pm.cmpCount = 1;
        pm.cmpSize = SInt16(depth);
        pm.pixelFormat = OSType(depth);   // k1Monochrome .. k8IndexedPixelFormat
    } else {
        pm.pixelType = RGBDirect;
        pm.cmpCount = 3;
        pm.cmpSize = depth == 32 ? 8 : 5;
        pm.pixelFormat = depth == 32 ? k32ARGBPixelFormat : k16BE555PixelFormat;
    }
    return reinterpret_cast<PixMapHandle>(h);
}

void dispose_pixmap(PixMapHandle pm) {
    if (!pm) return;
    if (*pm && (**pm).pmTable) DisposeHandle(reinterpret_cast<Handle>((**pm).pmTable));
    DisposeHandle(reinterpret_cast<Handle>(pm));
}

}  // namespace platform::quickdraw
