// Fore and back colours, colour <-> index, standard colour tables.
#include "platform/Memory.h"
#include "platform/quickdraw/ColorTables.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"

using namespace platform::quickdraw;

namespace {

// The eight classic colours are the pure RGB colours (black and white, the
// primaries and their complements), all exact entries of the standard
// 8-bit table. Any other value gives black.
RGBColor classic_color(SInt32 color) {
    switch (color) {
    case whiteColor: return {0xFFFF, 0xFFFF, 0xFFFF};
    case redColor: return {0xFFFF, 0, 0};
    case greenColor: return {0, 0xFFFF, 0};
    case blueColor: return {0, 0, 0xFFFF};
    case cyanColor: return {0, 0xFFFF, 0xFFFF};
    case magentaColor: return {0xFFFF, 0, 0xFFFF};
    case yellowColor: return {0xFFFF, 0xFFFF, 0};
    case blackColor:
    default: return {0, 0, 0};
    }
}

}  // namespace

void ForeColor(SInt32 color) { current_port().fore = classic_color(color); }

void BackColor(SInt32 color) { current_port().back = classic_color(color); }

void RGBForeColor(const RGBColor* color) {
    if (color) current_port().fore = *color;
}

void RGBBackColor(const RGBColor* color) {
    if (color) current_port().back = *color;
}

void GetForeColor(RGBColor* color) {
    if (color) *color = current_port().fore;
}

void GetBackColor(RGBColor* color) {
    if (color) *color = current_port().back;
}

// Indexed ports: the nearest entry of the port's table. Direct ports: the
// pixel value itself (0x00RRGGBB at 32 bits, x1-5-5-5 at 16).
SInt32 Color2Index(const RGBColor* myColor) {
    if (!myColor) return 0;
    const PixMap& pm = current_port().pixmap();
    RGB8 c = to_rgb8(*myColor);
    switch (pm.pixelSize) {
    case 32: return SInt32(pack32(c) & 0x00FFFFFF);
    case 16: return SInt32(pack16(c));
    default: return nearest_index(palette_of(pm), c);
    }
}

void Index2Color(SInt32 index, RGBColor* aColor) {
    if (!aColor) return;
    const PixMap& pm = current_port().pixmap();
    switch (pm.pixelSize) {
    case 32: *aColor = to_rgb_color(unpack32(UInt32(index))); return;
    case 16: *aColor = to_rgb_color(unpack16(UInt32(index))); return;
    default: {
        Palette p = palette_of(pm);
        *aColor = index >= 0 && index < p.count ? to_rgb_color(p.rgb[index]) : RGBColor{0, 0, 0};
        return;
    }
    }
}

// 1, 2, 4, 8: the standard tables; 32 + depth: grey ramps.
CTabHandle GetCTable(SInt16 ctID) {
    Palette p;
    if (ctID == 1 || ctID == 2 || ctID == 4 || ctID == 8)
        p = standard_palette_of(ctID);
    else if (ctID == 33 || ctID == 34 || ctID == 36 || ctID == 40)
        p = grey_palette_of(ctID - 32);
    else {
        set_qd_error(paramErr);
        return nullptr;
    }
    CTabHandle h = new_color_table(p, ctID);
    set_qd_error(h ? noErr : memFullErr);
    return h;
}

void DisposeCTable(CTabHandle cTable) {
    if (cTable) DisposeHandle(reinterpret_cast<Handle>(cTable));
}
