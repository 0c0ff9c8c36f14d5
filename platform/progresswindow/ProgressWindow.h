// ProgressWindow.h — the platform's progress window, the display the movie
// toolbox's default progress shows (movies/progress/DefaultProgress.h). It lives
// above both the Window Manager and the movie toolbox, which reaches it
// only through the display it is handed at start.
#pragma once

#include <memory>

#include "platform/Types.h"
#include "platform/movies/progress/DefaultProgress.h"

namespace platform::progress {

// The progress window, on the screen when there is one; null otherwise.
// It has a Cancel button; Escape and Command-period cancel too.
std::unique_ptr<movies::ProgressDisplay> make_progress_window(SInt16 operation);

}  // namespace platform::progress
