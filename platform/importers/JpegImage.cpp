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
// Orientation: a camera that stores a picture taken on its side as it was
// sensed says how to show it in the Exif block (an APP1 segment starting
// "Exif\0\0", then a TIFF header and its first directory), tag 0x0112,
// 1 to 8: turned and mirrored as the tag says, the picture is measured and
// decoded upright. Missing or damaged Exif data leaves it as stored.
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

#include <algorithm>
#include <csetjmp>
#include <new>
#include <utility>

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

// The Exif orientation an APP1 segment's data gives: 1 (as stored) when it
// is no Exif block, names none, or is damaged.
int exif_orientation(std::span<const UInt8> app1) {
    static constexpr UInt8 kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (app1.size() < sizeof kExif || !std::equal(kExif, kExif + sizeof kExif, app1.begin())) return 1;
    const std::span<const UInt8> tiff = app1.subspan(sizeof kExif);
    if (tiff.size() < 8 || tiff[0] != tiff[1] || (tiff[0] != 'I' && tiff[0] != 'M')) return 1;
    const bool little = tiff[0] == 'I';
    auto u16 = [&](size_t at) { return little ? UInt32(tiff[at] | tiff[at + 1] << 8) : UInt32(tiff[at] << 8 | tiff[at + 1]); };
    auto u32 = [&](size_t at) { return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2); };
    const size_t directory = u32(4);
    if (u16(2) != 42 || directory > tiff.size() - 2) return 1;
    const size_t entries = std::min<size_t>(u16(directory), (tiff.size() - directory - 2) / 12);
    for (size_t i = 0; i < entries; ++i) {
        const size_t e = directory + 2 + 12 * i;
        if (u16(e) != 0x0112) continue;
        const UInt32 v = u16(e + 8);   // a SHORT, at the start of the value field
        return u16(e + 2) == 3 && u32(e + 4) == 1 && v >= 1 && v <= 8 ? int(v) : 1;
    }
    return 1;
}

// Where stored pixel (x, y) of a w x h picture is shown, by Exif orientation.
std::pair<size_t, size_t> oriented(int orientation, size_t x, size_t y, size_t w, size_t h) {
    switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {h - 1 - y, x};
    case 7: return {h - 1 - y, w - 1 - x};
    case 8: return {y, w - 1 - x};
    default: return {x, y};
    }
}

struct JpegJob {
    std::span<const UInt8> file;
    bool headerOnly = false;
    ImageInfo info;        // as stored
    int orientation = 1;
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
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m && job->orientation == 1; m = m->next)
        job->orientation = exif_orientation({m->data, m->data_length});

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
    if (job.orientation >= 5) std::swap(job.info.width, job.info.height);
    return job.info;
}

Result<DecodedImage> decode_jpeg(std::span<const UInt8> file) {
    if (!has_signature(file)) return fail(codecBadDataErr, "not a JPEG file");
    std::vector<UInt8> rgb;
    JpegJob job;
    job.file = file;
    job.rgb = &rgb;
    if (!run(&job)) return job.error;
    const size_t w = size_t(job.info.width), h = size_t(job.info.height);
    DecodedImage image = TRY(job.orientation >= 5 ? make_white_image(h, w) : make_white_image(w, h));
    const UInt8* src = rgb.data();
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x, src += 3) {
            const auto [to_x, to_y] = oriented(job.orientation, x, y, w, h);
            put_pixel(image.row(SInt32(to_y)) + to_x * 4, src[0], src[1], src[2]);
        }
    return image;
}

}  // namespace platform::importers
