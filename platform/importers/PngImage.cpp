// PNG through libpng, from memory.
//
// Layout (for reference): an 8-byte signature 89 50 4E 47 0D 0A 1A 0A, then
// chunks of length u32be, type 4 bytes, data, CRC u32be. IHDR comes first:
// width u32, height u32, bit depth u8, colour type u8, compression u8,
// filter u8, interlace u8. libpng checks the chunk structure and CRCs.
//
// Transforms, so every image arrives as 8-bit RGB or RGBA rows:
//   grey of 1, 2, 4 bits  expanded to 8 (0..max scaled to 0..255 exactly:
//                         x255, x85, x17), then grey copied to R, G and B
//   16-bit channels       reduced exactly (png_set_scale_16, see DecodedImage.h)
//   tRNS on grey or RGB   becomes alpha (0 for the transparent colour)
//   palette               read as indexes (packed depths unpacked) and looked
//                         up here, so an index past the palette is refused;
//                         the tRNS entries give the palette's alpha
// then alpha is composited on white. Gamma and colour-profile chunks are
// not applied: pixels are drawn as stored.
//
// libpng reports errors by longjmp to the setjmp in run(); run() holds no
// object with a destructor between setjmp and the calls that may jump, and
// everything it fills belongs to its caller.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/importers/ImageFormats.h"

namespace platform::importers {
namespace {

constexpr png_alloc_size_t kMaxChunkBytes = 8 * 1024 * 1024;   // ancillary chunks

struct PngJob {
    std::span<const UInt8> file;
    size_t pos = 0;
    bool headerOnly = false;

    // Filled by run().
    Error error{codecBadDataErr, "damaged PNG data"};
    ImageInfo info;
    size_t rowBytes = 0;
    int channels = 0;
    bool palette = false;
    int paletteSize = 0;
    png_color colors[256];
    UInt8 alphas[256];
    std::vector<UInt8>* buffer = nullptr;        // decoded rows
    std::vector<png_bytep>* rowPointers = nullptr;
};

void read_bytes(png_structp png, png_bytep to, size_t n) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (n > job->file.size() - job->pos) {
        job->error = fail(codecBadDataErr, "PNG data ends early");
        png_error(png, "truncated");
    }
    std::memcpy(to, job->file.data() + job->pos, n);
    job->pos += n;
}

[[noreturn]] void on_error(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void on_warning(png_structp, png_const_charp) {}

// Fills the caller's buffers; never lets a C++ exception cross libpng.
bool allocate(PngJob* job, size_t rowBytes, size_t height) {
    try {
        job->buffer->resize(rowBytes * height);
        job->rowPointers->resize(height);
        for (size_t y = 0; y < height; ++y) (*job->rowPointers)[y] = job->buffer->data() + y * rowBytes;
        return true;
    } catch (const std::bad_alloc&) {
        job->error = fail(memFullErr, "no memory for the PNG's pixels");
        return false;
    }
}

// Converts the transformed rows to xRGB pixels composited on white.
Result<void> convert(const PngJob& job, DecodedImage& img) {
    for (SInt32 y = 0; y < img.height; ++y) {
        const UInt8* src = job.buffer->data() + size_t(y) * job.rowBytes;
        UInt8* dst = img.row(y);
        for (SInt32 x = 0; x < img.width; ++x, dst += 4) {
            if (job.palette) {
                int index = src[x];
                if (index >= job.paletteSize)
                    return fail(codecBadDataErr, "PNG colour index past the palette");
                const png_color& c = job.colors[index];
                UInt32 a = job.alphas[index];
                put_pixel(dst, composite_on_white(c.red, a), composite_on_white(c.green, a),
                          composite_on_white(c.blue, a));
            } else {
                const UInt8* p = src + size_t(x) * job.channels;
                UInt32 a = job.channels == 4 ? p[3] : 255;
                put_pixel(dst, composite_on_white(p[0], a), composite_on_white(p[1], a),
                          composite_on_white(p[2], a));
            }
        }
    }
    return ok();
}

// Keeps what convert() needs once the reader is gone.
void keep_palette(PngJob* job, png_structp png, png_infop info) {
    png_colorp plte = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &plte, &count) && plte) {
        job->paletteSize = count > 256 ? 256 : count;
        std::memcpy(job->colors, plte, sizeof(png_color) * size_t(job->paletteSize));
    }
    std::memset(job->alphas, 255, sizeof job->alphas);
    png_bytep trans = nullptr;
    int transCount = 0;
    png_color_16p unused = nullptr;
    if (png_get_tRNS(png, info, &trans, &transCount, &unused) && trans)
        std::memcpy(job->alphas, trans, size_t(transCount > 256 ? 256 : transCount));
}

bool run(PngJob* job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, on_error, on_warning);
    if (!png) {
        job->error = fail(memFullErr, "no memory for the PNG reader");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        job->error = fail(memFullErr, "no memory for the PNG reader");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, job, read_bytes);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);   // our own check below
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    auto dims = checked_dimensions(width, height);
    if (!dims.ok()) {
        job->error = dims.error();
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    job->info = *dims;
    if (job->headerOnly) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }

    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_packing(png);
    } else {
        if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
        if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
        if (bitDepth == 16) png_set_scale_16(png);
        if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    if (!allocate(job, rowBytes, height)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_read_image(png, job->rowPointers->data());

    job->palette = colorType == PNG_COLOR_TYPE_PALETTE;
    if (job->palette) keep_palette(job, png, info);
    job->channels = png_get_channels(png, info);
    job->rowBytes = rowBytes;
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool has_signature(std::span<const UInt8> file) {
    return file.size() >= 8 && png_sig_cmp(file.data(), 0, 8) == 0;
}

}  // namespace

Result<ImageInfo> probe_png(std::span<const UInt8> file) {
    if (!has_signature(file)) return fail(codecBadDataErr, "not a PNG file");
    PngJob job;
    job.file = file;
    job.headerOnly = true;
    if (!run(&job)) return job.error;
    return job.info;
}

Result<DecodedImage> decode_png(std::span<const UInt8> file) {
    if (!has_signature(file)) return fail(codecBadDataErr, "not a PNG file");
    std::vector<UInt8> buffer;
    std::vector<png_bytep> rows;
    PngJob job;
    job.file = file;
    job.buffer = &buffer;
    job.rowPointers = &rows;
    if (!run(&job)) return job.error;
    DecodedImage image = TRY(make_white_image(job.info.width, job.info.height));
    TRY(convert(job, image));
    return image;
}

}  // namespace platform::importers
