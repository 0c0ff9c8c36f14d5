// Preferences.h — where the platform keeps preferences (atom containers).
//
// One file per preference type in $XDG_CONFIG_HOME/kinora/ (default
// ~/.config/kinora/), named after the type: its characters where they are
// letters or digits, %XX for any other byte, then ".prefs" ('cspd' is
// "cspd.prefs"). The file holds the container's bytes exactly as in its
// handle (AtomTree.h). Writes are atomic: a temporary file in the same
// folder, synced, renamed over the old file, then the folder synced.
#pragma once

#include <filesystem>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::atoms {

// Largest preference file read.
inline constexpr UInt64 kMaxPreferenceBytes = 16 * 1024 * 1024;

Result<std::filesystem::path> preferences_folder();
std::string preference_file_name(OSType type);

}  // namespace platform::atoms
