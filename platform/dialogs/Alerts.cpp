// Alerts: a dialog from an 'ALRT' and its item list, run until an enabled
// item is hit. Consecutive showings of the same alert go through its four
// stages (beeps, whether it shows, which item is the default); the last
// stage repeats. The default item's partner among items 1 and 2 is the
// cancel item when it is a button.
#include "platform/Dialogs.h"
#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/dialogs/DialogManager.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "platform/resources/ResourceChain.h"

namespace {

using namespace platform::dialogs;

SInt16 run_alert(SInt16 alertID, ModalFilterUPP filter) {
    Handle h = GetResource('ALRT', alertID);
    if (!h || !*h) return -1;
    auto a = parse_alert({reinterpret_cast<const UInt8*>(*h), size_t(GetHandleSize(h))});
    if (!a) {
        platform::resources::ResourceChain::instance().set_error(a.error().code);
        return -1;
    }
    const AlertStage stage = alert_stage(a->stages, DialogManager::get().next_alert_stage(alertID));
    for (int i = 0; i < stage.beeps; ++i) SysBeep(1);
    if (!stage.shown) return -1;

    DialogTemplate t;
    t.bounds = a->bounds;
    t.proc_id = dBoxProc;
    t.items_id = a->items_id;
    platform::kit::PortGuard keepPort;
    Dialog* d = new_dialog_from_resources(t, reinterpret_cast<WindowRef>(-1));
    if (!d) return -1;
    d->is_alert = true;
    d->default_item = stage.default_item;
    const SInt16 partner = stage.default_item == 1 ? 2 : 1;
    if (const Item* it = d->item(partner); it && it->is_button()) d->cancel_item = partner;

    DialogItemIndex item = 0;
    while (item < 1) {
        item = 0;
        ModalDialog(filter, &item);
        if (!DialogManager::get().find(d)) return item > 0 ? item : -1;
    }
    DialogManager::get().dispose(d);
    return item;
}

}  // namespace

SInt16 Alert(SInt16 alertID, ModalFilterUPP modalFilter) { return run_alert(alertID, modalFilter); }
SInt16 StopAlert(SInt16 alertID, ModalFilterUPP modalFilter) { return run_alert(alertID, modalFilter); }
SInt16 NoteAlert(SInt16 alertID, ModalFilterUPP modalFilter) { return run_alert(alertID, modalFilter); }
SInt16 CautionAlert(SInt16 alertID, ModalFilterUPP modalFilter) { return run_alert(alertID, modalFilter); }
