#include "platform/sound/SoundFormats.h"

#include "platform/core/FourCC.h"

namespace platform::sound {

std::optional<PcmFormat> pcm_format(OSType format, int sample_size, int channels) {
    if (channels != 1 && channels != 2) return std::nullopt;
    PcmFormat f;
    f.channels = channels;
    const bool wide = sample_size == 16;
    if (sample_size != 8 && !wide) return std::nullopt;
    switch (format) {
    case 'raw ':
    case 'NONE': f.kind = wide ? PcmFormat::Kind::Big16 : PcmFormat::Kind::Offset8; break;
    case 'twos': f.kind = wide ? PcmFormat::Kind::Big16 : PcmFormat::Kind::Signed8; break;
    case 'sowt': f.kind = wide ? PcmFormat::Kind::Little16 : PcmFormat::Kind::Signed8; break;
    default: return std::nullopt;
    }
    return f;
}

std::string sound_format_name(OSType format, UInt8 object_type) {
    switch (format) {
    case 'MAC3': return "MACE 3:1";
    case 'MAC6': return "MACE 6:1";
    case 'ima4': return "IMA 4:1";
    case 'ulaw': return "u-law";
    case 'alaw': return "A-law";
    case 'mp4a':
        if (object_type == 0x69 || object_type == 0x6B) return "MP3";
        if (object_type == 0xA5) return "AC-3";
        if (object_type == 0xA6) return "E-AC-3";
        if (object_type == 0xAD) return "Opus";
        return "AAC";
    case '.mp3': return "MP3";
    case 'alac': return "ALAC";
    case 'ac-3': return "AC-3";
    case 'ec-3': return "E-AC-3";
    case 'Opus': return "Opus";
    case 'fLaC': return "FLAC";
    case 'in24': return "24-bit integer";
    case 'in32': return "32-bit integer";
    case 'fl32': return "32-bit float";
    case 'fl64': return "64-bit float";
    case 'lpcm': return "linear PCM";
    case 'QDM2': return "QDesign 2";
    case 'Qclp': return "QCELP";
    case 'agsm': return "GSM";
    case 'samr': return "AMR narrowband";
    case 'sawb': return "AMR wideband";
    default: return "";
    }
}

std::string unsupported_reason(OSType format, int sample_size, int channels) {
    const std::string name = sound_format_name(format);
    std::string what = (name.empty() ? "" : name + " ") + "('" + fourcc_string(format) + "')";
    if (pcm_format(format, 8, 1) && !pcm_format(format, sample_size, channels))
        return what + " sound of " + std::to_string(sample_size) + " bits and " + std::to_string(channels) +
               " channels is not decoded";
    return what + " sound is not decoded";
}

size_t decode_pcm(const PcmFormat& f, std::span<const UInt8> bytes, float* out) {
    const size_t frames = bytes.size() / size_t(f.bytes_per_frame());
    const size_t n = frames * size_t(f.channels);
    const UInt8* p = bytes.data();
    switch (f.kind) {
    case PcmFormat::Kind::Offset8:
        for (size_t i = 0; i < n; ++i) out[i] = float(int(p[i]) - 128) * (1.0f / 128);
        break;
    case PcmFormat::Kind::Signed8:
        for (size_t i = 0; i < n; ++i) out[i] = float(SInt8(p[i])) * (1.0f / 128);
        break;
    case PcmFormat::Kind::Big16:
        for (size_t i = 0; i < n; ++i) out[i] = float(SInt16(UInt16(p[2 * i] << 8 | p[2 * i + 1]))) * (1.0f / 32768);
        break;
    case PcmFormat::Kind::Little16:
        for (size_t i = 0; i < n; ++i) out[i] = float(SInt16(UInt16(p[2 * i + 1] << 8 | p[2 * i]))) * (1.0f / 32768);
        break;
    }
    return frames;
}

}  // namespace platform::sound
