// DefaultProgress.h — the platform's own progress display.
//
// The default progress procedure decides when to show progress (after
// about half a second) and passes the share done to a display: the
// progress window, which the side that draws windows installs
// (platform/progresswindow), or whatever a test installs in its place.
// Without a screen, or with no window installed, nothing is shown.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "platform/Types.h"

namespace platform::movies {

class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // The share done as a Fixed (0x10000 = all).
    virtual void show(Fixed done) = 0;
};

// Makes the display for an operation; null for none.
using ProgressDisplayFactory = std::function<std::unique_ptr<ProgressDisplay>(SInt16 operation)>;
// nullptr puts the platform's display (the progress window) back.
void set_progress_display_factory(ProgressDisplayFactory factory);

// The platform's display, installed before main by the side that draws
// windows.
void set_platform_progress_display(ProgressDisplayFactory factory);

// Whether a progress display is up now (tests).
bool default_progress_showing();
// How long an operation runs before progress shows (500 ms; tests change it).
void set_progress_delay(std::chrono::milliseconds delay);

}  // namespace platform::movies
