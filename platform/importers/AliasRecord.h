// AliasRecord.h — the alias records of 'alis' data references, in one place.
//
// QTNewAlias and GetMovieImporterForDataRef know aliases only through these
// two calls, so the record layout can change in this file alone.
#pragma once

#include <filesystem>
#include <span>
#include <vector>

#include "platform/core/Result.h"

namespace platform::importers {

// A record naming `target` (an absolute path) by its absolute path only:
// there is no movie for a relative path to start from.
Result<std::vector<UInt8>> make_file_alias(const std::filesystem::path& target);

// The absolute path a record names (invalidDataRef for a damaged record or
// one without a path).
Result<std::filesystem::path> resolve_file_alias(std::span<const UInt8> record);

}  // namespace platform::importers
