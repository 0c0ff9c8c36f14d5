// The file layer: POSIX calls with File Manager result codes and fault injection.
#include "platform/files/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/Files.h"
#include "platform/files/FaultInjection.h"

namespace platform::files {

namespace fs = std::filesystem;
using faults::Op;

OSErr error_from_errno(int err) {
    switch (err) {
        case 0: return noErr;
        case ENOENT: return fnfErr;
        case ENOTDIR: return dirNFErr;
        case EEXIST: return dupFNErr;
        case EACCES:
        case EPERM: return permErr;
        case EROFS: return wrPermErr;
        case ENOSPC:
        case EDQUOT: return dskFulErr;
        case EMFILE:
        case ENFILE: return tmfoErr;
        case ENAMETOOLONG: return bdNamErr;
        case EISDIR: return notAFileErr;
        case EBADF: return rfNumErr;
        case EBUSY:
        case ETXTBSY:
        case ENOTEMPTY: return fBsyErr;
        case EINVAL: return paramErr;
        default: return ioErr;
    }
}

Error os_error(int err, const char* message) { return Error{error_from_errno(err), message}; }

namespace {

int open_flags(Access access) {
    switch (access) {
        case Access::Read: return O_RDONLY;
        case Access::Write: return O_WRONLY;
        case Access::ReadWrite: return O_RDWR;
    }
    return O_RDONLY;
}

Result<off_t> to_offset(UInt64 offset) {
    if (offset > UInt64(INT64_MAX)) return fail(posErr, "file position beyond what the system can address");
    return off_t(offset);
}

// pwrite until all n bytes are written; *done tells how many were.
Result<void> write_fully(int fd, const UInt8* in, size_t n, off_t at, size_t* done) {
    *done = 0;
    while (*done < n) {
        ssize_t put = ::pwrite(fd, in + *done, n - *done, at + off_t(*done));
        if (put < 0) {
            if (errno == EINTR) continue;
            return os_error(errno, "write failed");
        }
        *done += size_t(put);
    }
    return ok();
}

// How the kernel declines to copy between two files itself: they are on
// different file systems, the kernel or the file system cannot, or it
// refuses these two (say, overlapping ranges of one file).
bool kernel_declines(int err) { return err == EXDEV || err == ENOSYS || err == EOPNOTSUPP || err == EINVAL; }

// Steps of a copy made through the process.
constexpr size_t kCopyStep = size_t(1) << 20;

}  // namespace

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept
    : fd_(other.fd_), access_(other.access_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        access_ = other.access_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

Result<File> File::open(const fs::path& path, Access access, Create create) {
    // O_NONBLOCK so that a pipe never blocks the open; it is refused below.
    int flags = open_flags(access) | O_CLOEXEC | O_NONBLOCK;
    if (create == Create::Exclusive) flags |= O_CREAT | O_EXCL;
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return os_error(errno, "cannot open the file");
    File file(fd, access, path);
    struct stat st;
    if (::fstat(fd, &st) != 0) return os_error(errno, "cannot examine the opened file");
    if (!S_ISREG(st.st_mode)) return fail(notAFileErr, "not a regular file");
    int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0)
        return os_error(errno, "cannot set up the opened file");
    return file;
}

namespace {

constexpr char kTempDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kTempStem = 64;
constexpr size_t kTempRandom = 8;

std::string temp_prefix(std::string_view stem) {
    std::string prefix = ".";
    prefix.append(stem.substr(0, kTempStem));
    return prefix + '.';
}

bool is_temp_name(std::string_view name, std::string_view prefix) {
    constexpr std::string_view suffix = ".tmp";
    if (name.size() != prefix.size() + kTempRandom + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
        return false;
    const std::string_view random = name.substr(prefix.size(), kTempRandom);
    return std::all_of(random.begin(), random.end(), [](char c) {
        return std::string_view(kTempDigits, sizeof kTempDigits - 1).find(c) != std::string_view::npos;
    });
}

}  // namespace

Result<File> File::create_temp(const fs::path& folder, std::string_view stem) {
    std::random_device device;
    std::mt19937_64 random(device());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temp_prefix(stem);
        for (size_t i = 0; i < kTempRandom; ++i) name += kTempDigits[random() % (sizeof kTempDigits - 1)];
        name += ".tmp";
        auto file = open(folder / name, Access::ReadWrite, Create::Exclusive);
        if (file.ok()) {
            auto locked = file->lock(LockKind::Exclusive);
            if (!locked.ok()) {
                (void)::unlink((folder / name).c_str());
                return locked.error();
            }
        }
        if (file.ok() || file.code() != dupFNErr) return file;
    }
    return fail(dupFNErr, "no unused temporary name");
}

void remove_stale_temps(const fs::path& folder, std::string_view stem) {
    const std::string prefix = temp_prefix(stem);
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path path = it->path();
        if (!is_temp_name(path.filename().native(), prefix)) continue;
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        // Ours to remove only when we get its lock, it is still the file of
        // that name, and it belongs to this user.
        struct stat st, named;
        struct flock fl = {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        const bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                           ::fcntl(fd, F_OFD_SETLK, &fl) == 0 && ::lstat(path.c_str(), &named) == 0 &&
                           named.st_dev == st.st_dev && named.st_ino == st.st_ino;
        if (stale) (void)unlink_path(path);
        ::close(fd);
    }
}

Result<size_t> File::read_at(void* buffer, size_t n, UInt64 offset) const {
    if (fd_ < 0) return fail(rfNumErr, "file is not open");
    off_t at = TRY(to_offset(offset));
    size_t done = 0;
    auto* out = static_cast<UInt8*>(buffer);
    while (done < n) {
        ssize_t got = ::pread(fd_, out + done, n - done, at + off_t(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno == EBADF) return fail(permErr, "file is not open for reading");
            return os_error(errno, "read failed");
        }
        if (got == 0) break;
        done += size_t(got);
    }
    return done;
}

Result<void> File::write_at(const void* data, size_t n, UInt64 offset, size_t* written) {
    if (written) *written = 0;
    if (fd_ < 0) return fail(rfNumErr, "file is not open");
    if (access_ == Access::Read) return fail(wrPermErr, "file is open for reading only");
    off_t at = TRY(to_offset(offset));
    TRY(faults::before(Op::Write));
    size_t done = 0;
    auto r = write_fully(fd_, static_cast<const UInt8*>(data), n, at, &done);
    if (written) *written = done;
    return r;
}

Result<void> File::copy_from(const File& source, UInt64 from, size_t n, UInt64 offset, size_t* copied) {
    if (copied) *copied = 0;
    if (fd_ < 0 || source.fd_ < 0) return fail(rfNumErr, "file is not open");
    if (access_ == Access::Read) return fail(wrPermErr, "file is open for reading only");
    const off_t in = TRY(to_offset(from)), out = TRY(to_offset(offset));
    TRY(to_offset(from + n));
    TRY(to_offset(offset + n));
    TRY(faults::before(Op::Write));
    size_t done = 0;
    auto report = [&](Result<void> r) {
        if (copied) *copied = done;
        return r;
    };
    bool kernel = !faults::kernel_copies_refused();
    std::vector<UInt8> buffer;
    while (done < n) {
        if (kernel) {
            loff_t i = in + off_t(done), o = out + off_t(done);
            ssize_t got = ::copy_file_range(source.fd_, &i, fd_, &o, n - done, 0);
            if (got > 0) {
                done += size_t(got);
                continue;
            }
            if (got == 0) return report(fail(eofErr, "the source ended before the copy"));
            if (errno == EINTR) continue;
            if (!kernel_declines(errno)) return report(os_error(errno, "copy failed"));
            kernel = false;
        }
        if (buffer.empty()) buffer.resize(std::min(n - done, kCopyStep));
        const size_t step = std::min({n - done, buffer.size(), kCopyStep - size_t((out + off_t(done)) % kCopyStep)});
        auto got = source.read_at(buffer.data(), step, UInt64(in) + done);
        if (!got.ok()) return report(got.error());
        if (*got != step) return report(fail(eofErr, "the source ended before the copy"));
        size_t put = 0;
        auto r = write_fully(fd_, buffer.data(), step, out + off_t(done), &put);
        done += put;
        if (!r.ok()) return report(r);
    }
    return report(ok());
}

Result<void> File::truncate(UInt64 size) {
    if (fd_ < 0) return fail(rfNumErr, "file is not open");
    if (access_ == Access::Read) return fail(wrPermErr, "file is open for reading only");
    off_t length = TRY(to_offset(size));
    TRY(faults::before(Op::Truncate));
    int r;
    do {
        r = ::ftruncate(fd_, length);
    } while (r != 0 && errno == EINTR);
    if (r != 0) return os_error(errno, "cannot change the file's length");
    return ok();
}

Result<void> File::sync() {
    if (fd_ < 0) return fail(rfNumErr, "file is not open");
    TRY(faults::before(Op::Sync));
    if (::fsync(fd_) != 0) return os_error(errno, "fsync failed");
    return ok();
}

Result<void> File::datasync() {
    if (fd_ < 0) return fail(rfNumErr, "file is not open");
    TRY(faults::before(Op::Sync));
    if (::fdatasync(fd_) != 0) return os_error(errno, "fdatasync failed");
    return ok();
}

Result<UInt64> File::size() const {
    if (fd_ < 0) return fail(rfNumErr, "file is not open");
    struct stat st;
    if (::fstat(fd_, &st) != 0) return os_error(errno, "cannot examine the file");
    return UInt64(st.st_size);
}

Result<void> File::lock(LockKind kind) {
    if (fd_ < 0) return fail(rfNumErr, "file is not open");
    struct flock fl = {};
    fl.l_type = kind == LockKind::Exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;   // l_start 0, l_len 0: the whole file, however long it grows
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return ok();
    if (errno == EAGAIN || errno == EACCES) return fail(opWrErr, "file is already open for writing");
    if (errno == ENOLCK || errno == EOPNOTSUPP) return ok();   // the file system keeps no locks
    return os_error(errno, "cannot lock the file");
}

Result<void> File::close() {
    if (fd_ < 0) return ok();
    int fd = fd_;
    fd_ = -1;
    // Linux releases the descriptor even when close reports an error; never retry.
    if (::close(fd) != 0 && errno != EINTR) return os_error(errno, "close failed");
    return ok();
}

Result<void> rename_path(const fs::path& from, const fs::path& to) {
    TRY(faults::before(Op::Rename));
    if (::rename(from.c_str(), to.c_str()) != 0) return os_error(errno, "rename failed");
    return ok();
}

Result<void> rename_no_replace(const fs::path& from, const fs::path& to) {
    TRY(faults::before(Op::Rename));
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return ok();
    if (errno != EINVAL && errno != ENOSYS) return os_error(errno, "rename failed");
    // A file system without RENAME_NOREPLACE: link then unlink never replaces.
    if (::link(from.c_str(), to.c_str()) != 0) return os_error(errno, "rename failed");
    if (::unlink(from.c_str()) != 0) return os_error(errno, "rename left both names");
    return ok();
}

Result<void> unlink_path(const fs::path& path) {
    TRY(faults::before(Op::Unlink));
    if (::unlink(path.c_str()) != 0) return os_error(errno, "cannot delete the file");
    return ok();
}

Result<void> remove_folder(const fs::path& path) {
    TRY(faults::before(Op::Unlink));
    if (::rmdir(path.c_str()) != 0) {
        if (errno == EEXIST) return fail(fBsyErr, "folder is not empty");
        return os_error(errno, "cannot delete the folder");
    }
    return ok();
}

Result<void> sync_folder(const fs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return os_error(errno, "cannot open the folder");
    auto synced = faults::before(Op::Sync);
    if (!synced.ok()) {
        ::close(fd);
        return synced;
    }
    int r = ::fsync(fd);
    int err = errno;
    ::close(fd);
    // Some file systems cannot sync a folder (EINVAL); their entries are as durable as they get.
    if (r != 0 && err != EINVAL) return os_error(err, "cannot sync the folder");
    return ok();
}

Result<bool> is_open_for_writing(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return os_error(errno, "cannot open the file");
    struct flock fl = {};
    fl.l_type = F_WRLCK;   // conflicts with any lock another open file holds
    fl.l_whence = SEEK_SET;
    int r = ::fcntl(fd, F_OFD_GETLK, &fl);
    int err = errno;
    ::close(fd);
    if (r != 0) {
        if (err == ENOLCK || err == EOPNOTSUPP) return false;
        return os_error(err, "cannot query the file's locks");
    }
    return fl.l_type != F_UNLCK;
}

Result<std::optional<std::vector<UInt8>>> get_attribute(const fs::path& path, const char* name) {
    std::vector<UInt8> value(64);
    for (;;) {
        ssize_t n = ::getxattr(path.c_str(), name, value.data(), value.size());
        if (n >= 0) {
            value.resize(size_t(n));
            return std::optional<std::vector<UInt8>>(std::move(value));
        }
        if (errno == ENODATA || errno == ENOTSUP) return std::optional<std::vector<UInt8>>();
        if (errno != ERANGE) return os_error(errno, "cannot read the file's attributes");
        // Grown since the last look: ask for the size and try again.
        ssize_t need = ::getxattr(path.c_str(), name, nullptr, 0);
        if (need < 0) return os_error(errno, "cannot read the file's attributes");
        value.resize(size_t(need) + 1);
    }
}

Result<bool> set_attribute(const fs::path& path, const char* name, std::span<const UInt8> value) {
    TRY(faults::before(Op::Write));
    if (::setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0) return true;
    if (errno == ENOTSUP) return false;
    return os_error(errno, "cannot write the file's attributes");
}

}  // namespace platform::files
