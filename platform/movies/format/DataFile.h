// DataFile.h — the one place the movie file layer touches files.
//
// Every read, write, sync and open of a movie or media file goes through
// DataFile and the functions below. On disk they run on the File Manager's
// file layer (platform/files/FileIO.h), so every write, truncate and sync
// of a movie file is counted and can be crashed or failed by its test
// switches. MemoryFile serves tests and the fuzzer; it can be told to fail
// after a number of writes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Result.h"

namespace platform::files {
class File;
}

namespace platform::movies {

class DataFile {
public:
    virtual ~DataFile() = default;
    virtual Result<UInt64> size() = 0;
    // Reads exactly `count` bytes; eofErr when the file ends first.
    virtual Result<void> read_at(UInt64 offset, void* buffer, size_t count) = 0;
    virtual Result<void> write_at(UInt64 offset, const void* data, size_t count) = 0;
    // Writes `count` bytes of `source` from `from` at `offset`, as one
    // write. On disk the file layer copies them file to file; here they
    // are read, then written.
    virtual Result<void> copy_at(UInt64 offset, const files::File& source, UInt64 from, UInt64 count);
    virtual Result<void> sync() = 0;
    virtual Result<void> truncate(UInt64 size) = 0;
    // The file's absolute path, or empty for a file that has none.
    virtual const std::string& path() const = 0;
};

enum class OpenMode {
    read,          // existing file, read only
    read_write,    // existing file
    create,        // created or emptied, read-write
};

// Opens a regular file (anything else — folder, device, pipe — fails with
// paramErr; a missing one with fnfErr).
Result<std::unique_ptr<DataFile>> open_data_file(const std::string& path, OpenMode mode);

// A DataFile over a file the File Manager already holds open (a movie
// file's reference number). `file` must outlive it; `path` is absolute.
std::unique_ptr<DataFile> borrow_data_file(files::File& file, std::string path);

// `path` made absolute and normalised, with the links of its existing
// folders resolved.
Result<std::string> absolute_path(const std::string& path);

// The folder part of an absolute path ("/a/b/c.mov" -> "/a/b").
std::string folder_of(const std::string& path);

class MemoryFile final : public DataFile {
public:
    explicit MemoryFile(std::vector<UInt8> bytes = {}, std::string path = {})
        : bytes_(std::move(bytes)), path_(std::move(path)) {}

    Result<UInt64> size() override { return UInt64(bytes_.size()); }
    Result<void> read_at(UInt64 offset, void* buffer, size_t count) override;
    Result<void> write_at(UInt64 offset, const void* data, size_t count) override;
    Result<void> sync() override;
    Result<void> truncate(UInt64 size) override;
    const std::string& path() const override { return path_; }

    const std::vector<UInt8>& bytes() const { return bytes_; }
    // After `n` more writes or syncs every write and sync fails with ioErr
    // (as if the machine stopped there); negative = never.
    void fail_after(long n) { budget_ = n; }
    long operations() const { return operations_; }

private:
    Result<void> spend();

    std::vector<UInt8> bytes_;
    std::string path_;
    long budget_ = -1;
    long operations_ = 0;
};

}  // namespace platform::movies
