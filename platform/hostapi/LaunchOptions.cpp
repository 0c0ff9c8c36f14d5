// Parsing the launch command line; kept apart from the launch entry so it
// can be tested in-process.
#include "platform/hostapi/LaunchOptions.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace platform::host {
namespace {

LaunchOptions& stored() {
    static LaunchOptions options;
    return options;
}

bool parse_side(std::string_view text, int& out) {
    if (text.empty() || text.size() > 5) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

bool parse_screen(std::string_view text, std::optional<ScreenSize>& out) {
    size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    ScreenSize s;
    if (!parse_side(text.substr(0, x), s.width) || !parse_side(text.substr(x + 1), s.height))
        return false;
    if (!screen_size_valid(s)) return false;
    out = s;
    return true;
}

bool parse_seconds(const std::string& text, double& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace((unsigned char)text[0]))
        return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0 || v > 1e6) return false;
    out = v;
    return true;
}

}  // namespace

const char* launch_usage() {
    return "usage: kinora [--headless] [--script FILE] [--screen WxH] [--scale N] [--record-audio FILE.wav] "
           "[--timeout SECONDS] [--new-instance] [DOCUMENT...]";
}

std::string launch_help() {
    return std::string(launch_usage()) +
           "\n\n"
           "Opens each DOCUMENT (movies, still images, WAV and AIFF sounds) in a window.\n\n"
           "  --headless             run without a window, the screen kept in memory\n"
           "  --script FILE          drive the application from a script\n"
           "  --screen WxH           the screen's size (default 1024x768)\n"
           "  --record-audio FILE    record what is played into a WAV file (headless)\n"
           "  --timeout SECONDS      end after this long (default 60 with a script)\n"
           "  --new-instance         open the documents in a new Kinora, not the one running\n"
           "  -h, --help             print this help and exit\n"
           "  --version              print the version and exit\n\n"
           "See kinora(1) for the script language, the files and the environment.";
}

const char* launch_version() { return "kinora " KINORA_VERSION; }

LaunchParse parse_launch_options(std::span<const char* const> args) {
    LaunchOptions o;
    auto failure = [](std::string message) { return LaunchParse{std::nullopt, std::move(message)}; };
    bool only_documents = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i] ? args[i] : "";
        if (only_documents || arg.empty() || arg[0] != '-' || arg == "-") {
            if (arg.empty()) return failure("empty document name");
            o.documents.push_back(arg);
            continue;
        }
        if (arg == "--") {
            only_documents = true;
            continue;
        }
        // --name=value or --name value
        std::string name = arg, value;
        bool inline_value = false;
        if (size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inline_value = true;
        }
        auto take_value = [&]() -> bool {
            if (inline_value) return true;
            if (i + 1 >= args.size() || !args[i + 1]) return false;
            value = args[++i];
            return true;
        };
        if (name == "--headless" || name == "--help" || name == "-h" || name == "--new-instance" ||
            name == "--version") {
            if (inline_value) return failure(name + " takes no value");
            if (name == "--headless") o.headless = true;
            else if (name == "--new-instance") o.new_instance = true;
            else if (name == "--version") o.version = true;
            else o.help = true;
        } else if (name == "--script") {
            if (!take_value() || value.empty()) return failure("--script needs a file");
            o.script = value;
        } else if (name == "--screen") {
            if (!take_value()) return failure("--screen needs a size such as 1024x768");
            if (!parse_screen(value, o.screen))
                return failure("bad --screen '" + value + "': expected WxH, each side 32 to 8192");
        } else if (name == "--scale") {
            int scale = 0;
            if (!take_value()) return failure("--scale needs a whole number such as 2");
            if (!parse_side(value, scale) || scale < 1 || scale > kMaxScreenScale)
                return failure("bad --scale '" + value + "': expected a whole number 1 to " +
                               std::to_string(kMaxScreenScale));
            o.scale = scale;
        } else if (name == "--record-audio") {
            if (!take_value() || value.empty()) return failure("--record-audio needs a file");
            o.record_audio = value;
        } else if (name == "--timeout") {
            double seconds = 0;
            if (!take_value()) return failure("--timeout needs a number of seconds");
            if (!parse_seconds(value, seconds))
                return failure("bad --timeout '" + value + "': expected a positive number of seconds");
            o.timeout_seconds = seconds;
        } else {
            return failure("unknown option " + name);
        }
    }
    return LaunchParse{std::move(o), {}};
}

const LaunchOptions& launch_options() { return stored(); }
void set_launch_options(const LaunchOptions& options) { stored() = options; }

namespace {
bool g_launched = false;
}

bool launched() { return g_launched; }
void set_launched() { g_launched = true; }

std::optional<double> effective_timeout(const LaunchOptions& options) {
    if (options.timeout_seconds) return options.timeout_seconds;
    if (options.script) return 60.0;
    return std::nullopt;
}

}  // namespace platform::host
