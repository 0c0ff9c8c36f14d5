// FaultInjection.h — test switches of the file layer.
//
// Every operation of the file layer that changes the disk is counted: a
// write (also of Finder information), a truncate, a sync (file, data or
// folder), a rename, an unlink. Tests use the count to end the process just
// before any one of them — a crash at that exact point, since nothing the
// layer writes is buffered in the process — or to make one write fail as
// if the disk were full.
//
// Environment (read at start-up):
//   KINORA_CRASH_AT_FILE_OP=k    the process ends with kCrashExitStatus just
//                                before its k-th operation
//   KINORA_FAIL_FILE_WRITE_AT=k  the k-th write fails with dskFulErr and
//                                writes nothing (only that one)
//   KINORA_REPORT_FILE_OPS=PATH  at exit the number of operations made and,
//                                on a second line, how many of them were
//                                writes are written to PATH (decimal)
#pragma once

#include "platform/core/Result.h"

namespace platform::files::faults {

// The exit status of an injected crash.
inline constexpr int kCrashExitStatus = 86;

enum class Op { Write, Truncate, Sync, Rename, Unlink };

// The file layer calls this before every counted operation: it counts the
// operation, ends the process when a crash is due, and answers dskFulErr
// for a write chosen to fail.
Result<void> before(Op op);

// The k-th counted operation from now (1 = the next one) ends the process;
// 0 turns the switch off.
void crash_before_operation(long k);
// The k-th write from now (1 = the next one) fails with dskFulErr; 0 off.
void fail_write(long k);

// While on, copies between files are read and written by the process, as
// when the kernel declines to copy them itself (File::copy_from).
void refuse_kernel_copies(bool on);
bool kernel_copies_refused();

// Operations and writes counted since the start of the process.
long operation_count();
long write_count();

// Writes the report named by KINORA_REPORT_FILE_OPS now (the platform also
// does so at exit, ExitToShell included).
void write_report();

}  // namespace platform::files::faults
