// The H.264 encoder behind export: libx264 through libavcodec.
/*
 * Annex B (what libx264 gives): NAL units each behind a start code
 * 00 00 01 (or 00 00 00 01). Stored in a movie file ('avc1'), each NAL
 * unit is behind its length instead (4 bytes, big-endian) and the
 * parameter sets go into the description's avcC:
 *
 *   avcC  configuration version u8 (1), profile u8, profile compatibility
 *         u8, level u8 (the SPS's bytes 1-3), 0xFC | (length size - 1) u8,
 *         0xE0 | SPS count u8, per SPS: length u16 + bytes, PPS count u8,
 *         per PPS: length u16 + bytes
 *
 * NAL unit type is the low 5 bits of its first byte: 7 SPS, 8 PPS.
 */
#include "platform/export/H264Encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <mutex>
#include <string>

#include "platform/core/FourCC.h"
#include "platform/core/Bytes.h"

namespace platform::exporting {

namespace {

// The NAL units of an Annex B stream, without their start codes.
std::vector<std::span<const UInt8>> nal_units(std::span<const UInt8> s) {
    std::vector<std::span<const UInt8>> units;
    size_t i = 0, start = SIZE_MAX;
    while (i + 3 <= s.size()) {
        if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
            if (start != SIZE_MAX) {
                size_t end = i;
                while (end > start && s[end - 1] == 0) --end;   // the 4-byte start code's zero
                units.push_back(s.subspan(start, end - start));
            }
            i += 3;
            start = i;
        } else {
            ++i;
        }
    }
    if (start != SIZE_MAX && start < s.size()) units.push_back(s.subspan(start));
    return units;
}

void put_u16(std::vector<UInt8>& out, size_t v) {
    out.push_back(UInt8(v >> 8));
    out.push_back(UInt8(v));
}

bool is_hd(SInt32 height) { return height > 576; }

}  // namespace

void quiet_libraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

std::vector<UInt8> annexb_to_length_prefixed(std::span<const UInt8> stream) {
    std::vector<UInt8> out;
    out.reserve(stream.size() + 16);
    for (auto nal : nal_units(stream)) {
        UInt8 len[4];
        store_u32be(len, UInt32(nal.size()));
        out.insert(out.end(), len, len + 4);
        out.insert(out.end(), nal.begin(), nal.end());
    }
    return out;
}

std::vector<UInt8> avc_configuration(std::span<const UInt8> stream) {
    std::vector<std::span<const UInt8>> sps, pps;
    for (auto nal : nal_units(stream)) {
        if (nal.empty() || nal.size() > 0xFFFF) continue;
        const int type = nal[0] & 0x1F;
        if (type == 7 && nal.size() >= 4) sps.push_back(nal);
        if (type == 8) pps.push_back(nal);
    }
    if (sps.empty() || sps.size() > 31 || pps.size() > 255) return {};
    std::vector<UInt8> c{1, sps[0][1], sps[0][2], sps[0][3], 0xFF, UInt8(0xE0 | sps.size())};
    for (auto s : sps) {
        put_u16(c, s.size());
        c.insert(c.end(), s.begin(), s.end());
    }
    c.push_back(UInt8(pps.size()));
    for (auto p : pps) {
        put_u16(c, p.size());
        c.insert(c.end(), p.begin(), p.end());
    }
    return c;
}

struct H264Encoder::State {
    H264Settings settings;
    SInt32 coded_width = 0, coded_height = 0;
    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    std::vector<UInt8> padded;   // the picture grown to even sizes

    ~State() {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }
};

H264Encoder::H264Encoder(std::unique_ptr<State> s) : s_(std::move(s)) {}
H264Encoder::~H264Encoder() = default;

Result<std::unique_ptr<H264Encoder>> H264Encoder::open(const H264Settings& settings) {
    if (settings.width < 1 || settings.height < 1 || settings.width > 16384 || settings.height > 16384 ||
        settings.time_scale == 0 || settings.time_scale > 0x7FFFFFFF)
        return fail(paramErr, "no picture size for H.264");
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) return fail(noCodecErr, "the installed libraries have no H.264 encoder (libx264)");

    auto s = std::make_unique<State>();
    s->settings = settings;
    s->coded_width = (settings.width + 1) & ~1;
    s->coded_height = (settings.height + 1) & ~1;
    s->context = avcodec_alloc_context3(codec);
    s->frame = av_frame_alloc();
    s->packet = av_packet_alloc();
    if (!s->context || !s->frame || !s->packet) return fail(memFullErr, "no memory for the H.264 encoder");

    AVCodecContext* c = s->context;
    c->width = s->coded_width;
    c->height = s->coded_height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, int(settings.time_scale)};
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    c->thread_count = 0;
    const bool hd = is_hd(settings.height);
    c->color_primaries = hd ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
    c->color_trc = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    c->colorspace = hd ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    c->color_range = AVCOL_RANGE_MPEG;
    av_opt_set(c->priv_data, "preset", settings.preset, 0);
    av_opt_set(c->priv_data, "crf", std::to_string(settings.crf).c_str(), 0);
    quiet_libraries();
    if (avcodec_open2(c, codec, nullptr) < 0) return fail(codecErr, "the H.264 encoder refused its settings");

    s->frame->format = AV_PIX_FMT_YUV420P;
    s->frame->width = c->width;
    s->frame->height = c->height;
    if (av_frame_get_buffer(s->frame, 0) < 0) return fail(memFullErr, "no memory for a picture to encode");

    s->scaler = sws_getContext(c->width, c->height, AV_PIX_FMT_ARGB, c->width, c->height, AV_PIX_FMT_YUV420P,
                               SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
    if (!s->scaler) return fail(codecErr, "no colour conversion for H.264");
    const int* matrix = sws_getCoefficients(hd ? SWS_CS_ITU709 : SWS_CS_ITU601);
    sws_setColorspaceDetails(s->scaler, matrix, 1, matrix, 0, 0, 1 << 16, 1 << 16);
    return std::unique_ptr<H264Encoder>(new H264Encoder(std::move(s)));
}

Result<void> H264Encoder::encode(const codecs::ConstPixelView& picture, SInt64 pts, std::vector<EncodedUnit>& out) {
    State& s = *s_;
    if (picture.depth != 32 || picture.width != s.settings.width || picture.height != s.settings.height)
        return fail(paramErr, "a picture of another size than the encoder's");
    const UInt8* base = picture.base;
    int stride = picture.rowBytes;
    if (s.coded_width != picture.width || s.coded_height != picture.height) {
        // Repeat the last column and row into the padding, so that it
        // costs next to nothing to code and bleeds nothing into the edge.
        const size_t row = size_t(s.coded_width) * 4;
        s.padded.resize(row * size_t(s.coded_height));
        for (SInt32 y = 0; y < s.coded_height; ++y) {
            const UInt8* src = picture.base + size_t(std::min(y, picture.height - 1)) * size_t(picture.rowBytes);
            UInt8* dst = s.padded.data() + size_t(y) * row;
            std::memcpy(dst, src, size_t(picture.width) * 4);
            if (s.coded_width > picture.width) std::memcpy(dst + size_t(picture.width) * 4, dst + size_t(picture.width - 1) * 4, 4);
        }
        base = s.padded.data();
        stride = int(row);
    }
    if (av_frame_make_writable(s.frame) < 0) return fail(memFullErr, "no memory for a picture to encode");
    const UInt8* src[4] = {base, nullptr, nullptr, nullptr};
    const int src_stride[4] = {stride, 0, 0, 0};
    sws_scale(s.scaler, src, src_stride, 0, s.coded_height, s.frame->data, s.frame->linesize);
    s.frame->pts = pts;
    if (avcodec_send_frame(s.context, s.frame) < 0) return fail(codecErr, "the H.264 encoder refused a picture");
    return drain(out);
}

Result<void> H264Encoder::finish(std::vector<EncodedUnit>& out) {
    if (avcodec_send_frame(s_->context, nullptr) < 0) return fail(codecErr, "the H.264 encoder could not finish");
    return drain(out);
}

Result<void> H264Encoder::drain(std::vector<EncodedUnit>& out) {
    for (;;) {
        const int r = avcodec_receive_packet(s_->context, s_->packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return ok();
        if (r < 0) return fail(codecErr, "the H.264 encoder failed");
        EncodedUnit u;
        u.data = annexb_to_length_prefixed({s_->packet->data, size_t(s_->packet->size)});
        u.pts = s_->packet->pts;
        u.dts = s_->packet->dts;
        u.key = (s_->packet->flags & AV_PKT_FLAG_KEY) != 0;
        av_packet_unref(s_->packet);
        if (u.data.size() > 0xFFFFFFFFu) return fail(codecErr, "an H.264 frame too large to store");
        out.push_back(std::move(u));
    }
}

movies::VideoDescription H264Encoder::description() const {
    const State& s = *s_;
    movies::VideoDescription d;
    d.codec = fourcc("avc1");
    d.width = SInt16(s.coded_width);
    d.height = SInt16(s.coded_height);
    d.name = "H.264";
    d.depth = 24;
    d.clut_id = -1;
    d.temporal_quality = d.spatial_quality = 0x200;   // codecNormalQuality
    const std::vector<UInt8> config =
        avc_configuration({s.context->extradata, size_t(std::max(s.context->extradata_size, 0))});
    auto atom = [&](OSType type, std::span<const UInt8> body) {
        UInt8 h[8];
        store_u32be(h, UInt32(body.size() + 8));
        store_u32be(h + 4, type);
        d.extensions.insert(d.extensions.end(), h, h + 8);
        d.extensions.insert(d.extensions.end(), body.begin(), body.end());
    };
    atom(fourcc("avcC"), config);
    const bool hd = is_hd(s.settings.height);
    const UInt8 code = hd ? 1 : 6;   // BT.709, else SMPTE 170M (BT.601)
    const UInt8 colr[11] = {'n', 'c', 'l', 'x', 0, code, 0, code, 0, code, 0};   // video range
    atom(fourcc("colr"), colr);
    if (s.coded_width != s.settings.width || s.coded_height != s.settings.height) {
        // The picture without its padding: width, height, and the offsets
        // of its centre from the coded picture's (-1/2 for a padded side).
        UInt8 clap[32];
        const SInt32 fields[8] = {s.settings.width, 1, s.settings.height, 1,
                                  s.settings.width - s.coded_width, 2, s.settings.height - s.coded_height, 2};
        for (int i = 0; i < 8; ++i) store_u32be(clap + 4 * i, UInt32(fields[i]));
        atom(fourcc("clap"), clap);
    }
    return d;
}

}  // namespace platform::exporting
