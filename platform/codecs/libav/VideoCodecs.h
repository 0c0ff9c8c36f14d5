// VideoCodecs.h — the video codecs decoded through libavcodec: which
// sample-description types they are, whether this machine's libraries have
// their decoders, and their image-decompressor components.
//
// Our own codecs (Animation, raw) are not among them: they stay in
// platform/codecs, which also encodes them.
#pragma once

#include <optional>
#include <string>

#include "platform/Types.h"

namespace platform::codecs::libav {

// Whether frames of this type are decoded through libavcodec (whether or not
// the installed libraries have the decoder).
bool is_libav_video(OSType codec);
// Why frames of `codec` cannot be decoded here (the decoder the installed
// libraries lack), or nothing when they can.
std::optional<std::string> missing_decoder(OSType codec);
// The codec's name as people know it ("H.264"), or nothing for another type.
std::optional<std::string> video_codec_name(OSType codec);

// Tests: from now on, acts as if the installed libraries lacked the decoder
// of `codec`'s type (every type decoded by the same decoder with it);
// `hidden` false undoes it.
void hide_video_decoder_for_testing(OSType codec, bool hidden = true);

// Registers an image decompressor ('imdc', manufacturer 'Knra') for every
// type above whose decoder is installed. A component registry provider.
void register_decompressor_components();

}  // namespace platform::codecs::libav
