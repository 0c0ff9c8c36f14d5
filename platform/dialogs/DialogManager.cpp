// The registry of dialogs, ParamText's strings, alert stages and the
// script's view of the front dialog.
#include "platform/dialogs/DialogManager.h"

#include <algorithm>

#include "platform/dialogs/DialogDrawing.h"
#include "platform/windows/WindowManager.h"

namespace platform::dialogs {
namespace {

DialogManager*& slot() {
    static DialogManager* manager = nullptr;   // never destroyed: dialogs may outlive statics
    return manager;
}

// Scripts can ask about dialogs from the start, before the first one exists.
[[maybe_unused]] const bool g_registered = [] {
    script::set_dialog_queries(&DialogManager::get());
    return true;
}();

}  // namespace

DialogManager& DialogManager::get() {
    DialogManager*& m = slot();
    if (!m) m = new DialogManager();
    return *m;
}

void DialogManager::reset_for_testing() {
    DialogManager& m = get();
    m.dialogs_.clear();
    m.params = {};
    m.last_alert_ = 0;
    m.alert_count_ = 0;
    script::set_dialog_queries(&m);
}

Dialog* DialogManager::add(std::unique_ptr<Dialog> d) {
    dialogs_.push_back(std::move(d));
    return dialogs_.back().get();
}

void DialogManager::dispose(Dialog* d) {
    auto it = std::find_if(dialogs_.begin(), dialogs_.end(), [d](const auto& p) { return p.get() == d; });
    if (it == dialogs_.end()) return;
    std::unique_ptr<Dialog> gone = std::move(*it);
    dialogs_.erase(it);
}

Dialog* DialogManager::find(DialogRef ref) const {
    if (!ref) return nullptr;
    for (const auto& d : dialogs_)
        if (static_cast<OpaqueDialogPtr*>(d.get()) == ref) return d.get();
    return nullptr;
}

Dialog* DialogManager::find_by_window(WindowRef window) const {
    if (!window) return nullptr;
    for (const auto& d : dialogs_)
        if (d->window() == window) return d.get();
    return nullptr;
}

std::pair<Dialog*, SInt16> DialogManager::find_text_handle(Handle h) const {
    if (!h) return {nullptr, 0};
    for (const auto& d : dialogs_)
        for (SInt16 i = 1; i <= d->count(); ++i)
            if (d->item(i)->has_text() && d->item(i)->handle == h) return {d.get(), i};
    return {nullptr, 0};
}

Dialog* DialogManager::modal_target() const {
    if (dialogs_.empty()) return nullptr;
    windows::WindowManager& wm = windows::WindowManager::get();
    if (windows::Window* front = wm.front_visible())
        if (Dialog* d = find_by_window(front)) return d;
    for (const auto& w : wm.windows())
        if (Dialog* d = find_by_window(w.get())) return d;
    return nullptr;
}

int DialogManager::next_alert_stage(SInt16 alertID) {
    if (alertID == last_alert_ && alert_count_ > 0) alert_count_ = std::min(alert_count_ + 1, 4);
    else alert_count_ = 1;
    last_alert_ = alertID;
    return alert_count_;
}

std::optional<script::DialogView> DialogManager::front_modal_dialog() {
    if (dialogs_.empty()) return std::nullopt;
    windows::Window* front = windows::WindowManager::get().front_visible();
    Dialog* d = front ? find_by_window(front) : nullptr;
    if (!d) return std::nullopt;
    script::DialogView view;
    for (SInt16 i = 1; i <= d->count(); ++i) {
        const Item& it = *d->item(i);
        if (it.is_static()) {
            std::string t = shown_text(*d, i);
            if (!t.empty()) view.texts.push_back(std::move(t));
        } else if (it.is_control()) {
            view.buttons.push_back(script::ButtonView{d->text(i), d->to_global(it.box), it.enabled()});
        }
    }
    if (d->extra_texts)
        for (std::string& t : d->extra_texts()) view.texts.push_back(std::move(t));
    if (d->focus()) view.field = d->edit().text();
    return view;
}

}  // namespace platform::dialogs
