// DialogManager.h — the dialogs that exist, the ParamText strings, the
// alert stages, and what scripts see of the dialog in front.
//
// Internal API for the Dialog Manager's own calls and Navigation Services:
//   DialogManager::get()          the manager (registers the script queries)
//   add / dispose / find          the live dialogs
//   modal_target()                the dialog ModalDialog runs
#pragma once

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs/Dialog.h"
#include "platform/hostapi/ScriptWorld.h"

namespace platform::dialogs {

class DialogManager final : public script::DialogQueries {
public:
    static DialogManager& get();

    Dialog* add(std::unique_ptr<Dialog> d);
    void dispose(Dialog* d);
    Dialog* find(DialogRef ref) const;
    Dialog* find_by_window(WindowRef window) const;
    // The dialog and item whose text handle this is; {nil, 0} if none.
    std::pair<Dialog*, SInt16> find_text_handle(Handle h) const;
    // The front-most visible window when it is a dialog, else the
    // front-most dialog; nil when there is none.
    Dialog* modal_target() const;

    // ParamText's strings (UTF-8).
    std::array<std::string, 4> params;

    // The stage (1 to 4) of this showing of an alert: one more than last
    // time when the same alert was the last shown, else 1.
    int next_alert_stage(SInt16 alertID);

    // script::DialogQueries
    std::optional<script::DialogView> front_modal_dialog() override;

    // Tests: forgets every dialog, the parameters and the alert stages.
    static void reset_for_testing();

private:
    DialogManager() = default;

    std::vector<std::unique_ptr<Dialog>> dialogs_;
    SInt16 last_alert_ = 0;
    int alert_count_ = 0;
};

// GetNewDialog's and Alert's common part: the item list t.items_id of the
// current resource chain, made into a registered dialog. Nil with ResError
// set when a resource is missing (resNotFound), damaged (inputOutOfBounds)
// or there is no memory for it.
Dialog* new_dialog_from_resources(const DialogTemplate& t, WindowRef behind);

}  // namespace platform::dialogs
