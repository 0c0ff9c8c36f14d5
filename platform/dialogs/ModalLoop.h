// ModalLoop.h — what a modal dialog does with the events its filter leaves
// to it (ModalDialog's own part, shared with the file dialogs).
#pragma once

#include "platform/Events.h"
#include "platform/dialogs/Dialog.h"

namespace platform::dialogs {

// Handles one event for the modal dialog `d`. Returns true with *itemHit
// set when an enabled item was hit.
//   null        the caret blinks
//   mouse-down  in the dialog: items (buttons tracked until the release,
//               editable text selected by clicking and dragging,
//               double-clicks select a word); on its title bar: a drag;
//               in the menu bar: nothing; anywhere else: a beep
//   key         Command keys: nothing; Tab and Shift-Tab: the next or
//               previous field; Return, Enter and Escape: nothing (the
//               standard filter deals with them); other keys: the focused
//               field (its item is hit when enabled)
//   update      a dialog draws itself; any other window whose update is
//               still pending is left blank, so it cannot hold up input
//   activate    a dialog's field shows or hides its selection
bool handle_modal_event(Dialog& d, const EventRecord& e, DialogItemIndex* itemHit);

// The event mask of modal loops: everything but high-level events, which
// wait in the queue for the application's own loop.
constexpr EventMask kModalEventMask = EventMask(everyEvent & ~highLevelEventMask);

}  // namespace platform::dialogs
