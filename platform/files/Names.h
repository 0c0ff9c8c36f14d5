// Names.h — file names and folders as the File Manager sees them.
//
// Directory IDs: a process-wide registry gives every absolute folder an ID
// the first time it is named (2 is "/", 1 the parent of the root); IDs are
// never reused, so an FSSpec keeps naming the same folder path.
//
// Long names: an FSSpec holds at most 63 bytes of name. A longer name
// (up to the host's 255) is represented by a stand-in
//     <start of the name, cut at a character boundary> '#' <8 hex digits> <extension>
// where the digits are a hash of the whole name (so the same name usually
// gets the same stand-in in every process) and the extension (".mov") is
// kept when it is at most 16 bytes. The registry remembers, per folder,
// which stand-in means which long name; a stand-in never collides with
// another long name or with a real file of that name in the folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::files {

inline constexpr size_t kMaxSpecName = 63;   // bytes in an FSSpec's name
inline constexpr size_t kMaxHostName = 255;  // bytes in one name on the host

bool is_valid_utf8(std::string_view text);

// A single name a folder can hold: not empty, not "." or "..", no '/',
// no NUL, valid UTF-8, at most kMaxHostName bytes.
bool is_valid_leaf_name(std::string_view name);

// The ID of an absolute, normalised folder path (registered on first use).
SInt32 directory_id(const std::filesystem::path& folder);
// The folder of an ID; nothing for an ID never handed out.
std::optional<std::filesystem::path> directory_path(SInt32 dirID);

// The FSSpec name for a leaf name of `folder` (dirID): the name itself when
// it fits, otherwise its registered stand-in. bdNamErr when the name is
// invalid, or when it is a short name that a stand-in of this folder
// already means.
Result<std::string> spec_name_for(SInt32 dirID, const std::filesystem::path& folder,
                                  std::string_view leaf);
// The host name an FSSpec name stands for in that folder: the long name of
// a registered stand-in, or the name itself.
std::string host_name_for(SInt32 dirID, std::string_view specName);

// Forgets every stand-in (fuzzing runs; FSSpecs holding one stop resolving).
void forget_long_names();

}  // namespace platform::files
