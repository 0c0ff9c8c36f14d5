// DefaultProgress.h — the platform's own progress display.
//
// The default progress procedure decides when to show progress (after
// about half a second) and passes the share done to a display: the
// progress window (ProgressWindow.cpp), or whatever a test installs in its
// place. Without a screen nothing is shown.
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
// nullptr puts the progress window back.
void set_progress_display_factory(ProgressDisplayFactory factory);

// The progress window, on the screen when there is one.
std::unique_ptr<ProgressDisplay> make_progress_window(SInt16 operation);

// Whether a progress display is up now (tests).
bool default_progress_showing();
// How long an operation runs before progress shows (500 ms; tests change it).
void set_progress_delay(std::chrono::milliseconds delay);

}  // namespace platform::movies
