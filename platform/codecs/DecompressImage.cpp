// DecompressImage: one compressed image drawn into a pixel map.
//
// The image is decoded at its own depth into an offscreen world (with its
// colour table when the description carries one), then copied into the
// destination through CopyBits, which converts the depth, scales srcRect
// (in the image's coordinates, nil = the whole image) to dstRect (in the
// destination's coordinates) and honours the mode and the mask region.
#include <algorithm>
#include <cstring>

#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/QuickDraw.h"
#include "platform/codecs/Codec.h"
#include "platform/codecs/ImageDescriptionIO.h"

namespace {

using namespace platform;

// The colour table stored after the fixed part of a description
// (clutID 0), as a table handle; nil when there is none.
CTabHandle stored_table(ImageDescriptionHandle desc) {
    const ImageDescription& d = **desc;
    const Size size = GetHandleSize(reinterpret_cast<Handle>(desc));
    const Size start = codecs::kImageDescriptionSize;
    if (!codecs::has_color_table(d, size_t(std::max<Size>(0, std::min<Size>(size, d.idSize) - start)))) return nullptr;
    if (size < start + 8 || d.idSize < start + 8) return nullptr;
    SInt16 ctSize;
    std::memcpy(&ctSize, reinterpret_cast<const UInt8*>(*desc) + start + 6, 2);
    const Size bytes = 8 + (Size(ctSize) + 1) * Size(sizeof(ColorSpec));
    if (ctSize < 0 || start + bytes > size) return nullptr;
    Handle table = NewHandle(bytes);
    if (!table) return nullptr;
    std::memcpy(*table, reinterpret_cast<const UInt8*>(*desc) + start, size_t(bytes));
    return reinterpret_cast<CTabHandle>(table);
}

}  // namespace

OSErr DecompressImage(Ptr data, ImageDescriptionHandle desc, PixMapHandle dst, const Rect* srcRect,
                      const Rect* dstRect, SInt16 mode, RgnHandle mask) {
    if (!data || !desc || !*desc || !dst || !*dst || !dstRect) return paramErr;
    if (GetHandleSize(reinterpret_cast<Handle>(desc)) < Size(codecs::kImageDescriptionSize))
        return badImageDescription;
    const ImageDescription d = **desc;
    if (d.width <= 0 || d.height <= 0 || d.dataSize < 0) return badImageDescription;
    int depth = codecs::decoded_depth(d.depth);
    if (depth == 24) depth = 32;
    if (depth == 0) return badImageDescription;

    const Rect bounds = {0, 0, d.height, d.width};
    CTabHandle table = stored_table(desc);
    GWorldPtr world = nullptr;
    OSErr err = NewGWorld(&world, SInt16(depth), &bounds, table, nullptr, 0);
    if (table) DisposeHandle(reinterpret_cast<Handle>(table));
    if (err != noErr) return err;

    PixMapHandle pm = GetGWorldPixMap(world);
    LockPixels(pm);
    codecs::PixelView view{reinterpret_cast<UInt8*>((**pm).baseAddr), (**pm).rowBytes, d.width,
                           d.height, SInt16(depth)};
    auto decoded = codecs::decode_image(
        d, std::span<const UInt8>(reinterpret_cast<const UInt8*>(data), size_t(d.dataSize)), view);
    if (decoded) {
        const Rect* from = srcRect ? srcRect : &bounds;
        CopyBits(reinterpret_cast<const BitMap*>(*pm), reinterpret_cast<const BitMap*>(*dst), from,
                 dstRect, mode, mask);
        err = QDError();
    } else {
        err = decoded.code();
    }
    UnlockPixels(pm);
    DisposeGWorld(world);
    return err;
}
