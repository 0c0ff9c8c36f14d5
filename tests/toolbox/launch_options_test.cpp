#include <gtest/gtest.h>

#include "platform/hostapi/LaunchOptions.h"

using namespace platform::host;

namespace {

LaunchParse parse(std::vector<const char*> args) { return parse_launch_options(args); }

}  // namespace

TEST(LaunchOptions, DefaultsAndEveryOption) {
    LaunchParse none = parse({});
    ASSERT_TRUE(none.options);
    EXPECT_FALSE(none.options->headless);
    EXPECT_FALSE(none.options->new_instance);
    EXPECT_FALSE(none.options->screen.has_value()) << "the host chooses";
    EXPECT_FALSE(none.options->scale.has_value());
    EXPECT_FALSE(effective_timeout(*none.options).has_value());

    LaunchParse all = parse({"--headless", "--script", "demo.kscript", "--screen", "800x600", "--scale=3",
                             "--record-audio=out.wav", "--timeout", "2.5", "--new-instance", "a.mov", "b.mov"});
    ASSERT_TRUE(all.options) << all.error;
    const LaunchOptions& o = *all.options;
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.new_instance);
    EXPECT_EQ(o.script, "demo.kscript");
    ASSERT_TRUE(o.screen.has_value());
    EXPECT_EQ(o.screen->width, 800);
    EXPECT_EQ(o.screen->height, 600);
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.record_audio, "out.wav");
    EXPECT_EQ(effective_timeout(o), 2.5);
    EXPECT_EQ(o.documents, (std::vector<std::string>{"a.mov", "b.mov"}));

    // A script alone gets the 60 s wall-clock limit.
    EXPECT_EQ(effective_timeout(*parse({"--script=s"}).options), 60.0);
    // After "--" everything is a document, even what looks like an option.
    EXPECT_EQ(parse({"--", "--headless", "-"}).options->documents,
              (std::vector<std::string>{"--headless", "-"}));
}

TEST(LaunchOptions, BadOptionsAreRejectedWithAReason) {
    struct Case {
        std::vector<const char*> args;
        const char* error;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"-x"}, "unknown option -x"},
        {{"--script"}, "--script needs a file"},
        {{"--script="}, "--script needs a file"},
        {{"--screen"}, "--screen needs a size such as 1024x768"},
        {{"--screen", "10x10"}, "bad --screen '10x10': expected WxH, each side 32 to 8192"},
        {{"--screen", "800"}, "bad --screen '800': expected WxH, each side 32 to 8192"},
        {{"--screen", "800x-6"}, "bad --screen '800x-6': expected WxH, each side 32 to 8192"},
        {{"--screen", "9000x600"}, "bad --screen '9000x600': expected WxH, each side 32 to 8192"},
        {{"--screen", "800x600x"}, "bad --screen '800x600x': expected WxH, each side 32 to 8192"},
        {{"--scale"}, "--scale needs a whole number such as 2"},
        {{"--scale", "0"}, "bad --scale '0': expected a whole number 1 to 8"},
        {{"--scale", "1.5"}, "bad --scale '1.5': expected a whole number 1 to 8"},
        {{"--scale", "9"}, "bad --scale '9': expected a whole number 1 to 8"},
        {{"--timeout", "0"}, "bad --timeout '0': expected a positive number of seconds"},
        {{"--timeout", "-1"}, "bad --timeout '-1': expected a positive number of seconds"},
        {{"--timeout", "ten"}, "bad --timeout 'ten': expected a positive number of seconds"},
        {{"--timeout", "nan"}, "bad --timeout 'nan': expected a positive number of seconds"},
        {{"--timeout"}, "--timeout needs a number of seconds"},
        {{"--headless=yes"}, "--headless takes no value"},
        {{"--version=2"}, "--version takes no value"},
        {{"--record-audio"}, "--record-audio needs a file"},
        {{""}, "empty document name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        LaunchParse r = parse(c.args);
        EXPECT_FALSE(r.options.has_value());
        EXPECT_EQ(r.error, c.error);
    }
}
