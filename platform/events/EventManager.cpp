// The Event Manager's core: the queue, event priorities, pacing of null
// events and the translation of host input into event records.
//
// Order in which a request is answered:
//   1. an activate/deactivate event from the Window Manager;
//   2. the oldest queued event matching the mask (mouse, keys, disk,
//      operating-system and high-level events, in arrival order);
//   3. an update event from the Window Manager;
//   4. otherwise the input feeder (the script runner) is asked, when the
//      queue is empty, and the request tries again;
//   5. otherwise a null event, no earlier than the next 10 ms pacing tick.
#include "platform/events/EventManager.h"

#include <algorithm>
#include <limits>

#include "platform/Process.h"
#include "platform/events/KeyCodes.h"
#include "platform/core/ProcessExit.h"

namespace platform::events {
namespace {

constexpr UInt64 kPacingMs = 10;          // null events: at most ~100 per second
constexpr UInt64 kMaxSleepMs = 60 * 60 * 1000;

EventMask mask_of(EventKind kind) {
    if (kind == kHighLevelEvent) return highLevelEventMask;
    if (kind < 16) return EventMask(1u << kind);
    return 0;
}

EventModifiers classic_modifiers(UInt16 host) {
    EventModifiers m = 0;
    if (host & host::kModCommand) m |= cmdKey;
    if (host & host::kModShift) m |= shiftKey;
    if (host & host::kModOption) m |= optionKey;
    if (host & host::kModControl) m |= controlKey;
    if (host & host::kModCapsLock) m |= alphaLock;
    return m;
}

SInt16 clamp16(int v) {
    return SInt16(std::clamp(v, int(std::numeric_limits<SInt16>::min()),
                             int(std::numeric_limits<SInt16>::max())));
}

}  // namespace

EventManager& EventManager::instance() {
    static EventManager manager;
    return manager;
}

host::Host& EventManager::host() {
    if (!signals_installed_) {
        signals_installed_ = true;
        install_quit_signal_handlers();
    }
    return host::current();
}

UInt32 EventManager::ticks() { return UInt32(host().now_ms() * 60 / 1000); }

EventRecord EventManager::make(EventKind kind, uintptr_t message) {
    EventRecord r{};
    r.what = kind;
    r.message = message;
    r.when = ticks();
    r.where = mouse_;
    r.modifiers = EventModifiers(modifiers_ | (button_ ? 0 : btnState));
    return r;
}

void EventManager::enqueue(EventKind kind, uintptr_t message, HighLevelPayload payload) {
    if (kind != kHighLevelEvent) {
        size_t device = size_t(std::count_if(queue_.begin(), queue_.end(), [](const Queued& q) {
            return q.record.what != kHighLevelEvent;
        }));
        if (device >= kQueueLimit) {
            auto oldest = std::find_if(queue_.begin(), queue_.end(), [](const Queued& q) {
                return q.record.what != kHighLevelEvent;
            });
            queue_.erase(oldest);
        }
    }
    queue_.push_back(Queued{make(kind, message), std::move(payload)});
}

void EventManager::deliver(const host::InputEvent& in) {
    using host::InputKind;
    if (in.kind != InputKind::FocusGained && in.kind != InputKind::FocusLost &&
        in.kind != InputKind::QuitRequested && in.kind != InputKind::ScreenResized)
        modifiers_ = classic_modifiers(in.modifiers);
    switch (in.kind) {
    case InputKind::MouseMoved:
        mouse_ = Point{clamp16(in.y), clamp16(in.x)};
        break;
    case InputKind::MouseDown:
        mouse_ = Point{clamp16(in.y), clamp16(in.x)};
        button_ = true;
        enqueue(mouseDown, 0);
        break;
    case InputKind::MouseUp:
        mouse_ = Point{clamp16(in.y), clamp16(in.x)};
        button_ = false;
        enqueue(mouseUp, 0);
        break;
    case InputKind::KeyDown:
        if (menu_key(in)) break;
        keys_down_.set(in.key_code & 0x7F);
        enqueue(in.repeat ? autoKey : keyDown, (uintptr_t(in.key_code) << 8) | in.character);
        break;
    case InputKind::KeyUp:
        keys_down_.reset(in.key_code & 0x7F);
        enqueue(keyUp, (uintptr_t(in.key_code) << 8) | in.character);
        break;
    case InputKind::ModifiersChanged:
        break;
    case InputKind::FocusGained:
    case InputKind::FocusLost: {
        bool gained = in.kind == InputKind::FocusGained;
        if (gained == foreground_) break;
        foreground_ = gained;
        enqueue(osEvt, (uintptr_t(suspendResumeMessage) << 24) | (gained ? resumeFlag : 0));
        break;
    }
    case InputKind::QuitRequested:
        request_quit(QuitSource::HostWindow);
        break;
    case InputKind::ScreenResized:
        if (screen_resize_) screen_resize_(host::ScreenSize{in.x, in.y});
        break;
    }
}

bool EventManager::menu_key(const host::InputEvent& in) {
    constexpr UInt16 kChords = host::kModCommand | host::kModOption | host::kModControl;
    if (in.key_code != keys::kF10 || (in.modifiers & kChords) || !menu_key_target_) return false;
    if (in.repeat) return true;   // held down: one menu
    std::optional<Point> where = menu_key_target_();
    if (!where) return false;
    enqueue(mouseDown, 0);
    queue_.back().record.where = *where;
    queue_.back().from_menu_key = true;
    return true;
}

void EventManager::pump() {
    host::Host& h = host();
    if (take_quit_signal()) request_quit(QuitSource::Signal);
    host::InputEvent in;
    while (h.poll(in)) deliver(in);
}

void EventManager::flush_screen() {
    if (screen_flush_) screen_flush_();
}

bool EventManager::find(EventMask mask, bool remove, EventRecord& out) {
    if ((mask & activMask) && windows_) {
        if (auto a = windows_->next_activation(remove)) {
            out = make(activateEvt, reinterpret_cast<uintptr_t>(a->window));
            out.modifiers = EventModifiers((out.modifiers & ~activeFlag) | (a->activate ? activeFlag : 0));
            return true;
        }
    }
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (!(mask_of(it->record.what) & mask)) continue;
        out = it->record;
        if (remove) {
            if (out.what == keyDown || out.what == autoKey) last_key_modifiers_ = out.modifiers;
            if (out.what == mouseDown) menu_key_press_taken_ = it->from_menu_key;
            if (out.what == kHighLevelEvent)
                last_high_level_ = LastHighLevel{OSType(out.message), high_level_event_id(out),
                                                 std::move(it->payload)};
            queue_.erase(it);
        }
        return true;
    }
    if ((mask & updateMask) && windows_) {
        if (void* w = windows_->next_update()) {
            out = make(updateEvt, reinterpret_cast<uintptr_t>(w));
            return true;
        }
    }
    return false;
}

bool EventManager::get(EventMask mask, bool remove, EventRecord& out, FeedContext context) {
    for (;;) {
        pump();
        if (find(mask, remove, out)) return true;
        // Script input comes only when nothing is waiting. A high-level
        // event this request masks out does not hold the input back: a
        // modal dialog up before the main loop runs must still get its keys
        // while, say, the launch's Apple event waits for that loop.
        const bool waiting = std::any_of(queue_.begin(), queue_.end(), [&](const auto& q) {
            return q.record.what != kHighLevelEvent || (mask & mask_of(kHighLevelEvent));
        });
        if (!feeder_ || waiting || !feeder_->feed(context)) return false;
    }
}

std::optional<EventRecord> EventManager::take_if(EventMask mask, const std::function<bool(const EventRecord&)>& wanted) {
    for (;;) {
        pump();
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (!(mask_of(it->record.what) & mask) || !wanted(it->record)) continue;
            EventRecord out = it->record;
            queue_.erase(it);
            return out;
        }
        const bool waiting = std::any_of(queue_.begin(), queue_.end(), [](const auto& q) {
            const EventKind k = q.record.what;
            return k != kHighLevelEvent && k != keyUp && k != mouseUp;
        });
        if (!feeder_ || waiting || !feeder_->feed(FeedContext::EventRequest)) return std::nullopt;
    }
}

bool EventManager::mouse_moved_out(RgnHandle mouseRgn) {
    return mouseRgn && region_test_ && !region_test_(mouseRgn, mouse_);
}

bool EventManager::wait_next(EventMask mask, EventRecord& out, UInt32 sleepTicks, RgnHandle mouseRgn) {
    host::Host& h = host();
    flush_screen();
    UInt64 start = h.now_ms();
    UInt64 deadline = (start / kPacingMs + 1) * kPacingMs;
    deadline = std::max(deadline, start + std::min<UInt64>(UInt64(sleepTicks) * 1000 / 60, kMaxSleepMs));
    for (;;) {
        if (idle_task_) idle_task_();
        if (get(mask, true, out, FeedContext::EventRequest)) return true;
        if ((mask & osMask) && mouse_moved_out(mouseRgn)) {
            out = make(osEvt, uintptr_t(mouseMovedMessage) << 24);
            return true;
        }
        UInt64 now = h.now_ms();
        if (now >= deadline) break;
        UInt64 until = deadline;
        if (feeder_) {
            UInt64 wake = feeder_->wake_time();
            if (wake > now) until = std::min(until, wake);
        }
        h.wait_until(until);
    }
    out = make(nullEvent, 0);
    return false;
}

bool EventManager::avail(EventMask mask, EventRecord& out) {
    if (get(mask, false, out, FeedContext::EventRequest)) return true;
    out = make(nullEvent, 0);
    return false;
}

void EventManager::flush(EventMask whichMask, EventMask stopMask) {
    pump();
    for (auto it = queue_.begin(); it != queue_.end();) {
        EventMask m = mask_of(it->record.what);
        if (m & stopMask) break;
        if ((m & whichMask) && it->record.what != kHighLevelEvent) it = queue_.erase(it);
        else ++it;
    }
}

OSErr EventManager::post(EventKind kind, UInt32 message) {
    switch (kind) {
    case mouseDown: case mouseUp: case keyDown: case keyUp: case autoKey: case diskEvt: case osEvt:
        host();
        enqueue(kind, message);
        return noErr;
    default:
        return evtNotEnb;
    }
}

void EventManager::tracking_poll() {
    host::Host& h = host();
    flush_screen();
    pump();
    if (feeder_ && queue_.empty() && feeder_->feed(FeedContext::Tracking)) return;
    // Nothing new: give the host a moment instead of spinning.
    h.wait_until(h.now_ms() + 1);
    pump();
}

bool EventManager::button() {
    tracking_poll();
    return button_;
}

bool EventManager::still_down() {
    tracking_poll();
    for (const Queued& q : queue_)
        if (q.record.what == mouseDown || q.record.what == mouseUp) return false;
    return button_;
}

bool EventManager::wait_mouse_up() {
    if (still_down()) return true;
    auto it = std::find_if(queue_.begin(), queue_.end(), [](const Queued& q) {
        return q.record.what == mouseDown || q.record.what == mouseUp;
    });
    if (it != queue_.end() && it->record.what == mouseUp) queue_.erase(it);
    return false;
}

Point EventManager::mouse() {
    tracking_poll();
    return mouse_;
}

void EventManager::keys(UInt8 map[16]) {
    pump();
    std::fill(map, map + 16, UInt8(0));
    auto set = [&](unsigned code) { map[code >> 3] |= UInt8(1u << (code & 7)); };
    for (unsigned k = 0; k < 128; ++k)
        if (keys_down_.test(k)) set(k);
    if (modifiers_ & cmdKey) set(keys::kCommand);
    if (modifiers_ & shiftKey) set(keys::kShift);
    if (modifiers_ & optionKey) set(keys::kOption);
    if (modifiers_ & controlKey) set(keys::kControl);
    if (modifiers_ & alphaLock) set(keys::kCapsLock);
}

void EventManager::beep() {
    host().beep();
    if (beep_flash_) beep_flash_();
}

void EventManager::post_high_level(OSType eventClass, OSType eventID, HighLevelPayload payload) {
    EventRecord r = make(kHighLevelEvent, eventClass);
    r.where = Point{SInt16(UInt16(eventID >> 16)), SInt16(UInt16(eventID & 0xFFFF))};
    queue_.push_back(Queued{r, std::move(payload)});
}

HighLevelPayload EventManager::take_payload(const EventRecord& event) {
    if (event.what != kHighLevelEvent || !last_high_level_.payload) return nullptr;
    if (last_high_level_.event_class != OSType(event.message) ||
        last_high_level_.event_id != high_level_event_id(event))
        return nullptr;
    return std::move(last_high_level_.payload);
}

void EventManager::request_quit(QuitSource source) {
    if (quit_handler_) {
        QuitHandler handler = quit_handler_;   // the handler may replace itself
        handler(source);
        return;
    }
    ExitToShell();
}

void EventManager::reset() {
    queue_.clear();
    last_high_level_ = {};
    mouse_ = Point{0, 0};
    button_ = false;
    modifiers_ = 0;
    last_key_modifiers_ = cmdKey;
    foreground_ = true;
    keys_down_.reset();
    windows_ = nullptr;
    quit_handler_ = nullptr;
    beep_flash_ = nullptr;
    screen_flush_ = nullptr;
    screen_resize_ = nullptr;
    region_test_ = nullptr;
    feeder_ = nullptr;
    documents_handler_ = nullptr;
    idle_task_ = nullptr;
    background_task_ = nullptr;
    menu_key_target_ = nullptr;
    menu_key_press_taken_ = false;
}

OSType high_level_event_id(const EventRecord& event) {
    return (OSType(UInt16(event.where.v)) << 16) | UInt16(event.where.h);
}

}  // namespace platform::events
