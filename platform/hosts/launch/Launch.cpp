// launch(): the platform's side of the process start.
#include "platform/hosts/launch/Launch.h"
#include "platform/appleevents/Delivery.h"
#include "platform/hosts/ScreenBridge.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/core/Environment.h"
#include "platform/events/EventsInternal.h"
#include "platform/hostapi/LaunchOptions.h"
#include "platform/hosts/headless/ScriptMessages.h"
#include "platform/hosts/headless/ScriptRunner.h"

namespace platform::host {
namespace {

struct LaunchState {
    std::optional<script::Script> script;
    InstanceStart instance_start = nullptr;
};

LaunchState& state() {
    static LaunchState s;
    return s;
}

[[noreturn]] void usage_exit(const std::string& error) {
    std::fprintf(stderr, "kinora: %s\n%s\n", error.c_str(), launch_usage());
    std::exit(2);
}

// Only a launch for a window on a display, with no script, takes part.
bool takes_part_in_instance(const LaunchOptions& o) {
    return !o.headless && !o.script && !o.new_instance && (env::get("DISPLAY") || env::get("WAYLAND_DISPLAY"));
}

}  // namespace

void set_instance_start(InstanceStart start) { state().instance_start = start; }

void launch(int argc, char** argv) {
    std::vector<const char*> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    LaunchParse parsed = parse_launch_options(args);
    if (!parsed.options) usage_exit(parsed.error);
    const LaunchOptions& o = *parsed.options;
    // Answered as command-line tools answer: on stdout, before any window
    // or the application's resources are needed.
    if (o.help || o.version) {
        std::printf("%s\n", o.help ? launch_help().c_str() : launch_version());
        std::exit(0);
    }
    if (o.script) {
        std::ifstream in(*o.script, std::ios::binary);
        if (!in) usage_exit("cannot read the script " + *o.script);
        std::ostringstream text;
        text << in.rdbuf();
        script::ParseResult result = script::parse_script(text.str());
        if (!result.script) {
            std::fprintf(stderr, "%s\n", script::script_message(result.error.line, result.error.message).c_str());
            std::exit(1);
        }
        state().script = std::move(result.script);
    }
    set_launch_options(o);
    set_launched();
    if (state().instance_start && takes_part_in_instance(o)) state().instance_start(o);
    if (auto attached = attach_screen(); !attached) {
        std::fprintf(stderr, "kinora: %s\n", attached.error().message);
        std::exit(1);
    }
    // From here on SIGINT and SIGTERM are quit requests, even before the
    // application first asks for an event.
    events::install_quit_signal_handlers();
    // The first event the application gets is 'oapp', or 'odoc' for the documents.
    appleevents::start_for_launch();
    if (auto seconds = effective_timeout(o)) start_watchdog(*seconds);
}

std::optional<script::Script> take_launch_script() {
    auto s = std::move(state().script);
    state().script.reset();
    return s;
}

void start_watchdog(double seconds) {
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        int line = script::ScriptRunner::running_line();
        if (line > 0)
            std::fprintf(stderr, "%s\n", script::script_message(line, script::msg::fill(script::msg::kTimedOut, {std::to_string(int(seconds + 0.5))})).c_str());
        else
            std::fprintf(stderr, "kinora: timed out after %g s\n", seconds);
        std::fflush(stderr);
        std::_Exit(2);
    }).detach();
}

}  // namespace platform::host
