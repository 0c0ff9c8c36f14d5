// SoundFileImport.h — sound files (WAV, AIFF, AIFF-C) imported as movies.
//
// What the movie toolbox needs to make a sound track that plays a file in
// place: a version-0 sound description and where the samples are. Nothing
// is copied: the movie's media refers to [dataOffset, dataOffset + dataSize)
// of the file itself, frameCount frames of bytesPerFrame bytes each.
//
//   auto imported = importers::import_sound_file(path);   // or an FSSpec
//   if (!imported.ok()) return imported.code();           // see the codes below
//   const SoundDescription& d = imported->description;     // host order
//
// Sample formats:
//   WAV   PCM (format 1, or WAVE_FORMAT_EXTENSIBLE with the PCM subformat)
//         8-bit unsigned -> 'raw ', 16-bit little-endian -> 'sowt'
//   AIFF  8-bit signed -> 'twos' (sample size 8), 16-bit -> 'twos'
//   AIFC  'NONE' and 'twos' as AIFF; 'sowt' 16-bit -> 'sowt' (8-bit: 'twos',
//         the same bytes); 'raw ' 8-bit -> 'raw '
// mono or stereo, 1 to 65535.99998 Hz (the description's 16.16 rate; an
// AIFF rate is rounded to the nearest 1/65536 Hz).
//
// Result codes:
//   badFileFormat         not a WAV/AIFF file, or damaged: a chunk past the
//                         end of the file, no format or no data chunk, a
//                         format chunk too short, a block size that does not
//                         match, sample data past its chunk
//   siInvalidCompression  compressed or floating-point samples
//   siInvalidSampleSize   samples other than 8 or 16 bits
//   badChannel            more than two channels (none is badFileFormat)
//   siInvalidSampleRate   a rate of 0, below 1 Hz, 65536 Hz or more, or not a number
//   and the File Manager's codes for a file that cannot be read.
#pragma once

#include <filesystem>
#include <optional>
#include <span>

#include "platform/Files.h"
#include "platform/Movies.h"
#include "platform/core/Result.h"

namespace platform::importers {

enum class SoundFileFormat { wave, aiff, aifc };

struct SoundFileImport {
    SoundFileFormat format = SoundFileFormat::wave;
    SoundDescription description{};   // descSize 36, dataRefIndex 1, version 0
    UInt64 dataOffset = 0;            // first byte of the first frame, from the file's start
    UInt64 dataSize = 0;              // frameCount * bytesPerFrame
    UInt32 frameCount = 0;
    UInt32 bytesPerFrame = 0;         // numChannels * sampleSize / 8
};

// Where the parsers read: a file or memory, by offset.
class SoundSource {
public:
    virtual ~SoundSource() = default;
    virtual UInt64 size() const = 0;
    // Exactly n bytes at offset; badFileFormat when they are not all there.
    virtual Result<void> read(void* to, size_t n, UInt64 offset) const = 0;
};

class MemorySoundSource final : public SoundSource {
public:
    explicit MemorySoundSource(std::span<const UInt8> data) : data_(data) {}
    UInt64 size() const override { return data_.size(); }
    Result<void> read(void* to, size_t n, UInt64 offset) const override;

private:
    std::span<const UInt8> data_;
};

// The format the first 12 bytes of a file announce ("RIFF"...."WAVE",
// "FORM"...."AIFF" or "AIFC").
std::optional<SoundFileFormat> sniff_sound(std::span<const UInt8> start);

// Parses a file of any of the three formats (badFileFormat for anything else).
Result<SoundFileImport> parse_sound_file(const SoundSource& source);
Result<SoundFileImport> parse_wav(const SoundSource& source);
Result<SoundFileImport> parse_aiff(const SoundSource& source);

// Opens a file and parses it.
Result<SoundFileImport> import_sound_file(const std::filesystem::path& path);
Result<SoundFileImport> import_sound_file(const FSSpec& spec);

// The Finder type of each format: 'WAVE', 'AIFF', 'AIFC'.
OSType finder_type(SoundFileFormat format);

// An 80-bit IEEE extended number (AIFF's sample rate) as unsigned 16.16,
// rounded to nearest; siInvalidSampleRate when it is not within 1 to
// 65535.99998.
Result<UnsignedFixed> extended_to_rate(std::span<const UInt8, 10> extended);

}  // namespace platform::importers
