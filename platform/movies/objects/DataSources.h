// DataSources.h — the files a movie's samples live in, as the open movie
// sees them.
//
// A DataSource is a file open for reading for as long as some movie uses
// it. Holding it open matters: when a movie's own file is replaced (a Save
// As onto itself renames a new file over it), the movie keeps reading the
// file its sample offsets belong to. Movies share sources (a segment pasted
// from one movie into another refers to the same file).
//
// Writing goes through two other kinds of file: the movie file a new movie
// was created in (MovieStorage, over the File Manager reference number that
// CreateMovieFile returned, appending into its mdat), and a plain data file
// a media names through an alias (AppendFile, appending raw bytes).
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/files/FileIO.h"
#include "platform/movies/format/MovieFile.h"

namespace platform::movies {

// Which file, whatever name reaches it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

Result<FileIdentity> identity_of(const files::File& file);
// Follows symbolic links; fnfErr when nothing is there.
Result<FileIdentity> identity_of_path(const std::string& path);

class DataSource {
public:
    // Opens a regular file for reading; `path` is made absolute.
    static Result<std::shared_ptr<DataSource>> open(const std::string& path);
    // Opens for reading the very file `file` has open (even when another
    // file has taken its name since), known to the movie by `path`.
    static Result<std::shared_ptr<DataSource>> reopen(const files::File& file, const std::string& path);

    // Reads exactly n bytes; eofErr when the file ends first.
    Result<void> read(UInt64 offset, void* out, size_t n) const;
    Result<UInt64> size() const { return file_.size(); }
    // For copying straight from it (MovieFileWriter::append_copy).
    const files::File& file() const { return file_; }
    const std::string& path() const { return path_; }
    const FileIdentity& identity() const { return identity_; }

private:
    DataSource(files::File file, std::string path, FileIdentity id)
        : file_(std::move(file)), path_(std::move(path)), identity_(id) {}

    files::File file_;
    std::string path_;
    FileIdentity identity_;
};

// The movie file a movie made by CreateMovieFile writes its samples into.
struct MovieStorage {
    SInt16 ref_num = 0;
    std::unique_ptr<DataFile> file;           // over the reference number's File
    std::optional<MovieFileWriter> writer;
};

// A data file outside any movie file that samples are appended to.
class AppendFile {
public:
    // Opens for writing with the write lock (opWrErr while another writer
    // has the file).
    static Result<std::unique_ptr<AppendFile>> open(const std::string& path);

    // Appends and returns the offset the bytes start at.
    Result<UInt64> append(std::span<const UInt8> bytes);
    Result<void> finish();   // data through to the disk
    const std::string& path() const { return path_; }

private:
    AppendFile(files::File file, std::string path, UInt64 end)
        : file_(std::move(file)), path_(std::move(path)), end_(end) {}

    files::File file_;
    std::string path_;
    UInt64 end_ = 0;
};

}  // namespace platform::movies
