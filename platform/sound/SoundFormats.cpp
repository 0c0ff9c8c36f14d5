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

std::string unsupported_reason(OSType format, int sample_size, int channels) {
    std::string name;
    switch (format) {
    case 'MAC3': name = "MACE 3:1"; break;
    case 'MAC6': name = "MACE 6:1"; break;
    case 'ima4': name = "IMA 4:1"; break;
    case 'ulaw': name = "u-law"; break;
    case 'alaw': name = "A-law"; break;
    default: break;
    }
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
