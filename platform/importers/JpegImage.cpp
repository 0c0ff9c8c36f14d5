// JPEG through libjpeg (libjpeg-turbo), from memory.
//
// Layout (for reference): markers FF xx; SOI FF D8 first, then segments
// (marker, length u16be including itself, data): APPn, DQT, SOFn (precision
// u8, height u16, width u16, components u8, ...), DHT, SOS and the entropy-
// coded data, EOI FF D9 last. libjpeg parses all of it.
//
// Output: RGB for YCbCr, RGB and greyscale images (grey copied to R, G and
// B), with libjpeg's default decoding (integer DCT, fancy upsampling), so
// the pixels are exactly libjpeg's own. CMYK and YCCK images are refused
// (codecUnimpErr): their inks need colour management we do not do.
//
// Errors: libjpeg's error_exit jumps back to the setjmp in run(), which
// holds no object with a destructor across the calls that may jump. A file
// that ends before its image does ("premature end") is refused, not shown
// half grey; other warnings (stray bytes before a marker) are tolerated.
// A progress monitor caps the number of scans of a progressive file, so a
// tiny file cannot keep the decoder busy for minutes.
#include <cstdio>   // jpeglib.h needs FILE and size_t first
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <new>

#include "platform/importers/ImageFormats.h"

namespace platform::importers {
namespace {

constexpr int kMaxScans = 256;

struct JpegErrors {
    jpeg_error_mgr base;   // first: libjpeg hands us a pointer to it
    jmp_buf jump;
    Error error{codecBadDataErr, "damaged JPEG data"};
};

[[noreturn]] void on_error_exit(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    longjmp(errors->jump, 1);
}

void on_message(j_common_ptr cinfo, int level) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    if (level < 0 && errors->base.msg_code == JWRN_JPEG_EOF) {
        errors->error = fail(codecBadDataErr, "JPEG data ends early");
        longjmp(errors->jump, 1);
    }
}

void on_progress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans) {
            auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
            errors->error = fail(codecBadDataErr, "JPEG file with too many scans");
            longjmp(errors->jump, 1);
        }
    }
}

struct JpegJob {
    std::span<const UInt8> file;
    bool headerOnly = false;
    ImageInfo info;
    Error error{codecBadDataErr, "damaged JPEG data"};
    std::vector<UInt8>* rgb = nullptr;   // width * 3 bytes per row
};

bool allocate(JpegJob* job, size_t bytes) {
    try {
        job->rgb->resize(bytes);
        return true;
    } catch (const std::bad_alloc&) {
        job->error = fail(memFullErr, "no memory for the JPEG's pixels");
        return false;
    }
}

bool run(JpegJob* job) {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = on_error_exit;
    errors.base.emit_message = on_message;
    progress.progress_monitor = on_progress;
    if (setjmp(errors.jump)) {
        job->error = errors.error;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, job->file.data(), (unsigned long)job->file.size());
    jpeg_read_header(&cinfo, TRUE);

    auto dims = checked_dimensions(cinfo.image_width, cinfo.image_height);
    if (!dims.ok()) {
        job->error = dims.error();
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    job->info = *dims;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        job->error = fail(codecUnimpErr, "CMYK JPEG images are not supported");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (job->headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const size_t rowBytes = size_t(cinfo.output_width) * 3;
    if (cinfo.output_components != 3 ||
        !allocate(job, rowBytes * cinfo.output_height)) {
        if (cinfo.output_components != 3) job->error = fail(codecUnimpErr, "JPEG colour space");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = job->rgb->data() + size_t(cinfo.output_scanline) * rowBytes;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool has_signature(std::span<const UInt8> file) {
    return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

}  // namespace

Result<ImageInfo> probe_jpeg(std::span<const UInt8> file) {
    if (!has_signature(file)) return fail(codecBadDataErr, "not a JPEG file");
    JpegJob job;
    job.file = file;
    job.headerOnly = true;
    if (!run(&job)) return job.error;
    return job.info;
}

Result<DecodedImage> decode_jpeg(std::span<const UInt8> file) {
    if (!has_signature(file)) return fail(codecBadDataErr, "not a JPEG file");
    std::vector<UInt8> rgb;
    JpegJob job;
    job.file = file;
    job.rgb = &rgb;
    if (!run(&job)) return job.error;
    DecodedImage image = TRY(make_white_image(job.info.width, job.info.height));
    const UInt8* src = rgb.data();
    UInt8* dst = image.pixels.data();
    for (size_t i = 0, n = size_t(image.width) * size_t(image.height); i < n; ++i, src += 3, dst += 4)
        put_pixel(dst, src[0], src[1], src[2]);
    return image;
}

}  // namespace platform::importers
