// The runner against stand-ins for the Window, Menu and Dialog Managers
// and an application loop, all in-process on a virtual clock: what a menu
// command does and how each failure reads. (Clicks in windows, buttons and
// fields against the real managers are the application's scripts'.)
#include <gtest/gtest.h>

#include <functional>

#include "platform/Events.h"
#include "platform/events/EventsInternal.h"
#include "platform/hostapi/ScriptWorld.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/hosts/headless/ScriptMessages.h"
#include "platform/hosts/headless/ScriptRunner.h"

namespace events = platform::events;
namespace host = platform::host;
using namespace platform::script;
using msg::fill;

namespace {

// A death test's pattern for exactly this failure on that line.
std::string failure(int line, std::string_view message) {
    std::string pattern;
    for (char c : script_message(line, message)) {
        if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

Rect rect(int left, int top, int right, int bottom) {
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}
bool inside(const Rect& r, Point p) { return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom; }

// A menu bar with File (New, Open…, Close) and Edit (Cut).
struct FakeMenus : MenuQueries {
    std::string pulled;   // the menu pulled down, if any
    bool close_enabled = false;
    std::vector<MenuTitleView> menu_titles() override {
        return {{"File", rect(10, 0, 50, 20)}, {"Edit", rect(50, 0, 90, 20)}};
    }
    std::vector<MenuItemView> menu_items(const std::string& title) override {
        std::vector<MenuItemView> items;
        if (title == "File")
            items = {{"New", true, rect(10, 20, 110, 36)},
                     {"Open\xE2\x80\xA6", true, rect(10, 36, 110, 52)},
                     {"Close", close_enabled, rect(10, 52, 110, 68)}};
        else if (title == "Edit") items = {{"Cut", false, rect(50, 20, 150, 36)}};
        if (pulled != title) for (auto& i : items) i.bounds = Rect{};
        return items;
    }
};

struct FakeWindows : WindowQueries {
    std::vector<WindowView> windows{{"Movie", rect(60, 50, 380, 290), true}, {"Hidden", rect(0, 0, 9, 9), false}};
    std::vector<WindowView> windows_front_to_back() override { return windows; }
};

struct FakeDialogs : DialogQueries {
    bool up = true;
    std::optional<DialogView> front_modal_dialog() override {
        if (!up) return std::nullopt;
        return DialogView{{"Save changes to \"Movie\"?"},
                          {{"Save", rect(300, 200, 360, 220), true},
                           {"Don\xE2\x80\x99t Save", rect(200, 200, 280, 220), true},
                           {"Cancel", rect(120, 200, 180, 220), false}},
                          std::string("MovieFile.mov")};
    }
};

class ScriptRunnerTest : public testing::Test {
protected:
    void SetUp() override {
        events::reset_for_testing();
        auto h = std::make_unique<host::HeadlessHost>();
        host_ = h.get();
        ASSERT_TRUE(host_->open_screen({640, 480}).ok());
        host::install_for_testing(std::move(h));
    }
    void TearDown() override {
        events::reset_for_testing();
        set_menu_queries(nullptr);
        set_window_queries(nullptr);
        set_dialog_queries(nullptr);
        set_apple_event_sender(nullptr);
    }

    // Runs an application loop under the script until the quit request at
    // its end; `app` sees every non-null event.
    void run(const std::string& text, const std::function<void(const EventRecord&)>& app) {
        ParseResult parsed = parse_script(text);
        ASSERT_TRUE(parsed.script) << parsed.error.message;
        runner_ = std::make_unique<ScriptRunner>(std::move(*parsed.script), *host_);
        events::set_input_feeder(runner_.get());
        bool quit = false;
        events::set_quit_handler([&](events::QuitSource s) {
            EXPECT_EQ(s, events::QuitSource::Script);
            quit = true;
        });
        EventRecord e;
        for (int guard = 0; !quit && guard < 100000; ++guard)
            if (WaitNextEvent(everyEvent, &e, 0, nullptr)) app(e);
        EXPECT_TRUE(quit);
    }

    // The Menu Manager's part: a press in the menu bar pulls the menu down
    // and tracks the mouse until release; the item under it is chosen.
    std::function<void(const EventRecord&)> menu_app(FakeMenus& menus, std::vector<std::string>& chosen) {
        return [&](const EventRecord& e) {
            if (e.what != mouseDown || e.where.v >= 20) return;
            for (const auto& t : menus.menu_titles()) if (inside(t.bounds, e.where)) menus.pulled = t.text;
            while (StillDown()) {}
            Point up = events::mouse_position();
            for (const auto& i : menus.menu_items(menus.pulled))
                if (i.enabled && inside(i.bounds, up)) chosen.push_back(i.text);
            menus.pulled.clear();
        };
    }

    host::HeadlessHost* host_ = nullptr;
    std::unique_ptr<ScriptRunner> runner_;
};

}  // namespace

TEST_F(ScriptRunnerTest, MenuCommandsAreAPressAMoveAndARelease) {
    FakeMenus menus;
    set_menu_queries(&menus);
    std::vector<std::string> chosen;
    run("menu \"File\" \"Open...\"\nmenu File New\nexpect menu-item \"Edit\" \"Cut\" disabled\nexpect menu-item File Close disabled\n",
        menu_app(menus, chosen));
    EXPECT_EQ(chosen, (std::vector<std::string>{"Open\xE2\x80\xA6", "New"})) << "expect menu-item releases outside the menu";
}

// Every failure names its line and says what was found, with the stand-ins
// each case installs (none: the managers are not there yet).
TEST_F(ScriptRunnerTest, FailuresNameTheLineAndWhatWasFound) {
    enum { None = 0, Menus = 1, Windows = 2, Dialogs = 4, MenusUnopened = 8 };
    const std::string texts = "\"Save changes to \"Movie\"?\"";
    struct Case { int fakes; const char* script; std::string failure; };
    const Case cases[] = {
        {Menus, "wait 10\nmenu \"File\" \"Close\"", failure(2, fill(msg::kItemDisabled, {"Close", "File"}))},
        {Menus, "menu \"File\" \"Save\"", failure(1, fill(msg::kNoMenuItem, {"Save", "File"}))},
        {Menus, "menu \"View\" \"Zoom\"", failure(1, fill(msg::kNoMenu, {"View", "\"File\", \"Edit\""}))},
        {Menus, "expect menu-item \"Edit\" \"Cut\" enabled", failure(1, fill(msg::kItemDisabled, {"Cut", "Edit"}))},
        {Menus, "expect menu-item File New disabled", failure(1, fill(msg::kItemEnabled, {"New", "File"}))},
        {MenusUnopened, "menu File New", failure(1, fill(msg::kMenuDidNotOpen, {"File"}))},
        {Windows, "expect window \"Other\"", failure(1, fill(msg::kNoWindow, {"Other", "\"Movie\""}))},
        {Windows, "expect window \"Hidden\"", failure(1, fill(msg::kNoWindow, {"Hidden", "\"Movie\""}))},
        {Windows, "expect no-window Movie", failure(1, fill(msg::kWindowOpen, {"Movie"}))},
        {Windows, "expect front Hidden", failure(1, fill(msg::kFrontWindowIs, {"Movie"}))},
        {Windows, "expect bounds Movie 1 2 3 4", failure(1, fill(msg::kWindowBounds, {"Movie", "60", "50", "380", "290"}))},
        {Windows, "click Nowhere 1 1", failure(1, fill(msg::kNoWindow, {"Nowhere", "\"Movie\""}))},
        {Windows, "click Movie 600 1", failure(1, fill(msg::kOffScreen, {"660", "51", "640", "480"}))},
        {Windows, "click Movie 32767 1", failure(1, fill(msg::kOffScreen, {"32827", "51", "640", "480"}))},
        {Windows, "drag 10 10 10 480", failure(1, fill(msg::kOffScreen, {"10", "480", "640", "480"}))},
        {Windows, "expect file /nonexistent/x.mov", failure(1, fill(msg::kNoFile, {"/nonexistent/x.mov"}))},
        {Windows, "expect end", failure(1, fill(msg::kDidNotEnd, {"5"}))},
        {Dialogs, "button Cancel", failure(1, fill(msg::kButtonDisabled, {"Cancel"}))},
        {Dialogs, "button Revert",
         failure(1, fill(msg::kNoButton, {"Revert", "\"Save\", \"Don\xE2\x80\x99t Save\", \"Cancel\""}))},
        {Dialogs, "expect dialog \"Quit?\"", failure(1, fill(msg::kDialogShows, {texts}))},
        {Dialogs, "expect field \"x\"", failure(1, fill(msg::kFieldHolds, {"MovieFile.mov"}))},
        {Dialogs, "# nothing\n", failure(1, fill(msg::kEndedWithDialog, {texts}))},
        {None, "menu \"File\" \"New\"", failure(1, msg::kNoMenus)},
        {None, "click \"Movie\" 1 2", failure(1, msg::kNoWindows)},
        {None, "button \"OK\"", failure(1, msg::kNoDialogs)}, {None, "odoc a.mov", failure(1, msg::kNoAppleEvents)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EXIT({
                FakeMenus menus;
                FakeWindows windows;
                FakeDialogs dialogs;
                std::vector<std::string> chosen;
                if (c.fakes & (Menus | MenusUnopened)) set_menu_queries(&menus);
                if (c.fakes & Windows) set_window_queries(&windows);
                if (c.fakes & Dialogs) set_dialog_queries(&dialogs);
                if (c.fakes & Menus)
                    run(c.script, menu_app(menus, chosen));
                else
                    run(c.script, [](const EventRecord&) {});   // nobody pulls a menu down
            },
            testing::ExitedWithCode(1), c.failure);
    }
}

TEST_F(ScriptRunnerTest, OpenDocumentsGoThroughTheAppleEventSender) {
    struct Sender : AppleEventSender {
        std::vector<std::string> got;
        std::optional<std::string> send_open_documents(const std::vector<std::string>& paths) override {
            got = paths;
            events::post_high_level_event('aevt', 'odoc', nullptr);
            return std::nullopt;
        }
    } sender;
    set_apple_event_sender(&sender);
    int odocs = 0;
    run("odoc /tmp/a.mov /tmp/../tmp/b.mov", [&](const EventRecord& e) {
        if (e.what == kHighLevelEvent) ++odocs;
    });
    EXPECT_EQ(sender.got, (std::vector<std::string>{"/tmp/a.mov", "/tmp/b.mov"}));
    EXPECT_EQ(odocs, 1);
}

TEST_F(ScriptRunnerTest, AnApplicationThatIgnoresTheQuitFails) {
    EXPECT_EXIT({
            ParseResult parsed = parse_script("wait 10\n");
            ScriptRunner runner(std::move(*parsed.script), *host_);
            events::set_input_feeder(&runner);
            events::set_quit_handler([](events::QuitSource) {});
            EventRecord e;
            for (;;) WaitNextEvent(everyEvent, &e, 0, nullptr);
        },
        testing::ExitedWithCode(1), failure(1, fill(msg::kDidNotQuit, {"10"})));
}

TEST_F(ScriptRunnerTest, AQuitObeyedAtOnceNamesTheLineThatNeverRan) {
    // No quit handler: the quit request ends the process inside the step.
    EXPECT_EXIT({
            ParseResult parsed = parse_script("quit\nwait 5\n");
            ScriptRunner::start(std::move(*parsed.script), *host_);
            EventRecord e;
            for (;;) WaitNextEvent(everyEvent, &e, 0, nullptr);
        },
        testing::ExitedWithCode(3), failure(2, msg::kEndedEarly));
}
