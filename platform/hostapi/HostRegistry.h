// HostRegistry.h — how the process's host comes to be.
//
// The registry knows no host of its own: the hosts a program can have are
// handed to it before main by what the program links. Every program that
// links the platform gets the headless host (hosts/launch/PlatformEntry.cpp);
// only programs that can show a window link the SDL host's entry
// (hosts/sdl/SdlEntry.cpp), so the rest carry neither SDL nor X11.
//
//   not launched (unit tests)                 headless, virtual clock
//   launched with --headless, or no display   headless (virtual clock with
//                                             a script, real time without)
//   launched otherwise                        the window host, falling back
//                                             to headless with a one-line
//                                             notice (also when the program
//                                             has none)
#pragma once

#include <memory>
#include <string>

#include "platform/hostapi/Host.h"

namespace platform::host {

// Makes the headless host on a virtual clock or in real time.
using HeadlessHostMaker = std::unique_ptr<Host> (*)(bool virtualClock);
// Makes a host with a real window; null with the reason when it cannot.
using WindowHostMaker = std::unique_ptr<Host> (*)(std::string& whyNot);
// Runs once, right after the host is made (the launch script starts).
using HostStarted = void (*)(Host& host);

void set_headless_host_maker(HeadlessHostMaker maker);
void set_window_host_maker(WindowHostMaker maker);
void set_host_started(HostStarted started);

}  // namespace platform::host
