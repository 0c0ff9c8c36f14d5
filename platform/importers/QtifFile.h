// QtifFile.h — the parts of a single-image movie-format file (QtifImage.cpp).
#pragma once

#include <span>

#include "platform/importers/DecodedImage.h"

namespace platform::importers {

struct QtifParts {
    std::span<const UInt8> description;   // the 'idsc' body, stored (big-endian) form
    std::span<const UInt8> data;          // the 'idat' body
};

// The description and data atoms of the file (codecBadDataErr when the
// atoms do not fit the file, or either is missing or doubled).
Result<QtifParts> read_qtif(std::span<const UInt8> file);

// Whether the start of a file looks like such a file (see ImageFormats.h).
bool looks_like_qtif(std::span<const UInt8> start);

}  // namespace platform::importers
