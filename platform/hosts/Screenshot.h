// Screenshot.h — what a screenshot shows: the screen with the cursor drawn
// where the mouse is. The cursor goes onto a copy, never into the screen.
#pragma once

#include <string>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::host {

// `pixels`: the screen as the host last showed it, x,R,G,B, rowBytes apart.
Result<void> save_screenshot_with_cursor(const std::string& path, const UInt8* pixels, int width, int height,
                                         size_t rowBytes);

}  // namespace platform::host
