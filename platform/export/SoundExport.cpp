// The sound behind export: playback's mix, encoded with libavcodec's AAC.
/*
 * esds  (full atom, version 0) holding, each as tag u8 + length u8 + body:
 *   ES_Descriptor (3): ES_ID u16 (0), flags u8 (0), then
 *     DecoderConfigDescriptor (4): object type u8 (0x40: AAC), stream type
 *       u8 (0x15: audio), buffer size u24, max bitrate u32, average
 *       bitrate u32, then
 *       DecoderSpecificInfo (5): the AudioSpecificConfig
 *     SLConfigDescriptor (6): predefined u8 (2)
 * The sound description is version 0: 'mp4a', channels, 16 bits, rate 16.16.
 */
#include "platform/export/SoundExport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>

#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "platform/movies/playback/SoundFeeder.h"
#include "platform/sound/AudioOutput.h"
#include "platform/sound/AudioStream.h"

namespace platform::exporting {

namespace pm = platform::movies;

namespace {

bool is_enabled_sound(movies::TrackObject& t) {
    const pm::Track& d = t.data();
    return t.has_media && d.media.type() == pm::kSoun && (d.header.full.flags & pm::kTrackEnabled) &&
           d.media.samples.sample_count() > 0;
}

// A device that plays nothing: it mixes its streams when asked, as fast as
// the feeders write.
class MixdownOutput : public host::AudioOutput {
public:
    explicit MixdownOutput(int rate) : rate_(rate) {}
    std::string description() const override { return "export, " + std::to_string(rate_) + " Hz"; }
    int rate() const override { return rate_; }
    UInt64 play_position() override { return mixed_; }
    UInt64 earliest_start() override { return mixed_; }
    UInt64 mixed_position() override { return mixed_; }
    void attach(std::shared_ptr<sound::AudioStream> s) override { streams_.push_back(std::move(s)); }
    void detach(const std::shared_ptr<sound::AudioStream>& s) override { std::erase(streams_, s); }

    // The next `frames` frames, interleaved stereo.
    void mix(float* out, UInt32 frames) {
        std::fill(out, out + size_t(frames) * 2, 0.0f);
        for (auto& s : streams_) s->mix_into(out, mixed_, frames);
        mixed_ += frames;
    }

private:
    int rate_;
    UInt64 mixed_ = 0;
    std::vector<std::shared_ptr<sound::AudioStream>> streams_;
};

struct AacEncoder {
    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    ~AacEncoder() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }

    Result<void> drain(EncodedSound& out, SampleSpool& spool) {
        for (;;) {
            const int r = avcodec_receive_packet(context, packet);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return ok();
            if (r < 0) return fail(codecErr, "the AAC encoder failed");
            auto added = spool.add({packet->data, size_t(std::max(packet->size, 0))}, packet->dts, packet->pts, true, out.units);
            out.durations.push_back(UInt32(packet->duration > 0 ? packet->duration : context->frame_size));
            av_packet_unref(packet);
            TRY(added);
        }
    }
};

void put_descriptor(std::vector<UInt8>& out, UInt8 tag, const std::vector<UInt8>& body) {
    out.push_back(tag);
    // Lengths in 7-bit groups, four of them, as most writers store them.
    const size_t n = body.size();
    out.push_back(UInt8(0x80 | ((n >> 21) & 0x7F)));
    out.push_back(UInt8(0x80 | ((n >> 14) & 0x7F)));
    out.push_back(UInt8(0x80 | ((n >> 7) & 0x7F)));
    out.push_back(UInt8(n & 0x7F));
    out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

UInt32 aac_rate_for(double source_rate) {
    static constexpr UInt32 kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    for (UInt32 r : kRates)
        if (std::fabs(source_rate - r) < 0.5) return r;
    return 48000;
}

std::vector<UInt8> aac_esds(std::span<const UInt8> specific, UInt32 average_bit_rate) {
    std::vector<UInt8> config{0x40, 0x15, 0, 0x18, 0};   // AAC, audio stream, 6 KiB buffer
    UInt8 rates[8];
    store_u32be(rates, average_bit_rate);
    store_u32be(rates + 4, average_bit_rate);
    config.insert(config.end(), rates, rates + 8);
    put_descriptor(config, 5, std::vector<UInt8>(specific.begin(), specific.end()));
    std::vector<UInt8> es{0, 0, 0};   // ES_ID 0, no flags
    put_descriptor(es, 4, config);
    put_descriptor(es, 6, {2});
    std::vector<UInt8> body{0, 0, 0, 0};   // version and flags
    put_descriptor(body, 3, es);
    return body;
}

bool has_enabled_sound(movies::MovieObject& movie) {
    for (movies::TrackObject* t : movie.tracks_in_order())
        if (is_enabled_sound(*t)) return true;
    return false;
}

Result<EncodedSound> encode_sound(movies::MovieObject& movie, SInt64 end, SampleSpool& spool,
                                  const std::function<Result<void>(double)>& progress) {
    std::vector<movies::TrackObject*> tracks;
    double source_rate = 0;
    int channels = 1;
    for (movies::TrackObject* t : movie.tracks_in_order()) {
        if (!is_enabled_sound(*t)) continue;
        tracks.push_back(t);
        for (const auto& e : t->data().media.descriptions.entries) {
            auto d = pm::SoundDescription::parse(e.bytes);
            if (!d.ok()) continue;
            source_rate = std::max(source_rate, d->rate());
            if (d->channels >= 2) channels = 2;
        }
    }
    if (tracks.empty()) return fail(invalidMovie, "the movie has no sound to export");
    // The sound lasts as long as its longest track, within the movie.
    SInt64 sound_end = 0;
    for (movies::TrackObject* t : tracks)
        sound_end = std::max(sound_end, SInt64(t->data().duration(movie.model.header.time_scale)));
    end = std::min(end, sound_end);
    if (end <= 0) return fail(invalidMovie, "the movie's sound is empty");
    const UInt32 rate = aac_rate_for(source_rate);
    const UInt32 movie_scale = movie.model.header.time_scale;

    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return fail(noCodecErr, "the installed libraries have no AAC encoder");
    AacEncoder enc;
    enc.context = avcodec_alloc_context3(codec);
    enc.frame = av_frame_alloc();
    enc.packet = av_packet_alloc();
    if (!enc.context || !enc.frame || !enc.packet) return fail(memFullErr, "no memory for the AAC encoder");
    AVCodecContext* c = enc.context;
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = int(rate);
    av_channel_layout_default(&c->ch_layout, channels);
    c->bit_rate = 96000 * channels;
    c->time_base = AVRational{1, int(rate)};
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    quiet_libraries();
    if (avcodec_open2(c, codec, nullptr) < 0) return fail(codecErr, "the AAC encoder refused its settings");
    const int frame_size = c->frame_size > 0 ? c->frame_size : 1024;
    enc.frame->format = AV_SAMPLE_FMT_FLTP;
    enc.frame->nb_samples = frame_size;
    enc.frame->sample_rate = int(rate);
    if (av_channel_layout_copy(&enc.frame->ch_layout, &c->ch_layout) < 0 || av_frame_get_buffer(enc.frame, 0) < 0)
        return fail(memFullErr, "no memory for sound to encode");

    // Playback's feeders, each at its track's volume, from movie time 0.
    MixdownOutput device{int(rate)};
    std::vector<std::unique_ptr<movies::playback::SoundFeeder>> feeders;
    movies::playback::Anchor anchor;
    anchor.time = 0;
    anchor.rate = 0x10000;
    anchor.source = movies::playback::ClockSource::Audio;
    anchor.at = 0;
    anchor.ticks_per_second = rate;
    for (movies::TrackObject* t : tracks) {
        auto f = std::make_unique<movies::playback::SoundFeeder>(t->id);
        f->set_gain(float(std::max<SInt16>(t->data().header.volume, 0)) / 256.0f);
        f->start(*t, device, anchor, end);
        feeders.push_back(std::move(f));
    }

    EncodedSound out;
    out.time_scale = rate;
    const UInt64 total = UInt64((static_cast<unsigned __int128>(end) * rate + movie_scale - 1) / movie_scale);
    std::vector<float> mix(size_t(frame_size) * 2);
    for (UInt64 done = 0; done < total;) {
        const UInt32 n = UInt32(std::min<UInt64>(UInt64(frame_size), total - done));
        for (size_t i = 0; i < feeders.size(); ++i) feeders[i]->top_up(*tracks[i]);
        device.mix(mix.data(), n);
        if (av_frame_make_writable(enc.frame) < 0) return fail(memFullErr, "no memory for sound to encode");
        enc.frame->nb_samples = int(n);
        float* left = reinterpret_cast<float*>(enc.frame->data[0]);
        float* right = channels == 2 ? reinterpret_cast<float*>(enc.frame->data[1]) : nullptr;
        for (UInt32 i = 0; i < n; ++i) {
            const float l = mix[2 * i], r = mix[2 * i + 1];
            if (right) {
                left[i] = l;
                right[i] = r;
            } else {
                left[i] = 0.5f * (l + r);
            }
        }
        enc.frame->pts = SInt64(done);
        if (avcodec_send_frame(c, enc.frame) < 0) return fail(codecErr, "the AAC encoder refused sound");
        TRY(enc.drain(out, spool));
        done += n;
        TRY(progress(double(done) / double(total)));
    }
    if (avcodec_send_frame(c, nullptr) < 0) return fail(codecErr, "the AAC encoder could not finish");
    TRY(enc.drain(out, spool));
    for (auto& f : feeders) f->stop();
    if (out.units.empty()) return fail(codecErr, "the AAC encoder gave no sound");

    // Decode times from 0: the priming comes first and the edit skips it.
    const SInt64 d0 = out.units.front().dts;
    for (SpooledUnit& u : out.units) {
        u.dts -= d0;
        u.pts = u.dts;
    }
    out.first_shown = -d0;
    out.span = end;
    pm::SoundDescription d;
    d.format = fourcc("mp4a");
    d.channels = SInt16(channels);
    d.sample_size = 16;
    d.sample_rate = rate << 16;
    const std::vector<UInt8> esds = aac_esds({c->extradata, size_t(std::max(c->extradata_size, 0))}, UInt32(c->bit_rate));
    UInt8 h[8];
    store_u32be(h, UInt32(esds.size() + 8));
    store_u32be(h + 4, fourcc("esds"));
    d.extensions.assign(h, h + 8);
    d.extensions.insert(d.extensions.end(), esds.begin(), esds.end());
    out.description = d.write();
    return out;
}

}  // namespace platform::exporting
