// DecodeSession.h — one video stream decoded through libavcodec: a decoder
// with its state (reference frames, reordering), the frames it has finished
// kept in a small cache, and their conversion to the world's RGB.
//
// Samples go in in decode order, each tagged (the media's sample number);
// frames come out in display order carrying the tag of the sample that held
// them. A decoder that reorders holds frames back for a few samples, and
// with frame threads for a few more; end_of_stream() lets the last ones
// out. flush() forgets every sample sent (a seek); the cache survives it.
//
// A frame the decoder flags as damaged (concealed errors, missing
// references) comes out marked so, is never cached and so never shown.
//
// Conversion: YUV becomes 32-bit A,R,G,B (PixelView.h) through libswscale,
// with the matrix and range the description states ('colr'), else the
// stream's own, else BT.601 for standard definition and BT.709 for HD
// (above 576 lines), video range unless full range is stated. The
// conversion context is kept from frame to frame.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Compression.h"
#include "platform/codecs/PixelView.h"
#include "platform/core/Result.h"
#include "platform/movies/format/SampleDescriptions.h"

namespace platform::codecs::libav {

struct StreamSetup {
    OSType codec = 0;
    SInt32 width = 0, height = 0;
    SInt16 depth = 24;
    std::vector<UInt8> config;                       // the decoder's configuration record
    UInt8 object_type = 0;                           // from 'esds', when present
    std::optional<movies::ColourInfo> colour;        // from 'colr'
    std::vector<UInt32> palette;                     // 0xAARRGGBB, indexed codecs
    int threads = 0;                                 // 0: a frame thread per core
    size_t cache_bytes = size_t(96) << 20;           // decoded frames kept, at most
    size_t cache_frames = 24;

    // Everything a description gives.
    static StreamSetup from(const movies::VideoDescription& description);
};

struct DecodedFrame {
    SInt64 tag = 0;
    bool damaged = false;
};

class DecodeSession {
public:
    // noCodecErr naming the decoder when the installed libraries lack it;
    // badImageDescription when the decoder refuses the setup.
    static Result<std::unique_ptr<DecodeSession>> open(const StreamSetup& setup);
    ~DecodeSession();
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;

    // One sample (`sync`: it stands alone); fails with codecBadDataErr when
    // the decoder refuses it (the session stays usable: later samples may
    // decode). A sample whose frame will not be shown (`wanted` false: a seek
    // passes it) is skipped when no other frame refers to it: it then never
    // comes out.
    Result<void> send(std::span<const UInt8> sample, SInt64 tag, bool sync, bool wanted = true);
    // No more samples: the frames held back come out.
    void end_of_stream();
    // The next finished frame, or nothing until more samples are sent.
    std::optional<DecodedFrame> receive();
    // Forgets the samples sent; what is cached stays.
    void flush();
    // Frames the decoder may hold back behind the samples sent.
    int delay() const;

    bool cached(SInt64 tag) const;
    // Keeps the cached frame `tag` apart from the cache (the picture on
    // show, drawn again on every update), in place of the one held before;
    // false when it is not cached.
    bool hold(SInt64 tag);
    // Converts the cached or held frame `tag` into dst (32 bits; scaled when
    // the sizes differ). paramErr when it is neither.
    Result<void> convert(SInt64 tag, const PixelView& dst);
    // Takes one frame out of the cache (it refers to a damaged one).
    void forget(SInt64 tag);
    void clear_cache();
    size_t cache_size() const;

private:
    struct Impl;
    explicit DecodeSession(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Decodes one whole image (a single-image codec such as 'jpeg' or 'png ')
// into a 32-bit dst of the image's size. noCodecErr for a type not decoded
// here.
Result<void> decode_still(const StreamSetup& setup, std::span<const UInt8> data, const PixelView& dst);

// The same for the image compression calls (codecs::set_outside_decoder):
// the image as a description in memory describes it; paramErr for a
// destination of another depth than 32.
Result<void> decode_described_image(const ImageDescription& desc, std::span<const UInt8> data, const PixelView& dst);

}  // namespace platform::codecs::libav
