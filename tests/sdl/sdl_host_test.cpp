// The event logger on the SDL host under Xvfb: a frame shown and read back
// from the window, real keys and clicks through XTEST, the screen scaled into a resized window, the window's close button ending
// the program through the quit hook, and the program ending when the
// display goes away.
#include "tests/sdl/sdl_test_util.h"

#include "platform/Events.h"
#include "platform/events/EventsInternal.h"
#include "platform/hosts/sdl/SdlHost.h"

using namespace sdltest;

namespace {

const std::string kLogger = KINORA_BUILD_DIR "/tests/event_logger";

// The logger's screen is red, green, blue and white quarters; each is
// probed at its centre, the screen lying at (left, top) in `img`, `width`
// by `height`.
void expect_quarters(const Rgb& img, int left, int top, int width, int height) {
    const int l = left + width / 4, r = left + 3 * width / 4, t = top + height / 4, b = top + 3 * height / 4;
    EXPECT_EQ(std::tuple(img.at(l, t), img.at(r, t), img.at(l, b), img.at(r, b)), std::tuple(0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu));
}

class SdlHost : public XTest {};

}  // namespace

TEST_F(SdlHost, ShowsTheScreenTakesInputAndClosesThroughTheQuitHook) {
    KINORA_START_X();
    const fs::path capture = dir / "capture.png";
    // A fixed screen: the window keeps showing all of it whatever its size.
    Child app({kLogger, "--screen", "1024x768"}, {"DISPLAY=" + x.display(), "EVENT_LOGGER_CAPTURE=" + capture.string()},
              out, err);
    ASSERT_GT(app.pid(), 0);
    ASSERT_TRUE(wait_for_text(out, "captured\n", 15s)) << read_file(out) << read_file(err);
    EXPECT_NE(read_file(out).find("screen 1024x768 on sdl"), std::string::npos);

    // What the window shows: the four quadrants, at the window's size.
    Rgb img = read_png(capture);
    EXPECT_EQ(std::tuple(img.width, img.height), std::tuple(1024, 768));
    expect_quarters(img, 0, 0, 1024, 768);

    // Ctrl is the Command key; a click arrives at screen coordinates.
    ASSERT_EQ(drive(x.display(), "key Kinora n ctrl"), 0);
    EXPECT_TRUE(wait_for_text(out, "keyDown char=6e key=2d mods=0180", 5s)) << read_file(out);
    ASSERT_EQ(drive(x.display(), "key Kinora a"), 0);
    EXPECT_TRUE(wait_for_text(out, "keyDown char=61 key=00 mods=0080", 5s)) << read_file(out);
    ASSERT_EQ(drive(x.display(), "click Kinora 100 50"), 0);
    EXPECT_TRUE(wait_for_text(out, "mouseDown where=100,50 mods=0000", 5s)) << read_file(out);
    EXPECT_TRUE(wait_for_text(out, "mouseUp where=100,50 mods=0080", 5s)) << read_file(out);

    // A window of another shape: the screen scaled to its height (400x300),
    // centred between black bars, and clicks mapped back to screen pixels.
    ASSERT_EQ(drive(x.display(), "resize Kinora 512 300"), 0);
    fs::path seen = dir / "resized.ppm";
    Rgb window;
    for (int i = 0; i < 50 && window.width != 512; ++i) {
        std::this_thread::sleep_for(100ms);
        ASSERT_EQ(drive(x.display(), "capture Kinora " + seen.string()), 0);
        window = read_ppm(seen);
    }
    ASSERT_EQ(std::tuple(window.width, window.height), std::tuple(512, 300));
    EXPECT_EQ(std::tuple(window.at(20, 150), window.at(490, 150)), std::tuple(0x000000u, 0x000000u));
    expect_quarters(window, 56, 0, 400, 300);
    ASSERT_EQ(drive(x.display(), "click Kinora 106 20"), 0);
    EXPECT_TRUE(wait_for_text(out, "mouseDown where=129,52 mods=0000", 5s)) << read_file(out);

    // The close button: a quit request, turned into 'quit' by the handler.
    ASSERT_EQ(drive(x.display(), "close Kinora"), 0);
    EXPECT_EQ(app.wait(10s), 0) << read_file(out) << read_file(err);
    const std::string log = read_file(out);
    const size_t request = log.find("quit requested by the host window was closed\n");
    EXPECT_TRUE(request != std::string::npos && log.find("highLevel class=aevt id=quit payload=from-quit-hook", request) != std::string::npos)
        << log;
}

// The server going away (a session ending, a crash) ends the program at
// once through its exit hooks, rather than leaving it spinning on a dead
// connection while it tears its window down.
TEST_F(SdlHost, QuitsWhenTheDisplayGoesAway) {
    KINORA_START_X();
    Child app({kLogger}, {"DISPLAY=" + x.display(), "EVENT_LOGGER_CAPTURE=" + (dir / "c.png").string()}, out, err);
    ASSERT_TRUE(wait_for_text(out, "captured\n", 15s)) << read_file(out) << read_file(err);
    x.stop();
    EXPECT_EQ(app.wait(10s), 1) << read_file(out) << read_file(err);
    EXPECT_NE(read_file(err).find("kinora: the connection to the display " + x.display() + " was lost; quitting\n"),
              std::string::npos) << read_file(err);
    EXPECT_NE(read_file(out).find("exit ticks="), std::string::npos) << "the exit hooks ran";
}

TEST_F(SdlHost, FallsBackToHeadlessWhenTheDisplayCannotBeOpened) {
    Child app({kLogger, "--timeout", "1"}, {"DISPLAY=:12345"}, out, err);
    EXPECT_EQ(app.wait(20s), 2) << "ended by the timeout";
    const std::string said = read_file(err);
    EXPECT_EQ(said.rfind("kinora: cannot open the display (", 0), 0u) << said;
    EXPECT_NE(said.find("); running headless\nkinora: timed out after 1 s\n"), std::string::npos) << said;
    EXPECT_NE(read_file(out).find("screen 1024x768 on headless"), std::string::npos);
}

// Files dropped on the window are documents to open: one drop's files in one
// request, text dropped left out.
TEST_F(SdlHost, FilesDroppedOnTheWindowOpenTogether) {
    const fs::path opened = dir / "opened.txt";
    int status = testsupport::run_in_child([&] {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        auto sdl = platform::host::SdlHost::create();
        if (!sdl) return 2;
        platform::host::install_for_testing(std::move(*sdl));
        std::string log;
        platform::events::set_documents_handler([&](const std::vector<std::string>& paths) {
            for (const std::string& p : paths) log += p + "|";
            log += "\n";
        });
        auto push = [](Uint32 type, const char* file) {
            SDL_Event e{};
            e.drop = {type, 0, file ? SDL_strdup(file) : nullptr, 0};
            SDL_PushEvent(&e);
        };
        push(SDL_DROPBEGIN, nullptr);
        for (const char* f : {"/a.mov", "some text", "/b c.png"}) push(f[0] == '/' ? SDL_DROPFILE : SDL_DROPTEXT, f);
        push(SDL_DROPCOMPLETE, nullptr);
        push(SDL_DROPFILE, "/d.mov");   // without a begin: on its own
        EventRecord e;
        for (int i = 0; i < 5; ++i) WaitNextEvent(everyEvent, &e, 0, nullptr);
        testsupport::write_file(opened, log);
        return 0;
    }, 60s);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(read_file(opened), "/a.mov|/b c.png|\n/d.mov|\n");
}
