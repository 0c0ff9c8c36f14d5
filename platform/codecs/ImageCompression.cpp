// ImageCompression.cpp — GetMaxCompressionSize and CompressImage.
//
// Both take the source area in the pixel map's bounds coordinates. The
// image is compressed at the pixel map's depth as one key frame. An indexed
// pixel map whose table is the standard one of its depth gets clutID -1;
// any other table is carried in the description after its fixed part
// (clutID 0), so the colours survive.
#include "platform/Compression.h"

#include <cstring>
#include <vector>

#include "platform/Memory.h"
#include "platform/codecs/Codec.h"
#include "platform/codecs/ImageDescriptionIO.h"
#include "platform/core/FourCC.h"
#include "platform/memory/MemoryInternal.h"
#include "platform/quickdraw/StandardColors.h"

namespace platform::codecs {
namespace {

constexpr OSType kVendor = fourcc("kino");
constexpr Fixed k72DotsPerInch = 0x00480000;

Result<Rect> source_rect(const PixMap& pm, const Rect* srcRect) {
    const Rect r = srcRect ? *srcRect : pm.bounds;
    if (r.right <= r.left || r.bottom <= r.top) return fail(paramErr, "empty source rectangle");
    if (SInt32(r.right) - r.left > 0x7FFF || SInt32(r.bottom) - r.top > 0x7FFF)
        return fail(paramErr, "source rectangle wider or taller than an image can be");
    return r;
}

// The pixel map's pixels inside r. Rows whose first pixel does not start
// a byte (a left edge inside a byte at 1, 2 or 4 bits) are copied, shifted,
// into `copy`.
Result<ConstPixelView> source_view(const PixMap& pm, const Rect& r, std::vector<UInt8>& copy) {
    const int depth = pm.pixelSize;
    const Rect& b = pm.bounds;
    const ConstPixelView whole(reinterpret_cast<const UInt8*>(pm.baseAddr), pm.rowBytes,
                               SInt32(b.right) - b.left, SInt32(b.bottom) - b.top, SInt16(depth));
    TRY(check_view(whole));
    if (r.left < b.left || r.top < b.top || r.right > b.right || r.bottom > b.bottom)
        return fail(paramErr, "source rectangle outside the pixel map");

    const SInt32 w = SInt32(r.right) - r.left, h = SInt32(r.bottom) - r.top;
    const size_t bitX = size_t(r.left - b.left) * size_t(depth);
    const UInt8* top = whole.row(r.top - b.top);
    if (bitX % 8 == 0) return ConstPixelView(top + bitX / 8, pm.rowBytes, w, h, SInt16(depth));

    const size_t rowBytes = visible_row_bytes(w, depth);
    copy.assign(rowBytes * size_t(h), 0);
    const unsigned mask = (1u << depth) - 1;
    for (SInt32 y = 0; y < h; ++y) {
        const UInt8* s = top + size_t(y) * size_t(pm.rowBytes);
        UInt8* d = copy.data() + size_t(y) * rowBytes;
        for (SInt32 x = 0; x < w; ++x) {
            const size_t sb = bitX + size_t(x) * depth, db = size_t(x) * depth;
            const unsigned v = (s[sb / 8] >> (8 - depth - sb % 8)) & mask;
            d[db / 8] |= UInt8(v << (8 - depth - db % 8));
        }
    }
    return ConstPixelView(copy.data(), SInt32(rowBytes), w, h, SInt16(depth));
}

// The pixel map's colour table when it is not the standard table of its
// depth (entries past 2^depth cannot be used and are left out); empty when
// it is, or when there is none.
std::vector<ColorSpec> custom_table(const PixMap& pm) {
    const int depth = pm.pixelSize;
    if (depth > 8 || !pm.pmTable || !*pm.pmTable) return {};
    const ColorTable* ct = *pm.pmTable;
    SInt64 count = SInt64(ct->ctSize) + 1;
    if (memory::is_handle(reinterpret_cast<Handle>(pm.pmTable))) {
        const Size size = GetHandleSize(reinterpret_cast<Handle>(pm.pmTable));
        const SInt64 room = size >= 8 ? (size - 8) / SInt64(sizeof(ColorSpec)) : 0;
        if (count > room) count = room;
    }
    if (count > (SInt64(1) << depth)) count = SInt64(1) << depth;
    if (count <= 0) return {};
    const ColorSpec* specs = ct->ctTable;

    const auto standard = quickdraw::standard_palette(depth);
    bool same = size_t(count) == standard.size();
    for (size_t i = 0; same && i < standard.size(); ++i) {
        const RGBColor& c = specs[i].rgb;
        same = (c.red >> 8) == standard[i].r && (c.green >> 8) == standard[i].g &&
               (c.blue >> 8) == standard[i].b;
    }
    if (same) return {};
    return std::vector<ColorSpec>(specs, specs + count);
}

// Writes a colour table in memory form (a ColorTable record, host order).
void put_table(UInt8* p, const std::vector<ColorSpec>& table) {
    const SInt32 seed = 0;
    const SInt16 flags = 0, size = SInt16(table.size() - 1);
    std::memcpy(p, &seed, 4);
    std::memcpy(p + 4, &flags, 2);
    std::memcpy(p + 6, &size, 2);
    std::memcpy(p + 8, table.data(), table.size() * sizeof(ColorSpec));
}

}  // namespace
}  // namespace platform::codecs

using namespace platform;
using namespace platform::codecs;

OSErr GetMaxCompressionSize(PixMapHandle src, const Rect* srcRect, SInt16 colorDepth,
                            CodecQ /*quality*/, CodecType cType, CompressorComponent /*codec*/,
                            SInt32* size) {
    if (!size || !src || !*src) return paramErr;
    auto r = source_rect(**src, srcRect);
    if (!r) return r.code();
    const int depth = colorDepth ? colorDepth : (**src).pixelSize;
    const Codec* codec = find_codec(cType);
    if (!codec) return noCodecErr;
    if (!codec->supports_depth(depth)) return paramErr;
    auto max = codec->max_size(SInt32(r->right) - r->left, SInt32(r->bottom) - r->top, depth);
    if (!max) return max.code();
    if (*max > 0x7FFFFFFF) return codecSizeErr;
    *size = SInt32(*max);
    return noErr;
}

OSErr CompressImage(PixMapHandle src, const Rect* srcRect, CodecQ quality, CodecType cType,
                    ImageDescriptionHandle desc, Ptr data) {
    if (!src || !*src || !(**src).baseAddr || !desc || !data) return paramErr;
    const PixMap& pm = **src;
    auto r = source_rect(pm, srcRect);
    if (!r) return r.code();
    const Codec* codec = find_codec(cType);
    if (!codec) return noCodecErr;
    const int depth = pm.pixelSize;
    if (!codec->supports_depth(depth)) return paramErr;

    std::vector<UInt8> copy;
    auto view = source_view(pm, *r, copy);
    if (!view) return view.code();
    auto max = codec->max_size(view->width, view->height, depth);
    if (!max) return max.code();

    const std::vector<ColorSpec> table = custom_table(pm);
    const size_t tableBytes = table.empty() ? 0 : 8 + table.size() * sizeof(ColorSpec);
    const Handle h = reinterpret_cast<Handle>(desc);
    SetHandleSize(h, Size(kImageDescriptionSize + tableBytes));
    if (MemError() != noErr) return MemError();

    auto size = codec->encode(*view, depth, nullptr,
                              std::span<UInt8>(reinterpret_cast<UInt8*>(data), *max));
    if (!size) return size.code();

    ImageDescription d{};
    d.idSize = SInt32(kImageDescriptionSize + tableBytes);
    d.cType = cType;
    d.vendor = SInt32(kVendor);
    d.temporalQuality = 0;
    d.spatialQuality = quality;
    d.width = SInt16(view->width);
    d.height = SInt16(view->height);
    d.hRes = k72DotsPerInch;
    d.vRes = k72DotsPerInch;
    d.dataSize = SInt32(*size);
    d.frameCount = 1;
    const size_t nameLength = std::strlen(codec->name());
    d.name[0] = UInt8(nameLength);
    std::memcpy(d.name + 1, codec->name(), nameLength);
    d.depth = SInt16(depth);
    d.clutID = table.empty() ? -1 : 0;
    std::memcpy(*h, &d, sizeof d);
    if (!table.empty()) put_table(reinterpret_cast<UInt8*>(*h) + kImageDescriptionSize, table);
    return noErr;
}
