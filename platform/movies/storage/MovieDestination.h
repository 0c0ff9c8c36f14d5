// MovieDestination.h — the file a new movie file goes to, shared by
// CreateMovieFile and FlattenMovieData: the checks made before anything is
// written, the Finder information, and the complete-then-rename
// replacement a flattened copy is written through. The bytes inside are
// MovieFileWriter's (format/MovieFile.h).
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/Files.h"
#include "platform/files/FileIO.h"
#include "platform/movies/format/DataFile.h"

namespace platform::movies {

struct MovieDestination {
    std::string path;     // a symbolic link followed to the file it names
    bool exists = false;
    mode_t mode = 0;      // permission bits of the file it replaces
};

// Checks where a new movie file goes: a folder there fails with
// notAFileErr, an existing file without createMovieFileDeleteCurFile in
// `create_flags` with dupFNErr, and a file that someone holds open for
// writing with opWrErr, unless that someone is `own_writer` (a movie
// flattened onto its own file).
Result<MovieDestination> check_destination(const FSSpec& spec, SInt32 create_flags,
                                           const files::File* own_writer = nullptr);

// Gives a movie file its Finder type ('MooV') and creator.
Result<void> mark_as_movie_file(const std::string& path, OSType creator);

// A new file in the destination's folder that takes the destination's
// name only once it is complete, so that a failure (or a crash) at any
// point leaves the destination as it was. Dropped uncommitted, it is
// removed.
class ReplacementFile {
public:
    static Result<ReplacementFile> create(const MovieDestination& destination);
    ReplacementFile(ReplacementFile&&) noexcept = default;
    ReplacementFile& operator=(ReplacementFile&&) = delete;
    ~ReplacementFile();

    files::File& file() { return *file_; }
    DataFile& data() { return *data_; }

    // Marks the file as a movie file, syncs it, renames it over the
    // destination and syncs the folder.
    Result<void> commit(OSType creator);

private:
    ReplacementFile(MovieDestination destination, std::unique_ptr<files::File> file, std::string path);

    MovieDestination destination_;
    std::unique_ptr<files::File> file_;
    std::string path_;   // of the temporary file
    std::unique_ptr<DataFile> data_;
    bool committed_ = false;
};

}  // namespace platform::movies
