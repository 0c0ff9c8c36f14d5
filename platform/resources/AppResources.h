// AppResources.h — finding and opening the application's own resource file,
// and the in-memory opening that tests and fuzz targets use.
#pragma once

#include <span>
#include <string>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::resources {

// Where the application's resources are: $KINORA_RESOURCES when set, else
// Kinora.rsrc beside the running executable, else (an installed program)
// ../share/kinora/Kinora.rsrc from the executable's folder. When neither
// is there, the path beside the executable, for the error to name.
std::string application_resources_path();

// Opens that file and makes it current. On failure ResError is set too and
// the message says which file was looked for.
Result<SInt16> open_application_resources();

// Opens a resource file image held in memory, as OpenResourceFileAtPath does
// a file (current afterwards; ResError set).
Result<SInt16> open_resource_image(std::span<const UInt8> image);

}  // namespace platform::resources
