// ScreenBridge.h — joins QuickDraw's framebuffer to the host that shows it.
#pragma once

#include "platform/core/Result.h"
#include "platform/hostapi/Host.h"

namespace platform::host {

// Called once at launch: sizes the framebuffer from --screen, checks that
// the fonts are there (the error names what is missing), and makes the
// Event Manager present what was drawn before every wait, opening the host
// screen on the first present.
Result<void> attach_screen();

// Gives the screen another size, as the host window asks through the Event
// Manager: QuickDraw's screen and main device, the Window Manager's gray
// region (windows dragged back within reach), the menu bar and the host
// all follow. A size the screen cannot take leaves everything as it was.
Result<void> resize_screen(ScreenSize size);

}  // namespace platform::host
