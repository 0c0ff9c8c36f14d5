// ScreenBridge.h — joins QuickDraw's framebuffer to the host that shows it.
#pragma once

#include "platform/core/Result.h"

namespace platform::host {

// Called once at launch: sizes the framebuffer from --screen, checks that
// the fonts are there (the error names what is missing), and makes the
// Event Manager present what was drawn before every wait, opening the host
// screen on the first present.
Result<void> attach_screen();

}  // namespace platform::host
