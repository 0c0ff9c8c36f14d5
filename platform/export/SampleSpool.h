// SampleSpool.h — encoded samples kept on disk until the file is written.
//
// The file an export writes has its movie first, and the movie needs the
// size of every sample, so no byte of sample data can be written in
// place before the last sample is made. Each sample therefore goes, as it
// comes out of its encoder (or is read from the source), to the end of a
// temporary file in the destination's folder; only where it is, its size
// and its times stay in memory. The file is then written by copying the
// data back out of the spool chunk by chunk, file to file.
//
// The temporary has the platform's temporary name (".<name>.<random>.tmp"
// beside the destination) and is removed when the spool goes, whichever
// way the export ends: done, failed or cancelled.
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "platform/core/Result.h"
#include "platform/export/H264Encoder.h"
#include "platform/files/FileIO.h"

namespace platform::exporting {

// A sample whose bytes are in the spool.
struct SpooledUnit {
    UInt64 at = 0;   // offset in the spool
    UInt32 size = 0;
    SInt64 dts = 0;
    SInt64 pts = 0;
    bool key = false;
};

class SampleSpool {
public:
    // An empty spool beside `destination`.
    static Result<std::unique_ptr<SampleSpool>> create(const std::filesystem::path& destination);
    ~SampleSpool();
    SampleSpool(const SampleSpool&) = delete;
    SampleSpool& operator=(const SampleSpool&) = delete;

    Result<void> add(std::span<const UInt8> data, SInt64 dts, SInt64 pts, bool key, std::vector<SpooledUnit>& out);
    // Spools each of `units` in order and empties it.
    Result<void> take(std::vector<EncodedUnit>& units, std::vector<SpooledUnit>& out);
    // Writes what is still buffered; the file then holds every sample.
    Result<void> flush();

    const files::File& file() const { return file_; }

private:
    explicit SampleSpool(files::File file) : file_(std::move(file)) {}

    files::File file_;
    std::vector<UInt8> buffer_;   // the latest samples, not yet written
    UInt64 written_ = 0;          // bytes in the file
};

}  // namespace platform::exporting
