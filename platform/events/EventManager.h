// EventManager.h — the Event Manager's state: the queue, the mouse and
// keyboard as the host last reported them, and the hooks of the other
// managers. One instance per process (instance()); the classic calls in
// Events.cpp are thin wrappers.
#pragma once

#include <bitset>
#include <deque>

#include "platform/events/EventsInternal.h"

namespace platform::events {

class EventManager {
public:
    static EventManager& instance();

    // --- the calls
    bool wait_next(EventMask mask, EventRecord& out, UInt32 sleepTicks, RgnHandle mouseRgn);
    bool avail(EventMask mask, EventRecord& out);
    void flush(EventMask whichMask, EventMask stopMask);
    OSErr post(EventKind kind, UInt32 message);
    bool button();
    bool still_down();
    bool wait_mouse_up();
    Point mouse();   // global, after a tracking poll
    void keys(UInt8 map[16]);
    UInt32 ticks();
    void beep();

    // --- the hooks
    void post_high_level(OSType eventClass, OSType eventID, HighLevelPayload payload);
    HighLevelPayload take_payload(const EventRecord& event);
    void set_window_source(WindowEventSource* s) { windows_ = s; }
    void set_quit_handler(QuitHandler h) { quit_handler_ = std::move(h); }
    void request_quit(QuitSource source);
    void set_beep_flash(std::function<void()> f) { beep_flash_ = std::move(f); }
    void set_screen_flush(std::function<void()> f) { screen_flush_ = std::move(f); }
    void set_screen_resize(std::function<void(host::ScreenSize)> f) { screen_resize_ = std::move(f); }
    void set_region_test(std::function<bool(RgnHandle, Point)> f) { region_test_ = std::move(f); }
    void set_feeder(InputFeeder* f) { feeder_ = f; }
    void set_documents_handler(DocumentsHandler h) { documents_handler_ = std::move(h); }
    const DocumentsHandler& documents_handler() const { return documents_handler_; }
    void set_idle_task(std::function<void()> f) { idle_task_ = std::move(f); }
    void set_background_task(std::function<void()> t) { background_task_ = std::move(t); }
    void run_background_task() {
        if (background_task_) background_task_();
    }
    void set_menu_key_target(std::function<std::optional<Point>()> f) { menu_key_target_ = std::move(f); }
    bool took_menu_key_press() const { return menu_key_press_taken_; }
    std::optional<EventRecord> take_if(EventMask mask, const std::function<bool(const EventRecord&)>& wanted);
    void deliver(const host::InputEvent& input);

    bool foreground() const { return foreground_; }
    Point mouse_position() const { return mouse_; }
    bool button_down() const { return button_; }
    EventModifiers modifiers() const { return modifiers_; }
    EventModifiers last_key_modifiers() const { return last_key_modifiers_; }
    void flush_screen_now() { flush_screen(); }

    void reset();

private:
    struct Queued {
        EventRecord record;
        HighLevelPayload payload;   // high-level events only
        bool from_menu_key = false;  // a mouse-down made by F10
    };
    struct LastHighLevel {
        OSType event_class = 0;
        OSType event_id = 0;
        HighLevelPayload payload;
    };

    // How many device events the queue keeps; the oldest is dropped beyond.
    static constexpr size_t kQueueLimit = 512;

    host::Host& host();
    void pump();                       // signals and host input into the queue
    void tracking_poll();              // pump + feed for Button/StillDown/GetMouse
    bool get(EventMask mask, bool remove, EventRecord& out, FeedContext context);
    bool find(EventMask mask, bool remove, EventRecord& out);
    void enqueue(EventKind kind, uintptr_t message, HighLevelPayload payload = nullptr);
    EventRecord make(EventKind kind, uintptr_t message);
    void flush_screen();
    bool mouse_moved_out(RgnHandle mouseRgn);
    // F10 as a press in the menu bar; false when it stays a key.
    bool menu_key(const host::InputEvent& in);

    std::deque<Queued> queue_;
    LastHighLevel last_high_level_;
    Point mouse_{0, 0};
    bool button_ = false;
    EventModifiers modifiers_ = 0;
    EventModifiers last_key_modifiers_ = cmdKey;
    bool foreground_ = true;
    std::bitset<128> keys_down_;

    WindowEventSource* windows_ = nullptr;
    QuitHandler quit_handler_;
    std::function<void()> beep_flash_;
    std::function<void()> screen_flush_;
    std::function<void(host::ScreenSize)> screen_resize_;
    std::function<bool(RgnHandle, Point)> region_test_;
    InputFeeder* feeder_ = nullptr;
    DocumentsHandler documents_handler_;
    std::function<void()> idle_task_;
    std::function<void()> background_task_;
    std::function<std::optional<Point>()> menu_key_target_;
    bool menu_key_press_taken_ = false;
    bool signals_installed_ = false;
};

// Signals.cpp: true once for each SIGINT/SIGTERM caught.
bool take_quit_signal();

}  // namespace platform::events
