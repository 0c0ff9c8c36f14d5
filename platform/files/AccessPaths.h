// AccessPaths.h — the File Manager's open files (reference numbers), for
// managers that build on them (movie files open through FSpOpenDF and then
// read and write through the File behind the reference number).
#pragma once

#include "platform/Files.h"
#include "platform/core/Result.h"
#include "platform/files/FileIO.h"

namespace platform::files {

// Reference numbers are positive; at most this many files are open at once.
inline constexpr size_t kMaxAccessPaths = 1024;

// FSpOpenDF as a Result: the new reference number.
//   fsRdPerm      read only, no lock, always allowed
//   fsWrPerm      write only, exclusive lock       (opWrErr if open for writing elsewhere)
//   fsRdWrPerm    read-write, exclusive lock       (opWrErr likewise)
//   fsRdWrShPerm  read-write, shared lock          (opWrErr while an exclusive writer has it)
//   fsCurPerm     fsRdWrPerm when possible, else fsRdPerm
// A file that cannot be opened for writing gives permErr (permission bits,
// immutable file: EACCES, EPERM) or wrPermErr (read-only file system: EROFS).
Result<SInt16> open_data_fork(const FSSpec& spec, SInt8 permission);

// The open File behind a reference number; nullptr when none is open.
// Valid until FSClose for that number.
File* file_of(SInt16 refNum);
// The permission a reference number was opened with (fsCurPerm resolved).
Result<SInt8> permission_of(SInt16 refNum);
// The FSSpec a reference number was opened from.
Result<FSSpec> spec_of(SInt16 refNum);
// Number of open access paths (leak checks in tests).
size_t open_access_path_count();

}  // namespace platform::files
