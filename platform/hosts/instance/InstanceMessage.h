// InstanceMessage.h — what a starting Kinora sends the one already running
// in the user's session: the documents to open.
//
// One message is one packet on the instance socket (InstanceServer.h),
// big-endian:
//
//   offset  size  field
//   0       4     magic 'KNio'
//   4       2     version, 1
//   6       2     count of paths, 0 to kMaxInstancePaths (0: only come to the front)
//   8       ...   count times: u16 length (1 to kMaxInstancePathBytes), then the
//                 path's bytes: absolute (a leading '/'), no NUL byte
//
// The message ends exactly after its last path and is at most
// kMaxInstanceMessage bytes. Anything else is refused whole: the receiver
// trusts nothing in it (a path that parses still has to name a regular file
// when it arrives; that is the server's check, not the format's).
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::instance {

constexpr UInt32 kInstanceMagic = 'KNio';
constexpr UInt16 kInstanceVersion = 1;
constexpr size_t kInstanceHeaderBytes = 8;
constexpr size_t kMaxInstanceMessage = 64 * 1024;
constexpr size_t kMaxInstancePaths = 256;
constexpr size_t kMaxInstancePathBytes = 4095;   // PATH_MAX less its NUL

// The paths of a well-formed message, in order; paramErr naming the fault.
Result<std::vector<std::string>> parse_instance_message(std::span<const UInt8> bytes);

// The messages carrying `paths` (each absolute, without NUL, at most
// kMaxInstancePathBytes): as few as the limits allow, in order, and one
// message with no paths when there are none. paramErr for a path the
// format cannot carry.
Result<std::vector<std::vector<UInt8>>> encode_instance_messages(const std::vector<std::string>& paths);

}  // namespace platform::instance
