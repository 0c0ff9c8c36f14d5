// The Event Manager's classic calls and the hooks of EventsInternal.h.
#include <cstring>

#include "platform/Events.h"
#include "platform/events/EventManager.h"

using platform::events::EventManager;

Boolean WaitNextEvent(EventMask eventMask, EventRecord* theEvent, UInt32 sleep, RgnHandle mouseRgn) {
    EventRecord scratch;
    return EventManager::instance().wait_next(eventMask, theEvent ? *theEvent : scratch, sleep, mouseRgn);
}

Boolean GetNextEvent(EventMask eventMask, EventRecord* theEvent) {
    return WaitNextEvent(eventMask, theEvent, 0, nullptr);
}

Boolean EventAvail(EventMask eventMask, EventRecord* theEvent) {
    EventRecord scratch;
    return EventManager::instance().avail(eventMask, theEvent ? *theEvent : scratch);
}

void FlushEvents(EventMask whichMask, EventMask stopMask) {
    EventManager::instance().flush(whichMask, stopMask);
}

OSErr PostEvent(EventKind eventNum, UInt32 eventMsg) {
    return EventManager::instance().post(eventNum, eventMsg);
}

Boolean Button(void) { return EventManager::instance().button(); }
Boolean StillDown(void) { return EventManager::instance().still_down(); }
Boolean WaitMouseUp(void) { return EventManager::instance().wait_mouse_up(); }

void GetKeys(KeyMap theKeys) {
    if (!theKeys) return;
    UInt8 bytes[16];
    EventManager::instance().keys(bytes);
    std::memcpy(theKeys, bytes, sizeof bytes);
}

UInt32 TickCount(void) { return EventManager::instance().ticks(); }
UInt32 GetDblTime(void) { return 30; }
UInt32 GetCaretTime(void) { return 32; }

void SysBeep(SInt16 /*duration*/) { EventManager::instance().beep(); }

namespace platform::events {

void set_window_event_source(WindowEventSource* source) { EventManager::instance().set_window_source(source); }

void post_high_level_event(OSType eventClass, OSType eventID, HighLevelPayload payload) {
    EventManager::instance().post_high_level(eventClass, eventID, std::move(payload));
}

HighLevelPayload take_high_level_payload(const EventRecord& event) {
    return EventManager::instance().take_payload(event);
}

const char* quit_source_name(QuitSource source) {
    switch (source) {
    case QuitSource::HostWindow: return "the host window was closed";
    case QuitSource::Signal: return "a signal";
    case QuitSource::MenuCommand: return "the Quit menu command";
    case QuitSource::Script: return "the script";
    }
    return "?";
}

void set_quit_handler(QuitHandler handler) { EventManager::instance().set_quit_handler(std::move(handler)); }
void request_quit(QuitSource source) { EventManager::instance().request_quit(source); }
void set_documents_handler(DocumentsHandler handler) {
    EventManager::instance().set_documents_handler(std::move(handler));
}
void request_open_documents(const std::vector<std::string>& paths) {
    // A copy: the handler may replace itself.
    if (DocumentsHandler handler = EventManager::instance().documents_handler()) handler(paths);
}
void set_idle_task(std::function<void()> task) { EventManager::instance().set_idle_task(std::move(task)); }
void set_beep_flash(std::function<void()> flash) { EventManager::instance().set_beep_flash(std::move(flash)); }
void set_screen_flush(std::function<void()> flush) { EventManager::instance().set_screen_flush(std::move(flush)); }
void set_screen_resize(std::function<void(host::ScreenSize)> resize) {
    EventManager::instance().set_screen_resize(std::move(resize));
}
void set_region_test(std::function<bool(RgnHandle, Point)> contains) {
    EventManager::instance().set_region_test(std::move(contains));
}

bool in_foreground() { return EventManager::instance().foreground(); }
Point mouse_position() { return EventManager::instance().mouse_position(); }
bool mouse_button_down() { return EventManager::instance().button_down(); }
EventModifiers current_modifiers() { return EventManager::instance().modifiers(); }
EventModifiers last_key_event_modifiers() { return EventManager::instance().last_key_modifiers(); }
void flush_screen_now() { EventManager::instance().flush_screen_now(); }

void set_background_task(std::function<void()> task) { EventManager::instance().set_background_task(std::move(task)); }
void run_background_task() { EventManager::instance().run_background_task(); }
void set_menu_key_target(std::function<std::optional<Point>()> where) {
    EventManager::instance().set_menu_key_target(std::move(where));
}
bool took_menu_key_press() { return EventManager::instance().took_menu_key_press(); }

void set_input_feeder(InputFeeder* feeder) { EventManager::instance().set_feeder(feeder); }
void deliver_input(const host::InputEvent& input) { EventManager::instance().deliver(input); }

std::optional<EventRecord> take_event_if(EventMask mask, const std::function<bool(const EventRecord&)>& wanted) {
    return EventManager::instance().take_if(mask, wanted);
}

void reset_for_testing() { EventManager::instance().reset(); }

}  // namespace platform::events
