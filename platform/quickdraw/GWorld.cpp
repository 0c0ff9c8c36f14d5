// Offscreen graphics worlds.
#include <new>

#include "platform/quickdraw/ColorTables.h"
#include "platform/quickdraw/Painter.h"
#include "platform/quickdraw/PixMaps.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"

using namespace platform::quickdraw;

namespace {

constexpr int kDeepestDepth = 32;   // the screen's

platform::Result<GWorldPtr> new_gworld(SInt16 pixelDepth, const Rect* boundsRect, CTabHandle cTable) {
    using platform::fail;
    if (!boundsRect) return fail(paramErr, "no bounds for the graphics world");
    int depth = pixelDepth == 0 ? kDeepestDepth : pixelDepth;
    if (!is_valid_depth(depth)) return fail(paramErr, "unsupported graphics world depth");
    const Rect& b = *boundsRect;
    SInt32 width = SInt32(b.right) - b.left, height = SInt32(b.bottom) - b.top;
    if (width <= 0 || height <= 0) return fail(paramErr, "empty graphics world bounds");

    SInt64 rowBytes = row_bytes_for(width, depth);
    SInt64 total = rowBytes * height;   // at most 32767 * 131068: no overflow in 64 bits
    if (total > 0x7FFFFFFF) return fail(memFullErr, "graphics world too large");

    Palette palette;
    if (is_indexed_depth(depth)) {
        palette = standard_palette_of(depth);
        if (cTable) {
            auto p = read_color_table(cTable, 1 << depth);
            if (!p || p->count == 0) return fail(paramErr, "unreadable colour table");
            palette = *p;
        }
    }

    std::unique_ptr<UInt8[]> pixels(new (std::nothrow) UInt8[size_t(total)]);
    if (!pixels) return fail(memFullErr, "no memory for the graphics world's pixels");
    UInt8* base = pixels.get();

    PixMapHandle pm = TRY(new_pixmap(reinterpret_cast<Ptr>(base), SInt32(rowBytes), b, depth,
                                     is_indexed_depth(depth) ? &palette : nullptr));
    // Erased to white.
    UInt32 white = depth == 32 ? pack32(RGB8{255, 255, 255})
                   : depth == 16 ? pack16(RGB8{255, 255, 255})
                                 : UInt32(nearest_index(palette, RGB8{255, 255, 255}));
    for (SInt32 y = 0; y < height; ++y) fill_span(base + size_t(y) * size_t(rowBytes), 0, width, depth, Fill{FillOp::set, white});

    auto port = GrafPort::create(PortKind::offscreen, pm, std::move(pixels));
    if (!port) {
        dispose_pixmap(pm);
        return port.error();
    }
    return to_grafptr(port->release());
}

}  // namespace

OSErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect, CTabHandle cTable,
                GDHandle /*aGDevice*/, GWorldFlags /*flags*/) {
    if (!offscreenGWorld) {
        set_qd_error(paramErr);
        return paramErr;
    }
    auto made = new_gworld(pixelDepth, boundsRect, cTable);
    *offscreenGWorld = made.ok() ? *made : nullptr;
    set_qd_error(made.code());
    return made.code();
}

void DisposeGWorld(GWorldPtr offscreenGWorld) {
    GrafPort* port = port_from(offscreenGWorld);
    if (port && port->kind() == PortKind::offscreen) delete port;
}

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld) { return GetPortPixMap(offscreenGWorld); }

// The pixels of a graphics world never move or get purged, so locking only
// says whether they are there.
Boolean LockPixels(PixMapHandle pm) { return pm && *pm && (**pm).baseAddr; }

void UnlockPixels(PixMapHandle) {}

Ptr GetPixBaseAddr(PixMapHandle pm) { return pm && *pm ? (**pm).baseAddr : nullptr; }

SInt32 GetPixRowBytes(PixMapHandle pm) { return pm && *pm ? (**pm).rowBytes : 0; }

SInt16 GetPixDepth(PixMapHandle pm) { return pm && *pm ? (**pm).pixelSize : 0; }
