// Launch.h — starting a Kinora program from its command line.
//
// The launch library (kplatform_launch, an object library linked only into
// application-like programs) calls launch() before main runs; the host is
// then set up lazily on the first toolbox call that needs it.
#pragma once

#include <optional>

#include "platform/hosts/headless/Script.h"

namespace platform::host {

struct LaunchOptions;

// Reads the options; on a bad option prints the usage line and exits 2,
// on --help or --version prints the help or the version and exits 0. Reads and checks the script (an
// unreadable script exits 2, a bad line exits 1 naming it) and starts the
// wall-clock watchdog when a timeout is in force.
void launch(int argc, char** argv);

// One Kinora per user session and display: a program that takes part
// (only the application links hosts/instance/InstanceEntry.cpp) sets this
// before launch() runs. launch() calls it when the launch shows a window
// and runs no script, and without --new-instance: headless runs, scripts
// and tests are never captured by a Kinora already running. It ends the
// process when the documents were handed to the running one, and returns
// when this process is to go on (then serving those that start after it).
using InstanceStart = void (*)(const LaunchOptions& options);
void set_instance_start(InstanceStart start);

// The parsed script, handed over once to the runner.
std::optional<script::Script> take_launch_script();

// Ends the process with status 2 after `seconds` of wall-clock time,
// naming the script line it was at.
void start_watchdog(double seconds);

}  // namespace platform::host
