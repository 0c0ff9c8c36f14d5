#include "platform/movies/playback/SoundFeeder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/movies/objects/MediaData.h"
#include "platform/movies/editing/TrackEdits.h"
#include "platform/movies/format/SampleDescriptions.h"

namespace platform::movies::playback {

namespace {

constexpr UInt32 kBlock = 4096;

// The input frame (a unit of the media's time scale along the track) at
// track time t.
UInt64 input_at(UInt64 t, UInt32 movie_scale, UInt32 media_scale) {
    if (movie_scale == 0) return 0;
    return UInt64((static_cast<unsigned __int128>(t) * media_scale) / movie_scale);
}

int channels_of(const Media& m) {
    for (const auto& e : m.descriptions.entries) {
        auto d = SoundDescription::parse(e.bytes);
        if (d.ok()) return d->channel_count() >= 2 ? 2 : 1;
    }
    return 1;
}

}  // namespace

SoundFeeder::~SoundFeeder() { stop(); }

void SoundFeeder::start(TrackObject& track, host::AudioOutput& out, const Anchor& anchor, SInt64 stop_time) {
    stop();
    out_ = &out;
    const Media& m = track.data().media;
    const UInt32 movie_scale = track.movie->model.header.time_scale;
    const UInt32 media_scale = m.header.time_scale;
    channels_ = channels_of(m);
    step_ = double(media_scale) * (double(anchor.rate) / 65536.0) / double(out.rate());
    input_origin_ = double(anchor.time) * double(media_scale) / double(movie_scale);
    start_frame_ = anchor.at;
    frame_end_ = reading_at(anchor, stop_time, movie_scale);
    stream_ = std::make_shared<sound::AudioStream>(start_frame_);
    stream_->set_gain(gain_);
    restart_at(start_frame_);
    out.attach(stream_);
    top_up(track);
}

void SoundFeeder::stop() {
    if (stream_ && host::AudioOutput::alive(out_)) out_->detach(stream_);
    stream_.reset();
    out_ = nullptr;
    resampler_.reset();
}

void SoundFeeder::set_gain(float gain) {
    gain_ = gain;
    if (stream_) stream_->set_gain(gain);
}

void SoundFeeder::restart_at(UInt64 frame) {
    const double pos = input_origin_ + double(frame - start_frame_) * step_;
    input_next_ = UInt64(std::max(0.0, std::floor(pos)));
    resampler_ = std::make_unique<sound::Resampler>(step_, channels_);
    stream_->skip_to(frame);
}

void SoundFeeder::top_up(TrackObject& track) {
    if (!stream_ || !host::AudioOutput::alive(out_)) return;
    const UInt64 mixed = out_->mixed_position();
    // Behind the device: skip to where it is rather than play late.
    if (stream_->write_position() < mixed) restart_at(mixed);
    const UInt64 lead = std::min<UInt64>(UInt64(out_->rate()) / 4, sound::AudioStream::kCapacity - kBlock);
    const UInt64 target = std::min(std::max(mixed, start_frame_) + lead, frame_end_);
    while (stream_->write_position() < target) {
        const UInt32 n = UInt32(std::min<UInt64>({kBlock, target - stream_->write_position(), stream_->writable(mixed)}));
        if (n == 0) break;
        const size_t need = resampler_->input_needed(n);
        if (need) {
            input_.resize(need * size_t(channels_));
            read_input(track, input_next_, need, input_.data());
            resampler_->push(input_.data(), need);
            input_next_ += need;
        }
        output_.resize(size_t(n) * 2);
        const size_t got = resampler_->pull(output_.data(), n);
        if (got == 0) break;
        stream_->write(output_.data(), UInt32(got));
    }
}

// Input frames [pos, pos + count) of the track: what its edits play there.
size_t SoundFeeder::read_input(TrackObject& track, UInt64 pos, size_t count, float* out) {
    const Track& t = track.data();
    const UInt32 movie_scale = track.movie->model.header.time_scale;
    const UInt32 media_scale = t.media.header.time_scale;
    const size_t ch = size_t(channels_);
    std::fill(out, out + count * ch, 0.0f);
    UInt64 edit_start = 0;
    size_t filled = 0;
    for (const EditEntry& e : timeline(t, movie_scale)) {
        if (filled >= count) break;
        const UInt64 a = input_at(edit_start, movie_scale, media_scale);
        edit_start += e.track_duration;
        const UInt64 b = input_at(edit_start, movie_scale, media_scale);
        const UInt64 p = pos + filled;
        if (p >= b) continue;
        if (p < a) filled = size_t(std::min<UInt64>(count, a - pos));   // cannot happen: edits are contiguous
        const UInt64 at = pos + filled;
        const size_t k = size_t(std::min<UInt64>(count - filled, b - at));
        if (e.media_time >= 0) {
            if (e.rate == 0x10000)
                read_media(track, UInt64(e.media_time) + (at - a), k, out + filled * ch);
            else if (e.rate > 0)   // an edit that holds a still (rate 0) or runs backwards is silent
                read_scaled(track, UInt64(e.media_time), e.rate, at - a, k, out + filled * ch);
        }
        filled += k;
    }
    return count;
}

// `count` input frames of an edit that plays its media at `rate` (16.16,
// not 1), from input frame `first` of the edit on: input frame j is media
// time media_time + j * rate, between two media frames interpolated
// linearly. The pitch changes with the speed, as the picture's does.
void SoundFeeder::read_scaled(TrackObject& track, UInt64 media_time, Fixed rate, UInt64 first, size_t count,
                              float* out) {
    using U128 = unsigned __int128;
    if (count == 0) return;
    const size_t ch = size_t(channels_);
    const UInt64 rate_u = UInt64(UInt32(rate));
    const U128 start = U128(first) * rate_u;                    // media position of the first frame, 16.16
    const U128 last = U128(first + count - 1) * rate_u;
    const UInt64 from = UInt64(start >> 16);
    const UInt64 span = UInt64(last >> 16) - from + 2;   // the two frames around each position
    // Much faster than real speed, only the frames used are read.
    const bool whole = span <= 8 * UInt64(count) + 2;
    scaled_.assign((whole ? size_t(span) : 2) * ch, 0.0f);
    if (whole) read_media(track, media_time + from, size_t(span), scaled_.data());
    for (size_t j = 0; j < count; ++j) {
        const U128 pos = U128(first + j) * rate_u;
        size_t i = 0;
        if (whole) {
            i = size_t(UInt64(pos >> 16) - from);
        } else {
            std::fill(scaled_.begin(), scaled_.end(), 0.0f);
            read_media(track, media_time + UInt64(pos >> 16), 2, scaled_.data());
        }
        const float f = float(UInt64(pos) & 0xFFFF) / 65536.0f;
        for (size_t c = 0; c < ch; ++c) {
            const float a = scaled_[i * ch + c], b = scaled_[(i + 1) * ch + c];
            out[j * ch + c] = a + (b - a) * f;
        }
    }
}

// `count` frames of the media from `media_time` on (one media unit a
// frame); what cannot be read stays silent.
size_t SoundFeeder::read_media(TrackObject& track, UInt64 media_time, size_t count, float* out) {
    MediaObject& media = track.media;
    const Media& m = media.data();
    const SampleTable& table = m.samples;
    const size_t ch = size_t(channels_);
    std::vector<UInt8> bytes;
    std::vector<float> frames;
    size_t got = 0;
    while (got < count) {
        auto n = table.sample_at(media_time + got);
        if (!n.ok()) break;
        const SampleTable::ChunkSpan chunk = table.chunk_span(*n);
        auto info = table.sample(*n);
        if (!info.ok()) break;
        const SampleDescription& entry = m.descriptions.entries[chunk.description - 1];
        auto d = SoundDescription::parse(entry.bytes);
        std::optional<sound::PcmFormat> fmt;
        if (d.ok() && d->version < 2) fmt = sound::pcm_format(d->format, d->sample_size, d->channels);
        // How far this description's samples reach in media time.
        const UInt64 here = media_time + got;
        const UInt64 chunk_end_time = chunk.first_sample + chunk.samples > table.sample_count()
                                          ? table.duration()
                                          : table.sample_time(chunk.first_sample + chunk.samples);
        size_t span = size_t(std::min<UInt64>(count - got, chunk_end_time - here));
        if (!fmt) {
            // Everything but our own PCM goes through a decompressor.
            span = std::max<size_t>(span, 1);
            packets_.read(media, chunk.description, here, span, channels_, out + got * ch);
            if (problem_.empty() && !packets_.problem().empty()) {
                problem_ = packets_.problem();
                std::fprintf(stderr, "kinora: sound track %u: %s; it plays as silence\n", unsigned(track_id_),
                             problem_.c_str());
            }
            got += span;
            continue;
        }
        // One media unit a frame, except for samples that last longer, which
        // are held.
        size_t take = std::min<size_t>(span, table.same_duration_run(*n)), hold = 1;
        if (info->duration != 1) {
            take = 1;
            hold = size_t(std::min<UInt64>(count - got, info->time + info->duration - here));
        }
        const size_t bpf = size_t(fmt->bytes_per_frame());
        bytes.resize(take * bpf);
        const UInt64 offset = chunk.offset + UInt64(*n - chunk.first_sample) * bpf;
        if (!read_media_data(media, entry.data_ref_index(), offset, bytes.data(), bytes.size()).ok()) {
            if (problem_.empty()) {
                problem_ = "its sample data cannot be read";
                std::fprintf(stderr, "kinora: sound track %u: %s; it plays as silence\n", unsigned(track_id_),
                             problem_.c_str());
            }
            got += take * hold;
            continue;
        }
        frames.resize(take * size_t(fmt->channels));
        sound::decode_pcm(*fmt, bytes, frames.data());
        for (size_t i = 0; i < take; ++i) {
            const float l = frames[i * size_t(fmt->channels)];
            const float r = fmt->channels == 2 ? frames[i * 2 + 1] : l;
            for (size_t h = 0; h < hold; ++h) {
                float* o = out + (got + i * hold + h) * ch;
                if (ch == 2) {
                    o[0] = l;
                    o[1] = r;
                } else {
                    o[0] = fmt->channels == 2 ? (l + r) * 0.5f : l;
                }
            }
        }
        got += take * hold;
    }
    return got;
}

}  // namespace platform::movies::playback
