#include "platform/importers/SoundDescriptions.h"

#include "platform/core/Bytes.h"
#include "platform/importers/LittleEndian.h"

namespace platform::importers {

Result<std::optional<Chunk>> ChunkWalker::next() {
    if (pos_ >= end_ || end_ - pos_ < 8) return std::optional<Chunk>();
    UInt8 header[8];
    TRY(source_.read(header, 8, pos_));
    Chunk c;
    c.id = load_u32be(header);
    c.size = littleEndian_ ? load_u32le(header + 4) : load_u32be(header + 4);
    c.bodyOffset = pos_ + 8;
    if (c.size > end_ - c.bodyOffset) return fail(badFileFormat, "sound file chunk past the end");
    pos_ = c.bodyOffset + c.size + (c.size & 1);   // may pass end_ by the missing pad byte
    return std::optional<Chunk>(c);
}

UInt64 form_end(UInt64 declaredSize, UInt64 fileSize) {
    UInt64 end = declaredSize + 8;
    return end >= 12 && end <= fileSize ? end : fileSize;
}

Result<SoundFileImport> make_import(SoundFileFormat format, OSType dataFormat, UInt32 channels,
                                    UInt32 sampleSize, UnsignedFixed rate, UInt64 dataOffset,
                                    UInt64 frames) {
    if (sampleSize != 8 && sampleSize != 16)
        return fail(siInvalidSampleSize, "sound samples other than 8 or 16 bits");
    if (channels == 0) return fail(badFileFormat, "sound file without channels");
    if (channels > 2) return fail(badChannel, "sound file with more than two channels");
    if (rate < 0x10000) return fail(siInvalidSampleRate, "sound sample rate below 1 Hz");
    if (frames > 0x7FFFFFFF) return fail(badFileFormat, "sound file with too many frames");
    SoundFileImport im;
    im.format = format;
    SoundDescription& d = im.description;
    d.descSize = sizeof(SoundDescription);
    d.dataFormat = SInt32(dataFormat);
    d.dataRefIndex = 1;
    d.numChannels = SInt16(channels);
    d.sampleSize = SInt16(sampleSize);
    d.sampleRate = rate;
    im.bytesPerFrame = channels * sampleSize / 8;
    im.frameCount = UInt32(frames);
    im.dataOffset = dataOffset;
    im.dataSize = frames * im.bytesPerFrame;
    return im;
}

}  // namespace platform::importers
