// LaunchOptions.h — the command line of a Kinora program.
//
//   kinora [--headless] [--script FILE] [--screen WxH] [--scale N]
//          [--record-audio FILE.wav] [--timeout SECONDS] [--new-instance] [DOCUMENT...]
//   kinora --help | --version
//
// Without --screen the window host makes the screen the display's usable
// area, and the headless host 1024x768; --scale is how many display pixels
// each screen pixel takes in the window (chosen from the display's pixel
// density when absent).
//
// The platform reads it before the application's main runs (the launch
// library, kplatform_launch). Programs without that library (unit tests)
// run with the defaults.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/hostapi/Host.h"

namespace platform::host {

constexpr int kMaxScreenScale = 8;

struct LaunchOptions {
    bool headless = false;
    std::optional<std::string> script;        // path of the headless script
    std::optional<ScreenSize> screen;         // --screen: a fixed screen size
    std::optional<int> scale;                 // --scale: 1 to kMaxScreenScale
    std::optional<std::string> record_audio;  // for the sound output
    std::optional<double> timeout_seconds;    // wall clock; 60 with a script
    std::vector<std::string> documents;       // become 'odoc' (none: 'oapp')
    bool help = false;                        // --help: print usage, exit 0
    bool new_instance = false;                // never hand the documents to a running Kinora
    bool version = false;                     // --version: print the version, exit 0
};

struct LaunchParse {
    std::optional<LaunchOptions> options;
    std::string error;   // set when options is empty
};

LaunchParse parse_launch_options(std::span<const char* const> args);   // without argv[0]

const char* launch_usage();
// --help's text (the usage line, then each option) and --version's line.
std::string launch_help();
const char* launch_version();

// What the launch library read; the defaults when it is not linked in.
const LaunchOptions& launch_options();
void set_launch_options(const LaunchOptions& options);

// Whether the launch library read the command line (a program without it,
// such as a unit test, is not launched whatever options it sets).
bool launched();
void set_launched();

// The wall-clock limit in force: --timeout, else 60 s with a script, else none.
std::optional<double> effective_timeout(const LaunchOptions& options);

}  // namespace platform::host
