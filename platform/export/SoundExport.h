// SoundExport.h — a movie's sound as AAC-LC: the mix of its enabled sound
// tracks at their volumes, as playback mixes them, over the whole movie.
//
// The mix is made by playback's own sound feeders writing into a device
// that only counts frames, so what is exported is what is heard. The rate
// is the sound tracks' (the highest of them) when AAC has it, else 48 kHz;
// mono when every track is mono, else stereo. The encoder's priming comes
// before the first sample heard; the edit that shows the movie's span
// starts past it.
#pragma once

#include <functional>

#include "platform/export/SampleSpool.h"
#include "platform/movies/objects/MovieObjects.h"

namespace platform::exporting {

struct EncodedSound {
    UInt32 time_scale = 0;                 // the sample rate
    movies::SampleDescription description; // 'mp4a' with its 'esds'
    std::vector<SpooledUnit> units;        // AAC packets, decode order
    std::vector<UInt32> durations;         // per packet, in sample frames
    SInt64 first_shown = 0;                // the priming, in sample frames
    SInt64 span = 0;                       // movie units heard: the longest sound track's
};

bool has_enabled_sound(movies::MovieObject& movie);

// The sound over movie time [0, end), or less when the sound ends before,
// its packets in `spool`. `progress` hears the share done; a failure it
// returns stops the encoding with that failure.
Result<EncodedSound> encode_sound(movies::MovieObject& movie, SInt64 end, SampleSpool& spool,
                                  const std::function<Result<void>(double)>& progress);

// The AAC rate for a source rate: the same when AAC has it, else 48000.
UInt32 aac_rate_for(double source_rate);

// An 'esds' body (version and flags first) for an AAC stream with this
// AudioSpecificConfig.
std::vector<UInt8> aac_esds(std::span<const UInt8> specific, UInt32 average_bit_rate);

}  // namespace platform::exporting
