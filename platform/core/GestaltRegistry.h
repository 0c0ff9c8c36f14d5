// GestaltRegistry.h — how managers publish Gestalt selectors.
#pragma once

#include <functional>

#include "platform/Types.h"

namespace platform::gestalt {

// Registers (or replaces) a selector answered with a fixed value.
void set_value(OSType selector, SInt32 value);
// Registers (or replaces) a selector answered by a function.
void set_function(OSType selector, std::function<SInt32()> answer);
// Removes a selector (tests).
void remove(OSType selector);

// Test switch: makes Gestalt fail for a selector, as if it were absent.
// Also set from the environment: KINORA_FAIL_GESTALT=sysv,evnt
void set_failing(OSType selector, bool failing);

}  // namespace platform::gestalt
