// FileURL.h — "file:" URLs, as 'furl' descriptors carry them.
#pragma once

#include <string>
#include <string_view>

#include "platform/core/Result.h"

namespace platform::appleevents {

// The absolute POSIX path of a local file URL; errAECoercionFail for
// anything else (see FileURL.cpp for the accepted forms).
Result<std::string> path_from_file_url(std::string_view url);

// "file://" and the absolute path, percent-encoded.
std::string file_url_for_path(std::string_view absolutePath);

}  // namespace platform::appleevents
