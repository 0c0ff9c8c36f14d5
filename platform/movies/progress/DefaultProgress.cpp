// The platform's own progress: an operation that takes longer than about
// half a second shows a progress display (the progress window) whose bar
// follows the share done, and takes it away when done.
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>

#include "platform/core/Environment.h"
#include "platform/hostapi/Host.h"
#include "platform/movies/progress/DefaultProgress.h"
#include "platform/movies/progress/MovieProgress.h"

namespace platform::movies {

namespace {

// KINORA_PROGRESS_DELAY_MS, when it is a number of milliseconds (0 or more).
std::optional<std::chrono::milliseconds> delay_from_environment() {
    auto text = env::get("KINORA_PROGRESS_DELAY_MS");
    if (!text) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long n = std::strtol(text->c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n < 0) return std::nullopt;
    return std::chrono::milliseconds(n);
}

std::chrono::milliseconds g_show_after = delay_from_environment().value_or(std::chrono::milliseconds(500));

struct State {
    bool running = false;
    bool declined = false;
    UInt64 started_ms = 0;   // host clock
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
        s.started_ms = host::current().now_ms();
        break;
    case movieProgressUpdatePercent:
        if (!s.running) break;
        if (!s.display && !s.declined && host::current().now_ms() - s.started_ms >= UInt64(g_show_after.count())) {
            s.display = make_display(operation);
            s.declined = !s.display;   // no screen: do not ask again
        }
        if (!s.display) break;
        s.display->show(percent);
        if (s.display->cancel_requested()) return userCanceledErr;
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
