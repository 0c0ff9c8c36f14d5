// H264Encoder.h — pictures in, H.264 access units out, through libavcodec's
// libx264 encoder, ready to be stored as 'avc1' samples.
//
// Pictures are 32-bit A,R,G,B (PixelView.h) of the size the encoder was
// opened with; an odd width or height is padded to even by repeating the
// last column or row (4:2:0 H.264 codes and crops only even sizes), and
// the description's clean aperture ('clap') leaves the padding out. The picture becomes 4:2:0
// video-range YUV with the BT.709 matrix above 576 lines and BT.601 below,
// and the stream says so in its VUI (and the 'colr' we write).
//
// Access units come out in decode order with their decode and display
// times in the time base the encoder was opened with; encoders that
// reorder hold a few back until finish().
#pragma once

#include <memory>
#include <vector>

#include "platform/codecs/PixelView.h"
#include "platform/core/Result.h"
#include "platform/movies/format/SampleDescriptions.h"

namespace platform::exporting {

struct H264Settings {
    SInt32 width = 0, height = 0;   // the picture, any size from 2x2
    UInt32 time_scale = 600;        // units of the times given and returned
    int crf = 18;                   // constant quality: lower is better
    const char* preset = "medium";
};

struct EncodedUnit {
    std::vector<UInt8> data;   // NAL units, each behind a 4-byte big-endian length
    SInt64 dts = 0;
    SInt64 pts = 0;
    bool key = false;
};

class H264Encoder {
public:
    // noCodecErr when the installed libraries have no H.264 encoder.
    static Result<std::unique_ptr<H264Encoder>> open(const H264Settings& settings);
    ~H264Encoder();
    H264Encoder(const H264Encoder&) = delete;
    H264Encoder& operator=(const H264Encoder&) = delete;

    // Encodes one picture shown from `pts`; appends what came out to `out`.
    Result<void> encode(const codecs::ConstPixelView& picture, SInt64 pts, std::vector<EncodedUnit>& out);
    // Lets the held-back units out.
    Result<void> finish(std::vector<EncodedUnit>& out);

    // The 'avc1' description: the coded size, 'avcC' from the stream's
    // parameter sets, 'colr', and 'clap' when padded. Known once the encoder is open.
    movies::VideoDescription description() const;

private:
    struct State;
    explicit H264Encoder(std::unique_ptr<State> s);
    Result<void> drain(std::vector<EncodedUnit>& out);
    std::unique_ptr<State> s_;
};

// Keeps the encoders' statistics and advice off stderr (once per process).
void quiet_libraries();

// Annex B byte stream (start codes) to NAL units behind 4-byte lengths.
std::vector<UInt8> annexb_to_length_prefixed(std::span<const UInt8> stream);
// The AVC decoder configuration record of the SPS and PPS found in an
// Annex B stream; empty when it holds no SPS.
std::vector<UInt8> avc_configuration(std::span<const UInt8> stream);

}  // namespace platform::exporting
