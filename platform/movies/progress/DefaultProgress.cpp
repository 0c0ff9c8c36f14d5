// The platform's own progress: an operation that takes longer than about
// half a second shows a progress display (the progress window) whose bar
// follows the share done, and takes it away when done.
#include <chrono>

#include "platform/movies/progress/DefaultProgress.h"
#include "platform/movies/progress/MovieProgress.h"

namespace platform::movies {

namespace {

std::chrono::milliseconds g_show_after{500};

struct State {
    bool running = false;
    bool declined = false;
    std::chrono::steady_clock::time_point started;
    std::unique_ptr<ProgressDisplay> display;
};

State& state() {
    static State s;
    return s;
}

ProgressDisplayFactory& platform_display() {
    static ProgressDisplayFactory f;
    return f;
}

// The display a test installed, else the platform's.
ProgressDisplayFactory& installed() {
    static ProgressDisplayFactory f;
    return f;
}

std::unique_ptr<ProgressDisplay> make_display(SInt16 operation) {
    const ProgressDisplayFactory& f = installed() ? installed() : platform_display();
    return f ? f(operation) : nullptr;
}

}  // namespace

void set_progress_display_factory(ProgressDisplayFactory f) { installed() = std::move(f); }

void set_platform_progress_display(ProgressDisplayFactory f) { platform_display() = std::move(f); }

void set_progress_delay(std::chrono::milliseconds delay) { g_show_after = delay; }

bool default_progress_showing() { return state().display != nullptr; }

OSErr default_movie_progress(::Movie, SInt16 message, SInt16 operation, Fixed percent, SRefCon) {
    State& s = state();
    switch (message) {
    case movieProgressOpen:
        s.running = true;
        s.declined = false;
        s.started = std::chrono::steady_clock::now();
        break;
    case movieProgressUpdatePercent:
        if (!s.running) break;
        if (!s.display && !s.declined && std::chrono::steady_clock::now() - s.started >= g_show_after) {
            s.display = make_display(operation);
            s.declined = !s.display;   // no screen: do not ask again
        }
        if (s.display) s.display->show(percent);
        break;
    case movieProgressClose:
        s.running = false;
        s.display.reset();
        break;
    default:
        break;
    }
    return noErr;
}

}  // namespace platform::movies
