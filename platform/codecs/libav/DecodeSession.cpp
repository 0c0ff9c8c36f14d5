#include "platform/codecs/libav/DecodeSession.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/codecs/libav/CodecTable.h"
#include "platform/core/FourCC.h"
#include "platform/movies/format/CodecConfig.h"

namespace platform::codecs::libav {

namespace {

void quiet_library_log() {
    static std::once_flag once;
    // Damaged samples are ours to report; the library's own complaints would
    // only clutter the terminal.
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// What 'mp4v' really holds, by its esds object type.
AVCodecID mpeg4_family(UInt8 object_type) {
    if (object_type >= 0x60 && object_type <= 0x65) return AV_CODEC_ID_MPEG2VIDEO;
    if (object_type == 0x6A) return AV_CODEC_ID_MPEG1VIDEO;
    if (object_type == 0x6C) return AV_CODEC_ID_MJPEG;
    return AV_CODEC_ID_MPEG4;
}

// libswscale's coefficient set for an ISO/ITU matrix code point; -1 for
// one it has none for (or unspecified).
int sws_matrix(int code) {
    switch (code) {
    case 1: return SWS_CS_ITU709;
    case 4: return SWS_CS_FCC;
    case 5: case 6: return SWS_CS_ITU601;
    case 7: return SWS_CS_SMPTE240M;
    case 9: case 10: return SWS_CS_BT2020;
    default: return -1;
    }
}

// The full-range formats libswscale calls deprecated, as their plain
// counterparts (the range goes to the colour details instead).
AVPixelFormat plain_format(AVPixelFormat f, bool* full) {
    switch (f) {
    case AV_PIX_FMT_YUVJ420P: *full = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: *full = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: *full = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: *full = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: *full = true; return AV_PIX_FMT_YUV411P;
    default: return f;
    }
}

// B,G,R,A pixels to A,R,G,B, in place.
void turn_pixels(UInt8* row, SInt32 n) {
    SInt32 x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= n; x += 4) {
        auto* p = reinterpret_cast<__m128i*>(row + 4 * size_t(x));
        __m128i v = _mm_loadu_si128(p);
        v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));   // the bytes of each half
        v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));             // and the halves
        v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
        _mm_storeu_si128(p, v);
    }
#endif
    for (; x < n; ++x) {
        UInt32 v;
        std::memcpy(&v, row + 4 * size_t(x), 4);
        v = __builtin_bswap32(v);
        std::memcpy(row + 4 * size_t(x), &v, 4);
    }
}

size_t frame_bytes(const AVFrame* f) {
    size_t n = 0;
    for (const AVBufferRef* b : f->buf)
        if (b) n += b->size;
    return n;
}

}  // namespace

StreamSetup StreamSetup::from(const movies::VideoDescription& d) {
    StreamSetup s;
    s.codec = d.codec;
    s.width = d.width;
    s.height = d.height;
    s.depth = d.depth;
    const auto atoms = d.extension_atoms();
    s.config = movies::decoder_config(d.codec, atoms);
    if (auto esds = movies::find_atom(atoms, fourcc("esds"))) {
        if (auto es = movies::parse_esds(*esds); es.ok()) s.object_type = es->object_type;
    }
    s.colour = d.colour();
    return s;
}

struct DecodeSession::Impl {
    StreamSetup setup;
    const VideoCodec* known = nullptr;
    const AVCodec* decoder = nullptr;
    AVCodecContext* ctx = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;                 // what receive() fills
    std::deque<AVFrame*> pending;             // finished while a sample waited to go in
    std::vector<AVFrame*> shells;             // unused frames, kept for reuse
    std::vector<UInt8> buffer;                // the sample, padded as the decoder wants
    bool palette_due = true;

    struct Cached {
        SInt64 tag;
        AVFrame* frame;
        size_t bytes;
    };
    std::deque<Cached> cache;                 // oldest first
    size_t cache_bytes = 0;
    AVFrame* held = nullptr;                  // see hold()
    SInt64 held_tag = 0;

    SwsContext* sws = nullptr;
    SwsContext* sws_configured = nullptr;     // the context the colour details were set on
    int sws_cs = -2, sws_range = -2;

    ~Impl() {
        clear_cache();
        av_frame_free(&held);
        for (AVFrame* f : pending) av_frame_free(&f);
        for (AVFrame* f : shells) av_frame_free(&f);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&ctx);
        sws_freeContext(sws);
    }

    Result<void> open_context();

    AVFrame* shell() {
        if (shells.empty()) return av_frame_alloc();
        AVFrame* f = shells.back();
        shells.pop_back();
        return f;
    }
    void release(AVFrame* f) {
        av_frame_unref(f);
        shells.push_back(f);
    }
    void clear_cache() {
        for (Cached& c : cache) release(c.frame);
        cache.clear();
        cache_bytes = 0;
    }
    void keep(SInt64 tag, AVFrame* f) {
        for (auto it = cache.begin(); it != cache.end(); ++it) {
            if (it->tag != tag) continue;
            cache_bytes -= it->bytes;
            release(it->frame);
            cache.erase(it);
            break;
        }
        const size_t bytes = frame_bytes(f);
        while (!cache.empty() && (cache.size() >= setup.cache_frames || cache_bytes + bytes > setup.cache_bytes)) {
            cache_bytes -= cache.front().bytes;
            release(cache.front().frame);
            cache.pop_front();
        }
        cache.push_back({tag, f, bytes});
        cache_bytes += bytes;
    }
    const Cached* find(SInt64 tag) const {
        for (const Cached& c : cache)
            if (c.tag == tag) return &c;
        return nullptr;
    }
};

DecodeSession::DecodeSession(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
DecodeSession::~DecodeSession() = default;

Result<std::unique_ptr<DecodeSession>> DecodeSession::open(const StreamSetup& setup) {
    quiet_library_log();
    const VideoCodec* known = find_video_codec(setup.codec);
    if (!known) return fail(noCodecErr, "no decoder for that type");
    const AVCodecID id = setup.codec == fourcc("mp4v") ? mpeg4_family(setup.object_type) : known->id;
    const AVCodec* decoder = installed_decoder(id);
    if (!decoder) return fail(noCodecErr, "the installed libavcodec has no decoder for it");
    if (setup.width <= 0 || setup.height <= 0 || setup.config.size() > (1u << 24))
        return fail(badImageDescription, "image description without a usable size");

    auto impl = std::make_unique<Impl>();
    impl->setup = setup;
    impl->setup.cache_frames = std::max<size_t>(setup.cache_frames, 1);
    impl->known = known;
    impl->decoder = decoder;
    impl->packet = av_packet_alloc();
    impl->frame = av_frame_alloc();
    if (!impl->packet || !impl->frame) return fail(memFullErr, "no memory for a decoder");
    TRY(impl->open_context());
    return std::unique_ptr<DecodeSession>(new DecodeSession(std::move(impl)));
}

Result<void> DecodeSession::Impl::open_context() {
    avcodec_free_context(&ctx);
    ctx = avcodec_alloc_context3(decoder);
    if (!ctx) return fail(memFullErr, "no memory for a decoder");
    ctx->codec_tag = codec_tag(setup.codec);
    ctx->width = setup.width;
    ctx->height = setup.height;
    ctx->bits_per_coded_sample = setup.depth > 32 ? setup.depth - 32 : setup.depth;
    if (known->raw_format != AV_PIX_FMT_NONE) {
        ctx->pix_fmt = known->raw_format;
        ctx->bits_per_coded_sample = 16;
    }
    if (!setup.config.empty()) {
        ctx->extradata = static_cast<uint8_t*>(av_mallocz(setup.config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!ctx->extradata) return fail(memFullErr, "no memory for a decoder");
        std::memcpy(ctx->extradata, setup.config.data(), setup.config.size());
        ctx->extradata_size = int(setup.config.size());
    }
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    ctx->thread_count = setup.threads > 0 ? setup.threads : int(std::min(cores, 16u));
    ctx->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(ctx, decoder, nullptr) < 0)
        return fail(badImageDescription, "the decoder refuses the description");
    return ok();
}

Result<void> DecodeSession::send(std::span<const UInt8> sample, SInt64 tag, bool sync, bool wanted) {
    Impl& s = *impl_;
    if (sample.size() > size_t(INT_MAX) - AV_INPUT_BUFFER_PADDING_SIZE)
        return fail(codecBadDataErr, "sample too large");
    if (s.buffer.size() < sample.size() + AV_INPUT_BUFFER_PADDING_SIZE)
        s.buffer.resize(sample.size() + AV_INPUT_BUFFER_PADDING_SIZE);
    if (!sample.empty()) std::memcpy(s.buffer.data(), sample.data(), sample.size());
    std::memset(s.buffer.data() + sample.size(), 0, AV_INPUT_BUFFER_PADDING_SIZE);
    AVPacket* p = s.packet;
    p->data = s.buffer.data();
    p->size = int(sample.size());
    p->pts = tag;
    p->dts = AV_NOPTS_VALUE;
    // Some decoders read a frame that is not marked key as one built on the
    // previous (PNG: the previous image plus this one).
    p->flags = sync ? AV_PKT_FLAG_KEY : 0;
    if (s.palette_due && !s.setup.palette.empty()) {
        // The colour table goes with the first sample the decoder sees.
        const size_t n = std::min<size_t>(s.setup.palette.size(), 256);
        if (uint8_t* side = av_packet_new_side_data(p, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE)) {
            std::memset(side, 0, AVPALETTE_SIZE);
            std::memcpy(side, s.setup.palette.data(), n * 4);
        }
    }
    s.palette_due = false;
    // Frame threads take the setting with the packet.
    s.ctx->skip_frame = wanted ? AVDISCARD_DEFAULT : AVDISCARD_NONREF;
    int r = avcodec_send_packet(s.ctx, p);
    while (r == AVERROR(EAGAIN)) {
        // The decoder wants its finished frames taken first.
        AVFrame* f = s.shell();
        if (!f || avcodec_receive_frame(s.ctx, f) < 0) {
            if (f) s.release(f);
            break;
        }
        s.pending.push_back(f);
        r = avcodec_send_packet(s.ctx, p);
    }
    av_packet_unref(p);
    if (r < 0) return fail(codecBadDataErr, "damaged video sample");
    return ok();
}

void DecodeSession::end_of_stream() { avcodec_send_packet(impl_->ctx, nullptr); }

std::optional<DecodedFrame> DecodeSession::receive() {
    Impl& s = *impl_;
    AVFrame* f = nullptr;
    if (!s.pending.empty()) {
        f = s.pending.front();
        s.pending.pop_front();
    } else {
        f = s.shell();
        if (!f) return std::nullopt;
        if (avcodec_receive_frame(s.ctx, f) < 0) {
            s.release(f);
            return std::nullopt;
        }
    }
    DecodedFrame out;
    out.tag = f->pts != AV_NOPTS_VALUE ? f->pts : f->best_effort_timestamp;
    out.damaged = out.tag == AV_NOPTS_VALUE || f->decode_error_flags || (f->flags & AV_FRAME_FLAG_CORRUPT) ||
                  f->width <= 0 || f->height <= 0 || !f->data[0];
    if (out.damaged) s.release(f);
    else s.keep(out.tag, f);
    return out;
}

void DecodeSession::flush() {
    Impl& s = *impl_;
    for (AVFrame* f : s.pending) s.release(f);
    s.pending.clear();
    avcodec_flush_buffers(s.ctx);
    s.palette_due = true;
}

int DecodeSession::delay() const {
    const AVCodecContext* c = impl_->ctx;
    return std::max(0, c->has_b_frames) + std::max(0, c->delay) +
           ((c->active_thread_type & FF_THREAD_FRAME) ? std::max(0, c->thread_count - 1) : 0);
}

bool DecodeSession::cached(SInt64 tag) const { return impl_->find(tag) != nullptr; }

bool DecodeSession::hold(SInt64 tag) {
    Impl& s = *impl_;
    const Impl::Cached* c = s.find(tag);
    if (!c) return false;
    if (s.held && s.held_tag == tag && s.held->data[0] == c->frame->data[0]) return true;
    if (!s.held && !(s.held = av_frame_alloc())) return false;
    av_frame_unref(s.held);
    if (av_frame_ref(s.held, c->frame) < 0) return false;
    s.held_tag = tag;
    return true;
}

void DecodeSession::clear_cache() { impl_->clear_cache(); }

void DecodeSession::forget(SInt64 tag) {
    Impl& s = *impl_;
    for (auto it = s.cache.begin(); it != s.cache.end(); ++it) {
        if (it->tag != tag) continue;
        s.cache_bytes -= it->bytes;
        s.release(it->frame);
        s.cache.erase(it);
        return;
    }
}

size_t DecodeSession::cache_size() const { return impl_->cache.size(); }

Result<void> DecodeSession::convert(SInt64 tag, const PixelView& dst) {
    Impl& s = *impl_;
    const Impl::Cached* c = s.find(tag);
    const AVFrame* f = c ? c->frame : s.held && s.held_tag == tag && s.held->buf[0] ? s.held : nullptr;
    if (!f) return fail(paramErr, "that frame is not decoded");
    if (dst.depth != 32 || !dst.base || dst.width <= 0 || dst.height <= 0) return fail(paramErr, "not a 32-bit destination");
    bool full = false;
    const AVPixelFormat format = plain_format(AVPixelFormat(f->format), &full);
    // libswscale has fast paths to B,G,R,A bytes and none to A,R,G,B: the
    // bytes of each pixel are turned around after.
    s.sws = sws_getCachedContext(s.sws, f->width, f->height, format, dst.width, dst.height, AV_PIX_FMT_BGRA,
                                 SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!s.sws) return fail(codecBadDataErr, "no conversion from the decoded pixel format");
    const AVPixFmtDescriptor* pd = av_pix_fmt_desc_get(format);
    if (pd && !(pd->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) && pd->nb_components >= 3) {
        const StreamSetup& st = s.setup;
        int cs = st.colour ? sws_matrix(st.colour->matrix) : -1;
        if (cs < 0) cs = sws_matrix(f->colorspace);
        if (cs < 0) cs = (f->width >= 1280 || f->height > 576) ? SWS_CS_ITU709 : SWS_CS_ITU601;
        int range = full || f->color_range == AVCOL_RANGE_JPEG;
        if (st.colour && st.colour->full_range) range = *st.colour->full_range;
        if (s.sws != s.sws_configured || cs != s.sws_cs || range != s.sws_range) {
            sws_setColorspaceDetails(s.sws, sws_getCoefficients(cs), range, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                                     1 << 16, 1 << 16);
            s.sws_configured = s.sws;
            s.sws_cs = cs;
            s.sws_range = range;
        }
    }
    uint8_t* planes[4] = {dst.base, nullptr, nullptr, nullptr};
    int strides[4] = {dst.rowBytes, 0, 0, 0};
    const int picture_planes = pd ? av_pix_fmt_count_planes(format) : 0;
    if (dst.width != f->width || dst.height != f->height || picture_planes <= 0) {
        if (sws_scale(s.sws, f->data, f->linesize, 0, f->height, planes, strides) <= 0)
            return fail(codecBadDataErr, "the frame could not be converted");
        for (SInt32 y = 0; y < dst.height; ++y) turn_pixels(dst.row(y), dst.width);
        return ok();
    }
    // Unscaled, a few rows at a time: each strip is turned while it is
    // still in the processor's cache rather than in a second pass over the
    // whole picture.
    constexpr int kStrip = 32;   // rows; a multiple of every chroma subsampling
    int out = 0;
    for (int y = 0; y < f->height; y += kStrip) {
        const int rows = std::min(kStrip, f->height - y);
        // The strip's rows of each picture plane (a palette stays whole).
        const uint8_t* slice[4] = {f->data[0], f->data[1], f->data[2], f->data[3]};
        for (int p = 0; p < picture_planes; ++p) {
            const int sub = (p == 1 || p == 2) ? pd->log2_chroma_h : 0;
            slice[p] = f->data[p] + ptrdiff_t(y >> sub) * f->linesize[p];
        }
        const int made = sws_scale(s.sws, slice, f->linesize, y, rows, planes, strides);
        if (made < 0 || out + made > dst.height) return fail(codecBadDataErr, "the frame could not be converted");
        for (int r = out; r < out + made; ++r) turn_pixels(dst.row(r), dst.width);
        out += made;
    }
    if (out != dst.height) return fail(codecBadDataErr, "the frame could not be converted");
    return ok();
}

Result<void> decode_still(const StreamSetup& setup, std::span<const UInt8> data, const PixelView& dst) {
    StreamSetup one = setup;
    one.threads = 1;
    one.cache_frames = 1;
    auto session = TRY(DecodeSession::open(one));
    if (!session->send(data, 1, true).ok()) return fail(codecBadDataErr, "damaged image");
    session->end_of_stream();
    while (auto frame = session->receive()) {
        if (!frame->damaged) return session->convert(frame->tag, dst);
    }
    return fail(codecBadDataErr, "damaged image");
}

}  // namespace platform::codecs::libav

namespace platform::codecs::libav {

Result<void> decode_described_image(const ImageDescription& desc, std::span<const UInt8> data, const PixelView& dst) {
    if (!find_video_codec(desc.cType)) return fail(noCodecErr, "no codec of that type");
    if (dst.depth != 32) return fail(paramErr, "images of this codec decode to 32 bits");
    StreamSetup s;
    s.codec = desc.cType;
    s.width = desc.width;
    s.height = desc.height;
    s.depth = desc.depth;
    return decode_still(s, data, dst);
}

}  // namespace platform::codecs::libav
