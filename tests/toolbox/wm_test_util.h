// Helpers shared by the Window, Menu and Dialog Manager tests: a fresh
// toolbox on a headless host for each test, input delivered one step at a
// time while the code under test tracks the mouse or runs a modal loop,
// and screen pixel reads.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/Windows.h"
#include "platform/events/EventsInternal.h"
#include "platform/events/KeyCodes.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/menus/MenuManager.h"
#include "platform/quickdraw/Screen.h"
#include "platform/windows/WindowManager.h"

namespace wmtest {

namespace events = platform::events;
namespace host = platform::host;

inline host::InputEvent input_event(host::InputKind kind, int h, int v, UInt16 mods = 0, UInt8 ch = 0, UInt8 code = 0) {
    return host::InputEvent{.kind = kind, .x = h, .y = v, .key_code = code, .character = ch, .modifiers = mods};
}

// Input handed out one step per request of the Event Manager: an input
// (which ends the request), a check (which does not) or a pause (which ends
// an event request with nothing, so a modal loop sees a null event). Once
// the steps run out, a button still down is let go, and a modal loop still
// waiting long after gets Escape and Command-period and the test fails, so
// no test can hang.
class ScriptedInput final : public events::InputFeeder {
public:
    void move(SInt16 h, SInt16 v, UInt16 mods = 0) { push(input_event(host::InputKind::MouseMoved, h, v, mods)); }
    void press(SInt16 h, SInt16 v, UInt16 mods = 0) { push(input_event(host::InputKind::MouseDown, h, v, mods)); }
    void release(SInt16 h, SInt16 v, UInt16 mods = 0) { push(input_event(host::InputKind::MouseUp, h, v, mods)); }
    void click(Point p, UInt16 mods = 0) { move(p.h, p.v, mods), press(p.h, p.v, mods), release(p.h, p.v, mods); }
    void key(UInt8 ch, UInt8 code = platform::events::keys::kUnknown, UInt16 mods = 0) {
        push(input_event(host::InputKind::KeyDown, 0, 0, mods, ch, code));
    }
    void type(const std::string& s) {
        for (char c : s) {
            auto stroke = platform::events::keys::key_for_character(UInt8(c));
            key(UInt8(c), stroke ? stroke->key_code : UInt8(platform::events::keys::kUnknown));
        }
    }
    void check(std::function<void()> f) { steps_.push_back({[f] { f(); }, Step::Check}); }
    void then(std::function<void()> f) { steps_.push_back({[f] { f(); }, Step::Pause}); }
    void idle(int requests) { steps_.insert(steps_.end(), size_t(requests), Step{[] {}, Step::Pause}); }
    bool ran_out() const { return ranOut_; }

    bool feed(events::FeedContext context) override {
        while (!steps_.empty()) {
            Step step = std::move(steps_.front());
            steps_.pop_front();
            step.run();
            empty_ = 0;
            if (step.kind == Step::Input) return true;
            if (step.kind == Step::Pause && context == events::FeedContext::EventRequest) return false;
        }
        if (events::mouse_button_down()) {
            ranOut_ = true;
            Point p = events::mouse_position();
            events::deliver_input(input_event(host::InputKind::MouseUp, p.h, p.v));
            return true;
        }
        if (++empty_ > 3000) {
            empty_ = 0;
            ADD_FAILURE() << "a modal loop is still waiting after its input ran out";
            key(kEscapeCharCode, platform::events::keys::kEscape);
            key('.', platform::events::keys::kPeriod, host::kModCommand);
        }
        return false;
    }
    UInt64 wake_time() override { return UINT64_MAX; }

private:
    struct Step { std::function<void()> run; enum Kind { Input, Check, Pause } kind; };
    void push(host::InputEvent e) { steps_.push_back({[e] { events::deliver_input(e); }, Step::Input}); }

    std::deque<Step> steps_;
    bool ranOut_ = false;
    int empty_ = 0;
};

class ToolboxTest : public testing::Test {
protected:
    void SetUp() override {
        platform::menus::MenuManager::reset_for_testing();
        platform::windows::WindowManager::reset_for_testing();
        events::reset_for_testing();
        host::install_for_testing(std::make_unique<host::HeadlessHost>());
        events::set_input_feeder(&input);
        platform::windows::WindowManager::get();
    }
    void TearDown() override {
        platform::menus::MenuManager::reset_for_testing();
        platform::windows::WindowManager::reset_for_testing();
        events::reset_for_testing();
    }

    // Presses at p and takes the mouse-down out of the queue, as an event
    // loop does before it calls a tracking routine.
    void hold_button_at(Point p, UInt16 mods = 0) {
        events::deliver_input(input_event(host::InputKind::MouseDown, p.h, p.v, mods));
        EventRecord r;
        ASSERT_TRUE(GetNextEvent(mDownMask, &r));
    }

    // Every event waiting, up to the first null event; an update event
    // comes back until it is handled, so a repeat ends the list too.
    std::vector<EventRecord> drain() {
        std::vector<EventRecord> out;
        EventRecord e;
        while (out.size() < 100 && GetNextEvent(everyEvent, &e)) {
            bool repeat = false;
            for (const EventRecord& o : out) repeat |= e.what == updateEvt && o.what == updateEvt && o.message == e.message;
            if (repeat) break;
            out.push_back(e);
        }
        return out;
    }

    // The screen pixel at global (h, v) as 0xRRGGBB.
    static UInt32 pixel(SInt32 h, SInt32 v) {
        auto& s = platform::quickdraw::screen();
        const UInt8* p = s.pixels() + size_t(v) * size_t(s.row_bytes()) + size_t(h) * 4;
        return (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | p[3];
    }
    static std::vector<UInt8> screen_copy() {
        auto& s = platform::quickdraw::screen();
        return std::vector<UInt8>(s.pixels(), s.pixels() + size_t(s.row_bytes()) * size_t(s.height()));
    }

    ScriptedInput input;
};

inline UInt32 rgb(platform::quickdraw::RGB8 c) { return (UInt32(c.r) << 16) | (UInt32(c.g) << 8) | c.b; }

}  // namespace wmtest
