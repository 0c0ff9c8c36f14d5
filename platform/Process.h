/*
 * Process.h — the application's process and its appearance.
 */
#pragma once

#include "platform/Types.h"

// Ends the process at once. The host is restored (screen, audio, recorded
// files finished) but nothing of the application runs any more.
[[noreturn]] void ExitToShell(void);

// Marks the application as drawn in the platform's appearance. Always noErr.
OSStatus RegisterAppearanceClient(void);
