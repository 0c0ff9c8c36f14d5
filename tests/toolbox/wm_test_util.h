// Helpers shared by the Window and Menu Manager tests: a fresh toolbox on
// a headless host for each test, input delivered one step at a time while
// the code under test tracks the mouse, and screen pixel reads.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Events.h"
#include "platform/Windows.h"
#include "platform/events/EventsInternal.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/menus/MenuManager.h"
#include "platform/quickdraw/Screen.h"
#include "platform/windows/WindowManager.h"

namespace wmtest {

namespace events = platform::events;
namespace host = platform::host;

// Steps run one per request of the Event Manager: an input (which ends the
// request) or a check (which does not). If the steps run out while the
// button is still down, the button is let go so tracking always ends.
class ScriptedInput final : public events::InputFeeder {
public:
    void move(SInt16 h, SInt16 v, UInt16 mods = 0) { input(host::InputKind::MouseMoved, h, v, mods); }
    void press(SInt16 h, SInt16 v, UInt16 mods = 0) { input(host::InputKind::MouseDown, h, v, mods); }
    void release(SInt16 h, SInt16 v, UInt16 mods = 0) { input(host::InputKind::MouseUp, h, v, mods); }
    void check(std::function<void()> f) {
        steps_.push_back([f] {
            f();
            return false;
        });
    }
    bool ran_out() const { return ranOut_; }

    bool feed(events::FeedContext) override {
        while (!steps_.empty()) {
            auto step = std::move(steps_.front());
            steps_.pop_front();
            if (step()) return true;
        }
        if (events::mouse_button_down()) {
            ranOut_ = true;
            Point p = events::mouse_position();
            host::InputEvent e;
            e.kind = host::InputKind::MouseUp;
            e.x = p.h;
            e.y = p.v;
            events::deliver_input(e);
            return true;
        }
        return false;
    }
    UInt64 wake_time() override { return UINT64_MAX; }

private:
    void input(host::InputKind kind, SInt16 h, SInt16 v, UInt16 mods) {
        host::InputEvent e;
        e.kind = kind;
        e.x = h;
        e.y = v;
        e.modifiers = mods;
        steps_.push_back([e] {
            events::deliver_input(e);
            return true;
        });
    }

    std::deque<std::function<bool()>> steps_;
    bool ranOut_ = false;
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
        host::InputEvent e;
        e.kind = host::InputKind::MouseDown;
        e.x = p.h;
        e.y = p.v;
        e.modifiers = mods;
        events::deliver_input(e);
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
