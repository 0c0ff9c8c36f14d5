// The process's host: chosen on first use from the launch options.
//
//   launched with --headless, or no display   headless (virtual clock with
//                                             a script, real time without)
//   launched otherwise                        SDL, falling back to headless
//                                             with a one-line notice
//   not launched (unit tests)                 headless, virtual clock
//
// A script given at launch starts running as soon as the host exists.
#include <cstdio>
#include <cstdlib>

#include "platform/core/Environment.h"
#include "platform/hostapi/Host.h"
#include "platform/hostapi/LaunchOptions.h"
#include "platform/hosts/launch/Launch.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/hosts/headless/ScriptRunner.h"
#include "platform/hosts/sdl/SdlHost.h"

namespace platform::host {
namespace {

struct Registry {
    std::unique_ptr<Host> host;
};

Registry& registry() {
    static Registry r;
    return r;
}

std::unique_ptr<Host> choose_host() {
    if (!launched()) return std::make_unique<HeadlessHost>(HeadlessHost::Clock::Virtual);
    const LaunchOptions& o = launch_options();
    auto headless = [&] {
        return std::make_unique<HeadlessHost>(o.script ? HeadlessHost::Clock::Virtual
                                                       : HeadlessHost::Clock::RealTime);
    };
    if (o.headless) return headless();
    if (!env::get("DISPLAY") && !env::get("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "kinora: no display ($DISPLAY and $WAYLAND_DISPLAY are unset); running headless\n");
        return headless();
    }
    auto sdl = SdlHost::create();
    if (!sdl) {
        std::fprintf(stderr, "kinora: cannot open the display (%s); running headless\n", SDL_GetError());
        return headless();
    }
    return std::move(*sdl);
}

}  // namespace

Host& current() {
    Registry& r = registry();
    if (!r.host) {
        r.host = choose_host();
        if (auto script = take_launch_script()) script::ScriptRunner::start(std::move(*script), *r.host);
    }
    return *r.host;
}

bool exists() { return registry().host != nullptr; }

ScreenSize default_screen_size() { return launch_options().screen; }

void install_for_testing(std::unique_ptr<Host> host) { registry().host = std::move(host); }

}  // namespace platform::host
