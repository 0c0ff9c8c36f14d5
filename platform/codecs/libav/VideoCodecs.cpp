#include "platform/codecs/libav/VideoCodecs.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/Components.h"
#include "platform/codecs/libav/CodecTable.h"
#include "platform/components/ComponentRegistry.h"
#include "platform/core/FourCC.h"

namespace platform::codecs::libav {

namespace {

const VideoCodec kVideoCodecs[] = {
    {fourcc("avc1"), AV_CODEC_ID_H264, "H.264"},
    {fourcc("avc3"), AV_CODEC_ID_H264, "H.264"},
    {fourcc("hvc1"), AV_CODEC_ID_HEVC, "HEVC"},
    {fourcc("hev1"), AV_CODEC_ID_HEVC, "HEVC"},
    {fourcc("av01"), AV_CODEC_ID_AV1, "AV1"},
    {fourcc("vp09"), AV_CODEC_ID_VP9, "VP9"},
    {fourcc("vp08"), AV_CODEC_ID_VP8, "VP8"},
    {fourcc("mp4v"), AV_CODEC_ID_MPEG4, "MPEG-4 Video"},
    {fourcc("apch"), AV_CODEC_ID_PRORES, "ProRes 422 HQ"},
    {fourcc("apcn"), AV_CODEC_ID_PRORES, "ProRes 422"},
    {fourcc("apcs"), AV_CODEC_ID_PRORES, "ProRes 422 LT"},
    {fourcc("apco"), AV_CODEC_ID_PRORES, "ProRes 422 Proxy"},
    {fourcc("ap4h"), AV_CODEC_ID_PRORES, "ProRes 4444"},
    {fourcc("ap4x"), AV_CODEC_ID_PRORES, "ProRes 4444 XQ"},
    {fourcc("jpeg"), AV_CODEC_ID_MJPEG, "Photo - JPEG"},
    {fourcc("mjpa"), AV_CODEC_ID_MJPEG, "Motion JPEG A"},
    {fourcc("mjpb"), AV_CODEC_ID_MJPEGB, "Motion JPEG B"},
    {fourcc("png "), AV_CODEC_ID_PNG, "PNG"},
    {fourcc("tiff"), AV_CODEC_ID_TIFF, "TIFF"},
    {fourcc("gif "), AV_CODEC_ID_GIF, "GIF"},
    {fourcc("cvid"), AV_CODEC_ID_CINEPAK, "Cinepak"},
    {fourcc("SVQ1"), AV_CODEC_ID_SVQ1, "Sorenson Video"},
    {fourcc("SVQ3"), AV_CODEC_ID_SVQ3, "Sorenson Video 3"},
    {fourcc("h263"), AV_CODEC_ID_H263, "H.263"},
    {fourcc("s263"), AV_CODEC_ID_H263, "H.263"},
    {fourcc("dvc "), AV_CODEC_ID_DVVIDEO, "DV - NTSC"},
    {fourcc("dvcp"), AV_CODEC_ID_DVVIDEO, "DV - PAL"},
    {fourcc("dvpp"), AV_CODEC_ID_DVVIDEO, "DVCPRO - PAL"},
    {fourcc("dv5n"), AV_CODEC_ID_DVVIDEO, "DVCPRO50 - NTSC"},
    {fourcc("dv5p"), AV_CODEC_ID_DVVIDEO, "DVCPRO50 - PAL"},
    {fourcc("dvh5"), AV_CODEC_ID_DVVIDEO, "DVCPRO HD 1080i50"},
    {fourcc("dvh6"), AV_CODEC_ID_DVVIDEO, "DVCPRO HD 1080i60"},
    {fourcc("dvhp"), AV_CODEC_ID_DVVIDEO, "DVCPRO HD 720p"},
    {fourcc("AVdn"), AV_CODEC_ID_DNXHD, "DNxHD"},
    {fourcc("mpeg"), AV_CODEC_ID_MPEG1VIDEO, "MPEG-1 Video"},
    {fourcc("mp1v"), AV_CODEC_ID_MPEG1VIDEO, "MPEG-1 Video"},
    {fourcc("m1v "), AV_CODEC_ID_MPEG1VIDEO, "MPEG-1 Video"},
    {fourcc("m2v1"), AV_CODEC_ID_MPEG2VIDEO, "MPEG-2 Video"},
    {fourcc("mp2v"), AV_CODEC_ID_MPEG2VIDEO, "MPEG-2 Video"},
    {fourcc("hdv2"), AV_CODEC_ID_MPEG2VIDEO, "HDV 1080i60"},
    {fourcc("hdv3"), AV_CODEC_ID_MPEG2VIDEO, "HDV 1080i50"},
    {fourcc("xdv7"), AV_CODEC_ID_MPEG2VIDEO, "XDCAM EX 720p30"},
    {fourcc("smc "), AV_CODEC_ID_SMC, "Graphics"},
    {fourcc("rpza"), AV_CODEC_ID_RPZA, "Video"},
    {fourcc("yuv2"), AV_CODEC_ID_RAWVIDEO, "Component Video", AV_PIX_FMT_YUYV422},
    {fourcc("2vuy"), AV_CODEC_ID_RAWVIDEO, "Component Y'CbCr 8-bit 4:2:2", AV_PIX_FMT_UYVY422},
    {fourcc("v210"), AV_CODEC_ID_V210, "Component Y'CbCr 10-bit 4:2:2"},
};

// Decoders a test hides (hide_video_decoder_for_testing).
std::mutex hidden_lock;
std::vector<AVCodecID> hidden_ids;

}  // namespace

const AVCodec* installed_decoder(AVCodecID id) {
    {
        std::lock_guard<std::mutex> lock(hidden_lock);
        if (std::find(hidden_ids.begin(), hidden_ids.end(), id) != hidden_ids.end()) return nullptr;
    }
    return avcodec_find_decoder(id);
}

void hide_video_decoder_for_testing(OSType codec, bool hidden) {
    const VideoCodec* c = find_video_codec(codec);
    if (!c) return;
    std::lock_guard<std::mutex> lock(hidden_lock);
    std::erase(hidden_ids, c->id);
    if (hidden) hidden_ids.push_back(c->id);
}

const VideoCodec* find_video_codec(OSType type) {
    for (const VideoCodec& c : kVideoCodecs)
        if (c.type == type) return &c;
    return nullptr;
}

bool is_libav_video(OSType codec) { return find_video_codec(codec) != nullptr; }

std::optional<std::string> video_codec_name(OSType codec) {
    const VideoCodec* c = find_video_codec(codec);
    if (!c) return std::nullopt;
    return std::string(c->name);
}

std::optional<std::string> missing_decoder(OSType codec) {
    const VideoCodec* c = find_video_codec(codec);
    if (!c) return "'" + fourcc_string(codec) + "' video is not decoded";
    if (installed_decoder(c->id)) return std::nullopt;
    return std::string(c->name) + " ('" + fourcc_string(codec) + "') video needs libavcodec's " +
           avcodec_get_name(c->id) + " decoder, which the installed libraries lack";
}

void register_decompressor_components() {
    class Decompressor final : public components::Instance {};
    for (const VideoCodec& c : kVideoCodecs) {
        const AVCodec* decoder = installed_decoder(c.id);
        if (!decoder) continue;
        components::register_component(
            {{decompressorComponentType, c.type, components::kManufacturer, 0, 0},
             c.name,
             std::string("Decompresses ") + c.name + " video (libavcodec " + decoder->name + ")",
             []() -> Result<std::unique_ptr<components::Instance>> {
                 return std::unique_ptr<components::Instance>(new Decompressor);
             }});
    }
}

}  // namespace platform::codecs::libav
