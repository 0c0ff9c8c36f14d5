// SoundDescriptions.h — what the WAV and AIFF parsers share.
#pragma once

#include "platform/importers/SoundFileImport.h"

namespace platform::importers {

// Chunks of both formats: 4-byte id, 4-byte size (little-endian in RIFF,
// big-endian in IFF), body, one pad byte after an odd body.
struct Chunk {
    UInt32 id = 0;            // the four id bytes, first one highest
    UInt64 bodyOffset = 0;
    UInt64 size = 0;
};

// Walks the chunks of [start, end) one at a time (badFileFormat for a chunk
// that does not fit; a missing pad byte after the last chunk is allowed).
class ChunkWalker {
public:
    ChunkWalker(const SoundSource& source, UInt64 start, UInt64 end, bool littleEndian)
        : source_(source), pos_(start), end_(end), littleEndian_(littleEndian) {}
    // The next chunk, or nothing at the end.
    Result<std::optional<Chunk>> next();

private:
    const SoundSource& source_;
    UInt64 pos_;
    UInt64 end_;
    bool littleEndian_;
};

// The end of the form's chunks: the file's end, or the end the RIFF/FORM
// size gives when that lies within the file.
UInt64 form_end(UInt64 declaredSize, UInt64 fileSize);

// Checks the shared limits (sample size, channels) and fills the result.
// `frames` is how many whole frames the data holds.
Result<SoundFileImport> make_import(SoundFileFormat format, OSType dataFormat, UInt32 channels,
                                    UInt32 sampleSize, UnsignedFixed rate, UInt64 dataOffset,
                                    UInt64 frames);

}  // namespace platform::importers
