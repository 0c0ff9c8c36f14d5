// CodecTable.h — the sample-description types libavcodec decodes for us,
// and the decoder of each (inside this library only: it names FFmpeg's ids).
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/Types.h"

namespace platform::codecs::libav {

struct VideoCodec {
    OSType type;
    AVCodecID id;
    const char* name;
    AVPixelFormat raw_format = AV_PIX_FMT_NONE;   // uncompressed types: their layout
};

// The entry for a description type, or null.
const VideoCodec* find_video_codec(OSType type);
// libavcodec's decoder for `id`, or null when the installed libraries lack
// it (or a test hides it: hide_video_decoder_for_testing).
const AVCodec* installed_decoder(AVCodecID id);

// FFmpeg's codec tag for a four-character code (first character lowest).
constexpr unsigned int codec_tag(OSType type) {
    return ((type >> 24) & 0xFF) | ((type >> 8) & 0xFF00) | ((type << 8) & 0xFF0000) | ((type << 24) & 0xFF000000u);
}

}  // namespace platform::codecs::libav
