#include "platform/movies/format/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace platform::movies {

namespace {

Error errno_error(int e, const char* message) {
    switch (e) {
    case ENOENT: case ENOTDIR: return fail(fnfErr, message);
    case EACCES: case EPERM: return fail(permErr, message);
    case EROFS: return fail(wPrErr, message);
    case ENOSPC: case EDQUOT: return fail(dskFulErr, message);
    case EMFILE: case ENFILE: return fail(tmfoErr, message);
    case EFBIG: return fail(dskFulErr, message);
    default: return fail(ioErr, message);
    }
}

class PosixFile final : public DataFile {
public:
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    Result<UInt64> size() override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return errno_error(errno, "cannot query the file's size");
        return UInt64(st.st_size);
    }

    Result<void> read_at(UInt64 offset, void* buffer, size_t count) override {
        UInt8* p = static_cast<UInt8*>(buffer);
        while (count) {
            if (offset > UInt64(INT64_MAX)) return fail(eofErr, "read past the end of the file");
            ssize_t n = ::pread(fd_, p, count, off_t(offset));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno_error(errno, "read failed");
            }
            if (n == 0) return fail(eofErr, "read past the end of the file");
            p += n;
            offset += UInt64(n);
            count -= size_t(n);
        }
        return ok();
    }

    Result<void> write_at(UInt64 offset, const void* data, size_t count) override {
        const UInt8* p = static_cast<const UInt8*>(data);
        while (count) {
            if (offset > UInt64(INT64_MAX)) return fail(dskFulErr, "write past the largest file");
            ssize_t n = ::pwrite(fd_, p, count, off_t(offset));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno_error(errno, "write failed");
            }
            p += n;
            offset += UInt64(n);
            count -= size_t(n);
        }
        return ok();
    }

    Result<void> sync() override {
        if (::fdatasync(fd_) != 0) return errno_error(errno, "sync failed");
        return ok();
    }

    Result<void> truncate(UInt64 size) override {
        if (size > UInt64(INT64_MAX) || ::ftruncate(fd_, off_t(size)) != 0)
            return errno_error(errno, "truncate failed");
        return ok();
    }

    const std::string& path() const override { return path_; }

private:
    int fd_;
    std::string path_;
};

}  // namespace

Result<std::unique_ptr<DataFile>> open_data_file(const std::string& path, OpenMode mode) {
    std::string abs = TRY(absolute_path(path));
    int flags = O_CLOEXEC | O_NONBLOCK;   // a pipe must not block the open
    flags |= mode == OpenMode::read ? O_RDONLY : O_RDWR;
    if (mode == OpenMode::create) flags |= O_CREAT;
    int fd = ::open(abs.c_str(), flags, 0666);
    if (fd < 0) return errno_error(errno, "cannot open the file");
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(paramErr, "not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (mode == OpenMode::create && ::ftruncate(fd, 0) != 0) {
        int e = errno;
        ::close(fd);
        return errno_error(e, "cannot empty the file");
    }
    return std::unique_ptr<DataFile>(new PosixFile(fd, abs));
}

Result<std::string> absolute_path(const std::string& path) {
    if (path.empty()) return fail(bdNamErr, "empty path");
    std::string full = path;
    if (path[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) return errno_error(errno, "no current folder");
        full = std::string(cwd) + "/" + path;
    }
    // Resolve the links of the folder, keep the last component as named.
    std::string folder = folder_of(full);
    std::string name = full.substr(full.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") return fail(bdNamErr, "path names a folder");
    char resolved[PATH_MAX];
    if (!::realpath(folder.empty() ? "/" : folder.c_str(), resolved))
        return errno_error(errno, "cannot resolve the file's folder");
    std::string out = resolved;
    if (out != "/") out += "/";
    return out + name;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// --- MemoryFile

Result<void> MemoryFile::spend() {
    ++operations_;
    if (budget_ == 0) return fail(ioErr, "simulated failure");
    if (budget_ > 0) --budget_;
    return ok();
}

Result<void> MemoryFile::read_at(UInt64 offset, void* buffer, size_t count) {
    if (offset > bytes_.size() || count > bytes_.size() - offset)
        return fail(eofErr, "read past the end of the file");
    if (count) std::memcpy(buffer, bytes_.data() + offset, count);
    return ok();
}

Result<void> MemoryFile::write_at(UInt64 offset, const void* data, size_t count) {
    TRY(spend());
    if (offset > (UInt64(1) << 40) || count > (size_t(1) << 40)) return fail(dskFulErr, "memory file too large");
    if (offset + count > bytes_.size()) bytes_.resize(size_t(offset + count));
    if (count) std::memcpy(bytes_.data() + offset, data, count);
    return ok();
}

Result<void> MemoryFile::sync() { return spend(); }

Result<void> MemoryFile::truncate(UInt64 size) {
    TRY(spend());
    if (size > (UInt64(1) << 40)) return fail(dskFulErr, "memory file too large");
    bytes_.resize(size_t(size));
    return ok();
}

}  // namespace platform::movies
