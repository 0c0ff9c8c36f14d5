// ProcessExit.h — ending the process cleanly from anywhere.
//
// Hosts register hooks that restore what they hold (the host window, the
// audio device, a recording being written); ExitToShell runs them, newest
// first, and ends the process with the status the host chose.
#pragma once

#include <functional>

namespace platform::process {

using ExitHook = std::function<void()>;

// Returns an id for remove_exit_hook.
int add_exit_hook(ExitHook hook);
void remove_exit_hook(int id);

void set_exit_status(int status);
int exit_status();

// Runs every hook once (newest first), flushes stdio and ends the process.
[[noreturn]] void exit_now();

}  // namespace platform::process
