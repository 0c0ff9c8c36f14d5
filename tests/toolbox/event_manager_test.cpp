#include <gtest/gtest.h>
#include <signal.h>

#include <tuple>

#include "platform/Events.h"
#include "platform/events/EventsInternal.h"
#include "platform/events/KeyCodes.h"
#include "platform/hosts/headless/HeadlessHost.h"

namespace events = platform::events;
namespace host = platform::host;
namespace keys = platform::events::keys;
using host::InputEvent;
using host::InputKind;

namespace {

class EventManagerTest : public testing::Test {
protected:
    void SetUp() override {
        events::reset_for_testing();
        auto h = std::make_unique<host::HeadlessHost>();
        host_ = h.get();
        ASSERT_TRUE(host_->open_screen({640, 480}).ok());
        host::install_for_testing(std::move(h));
    }
    void TearDown() override { events::reset_for_testing(); }

    void push(InputKind kind, int x = 0, int y = 0, UInt16 mods = 0) {
        host_->push_input(InputEvent{.kind = kind, .x = x, .y = y, .modifiers = mods});
    }
    void push_key(InputKind kind, UInt8 code, UInt8 ch, UInt16 mods = 0, bool repeat = false) {
        host_->push_input(InputEvent{.kind = kind, .key_code = code, .character = ch, .repeat = repeat, .modifiers = mods});
    }
    EventRecord next(EventMask mask = everyEvent) {
        EventRecord e{};
        WaitNextEvent(mask, &e, 0, nullptr);
        return e;
    }
    std::tuple<EventKind, uintptr_t> next_message(EventMask mask = everyEvent) {
        EventRecord e = next(mask);
        return {EventKind(e.what), e.message};
    }

    host::HeadlessHost* host_ = nullptr;
};

struct FakeWindows : events::WindowEventSource {
    std::vector<Activation> activations;
    void* update = nullptr;
    std::optional<Activation> next_activation(bool remove) override {
        if (activations.empty()) return std::nullopt;
        Activation a = activations.front();
        if (remove) activations.erase(activations.begin());
        return a;
    }
    void* next_update() override { return update; }
};

}  // namespace

TEST_F(EventManagerTest, InputBecomesClassicEventRecords) {
    push(InputKind::MouseMoved, 5, 6), push(InputKind::MouseDown, 10, 20, host::kModOption);
    push(InputKind::MouseUp, 11, 21), push_key(InputKind::KeyDown, keys::kN, 'n', host::kModCommand);
    push_key(InputKind::KeyDown, keys::kN, 'n', host::kModCommand, true);
    push_key(InputKind::KeyUp, keys::kN, 'n', host::kModShift | host::kModControl | host::kModCapsLock);

    struct Want { EventKind what; uintptr_t message; SInt16 h, v; EventModifiers modifiers; };
    const Want want[] = {
        {mouseDown, 0, 10, 20, optionKey},               // button down: btnState clear
        {mouseUp, 0, 11, 21, btnState}, {keyDown, 0x2D6E, 11, 21, cmdKey | btnState},
        {autoKey, 0x2D6E, 11, 21, cmdKey | btnState},
        {keyUp, 0x2D6E, 11, 21, shiftKey | controlKey | alphaLock | btnState},
    };
    for (const Want& w : want) {
        EventRecord e = next();
        EXPECT_EQ(std::tuple(e.what, e.message, e.where.h, e.where.v, e.modifiers), std::tuple(w.what, w.message, w.h, w.v, w.modifiers));
    }
    EXPECT_FALSE(WaitNextEvent(everyEvent, nullptr, 0, nullptr));
}

TEST_F(EventManagerTest, ActivateFirstThenQueueThenUpdates) {
    FakeWindows windows;
    int w1 = 1, w2 = 2;
    windows.activations = {{&w1, false}, {&w2, true}};
    windows.update = &w2;
    events::set_window_event_source(&windows);
    push_key(InputKind::KeyDown, keys::kA, 'a');

    auto what = [](const EventRecord& e) { return std::tuple(e.what, e.message, e.modifiers & activeFlag); };
    EXPECT_EQ(what(next()), std::tuple(activateEvt, reinterpret_cast<uintptr_t>(&w1), 0)) << "a deactivate event";
    EXPECT_EQ(what(next()), std::tuple(activateEvt, reinterpret_cast<uintptr_t>(&w2), activeFlag));
    EXPECT_EQ(next().what, keyDown);
    // The update stays until the Window Manager's update region is empty.
    EXPECT_EQ(next().what, updateEvt);
    EXPECT_EQ(what(next()), std::tuple(updateEvt, reinterpret_cast<uintptr_t>(&w2), 0));
    EXPECT_EQ(next(everyEvent & ~updateMask).what, nullEvent);
    windows.update = nullptr;
    EXPECT_EQ(next().what, nullEvent);
}

TEST_F(EventManagerTest, MasksAvailAndFlush) {
    for (auto [what, message] : {std::pair(keyDown, 'a'), {mouseDown, 0}, {keyDown, 'b'}, {mouseUp, 0}}) ASSERT_EQ(PostEvent(what, UInt32(message)), noErr);
    for (EventKind k : {EventKind(nullEvent), EventKind(updateEvt), EventKind(activateEvt), EventKind(kHighLevelEvent)})
        EXPECT_EQ(PostEvent(k, 0), evtNotEnb) << k;

    EventRecord e;
    ASSERT_TRUE(EventAvail(mDownMask, &e) && EventAvail(mDownMask, &e)) << "EventAvail leaves the event queued";
    EXPECT_EQ(next(mDownMask).what, mouseDown);

    // Flushing key events stops at the first mouse-up.
    PostEvent(keyDown, 'c');
    FlushEvents(keyDownMask, mUpMask);
    EXPECT_EQ(next().what, mouseUp);
    EXPECT_EQ(next_message(), std::tuple(EventKind(keyDown), uintptr_t('c')));
    EXPECT_EQ(next().what, nullEvent);
}

TEST_F(EventManagerTest, NullEventsArePacedOnTheHostClock) {
    ASSERT_EQ(TickCount(), 0u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(next().what, nullEvent);
    EXPECT_EQ(host_->now_ms(), 1000u) << "one null event per 10 ms";
    EventRecord e;
    WaitNextEvent(everyEvent, &e, 120, nullptr);   // a sleep of 2 s
    EXPECT_EQ(std::tuple(host_->now_ms(), e.when), std::tuple(UInt64(3000), UInt32(180)));
    // An event that is waiting is returned at once.
    push_key(InputKind::KeyDown, keys::kA, 'a');
    EXPECT_EQ(next().what, keyDown);
    EXPECT_EQ(host_->now_ms(), 3000u);
}

TEST_F(EventManagerTest, HighLevelEventsCarryTheirPayload) {
    events::post_high_level_event('aevt', 'odoc', std::make_shared<int>(42));
    EventRecord e;
    ASSERT_TRUE(EventAvail(highLevelEventMask, &e));
    EXPECT_EQ(events::take_high_level_payload(e), nullptr) << "not handed over by a look";
    e = next(highLevelEventMask);
    EXPECT_EQ(std::tuple(e.message, events::high_level_event_id(e)), std::tuple(uintptr_t('aevt'), OSType('odoc')));
    auto payload = events::take_high_level_payload(e);
    EXPECT_TRUE(payload && *static_cast<int*>(payload.get()) == 42);
    EXPECT_EQ(events::take_high_level_payload(e), nullptr) << "handed over once";
    // FlushEvents never drops an Apple event.
    events::post_high_level_event('aevt', 'quit', nullptr);
    FlushEvents(everyEvent, 0);
    EXPECT_EQ(next().what, kHighLevelEvent);
}

TEST_F(EventManagerTest, FocusChangesBecomeSuspendAndResume) {
    push(InputKind::FocusLost);
    push(InputKind::FocusLost);   // no change: no event
    push(InputKind::FocusGained);
    EXPECT_EQ(next_message(), std::tuple(EventKind(osEvt), uintptr_t(0x01000000u)));
    EXPECT_EQ(next_message(), std::tuple(EventKind(osEvt), uintptr_t(suspendResumeMessage) << 24 | resumeFlag));
    EXPECT_TRUE(events::in_foreground());
    EXPECT_EQ(next().what, nullEvent);
}

TEST_F(EventManagerTest, ButtonStillDownAndWaitMouseUp) {
    push(InputKind::MouseDown, 30, 40);
    EXPECT_EQ(next().what, mouseDown);
    EXPECT_TRUE(StillDown());
    push(InputKind::MouseMoved, 35, 45);
    EXPECT_TRUE(WaitMouseUp() && events::mouse_position().h == 35);
    push(InputKind::MouseUp, 36, 46);
    EXPECT_FALSE(StillDown()) << "a mouse-up is waiting";
    EXPECT_FALSE(WaitMouseUp());
    EXPECT_EQ(next().what, nullEvent) << "WaitMouseUp took the mouse-up";
}

TEST_F(EventManagerTest, QuitRequestsReachTheHandler) {
    std::vector<events::QuitSource> seen;
    events::set_quit_handler([&](events::QuitSource s) { seen.push_back(s); });
    push(InputKind::QuitRequested);
    next();
    raise(SIGTERM);
    next();
    events::request_quit(events::QuitSource::MenuCommand);
    EXPECT_EQ(seen, (std::vector<events::QuitSource>{events::QuitSource::HostWindow, events::QuitSource::Signal, events::QuitSource::MenuCommand}));
}

TEST_F(EventManagerTest, AFullQueueDropsTheOldestInputButNoAppleEvent) {
    events::post_high_level_event('aevt', 'quit', nullptr);
    for (int i = 0; i < 600; ++i) PostEvent(keyDown, UInt32(i & 0xFF));
    EXPECT_EQ(next().what, kHighLevelEvent);
    EXPECT_EQ(next_message(), std::tuple(EventKind(keyDown), uintptr_t(600 - 512))) << "the 88 oldest keys were dropped";
    int keysLeft = 1;
    while (next().what == keyDown) ++keysLeft;
    EXPECT_EQ(keysLeft, 512);
}

// A long operation takes out only what it looks for (the progress window's
// cancel); the rest reaches the application afterwards in its order. A
// feeder is asked only while no device event waits.
TEST_F(EventManagerTest, TakeEventIfLeavesTheRestQueued) {
    struct OneKey : events::InputFeeder {
        int asked = 0;
        bool feed(events::FeedContext) override {
            ++asked;
            events::deliver_input(InputEvent{.kind = InputKind::KeyDown, .key_code = keys::kEscape, .character = 0x1B});
            return true;
        }
        UInt64 wake_time() override { return UINT64_MAX; }
    } feeder;
    auto is_escape = [](const EventRecord& e) { return (e.message & charCodeMask) == 0x1B; };

    push_key(InputKind::KeyDown, keys::kN, 'a'), push(InputKind::MouseDown, 10, 20);
    push_key(InputKind::KeyDown, keys::kEscape, 0x1B), push_key(InputKind::KeyDown, keys::kN, 'b');
    auto taken = events::take_event_if(keyDownMask, is_escape);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->what, keyDown);
    EXPECT_FALSE(events::take_event_if(keyDownMask, is_escape));
    events::set_input_feeder(&feeder);
    EXPECT_FALSE(events::take_event_if(mDownMask | keyDownMask, is_escape));
    EXPECT_EQ(feeder.asked, 0);   // type-ahead waits: nothing more is fed
    EXPECT_EQ(next(keyDownMask | mDownMask).message & charCodeMask, UInt32('a'));
    EXPECT_EQ(next(keyDownMask | mDownMask).what, mouseDown);
    EXPECT_EQ(next(keyDownMask | mDownMask).message & charCodeMask, UInt32('b'));
    EXPECT_TRUE(events::take_event_if(keyDownMask, is_escape));
    EXPECT_EQ(feeder.asked, 1);
    events::set_input_feeder(nullptr);
}
