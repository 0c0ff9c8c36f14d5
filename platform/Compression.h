/*
 * Compression.h — image compression: codec types and qualities, the image
 * description that travels with every compressed image, and the calls that
 * size and compress one image from a pixel map.
 *
 * An ImageDescription lives in memory in host order, in a handle: the fixed
 * 86-byte record, then (only when clutID is 0) the colour table the indexed
 * image uses, as a ColorTable record in host order. idSize counts both. In
 * a movie file the same bytes are stored big-endian; platform/codecs/
 * ImageDescriptionIO.h converts between the two forms.
 */
#pragma once

#include "platform/QuickDraw.h"
#include "platform/Types.h"

typedef OSType CodecType;
typedef UInt16 CodecFlags;
typedef UInt32 CodecQ;

// Codec components. A compressor is chosen by codec type; 0 (anyCodec) lets
// the toolbox pick, as do the best* selectors.
typedef struct ComponentRecord* CodecComponent;
typedef CodecComponent CompressorComponent;
typedef CodecComponent DecompressorComponent;

#define anyCodec             ((CodecComponent)0)
#define bestSpeedCodec       ((CodecComponent)-1)
#define bestFidelityCodec    ((CodecComponent)-2)
#define bestCompressionCodec ((CodecComponent)-3)

enum : CodecQ {
    codecMinQuality      = 0x000,
    codecLowQuality      = 0x100,
    codecNormalQuality   = 0x200,
    codecHighQuality     = 0x300,
    codecMaxQuality      = 0x3FF,
    codecLosslessQuality = 0x400
};

enum : CodecType {
    kRawCodecType       = 0x72617720,   // 'raw '
    kAnimationCodecType = 0x726C6520    // 'rle '
};

#pragma pack(push, 2)
struct ImageDescription {
    SInt32 idSize;          // bytes of the whole description, colour table included
    CodecType cType;
    SInt32 resvd1;
    SInt16 resvd2;
    SInt16 dataRefIndex;
    SInt16 version;
    SInt16 revisionLevel;
    SInt32 vendor;
    CodecQ temporalQuality;
    CodecQ spatialQuality;
    SInt16 width;
    SInt16 height;
    Fixed hRes;
    Fixed vRes;
    SInt32 dataSize;        // bytes of the compressed image
    SInt16 frameCount;
    Str31 name;             // the codec's name, length-prefixed
    SInt16 depth;           // 1, 2, 4, 8, 16, 24, 32 (34, 36, 40: grey levels)
    SInt16 clutID;          // -1: the standard table of the depth; 0: a table follows
};
#pragma pack(pop)
static_assert(sizeof(ImageDescription) == 86, "the image description is 86 bytes");

typedef ImageDescription* ImageDescriptionPtr;
typedef ImageDescriptionPtr* ImageDescriptionHandle;

// A true upper bound of the bytes CompressImage writes for any image of
// srcRect's size at colorDepth (0: the source's depth) with that codec.
OSErr GetMaxCompressionSize(PixMapHandle src, const Rect* srcRect, SInt16 colorDepth,
                            CodecQ quality, CodecType cType, CompressorComponent codec,
                            SInt32* size);

// Compresses the srcRect area of the pixel map (in the pixel map's bounds
// coordinates) at the pixel map's depth into `data`, which must hold the
// size GetMaxCompressionSize reports, and fills `desc` (resizing it).
OSErr CompressImage(PixMapHandle src, const Rect* srcRect, CodecQ quality, CodecType cType,
                    ImageDescriptionHandle desc, Ptr data);

// Decodes one image (its size and dataSize from `desc`) and draws it into
// the destination pixel map: srcRect in the image's coordinates (nil = the
// whole image) is scaled to dstRect in the destination's, converted to its
// depth, with the transfer mode and an optional mask region. A damaged
// image gives codecBadDataErr and draws nothing.
OSErr DecompressImage(Ptr data, ImageDescriptionHandle desc, PixMapHandle dst, const Rect* srcRect,
                      const Rect* dstRect, SInt16 mode, RgnHandle mask);
