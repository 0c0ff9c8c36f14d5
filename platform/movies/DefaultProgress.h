// DefaultProgress.h — the platform's own progress display.
//
// The default progress procedure decides when to show progress (after
// about half a second) and passes the share done to a display. The display
// itself comes from a factory the window layer installs, so the movie
// toolbox does not depend on windows; without one nothing is shown.
#pragma once

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

using ProgressDisplayFactory = std::function<std::unique_ptr<ProgressDisplay>(SInt16 operation)>;
void set_progress_display_factory(ProgressDisplayFactory factory);

// Whether a progress display is up now (tests).
bool default_progress_showing();

}  // namespace platform::movies
