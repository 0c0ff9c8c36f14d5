// LibavSoundDecoder.h — the sound decompressors libavcodec provides.
#pragma once

#include "platform/Types.h"

namespace platform::sound {

// Registers a sound decompressor ('sdec', manufacturer 'Knra') for each
// sample description format below that libavcodec decodes:
//   'mp4a' (AAC; MP3, AC-3 and Opus by the stream's object type)  '.mp3'
//   'alac' 'fLaC' 'Opus' 'ac-3' 'ec-3' 'ima4' 'MAC3' 'MAC6' 'ulaw' 'alaw'
//   'in24' 'in32' 'fl32' 'fl64' 'lpcm' 'twos' 'sowt' (wide samples)
//   'QDM2' 'Qclp' 'agsm' 'samr' 'sawb'
// A format whose decoder the installed libraries lack is registered all
// the same: configuring it fails and names the missing decoder.
void register_libav_sound_components();

// Tests: from now on, configuring a decompressor for `format` fails as if
// the installed libraries lacked its decoder; `hidden` false undoes it.
void hide_sound_decoder_for_testing(OSType format, bool hidden = true);

}  // namespace platform::sound
