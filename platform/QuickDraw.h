/*
 * QuickDraw.h — graphics ports, offscreen graphics worlds, pixel maps,
 * colour, drawing, text, regions, rectangles and cursors.
 *
 * Pixels are stored in memory in the classic big-endian layout whatever
 * the host: 32 bits = x, R, G, B bytes; 16 bits = x1-R5-G5-B5 big-endian;
 * 1, 2, 4 and 8 bits = colour-table indexes, most significant bits first.
 *
 * Ports are opaque; the system reaches their parts through accessors
 * (GetPortPixMap, GetPortBounds, GetPortVisibleRegion, ...). A port's
 * local coordinates map to its pixel map through the pixel map's bounds:
 * local point p is pixel (p.h - bounds.left, p.v - bounds.top). Every
 * drawing call is clipped to the port rectangle, the clip region and the
 * visible region.
 */
#pragma once

#include "platform/Errors.h"
#include "platform/Types.h"

// ---------------------------------------------------------------- colour

struct RGBColor {
    UInt16 red;
    UInt16 green;
    UInt16 blue;
};

struct ColorSpec {
    SInt16 value;
    RGBColor rgb;
};
typedef ColorSpec CSpecArray[1];

struct ColorTable {
    SInt32 ctSeed;
    SInt16 ctFlags;
    SInt16 ctSize;          // number of entries minus one
    CSpecArray ctTable;     // ctSize + 1 entries follow
};
typedef ColorTable* CTabPtr;
typedef CTabPtr* CTabHandle;

// The classic eight colours of ForeColor / BackColor.
enum {
    blackColor   = 33,
    whiteColor   = 30,
    redColor     = 205,
    greenColor   = 341,
    blueColor    = 409,
    cyanColor    = 273,
    magentaColor = 137,
    yellowColor  = 69
};

// ---------------------------------------------------------------- pixel maps

enum {
    RGBDirect = 16,                      // pixelType of direct-colour pixel maps
    k1MonochromePixelFormat = 0x00000001,
    k2IndexedPixelFormat    = 0x00000002,
    k4IndexedPixelFormat    = 0x00000004,
    k8IndexedPixelFormat    = 0x00000008,
    k16BE555PixelFormat     = 0x00000010,
    k24RGBPixelFormat       = 0x00000018,
    k32ARGBPixelFormat      = 0x00000020
};

// A BitMap is the head of a PixMap: every BitMap the platform hands out
// (GetPortBitMapForCopyBits) is the head of a full PixMap.
struct BitMap {
    Ptr baseAddr;
    SInt32 rowBytes;
    Rect bounds;
};
typedef BitMap* BitMapPtr;

struct PixMap {
    Ptr baseAddr;
    SInt32 rowBytes;        // bytes per row (no flag bits)
    Rect bounds;
    SInt16 pmVersion;
    SInt16 packType;
    SInt32 packSize;
    Fixed hRes;
    Fixed vRes;
    SInt16 pixelType;       // 0 indexed, RGBDirect for 16 and 32 bits
    SInt16 pixelSize;       // bits per pixel: 1, 2, 4, 8, 16, 32
    SInt16 cmpCount;
    SInt16 cmpSize;
    OSType pixelFormat;
    CTabHandle pmTable;
    void* pmExt;
};
typedef PixMap* PixMapPtr;
typedef PixMapPtr* PixMapHandle;

// ---------------------------------------------------------------- devices

struct GDevice {
    SInt16 gdRefNum;
    SInt16 gdID;
    SInt16 gdType;          // clutType 0, fixedType 1, directType 2
    SInt16 gdFlags;
    PixMapHandle gdPMap;
    SRefCon gdRefCon;
    Handle gdNextGD;
    Rect gdRect;            // global coordinates
    SInt32 gdMode;
};
typedef GDevice* GDPtr;
typedef GDPtr* GDHandle;

enum { clutType = 0, fixedType = 1, directType = 2 };

// ---------------------------------------------------------------- ports, regions

typedef struct OpaqueGrafPtr* GrafPtr;
typedef GrafPtr CGrafPtr;
typedef CGrafPtr GWorldPtr;
typedef GrafPtr Port;   // the platform's own name, for readability in tests

typedef struct OpaqueRgnHandle* RgnHandle;

typedef UInt32 GWorldFlags;
enum {
    pixPurge      = 1L << 0,
    noNewDevice   = 1L << 1,
    useTempMem    = 1L << 2,
    keepLocal     = 1L << 3,
    pixelsPurgeable = 1L << 6,
    pixelsLocked  = 1L << 7
};

// Transfer modes.
enum {
    srcCopy = 0,
    srcOr   = 1,
    srcXor  = 2,
    srcBic  = 3,
    notSrcCopy = 4,
    notSrcOr   = 5,
    notSrcXor  = 6,
    notSrcBic  = 7,
    patCopy = 8,
    patOr   = 9,
    patXor  = 10,
    patBic  = 11,
    notPatCopy = 12,
    notPatOr   = 13,
    notPatXor  = 14,
    notPatBic  = 15,
    ditherCopy = 64
};

// Text faces (TextFace takes a set of these bits).
enum {
    normal    = 0,
    bold      = 1,
    italic    = 2,
    underline = 4,
    outline   = 8,
    shadow    = 0x10,
    condense  = 0x20,
    extend    = 0x40
};

// Font numbers. The default font of every port is applFont (DejaVu Sans).
enum {
    systemFont = 0,
    applFont   = 1
};

struct FontInfo {
    SInt16 ascent;
    SInt16 descent;
    SInt16 widMax;
    SInt16 leading;
};

struct PenState {
    Point pnLoc;
    Point pnSize;
    SInt16 pnMode;
};

// ---------------------------------------------------------------- cursors

typedef UInt16 Bits16[16];
struct Cursor {
    Bits16 data;
    Bits16 mask;
    Point hotSpot;
};
typedef Cursor* CursPtr;
typedef CursPtr* CursHandle;

// ---------------------------------------------------------------- calls

OSErr QDError(void);

// Ports and graphics worlds
void GetPort(GrafPtr* port);
void SetPort(GrafPtr port);
void GetGWorld(CGrafPtr* port, GDHandle* gdh);
void SetGWorld(CGrafPtr port, GDHandle gdh);
// Depth 1, 2, 4, 8, 16 or 32 (0: 32, the screen's); pixels start white;
// indexed depths get a copy of cTable, or of the standard table when nil.
// The device and flags are accepted and not needed: pixels never move.
OSErr NewGWorld(GWorldPtr* offscreenGWorld, SInt16 pixelDepth, const Rect* boundsRect,
                CTabHandle cTable, GDHandle aGDevice, GWorldFlags flags);
void DisposeGWorld(GWorldPtr offscreenGWorld);
PixMapHandle GetPortPixMap(CGrafPtr port);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
Ptr GetPixBaseAddr(PixMapHandle pm);
SInt32 GetPixRowBytes(PixMapHandle pm);
SInt16 GetPixDepth(PixMapHandle pm);
Rect* GetPortBounds(CGrafPtr port, Rect* rect);
RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn);
RgnHandle GetPortClipRegion(CGrafPtr port, RgnHandle clipRgn);
void SetClip(RgnHandle rgn);
void GetClip(RgnHandle rgn);
void ClipRect(const Rect* r);
void SetOrigin(SInt16 h, SInt16 v);

// Devices
GDHandle GetMainDevice(void);
GDHandle GetMaxDevice(const Rect* globalRect);   // the deepest device meeting the rectangle
GDHandle GetGDevice(void);
void SetGDevice(GDHandle gdh);

// Colour
void ForeColor(SInt32 color);
void BackColor(SInt32 color);
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
SInt32 Color2Index(const RGBColor* myColor);     // nearest index in the current port's table
void Index2Color(SInt32 index, RGBColor* aColor);
CTabHandle GetCTable(SInt16 ctID);              // 1, 2, 4, 8 (and +32 for greys): standard tables
void DisposeCTable(CTabHandle cTable);

// Drawing
void EraseRect(const Rect* r);
void PaintRect(const Rect* r);
void FrameRect(const Rect* r);
void InvertRect(const Rect* r);
void EraseRgn(RgnHandle rgn);
void PaintRgn(RgnHandle rgn);
void InvertRgn(RgnHandle rgn);
void FrameRgn(RgnHandle rgn);
void PaintOval(const Rect* r);
void FrameOval(const Rect* r);
void MoveTo(SInt16 h, SInt16 v);
void Move(SInt16 dh, SInt16 dv);
void LineTo(SInt16 h, SInt16 v);
void Line(SInt16 dh, SInt16 dv);
void GetPen(Point* pt);
void PenSize(SInt16 width, SInt16 height);
void PenMode(SInt16 mode);
void PenNormal(void);
void GetPenState(PenState* pnState);
void SetPenState(const PenState* pnState);
// Any depth to any depth (nearest colours), scaled nearest-neighbour when the
// rectangles differ. Drawn only inside dstBits' bounds, the mask region
// (destination coordinates) and, when dstBits is a port's pixel map, that
// port's port rectangle, clip and visible regions. srcCopy and ditherCopy
// copy; srcOr copies non-white source pixels; srcXor inverts under them;
// srcBic paints the back colour under them. 1-bit sources are coloured with
// the current port's fore (1) and back (0) colours. Every BitMap is taken to
// be the head of a PixMap.
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* dstRect, SInt16 mode, RgnHandle maskRgn);

// Text: UTF-8 strings in DejaVu (see platform/quickdraw/Fonts.h for the
// font numbers); sizes in pixels, 0 = 12. The pen is on the baseline and
// moves right by the width drawn. Default mode srcOr.
void TextFont(SInt16 font);
void TextSize(SInt16 size);
void TextFace(SInt16 face);
void TextMode(SInt16 mode);
void DrawChar(CharParameter ch);
void DrawString(ConstStr255Param s);
void DrawText(const void* textBuf, SInt16 firstByte, SInt16 byteCount);
SInt16 StringWidth(ConstStr255Param s);
SInt16 TextWidth(const void* textBuf, SInt16 firstByte, SInt16 byteCount);
SInt16 CharWidth(CharParameter ch);
void GetFontInfo(FontInfo* info);

// Regions
RgnHandle NewRgn(void);
void DisposeRgn(RgnHandle rgn);
void CopyRgn(RgnHandle srcRgn, RgnHandle dstRgn);
void SetEmptyRgn(RgnHandle rgn);
void SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void RectRgn(RgnHandle rgn, const Rect* r);
void OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);
void InsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);
void SectRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
void UnionRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
void DiffRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
void XorRgn(RgnHandle srcRgnA, RgnHandle srcRgnB, RgnHandle dstRgn);
Boolean PtInRgn(Point pt, RgnHandle rgn);
Boolean RectInRgn(const Rect* r, RgnHandle rgn);
Boolean EmptyRgn(RgnHandle rgn);
Boolean EqualRgn(RgnHandle rgnA, RgnHandle rgnB);
Rect* GetRegionBounds(RgnHandle region, Rect* bounds);

// Rectangles and points
void SetRect(Rect* r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void OffsetRect(Rect* r, SInt16 dh, SInt16 dv);
void InsetRect(Rect* r, SInt16 dh, SInt16 dv);
Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect);
void UnionRect(const Rect* src1, const Rect* src2, Rect* dstRect);
Boolean PtInRect(Point pt, const Rect* r);
Boolean EmptyRect(const Rect* r);
Boolean EqualRect(const Rect* rect1, const Rect* rect2);
void Pt2Rect(Point pt1, Point pt2, Rect* dstRect);
void AddPt(Point src, Point* dst);
void SubPt(Point src, Point* dst);
Boolean EqualPt(Point pt1, Point pt2);
void LocalToGlobal(Point* pt);
void GlobalToLocal(Point* pt);

// Cursors
void InitCursor(void);
void SetCursor(const Cursor* crsr);
Cursor* GetQDGlobalsArrow(Cursor* arrow);
void HideCursor(void);
void ShowCursor(void);
void ObscureCursor(void);
