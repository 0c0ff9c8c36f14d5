// A modal dialog's own event handling (ModalLoop.h).
#include "platform/dialogs/ModalLoop.h"

#include <cstdlib>

#include "platform/Windows.h"
#include "platform/dialogs/DialogDrawing.h"
#include "platform/dialogs/DialogManager.h"
#include "platform/events/EventsInternal.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::dialogs {
namespace {

Point mouse_local(const Dialog& d) { return d.to_local(events::mouse_position()); }

// Holds a control down while the mouse stays on it; true when released on it.
bool track_control(Dialog& d, SInt16 n) {
    Item& it = *d.item(n);
    bool inside = true;
    it.pressed = true;
    draw_item(d, n);
    while (WaitMouseUp()) {
        bool now = kit::contains(it.box, mouse_local(d));
        if (now != inside) {
            inside = now;
            it.pressed = inside;
            draw_item(d, n);
        }
    }
    inside = kit::contains(it.box, mouse_local(d));
    it.pressed = false;
    draw_item(d, n);
    return inside;
}

void click_in_field(Dialog& d, SInt16 n, const EventRecord& e) {
    const Point local = d.to_local(e.where);
    if (n != d.focus()) {
        const SInt16 old = d.focus();
        d.set_focus(n, 0, 0);
        if (old) draw_item(d, old);
        draw_item(d, n);
    }
    const bool twice = n == d.last_click_item && e.when - d.last_click_tick <= GetDblTime() &&
                       std::abs(local.h - d.last_click.h) <= 4 && std::abs(local.v - d.last_click.v) <= 4;
    d.last_click_item = n;
    d.last_click_tick = e.when;
    d.last_click = local;
    EditField& f = d.edit();
    if (twice) f.select_word(edit_offset_at(d, local));
    else f.click(edit_offset_at(d, local), (e.modifiers & shiftKey) != 0);
    d.caret_on = true;
    draw_edit(d);
    if (twice) {
        while (WaitMouseUp()) {
        }
        return;
    }
    size_t shownStart = f.sel_start(), shownEnd = f.sel_end();
    while (WaitMouseUp()) {
        f.drag_to(edit_offset_at(d, mouse_local(d)));
        if (f.sel_start() != shownStart || f.sel_end() != shownEnd) {
            shownStart = f.sel_start();
            shownEnd = f.sel_end();
            draw_edit(d);
        }
    }
}

bool mouse_down(Dialog& d, const EventRecord& e, DialogItemIndex* itemHit) {
    WindowRef w = nullptr;
    const SInt16 part = FindWindow(e.where, &w);
    if (part == inMenuBar) return false;
    if (w != d.window()) {
        SysBeep(1);
        return false;
    }
    if (part == inDrag) {
        Rect bounds;
        GetRegionBounds(GetGrayRgn(), &bounds);
        DragWindow(w, e.where, &bounds);
        return false;
    }
    if (part != inContent) return false;
    const SInt16 n = d.item_at(d.to_local(e.where));
    Item* it = d.item(n);
    if (!it) return false;
    if (it->is_edit()) {
        click_in_field(d, n, e);
    } else if (it->is_control()) {
        if (!it->enabled() || !track_control(d, n)) return false;
    } else if (!it->enabled()) {
        return false;
    }
    if (!d.item(n) || !d.item(n)->enabled()) return false;
    *itemHit = n;
    return true;
}

bool key_down(Dialog& d, const EventRecord& e, DialogItemIndex* itemHit) {
    if (e.modifiers & cmdKey) return false;
    const UInt8 c = UInt8(e.message & charCodeMask);
    if (c == kTabCharCode) {
        const SInt16 old = d.focus();
        d.next_field((e.modifiers & shiftKey) != 0);
        if (old && old != d.focus()) draw_item(d, old);
        if (d.focus()) draw_item(d, d.focus());
        return false;
    }
    if (c == kReturnCharCode || c == kEnterCharCode || c == kEscapeCharCode) return false;
    if (!d.focus()) return false;
    const EditField::Outcome outcome = d.edit().key(c, (e.modifiers & shiftKey) != 0);
    if (outcome == EditField::Outcome::Refused) SysBeep(1);
    if (outcome == EditField::Outcome::Unchanged || outcome == EditField::Outcome::Refused) return false;
    if (outcome == EditField::Outcome::Changed) d.store_edit();
    d.caret_on = true;
    d.caret_next_tick = TickCount() + GetCaretTime();
    draw_edit(d);
    if (!d.item(d.focus())->enabled()) return false;
    *itemHit = d.focus();
    return true;
}

void blink(Dialog& d) {
    if (!d.focus() || d.edit().has_selection()) return;
    const UInt32 now = TickCount();
    if (now < d.caret_next_tick) return;
    d.caret_on = !d.caret_on;
    d.caret_next_tick = now + GetCaretTime();
    draw_edit(d);
}

}  // namespace

bool handle_modal_event(Dialog& d, const EventRecord& e, DialogItemIndex* itemHit) {
    switch (e.what) {
    case nullEvent: blink(d); return false;
    case mouseDown: return mouse_down(d, e, itemHit);
    case keyDown:
    case autoKey: return key_down(d, e, itemHit);
    case updateEvt: {
        WindowRef w = reinterpret_cast<WindowRef>(e.message);
        BeginUpdate(w);
        if (Dialog* u = DialogManager::get().find_by_window(w)) draw_dialog(*u);
        EndUpdate(w);
        return false;
    }
    case activateEvt:
        if (Dialog* a = DialogManager::get().find_by_window(reinterpret_cast<WindowRef>(e.message)))
            if (a->focus()) draw_item(*a, a->focus());
        return false;
    default: return false;
    }
}

}  // namespace platform::dialogs
