// One libavcodec decoder per open decompressor, its frames converted by
// libswresample to interleaved float in one or two channels at the rate
// the media counts its time in (playback's resampler does the rest): the
// decoder's own rate but for spectral band replication (HE-AAC), whose
// output runs at twice the core rate the media's time scale is.
//
// The source's configuration becomes the decoder's extradata as it is:
// AudioSpecificConfig (AAC), the whole 'alac' atom, STREAMINFO (FLAC), the
// identification header (Opus). Damage the decoder notices ends the packet
// with nothing (AV_EF_EXPLODE), so playback keeps its span silent.
#include "platform/sound/libav/LibavSoundDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include "platform/core/FourCC.h"
#include "platform/sound/SoundDecoder.h"
#include "platform/sound/SoundFormats.h"

namespace platform::sound {
namespace {

// Frames one decoded frame of a packet may come out as (87 s at 48 kHz).
constexpr int kLongestOutput = 1 << 22;

AVCodecID pcm_codec(int bits, bool is_float, bool little, bool is_signed) {
    if (is_float) {
        if (bits == 32) return little ? AV_CODEC_ID_PCM_F32LE : AV_CODEC_ID_PCM_F32BE;
        if (bits == 64) return little ? AV_CODEC_ID_PCM_F64LE : AV_CODEC_ID_PCM_F64BE;
        return AV_CODEC_ID_NONE;
    }
    switch (bits) {
    case 8: return is_signed ? AV_CODEC_ID_PCM_S8 : AV_CODEC_ID_PCM_U8;
    case 16:
        if (is_signed) return little ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_S16BE;
        return little ? AV_CODEC_ID_PCM_U16LE : AV_CODEC_ID_PCM_U16BE;
    case 24:
        if (is_signed) return little ? AV_CODEC_ID_PCM_S24LE : AV_CODEC_ID_PCM_S24BE;
        return little ? AV_CODEC_ID_PCM_U24LE : AV_CODEC_ID_PCM_U24BE;
    case 32:
        if (is_signed) return little ? AV_CODEC_ID_PCM_S32LE : AV_CODEC_ID_PCM_S32BE;
        return little ? AV_CODEC_ID_PCM_U32LE : AV_CODEC_ID_PCM_U32BE;
    default: return AV_CODEC_ID_NONE;
    }
}

AVCodecID codec_for(const SoundSource& s) {
    switch (s.format) {
    case 'mp4a':
        switch (s.object_type) {
        case 0x69: case 0x6B: return AV_CODEC_ID_MP3;
        case 0xA5: return AV_CODEC_ID_AC3;
        case 0xA6: return AV_CODEC_ID_EAC3;
        case 0xAD: return AV_CODEC_ID_OPUS;
        default: return AV_CODEC_ID_AAC;
        }
    case '.mp3': return AV_CODEC_ID_MP3;
    case 'alac': return AV_CODEC_ID_ALAC;
    case 'fLaC': return AV_CODEC_ID_FLAC;
    case 'Opus': return AV_CODEC_ID_OPUS;
    case 'ac-3': return AV_CODEC_ID_AC3;
    case 'ec-3': return AV_CODEC_ID_EAC3;
    case 'ima4': return AV_CODEC_ID_ADPCM_IMA_QT;
    case 'MAC3': return AV_CODEC_ID_MACE3;
    case 'MAC6': return AV_CODEC_ID_MACE6;
    case 'ulaw': return AV_CODEC_ID_PCM_MULAW;
    case 'alaw': return AV_CODEC_ID_PCM_ALAW;
    case 'QDM2': return AV_CODEC_ID_QDM2;
    case 'Qclp': return AV_CODEC_ID_QCELP;
    case 'agsm': return AV_CODEC_ID_GSM;
    case 'samr': return AV_CODEC_ID_AMR_NB;
    case 'sawb': return AV_CODEC_ID_AMR_WB;
    case 'in24': return pcm_codec(24, false, s.little_endian, true);
    case 'in32': return pcm_codec(32, false, s.little_endian, true);
    case 'fl32': return pcm_codec(32, true, s.little_endian, true);
    case 'fl64': return pcm_codec(64, true, s.little_endian, true);
    case 'twos': return pcm_codec(s.bits, false, s.little_endian, true);
    case 'sowt': return pcm_codec(s.bits, false, true, true);
    case 'lpcm': return pcm_codec(s.bits, s.is_float, s.little_endian, !s.is_unsigned);
    default: return AV_CODEC_ID_NONE;
    }
}

UInt32 preroll_for(AVCodecID id, int rate) {
    switch (id) {
    case AV_CODEC_ID_AAC: return 2 * 1024;
    case AV_CODEC_ID_MP3: return 4 * 1152;       // the bit reservoir reaches back
    case AV_CODEC_ID_AC3: case AV_CODEC_ID_EAC3: return 1536;
    case AV_CODEC_ID_OPUS: return UInt32(rate) * 80 / 1000;   // the recommended 80 ms
    case AV_CODEC_ID_QDM2: case AV_CODEC_ID_MACE3: case AV_CODEC_ID_MACE6: return 1024;
    default: return 0;
    }
}

// Formats a test hides (hide_sound_decoder_for_testing).
std::mutex hidden_lock;
std::vector<OSType> hidden_formats;

bool hidden(OSType format) {
    std::lock_guard<std::mutex> lock(hidden_lock);
    return std::find(hidden_formats.begin(), hidden_formats.end(), format) != hidden_formats.end();
}

std::string what(const SoundSource& s) {
    const std::string name = sound_format_name(s.format, s.object_type);
    return (name.empty() ? "" : name + " ") + "('" + fourcc_string(s.format) + "') sound";
}

class LibavSoundDecoder final : public SoundDecoder {
public:
    ~LibavSoundDecoder() override { close(); }

    std::string configure(const SoundSource& s) override {
        close();
        const AVCodecID id = codec_for(s);
        if (id == AV_CODEC_ID_NONE)
            return what(s) + " of " + std::to_string(s.bits) + " bits" + (s.is_float ? " (float)" : "") +
                   " is not decoded";
        const AVCodec* codec = hidden(s.format) ? nullptr : avcodec_find_decoder(id);
        if (!codec)
            return what(s) + " needs libavcodec's " + avcodec_get_name(id) +
                   " decoder, which the installed libraries lack";
        if (s.channels < 1 || s.channels > 64 || !(s.rate >= 1 && s.rate <= 1e6))
            return what(s) + " of " + std::to_string(s.channels) + " channels at " +
                   std::to_string(long(s.rate)) + " Hz is not decoded";
        ctx_ = avcodec_alloc_context3(codec);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (!ctx_ || !frame_ || !packet_) return what(s) + " cannot be decoded: out of memory";
        ctx_->sample_rate = int(std::lround(s.rate));
        av_channel_layout_default(&ctx_->ch_layout, s.channels);
        ctx_->block_align = int(std::min<UInt32>(s.bytes_per_packet, 1 << 20));
        ctx_->bits_per_coded_sample = s.bits;
        ctx_->thread_count = 1;
        ctx_->err_recognition = AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER | AV_EF_EXPLODE;
        if (!s.config.empty()) {
            ctx_->extradata = static_cast<uint8_t*>(av_mallocz(s.config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!ctx_->extradata) return what(s) + " cannot be decoded: out of memory";
            std::memcpy(ctx_->extradata, s.config.data(), s.config.size());
            ctx_->extradata_size = int(s.config.size());
        }
        if (avcodec_open2(ctx_, codec, nullptr) < 0) {
            close();
            return what(s) + ": libavcodec's " + avcodec_get_name(id) + " decoder refuses its configuration";
        }
        channels_ = s.channels >= 2 ? 2 : 1;
        out_rate_ = s.media_rate >= 1 && s.media_rate <= 1e6 ? int(std::lround(s.media_rate)) : 0;
        preroll_ = preroll_for(id, ctx_->sample_rate);
        return {};
    }

    int channels() const override { return channels_; }
    UInt32 preroll_frames() const override { return preroll_; }

    bool decode(std::span<const UInt8> packet, std::vector<float>& out) override {
        if (!ctx_ || packet.empty() || packet.size() > (1u << 28)) return false;
        if (av_new_packet(packet_, int(packet.size())) < 0) return false;
        std::memcpy(packet_->data, packet.data(), packet.size());
        int r = avcodec_send_packet(ctx_, packet_);
        av_packet_unref(packet_);
        const size_t before = out.size();
        bool good = r >= 0;
        while (good && (r = avcodec_receive_frame(ctx_, frame_)) >= 0) {
            good = convert(out);
            av_frame_unref(frame_);
        }
        if (good && r != AVERROR(EAGAIN) && r != AVERROR_EOF) good = false;
        if (!good) {
            out.resize(before);
            reset();
        }
        return good;
    }

    void reset() override {
        if (ctx_) avcodec_flush_buffers(ctx_);
        swr_free(&swr_);
    }

private:
    // Appends the frame, as interleaved float in channels_ channels.
    bool convert(std::vector<float>& out) {
        const int n = frame_->nb_samples;
        if (n <= 0) return true;
        if (frame_->ch_layout.nb_channels <= 0) return false;
        if (!swr_ || frame_->format != in_format_ || frame_->sample_rate != in_rate_ ||
            av_channel_layout_compare(&frame_->ch_layout, &in_layout_) != 0) {
            swr_free(&swr_);
            av_channel_layout_uninit(&in_layout_);
            if (av_channel_layout_copy(&in_layout_, &frame_->ch_layout) < 0) return false;
            if (in_layout_.order == AV_CHANNEL_ORDER_UNSPEC) {
                const int count = in_layout_.nb_channels;
                av_channel_layout_uninit(&in_layout_);
                av_channel_layout_default(&in_layout_, count);
            }
            in_format_ = frame_->format;
            in_rate_ = frame_->sample_rate;
            AVChannelLayout out_layout;
            av_channel_layout_default(&out_layout, channels_);
            // To the media's rate, which playback counts frames in: band
            // replication doubles the decoder's rate, and some writers count
            // an 8 kHz track's time in 48 kHz units or a 44.1 kHz one's in
            // 90 kHz units. Never more than sixteen times the decoder's
            // rate: a description claiming 1 Hz in a 48 kHz media must not
            // make each packet 48000 times its size.
            const int64_t in = in_rate_, media = out_rate_;
            const bool to_media = media > 0 && in > 0 && media <= 16 * in;
            if (swr_alloc_set_opts2(&swr_, &out_layout, AV_SAMPLE_FMT_FLT, to_media ? out_rate_ : in_rate_, &in_layout_,
                                    AVSampleFormat(in_format_), in_rate_, 0, nullptr) < 0 ||
                swr_init(swr_) < 0) {
                swr_free(&swr_);
                return false;
            }
        }
        // No codec's packet holds more than a few seconds: one that would
        // come out longer (a damaged one, resampled) is refused.
        const int room = swr_get_out_samples(swr_, n);
        if (room < 0 || room > kLongestOutput) return false;
        const size_t at = out.size();
        out.resize(at + size_t(room) * size_t(channels_));
        uint8_t* dst = reinterpret_cast<uint8_t*>(out.data() + at);
        const int got = swr_convert(swr_, &dst, room, const_cast<const uint8_t**>(frame_->extended_data), n);
        if (got < 0) return false;
        out.resize(at + size_t(got) * size_t(channels_));
        // Damage a decoder passed over can still leave values no sound has.
        for (size_t i = at; i < out.size(); ++i)
            if (!std::isfinite(out[i])) out[i] = 0;
            else out[i] = std::clamp(out[i], -8.0f, 8.0f);
        return true;
    }

    void close() {
        swr_free(&swr_);
        av_channel_layout_uninit(&in_layout_);
        avcodec_free_context(&ctx_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        in_format_ = -1;
        in_rate_ = 0;
    }

    AVCodecContext* ctx_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwrContext* swr_ = nullptr;
    AVChannelLayout in_layout_{};
    int in_format_ = -1, in_rate_ = 0;
    int out_rate_ = 0;   // 0: the decoder's own
    int channels_ = 1;
    UInt32 preroll_ = 0;
};

struct Entry {
    OSType format;
    const char* name;
};

constexpr Entry kFormats[] = {
    {'mp4a', "MPEG-4 audio (AAC; MP3, AC-3, Opus), libavcodec"},
    {'.mp3', "MP3, libavcodec"},
    {'alac', "ALAC, libavcodec"},
    {'fLaC', "FLAC, libavcodec"},
    {'Opus', "Opus, libavcodec"},
    {'ac-3', "AC-3, libavcodec"},
    {'ec-3', "E-AC-3, libavcodec"},
    {'ima4', "IMA 4:1, libavcodec"},
    {'MAC3', "MACE 3:1, libavcodec"},
    {'MAC6', "MACE 6:1, libavcodec"},
    {'ulaw', "u-law, libavcodec"},
    {'alaw', "A-law, libavcodec"},
    {'in24', "24-bit integer PCM, libavcodec"},
    {'in32', "32-bit integer PCM, libavcodec"},
    {'fl32', "32-bit float PCM, libavcodec"},
    {'fl64', "64-bit float PCM, libavcodec"},
    {'lpcm', "Linear PCM, libavcodec"},
    {'twos', "Big-endian PCM of 24 and 32 bits, libavcodec"},
    {'sowt', "Little-endian PCM of 24 and 32 bits, libavcodec"},
    {'QDM2', "QDesign 2, libavcodec"},
    {'Qclp', "QCELP, libavcodec"},
    {'agsm', "GSM, libavcodec"},
    {'samr', "AMR narrowband, libavcodec"},
    {'sawb', "AMR wideband, libavcodec"},
};

}  // namespace

void hide_sound_decoder_for_testing(OSType format, bool hide) {
    std::lock_guard<std::mutex> lock(hidden_lock);
    std::erase(hidden_formats, format);
    if (hide) hidden_formats.push_back(format);
}

void register_libav_sound_components() {
    // Damage is reported the platform's way (silence and a problem), not on stderr.
    av_log_set_level(AV_LOG_QUIET);
    for (const Entry& e : kFormats)
        components::register_component({{kSoundDecompressorType, e.format, components::kManufacturer, 0, 0},
                                        e.name,
                                        "Decompresses sound",
                                        []() -> Result<std::unique_ptr<components::Instance>> {
                                            return std::unique_ptr<components::Instance>(new LibavSoundDecoder);
                                        }});
}

}  // namespace platform::sound
