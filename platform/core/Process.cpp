// The process: ExitToShell and the hooks that restore the host on the way out.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/Errors.h"
#include "platform/Process.h"
#include "platform/core/ProcessExit.h"

// The leak checker's entry point, present only when the program runs under
// it. _Exit skips the check it would make at exit, so we ask for it.
extern "C" void __lsan_do_leak_check(void) __attribute__((weak));

#ifdef KINORA_SANITIZE_BUILD
// Blocks the system's libraries lose on their own (SDL's window left to a
// display that went away, the display connection, D-Bus, the sound server,
// the GL drivers behind the host window) are not ours to free; the checker
// reports only the rest.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libSDL2\n"
           "leak:libX11.so\n"
           "leak:libxcb\n"
           "leak:libasound.so\n"
           "leak:libpulse\n"
           "leak:libGLX\n"
           "leak:libGL.so\n"
           "leak:libEGL\n"
           "leak:_dri.so\n"
           "leak:libgallium\n"
           "leak:libLLVM\n";
}
#endif

namespace platform::process {
namespace {

struct State {
    std::mutex lock;
    std::map<int, ExitHook> hooks;   // by id; higher ids are newer
    int next_id = 1;
    int status = 0;
    bool exiting = false;
};

// Never destroyed: objects torn down during static destruction (a host
// with its audio device) still remove their hooks.
State& state() {
    static State& s = *new State;
    return s;
}

}  // namespace

int add_exit_hook(ExitHook hook) {
    auto& s = state();
    std::lock_guard g(s.lock);
    int id = s.next_id++;
    s.hooks[id] = std::move(hook);
    return id;
}

void remove_exit_hook(int id) {
    auto& s = state();
    std::lock_guard g(s.lock);
    s.hooks.erase(id);
}

void set_exit_status(int status) {
    auto& s = state();
    std::lock_guard g(s.lock);
    s.status = status;
}

int exit_status() {
    auto& s = state();
    std::lock_guard g(s.lock);
    return s.status;
}

void exit_now() {
    auto& s = state();
    std::map<int, ExitHook> hooks;
    {
        std::lock_guard g(s.lock);
        if (!s.exiting) {
            s.exiting = true;
            hooks.swap(s.hooks);
        }
    }
    // A hook that itself ends up here again falls straight through.
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) it->second();
    std::fflush(nullptr);
    // What the application still holds is not a leak; what it lost is, and
    // the checker ends the process with its own status when it finds some.
    if (__lsan_do_leak_check) __lsan_do_leak_check();
    std::_Exit(exit_status());
}

}  // namespace platform::process

void ExitToShell(void) { platform::process::exit_now(); }

OSStatus RegisterAppearanceClient(void) { return noErr; }
