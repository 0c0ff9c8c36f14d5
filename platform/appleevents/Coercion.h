// Coercion.h — turning a descriptor's data into another type (the list of
// coercions is in platform/AppleEvents.h).
#pragma once

#include <string_view>

#include "platform/Files.h"
#include "platform/appleevents/DescData.h"

namespace platform::appleevents {

// The item as `desired` (its keyword kept); errAECoercionFail when it
// cannot be.
Result<Item> coerce(const Item& in, DescType desired);

// File items. The file itself need not exist, its folder must.
Result<FSSpec> fsspec_from_file_url(std::string_view url);
Result<FSSpec> fsspec_from_path_text(std::string_view path);
// An 'fss ' item's FSSpec (errAECoercionFail when the data is no FSSpec).
Result<FSSpec> fsspec_from_data(std::span<const UInt8> data);

}  // namespace platform::appleevents
