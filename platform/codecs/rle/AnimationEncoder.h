// AnimationEncoder.h — coding frames in the Animation ('rle ') format.
#pragma once

#include <span>
#include <vector>

#include "platform/codecs/PixelView.h"
#include "platform/codecs/rle/LinePlanner.h"

namespace platform::codecs::rle {

// The most bytes a frame of this size and depth can take, key or delta.
// Fails with paramErr for an unknown depth or an empty size, and with
// codecSizeErr when the frame could outgrow the format's 30-bit chunk size.
Result<size_t> max_frame_size(SInt32 width, SInt32 height, int depth);

class Encoder {
public:
    // Codes `frame` at `depth`: the frame's own depth, or 24 from a 32-bit
    // frame (its first byte dropped). With no `previous` this is a key
    // frame coding every line; otherwise a delta frame against `previous`
    // (same size and depth), coding only what changed. Every line is coded
    // in the fewest bytes the format allows. Returns the bytes written to
    // `out`; fails with codecImageBufErr if they do not fit (a buffer of
    // max_frame_size always fits).
    Result<size_t> encode(const ConstPixelView& frame, int depth, const ConstPixelView* previous,
                          std::span<UInt8> out);

private:
    const UInt8* read_line(const ConstPixelView& v, SInt32 y, UInt32* units, UInt8* scratch,
                           bool pad) const;
    const UInt32* find_stretches(const UInt8* row);
    bool line_changed(const ConstPixelView& cur, const ConstPixelView& prev, SInt32 y) const;

    int depth_ = 0;
    SInt32 width_ = 0;
    int unitBytes_ = 0;
    size_t units_ = 0;
    size_t visible_ = 0;        // visible bytes of a source row
    size_t lineBytes_ = 0;      // coded bytes of a line's units
    UInt32 lastMask_ = ~0u;     // image bits of the last unit
    bool direct_ = false;       // source rows are already in stream form
    size_t stretchCount_ = 0;
    LinePlanner planner_;
    std::vector<UInt32> cur_, prev_;
    std::vector<UInt8> scratch_, scratchPrev_;
};

// One frame with a fresh encoder, into a new buffer.
Result<std::vector<UInt8>> encode_frame(const ConstPixelView& frame, int depth,
                                        const ConstPixelView* previous = nullptr);

}  // namespace platform::codecs::rle
