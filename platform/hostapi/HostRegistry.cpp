// The process's host: chosen on first use from the launch options, among
// the hosts the program linked (HostRegistry.h).
#include "platform/hostapi/HostRegistry.h"

#include <cstdio>
#include <cstdlib>

#include "platform/core/Environment.h"
#include "platform/hostapi/LaunchOptions.h"

namespace platform::host {
namespace {

struct Registry {
    std::unique_ptr<Host> host;
    HeadlessHostMaker headless = nullptr;
    WindowHostMaker window = nullptr;
    HostStarted started = nullptr;
};

Registry& registry() {
    static Registry r;
    return r;
}

std::unique_ptr<Host> make_headless(bool virtualClock) {
    HeadlessHostMaker maker = registry().headless;
    if (!maker) {
        // A program built from platform libraries without the platform's
        // entry: a build mistake, not something a user can cause.
        std::fprintf(stderr, "kinora: this program was linked without a host (link kplatform)\n");
        std::abort();
    }
    return maker(virtualClock);
}

std::unique_ptr<Host> choose_host() {
    if (!launched()) return make_headless(true);
    const LaunchOptions& o = launch_options();
    const bool scripted = o.script.has_value();
    if (o.headless) return make_headless(scripted);
    if (!env::get("DISPLAY") && !env::get("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "kinora: no display ($DISPLAY and $WAYLAND_DISPLAY are unset); running headless\n");
        return make_headless(scripted);
    }
    WindowHostMaker window = registry().window;
    if (!window) {
        std::fprintf(stderr, "kinora: this program cannot show a window (it has no window host); running headless\n");
        return make_headless(scripted);
    }
    std::string whyNot;
    if (auto host = window(whyNot)) return host;
    std::fprintf(stderr, "kinora: cannot open the display (%s); running headless\n", whyNot.c_str());
    return make_headless(scripted);
}

}  // namespace

Host& current() {
    Registry& r = registry();
    if (!r.host) {
        r.host = choose_host();
        if (r.started) r.started(*r.host);
    }
    return *r.host;
}

bool exists() { return registry().host != nullptr; }

ScreenSize default_screen_size() {
    const LaunchOptions& o = launch_options();
    if (o.screen) return *o.screen;
    if (launched() && !o.headless)
        if (auto fills = current().display_screen_size()) return *fills;
    return ScreenSize{1024, 768};
}

void install_for_testing(std::unique_ptr<Host> host) { registry().host = std::move(host); }

void set_headless_host_maker(HeadlessHostMaker maker) { registry().headless = maker; }
void set_window_host_maker(WindowHostMaker maker) { registry().window = maker; }
void set_host_started(HostStarted started) { registry().started = started; }

}  // namespace platform::host
