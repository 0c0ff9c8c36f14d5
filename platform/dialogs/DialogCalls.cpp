// The Dialog Manager's classic calls. A nil or unknown DialogRef is ignored
// (or answers nil, 0, false; paramErr for the calls with a result).
#include <cstring>

#include "platform/Dialogs.h"
#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/dialogs/DialogDrawing.h"
#include "platform/dialogs/DialogManager.h"
#include "platform/dialogs/ModalLoop.h"
#include "platform/resources/ResourceChain.h"
#include "platform/windows/WindowManager.h"

using platform::dialogs::Dialog;
using platform::dialogs::DialogManager;

namespace {

Dialog* dialog_of(DialogRef ref) { return DialogManager::get().find(ref); }

std::span<const UInt8> bytes_of(Handle h) {
    if (!h || !*h) return {};
    return {reinterpret_cast<const UInt8*>(*h), size_t(GetHandleSize(h))};
}

void set_res_error(OSErr err) { platform::resources::ResourceChain::instance().set_error(err); }

std::string from_pascal(ConstStr255Param s) { return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string(); }

}  // namespace

namespace platform::dialogs {

Dialog* new_dialog_from_resources(const DialogTemplate& t, WindowRef behind) {
    Handle items = GetResource('DITL', t.items_id);
    if (!items) return nullptr;
    auto list = parse_item_list(bytes_of(items));
    if (!list) {
        set_res_error(list.error().code);
        return nullptr;
    }
    auto made = Dialog::create(t, *list, behind);
    if (!made) {
        set_res_error(made.error().code);
        return nullptr;
    }
    set_res_error(noErr);
    return DialogManager::get().add(std::move(*made));
}

}  // namespace platform::dialogs

ModalFilterUPP NewModalFilterUPP(ModalFilterProcPtr userRoutine) { return userRoutine; }
void DisposeModalFilterUPP(ModalFilterUPP) {}
UserItemUPP NewUserItemUPP(UserItemProcPtr userRoutine) { return userRoutine; }
void DisposeUserItemUPP(UserItemUPP) {}

DialogRef GetNewDialog(SInt16 dialogID, void* dStorage, WindowRef behind) {
    if (dStorage) {   // the platform allocates every dialog itself
        set_res_error(paramErr);
        return nullptr;
    }
    Handle h = GetResource('DLOG', dialogID);
    if (!h) return nullptr;
    auto t = platform::dialogs::parse_dialog(bytes_of(h));
    if (!t) {
        set_res_error(t.error().code);
        return nullptr;
    }
    Dialog* d = platform::dialogs::new_dialog_from_resources(*t, behind);
    if (!d) return nullptr;
    d->default_item = d->count() >= 1 ? 1 : 0;
    return d;
}

void DisposeDialog(DialogRef theDialog) {
    if (Dialog* d = dialog_of(theDialog)) DialogManager::get().dispose(d);
}

WindowRef GetDialogWindow(DialogRef dialog) {
    Dialog* d = dialog_of(dialog);
    return d ? d->window() : nullptr;
}

DialogRef GetDialogFromWindow(WindowRef window) { return DialogManager::get().find_by_window(window); }

CGrafPtr GetDialogPort(DialogRef dialog) {
    Dialog* d = dialog_of(dialog);
    return d ? d->port() : nullptr;
}

void SetPortDialogPort(DialogRef dialog) {
    if (Dialog* d = dialog_of(dialog)) SetPort(d->port());
}

void ModalDialog(ModalFilterUPP modalFilter, DialogItemIndex* itemHit) {
    DialogItemIndex spare = 0;
    if (!itemHit) itemHit = &spare;
    DialogManager& dm = DialogManager::get();
    Dialog* d = dm.modal_target();
    if (!d) return;
    for (;;) {
        EventRecord e;
        WaitNextEvent(platform::dialogs::kModalEventMask, &e, 0, nullptr);
        const bool taken = modalFilter ? modalFilter(d, &e, itemHit) : StdFilterProc(d, &e, itemHit);
        if (taken) return;
        if (dm.find(d) != d) return;   // the filter disposed of the dialog
        if (platform::dialogs::handle_modal_event(*d, e, itemHit)) return;
    }
}

Boolean StdFilterProc(DialogRef theDialog, EventRecord* event, DialogItemIndex* itemHit) {
    Dialog* d = dialog_of(theDialog);
    if (!d || !event || (event->what != keyDown && event->what != autoKey)) return false;
    const UInt8 c = UInt8(event->message & charCodeMask);
    const bool command = (event->modifiers & cmdKey) != 0;
    SInt16 item = 0;
    if ((c == kReturnCharCode || c == kEnterCharCode) && !command) item = d->default_item;
    else if ((c == kEscapeCharCode && !command) || (c == '.' && command)) item = d->cancel_item;
    const platform::dialogs::Item* it = d->item(item);
    if (!it || !it->enabled()) return false;
    platform::dialogs::flash_button(*d, item);
    if (itemHit) *itemHit = item;
    return true;
}

void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2, ConstStr255Param param3) {
    auto& p = DialogManager::get().params;
    p = {from_pascal(param0), from_pascal(param1), from_pascal(param2), from_pascal(param3)};
}

OSErr SetDialogDefaultItem(DialogRef theDialog, DialogItemIndex newItem) {
    Dialog* d = dialog_of(theDialog);
    if (!d) return paramErr;
    if (d->default_item == newItem) return noErr;
    // The rings come and go with the next update.
    for (SInt16 n : {d->default_item, newItem})
        if (const auto* it = d->item(n)) {
            Rect r = platform::dialogs::ring_area(it->box);
            InvalWindowRect(d->window(), &r);
        }
    d->default_item = newItem;
    return noErr;
}

OSErr SetDialogCancelItem(DialogRef theDialog, DialogItemIndex newItem) {
    Dialog* d = dialog_of(theDialog);
    if (!d) return paramErr;
    d->cancel_item = newItem;
    return noErr;
}

void GetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType* itemType, Handle* item, Rect* box) {
    Dialog* d = dialog_of(theDialog);
    const platform::dialogs::Item* it = d ? d->item(itemNo) : nullptr;
    if (itemType) *itemType = it ? it->type : 0;
    if (item) *item = it ? it->handle : nullptr;
    if (box) *box = it ? it->box : Rect{0, 0, 0, 0};
}

void SetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType itemType, Handle item, const Rect* box) {
    Dialog* d = dialog_of(theDialog);
    if (!d || !d->item(itemNo)) return;
    Rect before = platform::dialogs::ring_area(d->item(itemNo)->box);
    d->replace_item(itemNo, UInt8(itemType), item, box);
    Rect after = platform::dialogs::ring_area(d->item(itemNo)->box);
    InvalWindowRect(d->window(), &before);
    InvalWindowRect(d->window(), &after);
}

void GetDialogItemText(Handle item, Str255 text) {
    if (!text) return;
    text[0] = 0;
    if (!item || !*item) return;
    const size_t n = size_t(std::min<Size>(GetHandleSize(item), 255));
    text[0] = UInt8(n);
    std::memcpy(text + 1, *item, n);
}

void SetDialogItemText(Handle item, ConstStr255Param text) {
    if (!item) return;
    const std::string s = from_pascal(text);
    auto [d, n] = DialogManager::get().find_text_handle(item);
    if (!d) {
        Dialog::write_handle(item, s);
        return;
    }
    d->set_text(n, s);
    platform::dialogs::draw_item(*d, n);
}

void SelectDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, SInt16 strtSel, SInt16 endSel) {
    Dialog* d = dialog_of(theDialog);
    if (!d || !d->item(itemNo) || !d->item(itemNo)->is_edit()) return;
    const SInt16 old = d->focus();
    d->set_focus(itemNo, size_t(std::max<SInt16>(strtSel, 0)), size_t(std::max<SInt16>(endSel, 0)));
    if (old && old != itemNo) platform::dialogs::draw_item(*d, old);
    platform::dialogs::draw_item(*d, itemNo);
}

void DrawDialog(DialogRef theDialog) {
    if (Dialog* d = dialog_of(theDialog)) platform::dialogs::draw_dialog(*d);
}

Boolean IsDialogEvent(const EventRecord* theEvent) {
    if (!theEvent) return false;
    DialogManager& dm = DialogManager::get();
    switch (theEvent->what) {
    case updateEvt:
    case activateEvt: return dm.find_by_window(reinterpret_cast<WindowRef>(theEvent->message)) != nullptr;
    case mouseDown: {
        WindowRef w = nullptr;
        FindWindow(theEvent->where, &w);
        return dm.find_by_window(w) != nullptr;
    }
    default: return dm.find_by_window(FrontWindow()) != nullptr;
    }
}
