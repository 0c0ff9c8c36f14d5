// EventsInternal.h — how the other managers and the hosts plug into the
// Event Manager. Everything here runs on the main thread, inside Event
// Manager calls; nothing is asynchronous.
//
//   Window Manager    set_window_event_source: activate events (before any
//                     other event) and update events (when nothing else is
//                     pending).
//   Apple events      post_high_level_event / take_high_level_payload, and
//                     set_quit_handler (to turn a quit request into 'quit').
//   Menu Manager      request_quit(QuitSource::MenuCommand) for "Quit
//                     Kinora"; set_beep_flash for SysBeep's visible flash
//                     (with flush_screen_now); last_key_event_modifiers
//                     for MenuKey.
//   QuickDraw         set_screen_flush (present what was drawn before the
//                     application waits), set_screen_resize (the host
//                     window's new size), set_region_test (mouse regions).
//   Script runner     set_input_feeder / deliver_input.
//   Hosts, instance   request_open_documents (files dropped on the host
//                     window, or sent by another Kinora), set_idle_task
//                     (the instance socket, served while the application waits).
//   Movie controller  set_background_task (its movies play on while the
//                     Menu Manager tracks a menu).
//   Menu Manager      set_menu_key_target / took_menu_key_press (F10).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/hostapi/Host.h"

namespace platform::events {

// ------------------------------------------------------------ windows

class WindowEventSource {
public:
    struct Activation {
        void* window;      // the WindowRef, delivered in the event's message
        bool activate;     // false: a deactivate event (activeFlag clear)
    };
    virtual ~WindowEventSource() = default;
    // An activate or deactivate event waiting to go out; asked before any
    // other event. With remove false the event is only looked at
    // (EventAvail) and must be offered again.
    virtual std::optional<Activation> next_activation(bool remove) = 0;
    // The front-most window whose update region is not empty, or null;
    // asked only when no other event is pending. The source keeps
    // answering with that window until its update region has been emptied
    // (BeginUpdate/EndUpdate), so taking an update event removes nothing.
    virtual void* next_update() = 0;
};

// nullptr removes the source. The Event Manager does not own it.
void set_window_event_source(WindowEventSource* source);

// ------------------------------------------------------------ high-level events

// The payload of a high-level event (an Apple event, for the Apple Event
// Manager to define); the Event Manager only carries it.
using HighLevelPayload = std::shared_ptr<void>;

// Queues a kHighLevelEvent: message = eventClass, where = eventID (v the
// high 16 bits, h the low 16). High-level events are never dropped and
// FlushEvents leaves them alone.
void post_high_level_event(OSType eventClass, OSType eventID, HighLevelPayload payload);
// The event ID carried in `where`.
OSType high_level_event_id(const EventRecord& event);
// The payload of the high-level event most recently taken out of the queue
// (by WaitNextEvent/GetNextEvent), when `event` is that event; null
// otherwise. Taking it hands it over: a second call gives null.
HighLevelPayload take_high_level_payload(const EventRecord& event);

// ------------------------------------------------------------ quitting

enum class QuitSource {
    HostWindow,   // the host window's close button
    Signal,       // SIGINT or SIGTERM
    MenuCommand,  // the application menu's "Quit Kinora"
    Script        // the end of a headless script, or its `quit` line
};
const char* quit_source_name(QuitSource source);

using QuitHandler = std::function<void(QuitSource)>;
// The Apple Event Manager registers a handler that posts the quit Apple
// event; an empty function removes it.
void set_quit_handler(QuitHandler handler);
// "The platform wants to quit." Calls the quit handler; with none
// registered the process ends at once through ExitToShell.
void request_quit(QuitSource source);

// SIGINT and SIGTERM only set a flag (the Event Manager turns it into
// request_quit on its next call). A second signal that arrives before the
// first was picked up ends the process at once (status 128 + signal), so a
// program that stopped asking for events can still be interrupted.
void install_quit_signal_handlers();

// ------------------------------------------------------------ documents from outside

using DocumentsHandler = std::function<void(const std::vector<std::string>& paths)>;
// The Apple Event Manager registers a handler that sends 'odoc'; an empty
// function removes it.
void set_documents_handler(DocumentsHandler handler);
// "Open these files", from outside the application. Ignored when no
// handler is registered (a program that takes no documents).
void request_open_documents(const std::vector<std::string>& paths);

// Runs at the start of every round of WaitNextEvent (so about every 10 ms
// while the application is idle, and never while it is busy elsewhere). It
// must not wait; what it posts is returned by that same call. An empty
// function removes it.
void set_idle_task(std::function<void()> task);

// ------------------------------------------------------------ other hooks

// SysBeep's visible half: the Menu Manager flashes the menu bar.
void set_beep_flash(std::function<void()> flash);
// Called before the Event Manager waits and on every mouse-tracking poll,
// so what was drawn reaches the host.
void set_screen_flush(std::function<void()> flush);
// Called when the host window asks for a screen of another size (its
// ScreenResized input), as the Event Manager takes the host's input.
void set_screen_resize(std::function<void(host::ScreenSize)> resize);
// Presents what was drawn now (the flush hook), for a flash that must be
// seen before the application next waits.
void flush_screen_now();
// Whether a region contains a global point (for WaitNextEvent's mouseRgn).
void set_region_test(std::function<bool(RgnHandle, Point)> contains);

// ------------------------------------------------------------ the platform's own loops

// What must go on while a loop of the platform's own keeps the application
// from its event loop (a menu held open): the movie controller lets its
// movies play. One task; an empty function removes it. The loop runs it
// once a round and keeps the current port across it.
void set_background_task(std::function<void()> task);
void run_background_task();

// F10, the menu key. Its key-down is not queued as a key: the Event Manager
// asks `where` for a point in the menu bar and queues a mouse-down there,
// so the application reaches MenuSelect by its usual path (with its menus
// brought up to date). took_menu_key_press tells MenuSelect that the
// mouse-down it was given came from the key, so it opens the menu for the
// keyboard. With no target (or none answered) F10 is an ordinary key.
void set_menu_key_target(std::function<std::optional<Point>()> where);
// Whether the mouse-down most recently taken out of the queue came from F10.
bool took_menu_key_press();

// A long operation looking for what would stop it (the progress window's
// Cancel): takes out and returns the oldest queued event in `mask` that
// `wanted` accepts, and leaves every other event queued, in order, for the
// application's loop once the operation is over (type-ahead is not lost).
// Host input is taken in first. The input feeder is asked, as for an event
// request, only while the queue holds no press of a key or the mouse (or
// other device event): once one is waiting, nothing more is fed until the
// application has taken it. Releases (the end of a key or click the
// application already took, such as the Return that started the
// operation) do not hold the feeder back, nor do activate and update
// events for the windows behind (the application cannot take them while
// it is busy).
std::optional<EventRecord> take_event_if(EventMask mask, const std::function<bool(const EventRecord&)>& wanted);

// ------------------------------------------------------------ state

bool in_foreground();
Point mouse_position();          // global
bool mouse_button_down();
EventModifiers current_modifiers();   // keys only; btnState is not included
// The modifiers of the key event (keyDown or autoKey) most recently taken
// out of the queue by WaitNextEvent/GetNextEvent, which MenuKey compares
// with the items' modifiers; cmdKey alone before the first one.
EventModifiers last_key_event_modifiers();

// ------------------------------------------------------------ input feeders

enum class FeedContext {
    EventRequest,   // WaitNextEvent, GetNextEvent, EventAvail
    Tracking        // Button, StillDown, WaitMouseUp, GetMouse
};

// Input that arrives only when asked for: the script runner.
class InputFeeder {
public:
    virtual ~InputFeeder() = default;
    // Called when the application asks for an event (or, while tracking
    // the mouse, for the mouse state) and the event queue holds nothing
    // this request could return. Returns true when it delivered input or
    // posted an event (the queue is then looked at again).
    virtual bool feed(FeedContext context) = 0;
    // Host time at which the feeder next has work (waits end no later);
    // UINT64_MAX when it has none.
    virtual UInt64 wake_time() = 0;
};

void set_input_feeder(InputFeeder* feeder);
// Hands one input to the Event Manager as if the host had produced it.
void deliver_input(const host::InputEvent& input);

// ------------------------------------------------------------ tests

// Forgets the queue, the state and every hook (not the host).
void reset_for_testing();

}  // namespace platform::events
