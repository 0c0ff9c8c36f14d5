// FinderInfo.h — Finder type, creator and flags of host files.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "platform/Files.h"
#include "platform/core/Result.h"

namespace platform::files {

inline constexpr char kFinderInfoAttribute[] = "user.kinora.finder-info";
inline constexpr size_t kFinderInfoSize = 16;

std::array<UInt8, kFinderInfoSize> encode_finder_info(const FInfo& info);
// At least the type and creator (8 bytes) must be there; missing later
// fields are 0, bytes beyond the record are ignored. Nothing for less.
std::optional<FInfo> decode_finder_info(std::span<const UInt8> bytes);

// The Finder information a name implies: the type from its extension
// (case-insensitive; 0 when unknown), creator 0, no flags.
FInfo finder_info_for_name(std::string_view name);

// The stored Finder information of a file, else what its name implies.
Result<FInfo> read_finder_info(const std::filesystem::path& path);
// Stores the Finder information: true when stored, false (nothing stored)
// where the file system keeps no extended attributes.
Result<bool> write_finder_info(const std::filesystem::path& path, const FInfo& info);

}  // namespace platform::files
