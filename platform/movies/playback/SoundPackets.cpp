#include "platform/movies/playback/SoundPackets.h"

#include <algorithm>
#include <cstdio>

#include "platform/movies/format/SoundAtoms.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/sound/SoundFormats.h"

namespace platform::movies::playback {
namespace {

// One-frame PCM samples go to the decoder this many at a time.
constexpr UInt64 kFramesPerRead = 4096;
// Decoded frames kept before the position being read (a slowed edit reads
// a little behind where it read last).
constexpr UInt64 kKeptBehind = 8192;
// No codec's packet lasts longer; a sample table that says otherwise is
// damaged, and its packet is passed over as silence.
constexpr UInt64 kLongestPacket = 1 << 20;

// The Opus identification header the decoder takes, from a 'dOps' body:
// the same fields, little-endian, after a magic and version 1. The
// pre-skip is left at 0: in a movie the track's edit list skips it, as it
// skips every codec's priming, and the decoder must not skip it again.
std::vector<UInt8> opus_header(const std::vector<UInt8>& dops) {
    std::vector<UInt8> h = {'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, dops[1], 0, 0};
    auto le16 = [&](size_t at) { h.push_back(dops[at + 1]), h.push_back(dops[at]); };
    for (int i = 3; i >= 0; --i) h.push_back(dops[size_t(4 + i)]);   // input rate
    le16(8);   // output gain
    h.insert(h.end(), dops.begin() + 10, dops.end());   // mapping family and table
    return h;
}

// The STREAMINFO block among a 'dfLa' atom's metadata blocks.
std::vector<UInt8> flac_stream_info(const std::vector<UInt8>& blocks) {
    size_t at = 0;
    while (at + 4 <= blocks.size()) {
        const UInt8 header = blocks[at];
        const size_t length = load_u24be(&blocks[at + 1]);
        if (length > blocks.size() - at - 4) break;
        if ((header & 0x7F) == 0) return {blocks.begin() + long(at + 4), blocks.begin() + long(at + 4 + length)};
        if (header & 0x80) break;
        at += 4 + length;
    }
    return {};
}

}  // namespace

Result<sound::SoundSource> sound_source(const SoundDescription& d, UInt32 media_scale) {
    const SoundAtoms atoms = TRY(SoundAtoms::parse(d.extensions));
    sound::SoundSource s;
    s.format = d.format;
    s.rate = d.rate() >= 1 ? d.rate() : double(media_scale);
    s.media_rate = double(media_scale);
    s.channels = int(std::min<UInt32>(d.channel_count(), 1024));
    s.bits = int(std::min<UInt32>(d.bits(), 1024));
    s.little_endian = atoms.little_endian.value_or(false);
    switch (d.format) {
    case fourcc("lpcm"): {
        constexpr UInt32 kFloat = 1, kBigEndian = 2, kSigned = 4;
        s.is_float = d.format_flags & kFloat;
        s.little_endian = !(d.format_flags & kBigEndian);
        s.is_unsigned = !s.is_float && !(d.format_flags & kSigned);
        break;
    }
    // Writers put 16 in the sample size of these: the format says.
    case fourcc("in24"): s.bits = 24; break;
    case fourcc("in32"): case fourcc("fl32"): s.bits = 32; break;
    case fourcc("fl64"): s.bits = 64; break;
    case fourcc("mp4a"):
        if (atoms.esds) {
            s.object_type = atoms.esds->object_type;
            s.config = atoms.esds->specific;
        }
        break;
    case fourcc("alac"): s.config = atoms.alac; break;
    case fourcc("fLaC"): s.config = flac_stream_info(atoms.dfla); break;
    case fourcc("Opus"):
        if (!atoms.dops.empty()) {
            s.config = opus_header(atoms.dops);
            s.channels = atoms.dops[1];
        }
        break;
    default: break;
    }
    SampleDescription entry = d.write();
    if (auto f = sound_framing(entry)) s.bytes_per_packet = f->bytes_per_packet;
    return s;
}

OpenedDecoder open_decoder(const SoundDescription& d, UInt32 media_scale) {
    OpenedDecoder o;
    auto source = sound_source(d, media_scale);
    if (!source.ok()) {
        o.problem = std::string("its sound description is damaged (") + source.error().message + ")";
        return o;
    }
    o.decoder = sound::open_sound_decoder(d.format);
    if (!o.decoder) {
        o.problem = sound::unsupported_reason(d.format, int(d.bits()), int(d.channel_count()));
        return o;
    }
    o.problem = o.decoder->configure(*source);
    if (!o.problem.empty()) o.decoder.reset();
    return o;
}

void SoundPackets::note(const std::string& problem) {
    if (problem_.empty()) problem_ = problem;
}

std::optional<SoundPackets::Packet> SoundPackets::packet_at(const Media& m, UInt64 time) const {
    const SampleTable& table = m.samples;
    auto n = table.sample_at(time);
    if (!n.ok()) return std::nullopt;
    auto info = table.sample(*n);
    if (!info.ok()) return std::nullopt;
    Packet p;
    p.description = info->description;
    if (framing_ && info->duration == 1) {
        const SampleTable::ChunkSpan chunk = table.chunk_span(*n);
        const UInt32 spp = framing_->samples_per_packet;
        const UInt32 k = (*n - chunk.first_sample) / spp;
        p.first_sample = chunk.first_sample + k * spp;
        const UInt64 left = UInt64(chunk.first_sample) + chunk.samples - p.first_sample;
        // Frames of PCM go in runs; a codec's packets one by one, so that
        // damage silences no more than its own packet.
        const UInt64 packets = spp == 1 ? std::min<UInt64>(left, kFramesPerRead) : 1;
        p.samples = UInt32(std::min<UInt64>(packets * spp, left));
        p.offset = chunk.offset + UInt64(k) * framing_->bytes_per_packet;
        p.size = packets * framing_->bytes_per_packet;
        p.time = table.sample_time(p.first_sample);
        const UInt32 end = p.first_sample + p.samples;
        p.duration = (end > table.sample_count() ? table.duration() : table.sample_time(end)) - p.time;
    } else {
        p.first_sample = *n;
        p.samples = 1;
        p.offset = info->offset;
        p.size = info->size;
        p.time = info->time;
        p.duration = info->duration;
    }
    return p;
}

std::optional<SoundPackets::Packet> SoundPackets::after(const Media& m, const Packet& p) const {
    const SampleTable& table = m.samples;
    const UInt32 n = p.first_sample + p.samples;
    if (n > table.sample_count()) return std::nullopt;
    if (framing_ && p.duration == p.samples) return packet_at(m, p.time + p.duration);
    // A packet a sample: the next sample, its bytes after this one's within
    // a chunk. (Not through sample(), which sums the sizes before it.)
    const SampleTable::ChunkSpan chunk = table.chunk_span(n);
    Packet q;
    q.description = chunk.description;
    q.first_sample = n;
    q.samples = 1;
    q.offset = chunk.first_sample == n ? chunk.offset : p.offset + p.size;
    q.size = table.size_of(n);
    q.time = table.sample_time(n);
    q.duration = (n < table.sample_count() ? table.sample_time(n + 1) : table.duration()) - q.time;
    return q;
}

void SoundPackets::seek(const Media& m, UInt64 time) {
    next_ = packet_at(m, time);
    buffer_.clear();
    if (!next_) return;
    // Back far enough for the decoder to have settled by `time`.
    UInt64 rolled = 0;
    while (rolled < decoder_->preroll_frames() && next_->time > 0) {
        auto before = packet_at(m, next_->time - 1);
        if (!before || before->description != description_) break;
        rolled += before->duration;
        next_ = before;
    }
    decoder_->reset();
    buffer_start_ = next_->time;
}

void SoundPackets::decode_next(MediaObject& media) {
    const Packet p = *next_;
    next_ = after(media.data(), p);
    if (p.duration > kLongestPacket) {
        buffer_.clear();
        buffer_start_ = p.time + p.duration;
        return;
    }
    const size_t ch = size_t(decoder_->channels());
    const size_t at = buffer_.size();
    buffer_.resize(at + size_t(p.duration) * ch, 0.0f);
    const SampleDescription& entry = media.data().descriptions.entries[p.description - 1];
    if (p.size == 0 || p.size > (UInt64(1) << 26)) return;
    bytes_.resize(size_t(p.size));
    if (!read_media_data(media, entry.data_ref_index(), p.offset, bytes_.data(), bytes_.size()).ok()) {
        note("its sample data cannot be read");
        return;
    }
    decoded_.clear();
    if (!decoder_->decode(bytes_, decoded_)) return;   // damaged: its span stays silent
    const size_t n = std::min(decoded_.size(), size_t(p.duration) * ch);
    std::copy(decoded_.begin(), decoded_.begin() + long(n), buffer_.begin() + long(at));
}

void SoundPackets::read(MediaObject& media, UInt32 description, UInt64 time, size_t count, int channels,
                        float* out) {
    const Media& m = media.data();
    const size_t out_ch = size_t(channels);
    std::fill(out, out + count * out_ch, 0.0f);
    if (description != description_) {
        description_ = description;
        decoder_.reset();
        next_.reset();
        buffer_.clear();
        broken_ = false;
        const SampleDescription& entry = m.descriptions.entries[description - 1];
        framing_ = sound_framing(entry);
        auto d = SoundDescription::parse(entry.bytes);
        OpenedDecoder o = d.ok() ? open_decoder(*d, m.header.time_scale)
                                 : OpenedDecoder{nullptr, "its sound description is damaged"};
        decoder_ = std::move(o.decoder);
        broken_ = !decoder_;
        if (broken_) note(o.problem);
    }
    if (broken_) return;
    const size_t ch = size_t(decoder_->channels());
    UInt64 buffer_end = buffer_start_ + buffer_.size() / ch;
    // On from what is decoded (or a little ahead of it), or afresh.
    const UInt64 reach = std::max<UInt64>(decoder_->preroll_frames(), kFramesPerRead);
    if (time < buffer_start_ || time > buffer_end + reach || (!next_ && time >= buffer_end)) {
        seek(m, time);
        buffer_end = buffer_start_;
    }
    while (buffer_end < time + count && next_ && next_->description == description_ && next_->time == buffer_end) {
        decode_next(media);
        buffer_end = buffer_start_ + buffer_.size() / ch;
    }
    for (size_t i = 0; i < count; ++i) {
        const UInt64 t = time + i;
        if (t < buffer_start_ || t >= buffer_end) continue;
        const float* f = &buffer_[size_t(t - buffer_start_) * ch];
        float* o = out + i * out_ch;
        if (out_ch == ch) {
            std::copy(f, f + ch, o);
        } else if (out_ch == 1) {
            o[0] = (f[0] + f[1]) * 0.5f;
        } else {
            o[0] = o[1] = f[0];
        }
    }
    // Forget what lies well behind.
    if (time > buffer_start_ + kKeptBehind) {
        const UInt64 drop = time - kKeptBehind - buffer_start_;
        buffer_.erase(buffer_.begin(), buffer_.begin() + long(drop * ch));
        buffer_start_ += drop;
    }
}

}  // namespace platform::movies::playback
