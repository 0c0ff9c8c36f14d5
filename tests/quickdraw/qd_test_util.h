// Small helpers for the QuickDraw tests: graphics worlds that clean up
// after themselves and direct pixel reads (written out here, independently
// of the drawing code's own pixel access).
#pragma once

#include <gtest/gtest.h>

#include "platform/QuickDraw.h"

namespace qdtest {

class GWorld {
public:
    GWorld(SInt16 depth, Rect bounds, CTabHandle table = nullptr) { err = NewGWorld(&gw, depth, &bounds, table, nullptr, 0); }
    ~GWorld() {
        if (gw) DisposeGWorld(gw);
    }
    GWorld(const GWorld&) = delete;
    GWorld& operator=(const GWorld&) = delete;

    GWorldPtr get() const { return gw; }
    const PixMap& pm() const { return **GetGWorldPixMap(gw); }
    const BitMap* bits() const { return GetPortBitMapForCopyBits(gw); }
    const UInt8* row(SInt16 v) const {
        return reinterpret_cast<const UInt8*>(pm().baseAddr) + (v - pm().bounds.top) * pm().rowBytes;
    }
    // The pixel value at local (h, v): an index, a 16-bit word, or 0x00RRGGBB.
    UInt32 at(SInt16 h, SInt16 v) const {
        const UInt8* r = row(v);
        int x = h - pm().bounds.left;
        switch (pm().pixelSize) {
        case 32: return (UInt32(r[4 * x + 1]) << 16) | (UInt32(r[4 * x + 2]) << 8) | r[4 * x + 3];
        case 16: return ((UInt32(r[2 * x]) << 8) | r[2 * x + 1]) & 0x7FFF;
        case 8: return r[x];
        default: {
            int d = pm().pixelSize;
            int bit = x * d;
            return (r[bit / 8] >> (8 - d - bit % 8)) & ((1 << d) - 1);
        }
        }
    }
    void set(SInt16 h, SInt16 v, UInt32 value) {
        UInt8* r = const_cast<UInt8*>(row(v));
        int x = h - pm().bounds.left;
        switch (pm().pixelSize) {
        case 32: for (int k = 0; k < 4; ++k) r[4 * x + k] = k ? UInt8(value >> (24 - 8 * k)) : 0xFF; break;
        case 16: r[2 * x] = UInt8(value >> 8); r[2 * x + 1] = UInt8(value); break;
        case 8: r[x] = UInt8(value); break;
        default: {
            int d = pm().pixelSize;
            int bit = x * d;
            int shift = 8 - d - bit % 8;
            r[bit / 8] = UInt8((r[bit / 8] & ~(((1 << d) - 1) << shift)) | (value << shift));
        }
        }
    }

    GWorldPtr gw = nullptr;
    OSErr err = noErr;
};

// Makes a port current for the life of the object, restoring the old one.
class UsePort {
public:
    explicit UsePort(CGrafPtr port) {
        GetGWorld(&oldPort, &oldDevice);
        SetGWorld(port, nullptr);
    }
    ~UsePort() { SetGWorld(oldPort, oldDevice); }

private:
    CGrafPtr oldPort = nullptr;
    GDHandle oldDevice = nullptr;
};

inline Rect rect(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) { return Rect{top, left, bottom, right}; }

}  // namespace qdtest
