/*
 * Sound resources ('snd '). Layout (big-endian):
 *
 *   format 1:  s16 format (1), s16 number of modifiers,
 *              per modifier: s16 modNumber, u32 modInit
 *   format 2:  s16 format (2), s16 refCount
 *   then:      s16 number of commands,
 *              per command: u16 cmd, s16 param1, u32 param2
 *   then the sound header, usually the target of a bufferCmd (0x51) or
 *   soundCmd (0x50) whose dataOffsetFlag (0x8000) says param2 is the header's
 *   offset from the start of the resource.
 *
 *   Standard header (encode 0x00), 22 bytes, then 8-bit offset-binary mono
 *   samples:
 *      0 u32 samplePtr (0)   4 u32 length (bytes)   8 u32 sampleRate (16.16)
 *     12 u32 loopStart      16 u32 loopEnd         20 u8 encode  21 u8 baseFrequency
 *   Extended header (encode 0xFF), 64 bytes, then interleaved samples (8-bit
 *   offset binary or 16-bit big-endian):
 *      4 u32 numChannels  22 u32 numFrames  26 80-bit AIFFSampleRate
 *     36 u32 markerChunk  40 u32 instrumentChunks  44 u32 AESRecording
 *     48 u16 sampleSize   50 u16 futureUse1  52..63 futureUse2-4
 *   Compressed header (encode 0xFE), 64 bytes, then packets:
 *      4 u32 numChannels  22 u32 numFrames (packets)  26 80-bit AIFFSampleRate
 *     36 u32 markerChunk  40 OSType format ('MAC3'/'MAC6')  44 u32 futureUse2
 *     48 u32 stateVars    52 u32 leftOverSamples  56 s16 compressionID
 *     58 u16 packetSize   60 u16 snthID  62 u16 sampleSize
 *
 * Body lines (in any order; numbers take the named values shown):
 *
 *   format 1|2                      (default 1)
 *   modifier MODNUMBER INIT         format 1 only; repeatable
 *   refcount N                      format 2 only
 *   command CMD PARAM1 PARAM2       repeatable, in order; CMD takes nullCmd,
 *                                   soundCmd, bufferCmd, dataOffsetFlag
 *                                   (e.g. bufferCmd|dataOffsetFlag); PARAM2
 *                                   may be `header` for the header's offset
 *   command-count N                 store N as the number of commands,
 *                                   whatever the list holds
 *   header standard|extended|compressed
 *   rate HZ                         sample rate in Hz (fractions allowed;
 *                                   default: the sound file's rate)
 *   rate-fixed N                    the 16.16 rate stored as it is
 *   base N                          baseFrequency (default 60)
 *   loop START END                  loopStart, loopEnd (default 0 0)
 *   channels N                      extended, compressed (default: the data's)
 *   sample-size N                   bits per sample (default: the data's;
 *                                   8 for compressed)
 *   compression MAC3|MAC6|N         compressed: the compressionID (3, 4, ...)
 *   packet-size N  snth N           compressed header fields (default 0)
 *   length N | frames N             store N as the standard header's length
 *                                   or the numFrames, whatever the data holds
 *   encode N                        store N as the encode byte
 *   data wav|aiff "file"            samples from a sound file
 *   data tone HZ FRAMES [PERCENT]   a sine (default 50% of full scale)
 *   data pattern FRAMES             bytes (i * 37 + 11) & 0xFF, i from 0
 *   data silence FRAMES
 *   data hex BYTES...               raw bytes (repeatable; appends)
 *
 * FRAMES counts sample frames; for a compressed sound one frame is one
 * packet of six samples per channel, 2 bytes per channel for MAC3 and 1 for
 * MAC6. Without 'command' lines a sound gets one bufferCmd|dataOffsetFlag 0
 * header.
 */
#include <cmath>

#include "AudioFile.h"
#include "Body.h"
#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"

namespace rescompile {
namespace {

using platform::ByteWriter;

constexpr double kPi = 3.14159265358979323846;

const std::vector<NamedValue> kCommands = {
    {"nullCmd", 0}, {"soundCmd", 0x50}, {"bufferCmd", 0x51}, {"dataOffsetFlag", 0x8000},
};
const std::vector<NamedValue> kCompressions = {{"MAC3", 3}, {"MAC6", 4}};

enum class HeaderKind { Standard, Extended, Compressed };

struct Command {
    UInt16 cmd;
    SInt16 param1;
    std::optional<UInt32> param2;   // empty: the header's offset
};

class SoundBody final : public Body {
public:
    explicit SoundBody(const BlockInfo& info) : info_(info) {}

    void line(const Line& l) override {
        const std::string k = l.keyword();
        if (k == "format") {
            l.expect_size(2, 2, "format 1|2");
            format_ = SInt16(l.integer(1, 1, 2));
        } else if (k == "modifier") {
            l.expect_size(3, 3, "modifier MODNUMBER INIT");
            modifiers_.push_back({SInt16(l.integer(1, -32768, 32767)), UInt32(l.integer(2, 0, 0xFFFFFFFFLL))});
        } else if (k == "refcount") {
            l.expect_size(2, 2, "refcount N");
            refCount_ = SInt16(l.integer(1, -32768, 32767));
        } else if (k == "command") {
            l.expect_size(4, 4, "command CMD PARAM1 PARAM2|header");
            Command c{UInt16(l.integer(1, 0, 0xFFFF, kCommands)), SInt16(l.integer(2, -32768, 32767)), {}};
            if (!l.is_word(3, "header")) c.param2 = UInt32(l.integer(3, -0x80000000LL, 0xFFFFFFFFLL));
            commands_.push_back(c);
        } else if (k == "command-count") {
            l.expect_size(2, 2, "command-count N");
            commandCount_ = SInt16(l.integer(1, -32768, 32767));
        } else if (k == "header") {
            l.expect_size(2, 2, "header standard|extended|compressed");
            const std::string kind = l.word(1);
            if (kind == "standard") header_ = HeaderKind::Standard;
            else if (kind == "extended") header_ = HeaderKind::Extended;
            else if (kind == "compressed") header_ = HeaderKind::Compressed;
            else l.error("unknown header kind '" + kind + "'");
        } else if (k == "rate") {
            l.expect_size(2, 2, "rate HZ");
            rate_ = UInt32(std::lround(l.real(1, 1.0 / 65536, 65535.99998) * 65536.0));
        } else if (k == "rate-fixed") {
            l.expect_size(2, 2, "rate-fixed N");
            rate_ = UInt32(l.integer(1, 0, 0xFFFFFFFFLL));
        } else if (k == "base") {
            l.expect_size(2, 2, "base N");
            base_ = UInt8(l.integer(1, 0, 255));
        } else if (k == "loop") {
            l.expect_size(3, 3, "loop START END");
            loopStart_ = UInt32(l.integer(1, 0, 0xFFFFFFFFLL));
            loopEnd_ = UInt32(l.integer(2, 0, 0xFFFFFFFFLL));
        } else if (k == "channels") {
            l.expect_size(2, 2, "channels N");
            channels_ = UInt32(l.integer(1, 0, 0xFFFFFFFFLL));
        } else if (k == "sample-size") {
            l.expect_size(2, 2, "sample-size N");
            sampleSize_ = UInt16(l.integer(1, 0, 0xFFFF));
        } else if (k == "compression") {
            l.expect_size(2, 2, "compression MAC3|MAC6|N");
            compression_ = SInt16(l.integer(1, -32768, 32767, kCompressions));
        } else if (k == "packet-size") {
            l.expect_size(2, 2, "packet-size N");
            packetSize_ = UInt16(l.integer(1, 0, 0xFFFF));
        } else if (k == "snth") {
            l.expect_size(2, 2, "snth N");
            snth_ = UInt16(l.integer(1, 0, 0xFFFF));
        } else if (k == "length" || k == "frames") {
            l.expect_size(2, 2, "length N | frames N");
            count_ = UInt32(l.integer(1, 0, 0xFFFFFFFFLL));
        } else if (k == "encode") {
            l.expect_size(2, 2, "encode N");
            encode_ = UInt8(l.integer(1, 0, 255));
        } else if (k == "data") {
            data(l);
        } else {
            l.error("unknown sound line '" + k + "'");
        }
    }

    std::vector<Output> finish() override {
        const Line& at = *info_.header;
        if (!header_) at.error("a sound needs a 'header' line");
        if (format_ == 1 && refCount_) at.error("'refcount' belongs to format 2 sounds");
        if (format_ == 2 && !modifiers_.empty()) at.error("modifiers belong to format 1 sounds");
        if (commands_.empty()) commands_.push_back(Command{0x8051, 0, {}});
        build_samples(at);

        ByteWriter w;
        w.s16(format_);
        if (format_ == 1) {
            w.s16(SInt16(modifiers_.size()));
            for (const auto& m : modifiers_) {
                w.s16(m.first);
                w.u32(m.second);
            }
        } else {
            w.s16(refCount_);
        }
        w.s16(commandCount_.value_or(SInt16(commands_.size())));
        const UInt32 headerOffset = UInt32(w.size() + 8 * commands_.size());
        for (const Command& c : commands_) {
            w.u16(c.cmd);
            w.s16(c.param1);
            w.u32(c.param2.value_or(headerOffset));
        }
        write_header(w);
        w.bytes(samples_.data(), samples_.size());
        if (w.size() > (16u << 20)) at.error("a sound resource holds at most 16 MiB");
        return {Output{info_.type, info_.id, {}, w.take()}};
    }

private:
    // Where the samples come from; turned into bytes once the header's
    // shape (channels, sample size) is known.
    struct Source {
        enum { None, File, Tone, Pattern, Silence, Hex } kind = None;
        std::optional<Audio> audio;
        double hz = 0, level = 0.5;
        UInt32 frames = 0;
        std::vector<UInt8> hex;
    };

    void data(const Line& l) {
        const std::string kind = l.word(1);
        if (source_.kind != Source::None && !(kind == "hex" && source_.kind == Source::Hex))
            l.error("a sound has one 'data' line (except 'data hex', which may repeat)");
        if (kind == "wav" || kind == "aiff") {
            l.expect_size(3, 3, "data wav|aiff \"file\"");
            auto bytes = read_named_file(l, l.string(2), info_.searchDirs);
            auto audio = kind == "wav" ? read_wav(bytes) : read_aiff(bytes);
            if (!audio) l.error("'" + l.string(2) + "': " + audio.error().message);
            source_.kind = Source::File;
            source_.audio = std::move(*audio);
        } else if (kind == "tone") {
            l.expect_size(4, 5, "data tone HZ FRAMES [PERCENT]");
            source_.kind = Source::Tone;
            source_.hz = l.real(2, 0, 100000);
            source_.frames = UInt32(l.integer(3, 0, 16 << 20));
            if (l.size() == 5) source_.level = double(l.integer(4, 0, 100)) / 100.0;
        } else if (kind == "pattern" || kind == "silence") {
            l.expect_size(3, 3, "data pattern|silence FRAMES");
            source_.kind = kind == "pattern" ? Source::Pattern : Source::Silence;
            source_.frames = UInt32(l.integer(2, 0, 16 << 20));
        } else if (kind == "hex") {
            source_.kind = Source::Hex;
            for (size_t i = 2; i < l.size(); ++i) {
                const std::string d = l.word(i);
                if (d.size() % 2) l.error("hex bytes come in pairs of digits: '" + d + "'");
                for (size_t j = 0; j < d.size(); j += 2) {
                    char* end = nullptr;
                    const std::string pair = d.substr(j, 2);
                    long v = std::strtol(pair.c_str(), &end, 16);
                    if (*end) l.error("'" + d + "' is not hex");
                    source_.hex.push_back(UInt8(v));
                }
            }
        } else {
            l.error("unknown data kind '" + kind + "'");
        }
    }

    UInt32 bytes_per_frame() const {
        if (*header_ == HeaderKind::Standard) return 1;
        if (*header_ == HeaderKind::Compressed) {
            const UInt32 perChannel = compression_ == 3 ? 2 : compression_ == 4 ? 1 : 0;
            return perChannel * channels_.value_or(1);
        }
        return channels_.value_or(1) * (sampleSize_.value_or(8) / 8);
    }

    void build_samples(const Line& at) {
        if (*header_ == HeaderKind::Compressed && !sampleSize_) sampleSize_ = 8;
        if (source_.kind == Source::File) {
            const Audio& a = *source_.audio;
            if (*header_ == HeaderKind::Compressed) at.error("compressed sounds take pattern or hex data, not a sound file");
            if (*header_ == HeaderKind::Standard && (a.channels != 1 || a.bits != 8))
                at.error("a standard header holds 8-bit mono samples; use 'header extended' for this file");
            if (channels_ && *channels_ != a.channels) at.error("'channels' disagrees with the sound file");
            if (sampleSize_ && *sampleSize_ != a.bits) at.error("'sample-size' disagrees with the sound file");
            channels_ = a.channels;
            sampleSize_ = a.bits;
            if (!rate_) rate_ = UInt32(std::lround(a.rate * 65536.0));
            samples_ = a.samples;
        }
        if (!rate_) at.error("a sound needs a 'rate' (or its samples from a sound file)");
        if (!channels_) channels_ = 1;
        if (!sampleSize_) sampleSize_ = 8;
        if (*header_ != HeaderKind::Compressed && *sampleSize_ != 8 && *sampleSize_ != 16 &&
            (source_.kind == Source::Tone || source_.kind == Source::Silence))
            at.error("tones and silence are made as 8- or 16-bit samples");

        const UInt64 frameBytes = bytes_per_frame();
        switch (source_.kind) {
        case Source::None:
        case Source::File: break;
        case Source::Hex: samples_ = source_.hex; break;
        case Source::Pattern:
        case Source::Silence:
        case Source::Tone: {
            if (frameBytes == 0) at.error("set 'frames' and give 'data hex' for this compression");
            // A tone or silence writes each frame's channels at its sample size.
            if (source_.kind != Source::Pattern && frameBytes < UInt64(*channels_) * (*sampleSize_ == 16 ? 2 : 1))
                at.error("this header's frames cannot hold a tone of these channels and sample size");
            const UInt64 total = UInt64(source_.frames) * frameBytes;
            if (total > (16u << 20)) at.error("too much sample data");
            samples_.resize(size_t(total));
            if (source_.kind == Source::Pattern) {
                for (size_t i = 0; i < samples_.size(); ++i) samples_[i] = UInt8((i * 37 + 11) & 0xFF);
            } else {
                synthesize(source_.kind == Source::Tone ? source_.level : 0.0);
            }
            break;
        }
        }
        if (!count_) {
            if (*header_ == HeaderKind::Standard) count_ = UInt32(samples_.size());
            else if (frameBytes == 0) at.error("set 'frames' for this compression");
            else count_ = UInt32(samples_.size() / frameBytes);
        }
    }

    void synthesize(double level) {
        const double rate = double(*rate_) / 65536.0;
        const size_t channels = *channels_;
        const bool wide = *sampleSize_ == 16;
        const size_t step = wide ? 2 : 1;
        for (size_t f = 0; f < source_.frames; ++f) {
            const double v = level * std::sin(2 * kPi * source_.hz * double(f) / rate);
            for (size_t c = 0; c < channels; ++c) {
                UInt8* p = &samples_[(f * channels + c) * step];
                if (wide) platform::store_u16be(p, UInt16(SInt16(std::lround(v * 32767))));
                else *p = UInt8(128 + std::lround(v * 127));
            }
        }
    }

    void write_header(ByteWriter& w) const {
        UInt8 aiffRate[10];
        to_extended80(double(*rate_) / 65536.0, aiffRate);
        w.u32(0);   // samplePtr: the data follows the header
        if (*header_ == HeaderKind::Standard) {
            w.u32(*count_);
            w.u32(*rate_);
            w.u32(loopStart_);
            w.u32(loopEnd_);
            w.u8(encode_.value_or(0x00));
            w.u8(base_);
            return;
        }
        w.u32(*channels_);
        w.u32(*rate_);
        w.u32(loopStart_);
        w.u32(loopEnd_);
        w.u8(encode_.value_or(*header_ == HeaderKind::Extended ? 0xFF : 0xFE));
        w.u8(base_);
        w.u32(*count_);
        w.bytes(aiffRate, 10);
        w.u32(0);   // markerChunk
        if (*header_ == HeaderKind::Extended) {
            w.u32(0);   // instrumentChunks
            w.u32(0);   // AESRecording
            w.u16(*sampleSize_);
            w.zeros(14);   // futureUse1-4
        } else {
            w.u32(compression_ == 3   ? platform::fourcc("MAC3")
                  : compression_ == 4 ? platform::fourcc("MAC6")
                                      : 0);
            w.u32(0);   // futureUse2
            w.u32(0);   // stateVars
            w.u32(0);   // leftOverSamples
            w.s16(compression_);
            w.u16(packetSize_);
            w.u16(snth_);
            w.u16(*sampleSize_);
        }
    }

    BlockInfo info_;
    SInt16 format_ = 1;
    std::vector<std::pair<SInt16, UInt32>> modifiers_;
    SInt16 refCount_ = 0;
    std::vector<Command> commands_;
    std::optional<SInt16> commandCount_;
    std::optional<HeaderKind> header_;
    std::optional<UInt32> rate_;
    UInt8 base_ = 60;
    UInt32 loopStart_ = 0, loopEnd_ = 0;
    std::optional<UInt32> channels_;
    std::optional<UInt16> sampleSize_;
    SInt16 compression_ = 3;
    UInt16 packetSize_ = 0, snth_ = 0;
    std::optional<UInt32> count_;
    std::optional<UInt8> encode_;
    Source source_;
    std::vector<UInt8> samples_;
};

}  // namespace

std::unique_ptr<Body> make_sound_body(const BlockInfo& info) { return std::make_unique<SoundBody>(info); }

}  // namespace rescompile
