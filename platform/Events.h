/*
 * Events.h — the Event Manager: the one queue every event of the
 * application comes through, the mouse and keyboard state, and time.
 *
 * Every event the application handles comes through WaitNextEvent (or
 * GetNextEvent). When nothing is pending the call returns a null event, but
 * null events are paced: a call that finds nothing waits until the next
 * 10 ms tick of the host clock (real time on a screen, virtual time when
 * headless), so an application polling with a sleep of 0 idles cheaply.
 *
 * Event record fields:
 *   what       the event kind (nullEvent ... kHighLevelEvent)
 *   message    key events: character code in bits 0-7 (charCodeMask),
 *              virtual key code in bits 8-15 (keyCodeMask);
 *              update and activate events: the WindowRef;
 *              osEvt: message type in bits 24-31, resumeFlag in bit 0;
 *              kHighLevelEvent: the event class.
 *              The field is pointer-sized so that a window reference
 *              survives in it; every 32-bit value reads as before.
 *   when       TickCount() when the event happened (60 per second)
 *   where      global mouse position when the event happened;
 *              kHighLevelEvent: the event ID (v = high 16 bits, h = low 16)
 *   modifiers  modifier keys held, btnState set while the button is UP,
 *              activeFlag set on an activate (not a deactivate) event
 *
 * Keys: Ctrl is the Command key, Alt the Option key, Shift is Shift and the
 * Super ("Windows") key is Control. Characters are delivered as bytes: an
 * ASCII character is one key event; a character outside ASCII arrives as
 * its UTF-8 bytes in successive key events carrying the same key code.
 */
#pragma once

#include <cstdint>

#include "platform/QuickDraw.h"
#include "platform/Types.h"

typedef UInt16 EventKind;
typedef UInt16 EventMask;
typedef UInt16 EventModifiers;

struct EventRecord {
    EventKind what;
    uintptr_t message;
    UInt32 when;
    Point where;
    EventModifiers modifiers;
};

// Event kinds.
enum {
    nullEvent       = 0,
    mouseDown       = 1,
    mouseUp         = 2,
    keyDown         = 3,
    keyUp           = 4,
    autoKey         = 5,
    updateEvt       = 6,
    diskEvt         = 7,
    activateEvt     = 8,
    osEvt           = 15,
    kHighLevelEvent = 23
};

// Event masks.
enum {
    mDownMask          = 1 << mouseDown,     // 0x0002
    mUpMask            = 1 << mouseUp,       // 0x0004
    keyDownMask        = 1 << keyDown,       // 0x0008
    keyUpMask          = 1 << keyUp,         // 0x0010
    autoKeyMask        = 1 << autoKey,       // 0x0020
    updateMask         = 1 << updateEvt,     // 0x0040
    diskMask           = 1 << diskEvt,       // 0x0080
    activMask          = 1 << activateEvt,   // 0x0100
    highLevelEventMask = 0x0400,
    osMask             = 1 << osEvt,         // 0x8000
    everyEvent         = 0xFFFF
};

// Modifier bits.
enum {
    activeFlag = 0x0001,
    btnState   = 0x0080,   // set while the mouse button is up
    cmdKey     = 0x0100,
    shiftKey   = 0x0200,
    alphaLock  = 0x0400,
    optionKey  = 0x0800,
    controlKey = 0x1000
};

// Parts of the message.
enum {
    charCodeMask = 0x000000FF,
    keyCodeMask  = 0x0000FF00,
    osEvtMessageMask = (int)0xFF000000
};

// osEvt messages: the type in the high byte.
enum {
    suspendResumeMessage   = 0x01,
    mouseMovedMessage      = 0xFA,
    resumeFlag             = 1,     // bit 0: set on resume, clear on suspend
    convertClipboardFlag   = 2
};

// Characters of the special keys (low byte of a key event's message).
enum {
    kEnterCharCode          = 0x03,
    kBackspaceCharCode      = 0x08,   // the Delete key
    kTabCharCode            = 0x09,
    kReturnCharCode         = 0x0D,
    kEscapeCharCode         = 0x1B,
    kLeftArrowCharCode      = 0x1C,
    kRightArrowCharCode     = 0x1D,
    kUpArrowCharCode        = 0x1E,
    kDownArrowCharCode      = 0x1F,
    kSpaceCharCode          = 0x20,
    kDeleteCharCode         = 0x7F    // forward delete
};

// PostEvent: the kind may not be posted.
enum { evtNotEnb = 1 };

// The state of every key, one bit per virtual key code: key code k is bit
// (k & 7) of byte (k >> 3).
typedef UInt8 KeyMapByteArray[16];
typedef UInt32 KeyMap[4];

// ---------------------------------------------------------------- calls

// Takes the next event matching the mask out of the queue. Returns false
// with a null event in *theEvent when none is pending after waiting up to
// `sleep` ticks (and at least until the next pacing tick). When mouseRgn is
// given and the mouse is outside it, an osEvt mouse-moved event is returned.
Boolean WaitNextEvent(EventMask eventMask, EventRecord* theEvent, UInt32 sleep, RgnHandle mouseRgn);
// The same with no sleep (still paced: a null event waits for the next tick).
Boolean GetNextEvent(EventMask eventMask, EventRecord* theEvent);
// Looks at the next event without taking it out of the queue; never waits.
Boolean EventAvail(EventMask eventMask, EventRecord* theEvent);
// Removes the queued events of whichMask, stopping at the first one of stopMask.
void FlushEvents(EventMask whichMask, EventMask stopMask);
// Queues a mouse, key, disk or operating-system event (evtNotEnb for others).
OSErr PostEvent(EventKind eventNum, UInt32 eventMsg);

// The mouse button as it is now.
Boolean Button(void);
// True while the button is down and no mouse event is waiting in the queue.
Boolean StillDown(void);
// StillDown; when the button has been released, also removes the mouse-up.
Boolean WaitMouseUp(void);
// The mouse position in the current port's local coordinates.
void GetMouse(Point* mouseLoc);
void GetKeys(KeyMap theKeys);

// Ticks (60 per second) since the platform started.
UInt32 TickCount(void);
// Maximum interval between the clicks of a double-click, in ticks.
UInt32 GetDblTime(void);
// Caret blink interval, in ticks.
UInt32 GetCaretTime(void);

// Sounds the alert: the host's beep, and a flash of the menu bar.
void SysBeep(SInt16 duration);
