#include <gtest/gtest.h>

#include "platform/hostapi/LaunchOptions.h"

using namespace platform::host;

namespace {

LaunchParse parse(std::vector<const char*> args) { return parse_launch_options(args); }

}  // namespace

TEST(LaunchOptions, DefaultsAndEveryOption) {
    const LaunchOptions none = *parse({}).options;   // the host chooses the screen; no limit without a script
    EXPECT_EQ(std::tuple(none.screen.has_value(), effective_timeout(none).has_value()), std::tuple(false, false));

    LaunchParse all = parse({"--headless", "--script", "demo.kscript", "--screen", "800x600", "--scale=3",
                             "--record-audio=out.wav", "--timeout", "2.5", "--new-instance", "a.mov", "b.mov"});
    ASSERT_TRUE(all.options) << all.error;
    const LaunchOptions& o = *all.options;
    ASSERT_TRUE(o.screen.has_value());
    EXPECT_EQ(std::tuple(o.headless, o.new_instance, o.script, o.screen->width, o.screen->height, o.scale, o.record_audio, effective_timeout(o)),
              std::tuple(true, true, "demo.kscript", 800, 600, 3, "out.wav", 2.5));
    EXPECT_EQ(o.documents, (std::vector<std::string>{"a.mov", "b.mov"}));

    // A script alone gets the 60 s wall-clock limit.
    EXPECT_EQ(effective_timeout(*parse({"--script=s"}).options), 60.0);
    // After "--" everything is a document, even what looks like an option.
    EXPECT_EQ(parse({"--", "--headless", "-"}).options->documents, (std::vector<std::string>{"--headless", "-"}));
}

TEST(LaunchOptions, BadOptionsAreRejectedWithAReason) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"--bogus"}, "unknown option --bogus"}, {{"-x"}, "unknown option -x"}, {{"--script"}, "--script needs a file"},
        {{"--script="}, "--script needs a file"}, {{"--screen"}, "--screen needs a size such as 1024x768"},
        {{"--scale"}, "--scale needs a whole number such as 2"}, {{"--timeout"}, "--timeout needs a number of seconds"},
        {{"--headless=yes"}, "--headless takes no value"}, {{"--version=2"}, "--version takes no value"},
        {{"--record-audio"}, "--record-audio needs a file"}, {{""}, "empty document name"},
    };
    for (const auto& [args, error] : cases) {
        LaunchParse r = parse(args);
        EXPECT_EQ(std::tuple(r.options.has_value(), r.error), std::tuple(false, std::string(error)));
    }
    for (const char* size : {"10x10", "800", "800x-6", "9000x600", "800x600x"})
        EXPECT_EQ(parse({"--screen", size}).error, std::string("bad --screen '") + size + "': expected WxH, each side 32 to 8192");
    for (const char* scale : {"0", "1.5", "9"})
        EXPECT_EQ(parse({"--scale", scale}).error, std::string("bad --scale '") + scale + "': expected a whole number 1 to 8");
    for (const char* seconds : {"0", "-1", "ten", "nan"})
        EXPECT_EQ(parse({"--timeout", seconds}).error, std::string("bad --timeout '") + seconds + "': expected a positive number of seconds");
}
