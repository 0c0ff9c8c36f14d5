// Where new movie files go. MovieDestination.h says what is checked and why.
#include "platform/movies/storage/MovieDestination.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/Movies.h"
#include "platform/files/AccessPaths.h"
#include "platform/files/Catalog.h"
#include "platform/files/FinderInfo.h"
#include "platform/movies/objects/DataSources.h"

namespace platform::movies {

namespace {

// The file a name leads to: a symbolic link is followed to its target.
std::string final_target(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        auto target = std::filesystem::weakly_canonical(path, ec);
        if (!ec) return target.string();
    }
    return path;
}

}  // namespace

Result<MovieDestination> check_destination(const FSSpec& spec, SInt32 create_flags, const files::File* own_writer) {
    MovieDestination d;
    d.path = final_target(TRY(files::path_of(spec)).string());
    struct stat st;
    if (::stat(d.path.c_str(), &st) != 0) {
        if (errno != ENOENT) return files::os_error(errno, "cannot examine the destination");
        return d;
    }
    d.exists = true;
    if (S_ISDIR(st.st_mode)) return fail(notAFileErr, "a folder has that name");
    if (!(UInt32(create_flags) & createMovieFileDeleteCurFile)) return fail(dupFNErr, "the file exists");
    d.mode = st.st_mode & 07777;
    if (!TRY(files::is_open_for_writing(d.path))) return d;
    // Only a movie flattened onto its own file may replace a file open for writing.
    if (own_writer && own_writer->access() != files::Access::Read) {
        auto own = identity_of(*own_writer);
        if (own.ok() && *own == FileIdentity{st.st_dev, st.st_ino}) return d;
    }
    return fail(opWrErr, "the file is open for writing");
}

Result<void> mark_as_movie_file(const std::string& path, OSType creator) {
    FInfo info{};
    info.fdType = kQTFileTypeMovie;
    info.fdCreator = creator;
    TRY(files::write_finder_info(path, info));
    return ok();
}

ReplacementFile::ReplacementFile(MovieDestination destination, std::unique_ptr<files::File> file, std::string path)
    : destination_(std::move(destination)), file_(std::move(file)), path_(std::move(path)),
      data_(borrow_data_file(*file_, path_)) {}

Result<ReplacementFile> ReplacementFile::create(const MovieDestination& destination) {
    const std::filesystem::path dest(destination.path);
    // What an earlier run left when it crashed while writing this file.
    files::remove_stale_temps(dest.parent_path(), dest.filename().string());
    auto file = std::make_unique<files::File>(
        TRY(files::File::create_temp(dest.parent_path(), dest.filename().string())));
    std::string path = file->path().string();
    ReplacementFile r(destination, std::move(file), std::move(path));
    if (destination.exists && ::fchmod(r.file_->fd(), destination.mode) != 0)
        return files::os_error(errno, "cannot set the permissions");
    return r;
}

ReplacementFile::~ReplacementFile() {
    if (file_ && !committed_) (void)files::unlink_path(path_);
}

Result<void> ReplacementFile::commit(OSType creator) {
    TRY(mark_as_movie_file(path_, creator));
    TRY(file_->sync());
    TRY(files::rename_path(path_, destination_.path));
    committed_ = true;
    TRY(files::sync_folder(std::filesystem::path(destination_.path).parent_path()));
    return ok();
}

}  // namespace platform::movies
