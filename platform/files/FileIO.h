// FileIO.h — the platform's file layer.
//
// Every file operation of the platform goes through here: the File Manager,
// movie files, flattening, anything that reads or writes a file. Each call
// returns a Result carrying a File Manager code (see error_from_errno), and
// every operation that changes the disk passes the fault-injection switches
// (FaultInjection.h) first, so tests can stop the process before any one of
// them or make a write fail.
//
// Counted operations: File::write_at, File::copy_from, set_attribute (writes), File::truncate
// (truncate), File::sync, File::datasync, sync_folder (syncs), rename_path,
// rename_no_replace (renames), unlink_path, remove_folder (unlinks).
// Opening, creating, reading and locking are not counted.
//
// Write locks: a file is open for writing at most once. File::lock takes an
// open-file-description lock (F_OFD_SETLK) on the whole file: Exclusive (a
// write lock) conflicts with every other lock, Shared (a read lock) only
// with Exclusive ones. Locks belong to the open File, conflict between two
// Files of the same process as between processes, and go away when the File
// is closed (or its process ends). On a file system without locks the lock
// is skipped.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::files {

// The File Manager code for an errno value:
//   ENOENT fnfErr, ENOTDIR dirNFErr, EEXIST dupFNErr, EACCES/EPERM permErr,
//   EROFS wrPermErr, ENOSPC/EDQUOT dskFulErr, EMFILE/ENFILE tmfoErr,
//   ENAMETOOLONG bdNamErr, EISDIR notAFileErr, EBADF rfNumErr,
//   EBUSY/ETXTBSY/ENOTEMPTY fBsyErr, EINVAL paramErr, anything else ioErr.
OSErr error_from_errno(int err);
// An Error with that code and a fixed message.
Error os_error(int err, const char* message);

enum class Access { Read, Write, ReadWrite };
enum class Create { No, Exclusive };   // Exclusive: create, dupFNErr if it exists
enum class LockKind { Exclusive, Shared };

class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens a regular file (notAFileErr for a folder, a device or a pipe).
    // New files get mode 0666 less the umask.
    static Result<File> open(const std::filesystem::path& path, Access access,
                             Create create = Create::No);
    // Creates a new, empty file with a unique name in `folder`, open for
    // reading and writing: "<folder>/.<stem>.<random>.tmp". Meant to be
    // renamed over its destination once complete. It is locked while open,
    // so that remove_stale_temps leaves it alone.
    static Result<File> create_temp(const std::filesystem::path& folder, std::string_view stem);

    bool is_open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    Access access() const { return access_; }
    // The path the file was opened by.
    const std::filesystem::path& path() const { return path_; }

    // Reads up to n bytes at offset; fewer only at the end of the file.
    Result<size_t> read_at(void* buffer, size_t n, UInt64 offset) const;
    // Writes all n bytes at offset (one counted write). On failure *written,
    // when given, tells how many bytes did reach the file.
    Result<void> write_at(const void* data, size_t n, UInt64 offset, size_t* written = nullptr);
    // Writes n bytes of `source` from `from` at offset (one counted write),
    // copied by the kernel file to file where it can (copy_file_range), else
    // read and written in large steps that end on 1 MiB boundaries of this
    // file. eofErr when the source ends first; *copied as for write_at.
    Result<void> copy_from(const File& source, UInt64 from, size_t n, UInt64 offset, size_t* copied = nullptr);
    Result<void> truncate(UInt64 size);
    Result<void> sync();       // data and metadata (fsync)
    Result<void> datasync();   // data and size (fdatasync)
    Result<UInt64> size() const;
    // opWrErr when another open File (of any process) holds a conflicting lock.
    Result<void> lock(LockKind kind);
    // Closes now and reports a failure of the close itself (ioErr).
    Result<void> close();

private:
    File(int fd, Access access, std::filesystem::path path)
        : fd_(fd), access_(access), path_(std::move(path)) {}

    int fd_ = -1;
    Access access_ = Access::Read;
    std::filesystem::path path_;
};

// Renames `from` to `to`, replacing `to` if it exists (atomic on one file system).
Result<void> rename_path(const std::filesystem::path& from, const std::filesystem::path& to);
// Renames `from` to `to`; dupFNErr when `to` exists.
Result<void> rename_no_replace(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes a file (not a folder).
Result<void> unlink_path(const std::filesystem::path& path);
// Removes an empty folder (fBsyErr when not empty).
Result<void> remove_folder(const std::filesystem::path& path);
// Removes the temporaries of File::create_temp for `stem` in `folder` that
// nobody holds open: their writer ended (crashed) before renaming them. A
// temporary some process is still writing is locked and stays; where the
// file system keeps no locks, nothing is removed. Best effort: a temporary
// that cannot be removed stays where it is.
void remove_stale_temps(const std::filesystem::path& folder, std::string_view stem);
// Makes the entries of a folder (creations, renames, removals) durable.
Result<void> sync_folder(const std::filesystem::path& folder);

// True while some open File, of this or another process, holds a lock on
// the file (that is, it is open for writing).
Result<bool> is_open_for_writing(const std::filesystem::path& path);

// Extended attributes. get_attribute gives nothing when the attribute is
// absent or the file system keeps none; set_attribute counts as a write and
// answers false, storing nothing, where the file system refuses attributes.
Result<std::optional<std::vector<UInt8>>> get_attribute(const std::filesystem::path& path,
                                                        const char* name);
Result<bool> set_attribute(const std::filesystem::path& path, const char* name,
                           std::span<const UInt8> value);

}  // namespace platform::files
