// DefaultProgress.h — the platform's own progress display.
//
// The default progress procedure decides when to show progress (once the
// operation has run about half a second by the host's clock) and passes
// the share done to a display: the progress window, which the side that
// draws windows installs (platform/progresswindow), or whatever a test
// installs in its place. Without a screen, or with no window installed,
// nothing is shown. While a display is up it is asked on every update
// whether the user cancelled; the procedure then answers userCanceledErr
// and the operation stops (it fails with progressProcAborted, which the
// application does not report).
//
// On the headless host's virtual clock an operation takes no time, so
// progress never shows there unless KINORA_PROGRESS_DELAY_MS (a number
// of milliseconds, 0 for at once) says otherwise; a script that means to
// see or cancel the progress window sets it.
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
    // Whether the user asked, since the last update, to stop.
    virtual bool cancel_requested() { return false; }
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
// How long an operation runs before progress shows (500 ms, or
// KINORA_PROGRESS_DELAY_MS; tests change it).
void set_progress_delay(std::chrono::milliseconds delay);

}  // namespace platform::movies
