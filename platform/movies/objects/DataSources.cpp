#include "platform/movies/objects/DataSources.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform::movies {

Result<FileIdentity> identity_of(const files::File& file) {
    struct stat st;
    if (::fstat(file.fd(), &st) != 0) return files::os_error(errno, "cannot examine the file");
    return FileIdentity{st.st_dev, st.st_ino};
}

Result<FileIdentity> identity_of_path(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return files::os_error(errno, "cannot examine the file");
    return FileIdentity{st.st_dev, st.st_ino};
}

Result<std::shared_ptr<DataSource>> DataSource::open(const std::string& path) {
    std::string abs = TRY(absolute_path(path));
    files::File file = TRY(files::File::open(abs, files::Access::Read));
    FileIdentity id = TRY(identity_of(file));
    return std::shared_ptr<DataSource>(new DataSource(std::move(file), std::move(abs), id));
}

Result<std::shared_ptr<DataSource>> DataSource::reopen(const files::File& file, const std::string& path) {
    FileIdentity id = TRY(identity_of(file));
    files::File again = TRY(files::File::open("/proc/self/fd/" + std::to_string(file.fd()), files::Access::Read));
    if (TRY(identity_of(again)) != id) return fail(ioErr, "the open file could not be opened again");
    return std::shared_ptr<DataSource>(new DataSource(std::move(again), path, id));
}

Result<void> DataSource::read(UInt64 offset, void* out, size_t n) const {
    size_t got = TRY(file_.read_at(out, n, offset));
    if (got != n) return fail(eofErr, "sample data past the end of its file");
    return ok();
}

Result<std::unique_ptr<AppendFile>> AppendFile::open(const std::string& path) {
    std::string abs = TRY(absolute_path(path));
    files::File file = TRY(files::File::open(abs, files::Access::ReadWrite));
    TRY(file.lock(files::LockKind::Exclusive));
    UInt64 end = TRY(file.size());
    return std::unique_ptr<AppendFile>(new AppendFile(std::move(file), std::move(abs), end));
}

Result<UInt64> AppendFile::append(std::span<const UInt8> bytes) {
    UInt64 at = end_;
    if (!bytes.empty()) TRY(file_.write_at(bytes.data(), bytes.size(), at));
    end_ += bytes.size();
    return at;
}

Result<void> AppendFile::finish() { return file_.datasync(); }

}  // namespace platform::movies
