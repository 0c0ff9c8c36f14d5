// The shared part of Navigation Services windows (NavWindow.h).
#include "platform/navigation/NavWindow.h"

#include <algorithm>

#include "platform/Dialogs.h"
#include "platform/Windows.h"
#include "platform/dialogs/DialogDrawing.h"
#include "platform/dialogs/DialogManager.h"
#include "platform/dialogs/ModalLoop.h"
#include "platform/dialogs/TextLayout.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/WindowManager.h"

namespace platform::navigation {
namespace {

using dialogs::DialogManager;
using dialogs::ItemTemplate;

// The sessions whose dialogs are up, so a window's reference constant is
// trusted only when it is one of them.
std::vector<NavWindow*>& live() {
    static std::vector<NavWindow*> sessions;
    return sessions;
}

}  // namespace

NavWindow* session_of(DialogRef ref) {
    dialogs::Dialog* d = DialogManager::get().find(ref);
    if (!d) return nullptr;
    auto* s = reinterpret_cast<NavWindow*>(GetWRefCon(d->window()));
    return std::find(live().begin(), live().end(), s) != live().end() && s->dialog() == d ? s : nullptr;
}

NavWindow::~NavWindow() { close(); }

void NavWindow::close() {
    if (!dialog_) return;
    std::erase(live(), this);
    DialogManager::get().dispose(dialog_);
    dialog_ = nullptr;
}

OSErr NavWindow::open(const Layout& layout, Point location) {
    windows::WindowManager& wm = windows::WindowManager::get();
    const Rect desk = wm.desktop_rect();
    dialogs::DialogTemplate t;
    SInt32 left = location.h, top = location.v;
    if (location.h == -1 && location.v == -1) {
        // Centred, a little above the middle, below the title bar's room.
        left = kit::centred_left(desk, layout.width);
        top = desk.top + windows::kTitleBarHeight + std::max<SInt32>(0, (desk.bottom - desk.top - layout.height) / 3);
    }
    t.bounds = Rect{SInt16(top), SInt16(left), SInt16(top + layout.height), SInt16(left + layout.width)};
    t.proc_id = movableDBoxProc;
    t.title = layout.title;
    auto made = dialogs::Dialog::create(t, layout.items, reinterpret_cast<WindowRef>(-1));
    if (!made) return made.error().code;
    dialog_ = DialogManager::get().add(std::move(*made));
    SetWRefCon(dialog_->window(), reinterpret_cast<SRefCon>(this));
    live().push_back(this);
    return noErr;
}

DialogItemIndex NavWindow::next_item() {
    DialogItemIndex item = 0;
    ModalDialog(&NavWindow::filter, &item);
    return item;
}

bool NavWindow::take(EventRecord&, DialogItemIndex*) { return false; }

Boolean NavWindow::filter(DialogRef d, EventRecord* e, DialogItemIndex* itemHit) {
    NavWindow* s = session_of(d);
    if (s && e) {
        s->forward(*e);
        if (s->take(*e, itemHit)) return true;
    }
    return StdFilterProc(d, e, itemHit);
}

void NavWindow::forward(EventRecord& e) {
    if (!callback_.proc) return;
    if (e.what == updateEvt) {
        if (DialogManager::get().find_by_window(reinterpret_cast<WindowRef>(e.message))) return;
    } else if (e.what != nullEvent) {
        return;
    }
    NavCBRec rec{};
    rec.context = this;
    rec.window = dialog_ ? dialog_->window() : nullptr;
    rec.eventData.eventDataParms.event = &e;
    callback_.proc(kNavCBEvent, &rec, callback_.user_data);
}

void NavWindow::set_text(SInt16 item, const std::string& text) {
    if (!dialog_ || !dialog_->item(item)) return;
    dialog_->set_text(item, text);
    dialogs::draw_item(*dialog_, item);
}

std::string NavWindow::text(SInt16 item) const {
    if (!dialog_) return {};
    if (item == dialog_->focus()) return dialog_->edit().text();
    return dialog_->text(item);
}

void NavWindow::enable(SInt16 item, bool enabled) {
    dialogs::Item* it = dialog_ ? dialog_->item(item) : nullptr;
    if (!it || it->enabled() == enabled) return;
    it->type = UInt8(enabled ? (it->type & ~itemDisable) : (it->type | itemDisable));
    dialogs::draw_item(*dialog_, item);
}

ItemTemplate button_item(const std::string& title, Rect box) {
    return ItemTemplate{box, UInt8(kButtonDialogItem), title, 0};
}

ItemTemplate static_item(const std::string& text, Rect box) {
    return ItemTemplate{box, UInt8(kStaticTextDialogItem | itemDisable), text, 0};
}

ItemTemplate edit_item(const std::string& text, Rect box) {
    return ItemTemplate{box, UInt8(kEditTextDialogItem), text, 0};
}

ItemTemplate user_item(Rect box, bool enabled) {
    return ItemTemplate{box, UInt8(enabled ? userItem : (userItem | itemDisable)), {}, 0};
}

SInt16 button_width(const std::string& title) {
    return SInt16(std::max<SInt32>(76, dialogs::dialog_text_width(title) + 28));
}

SInt16 text_height(const std::string& text, SInt16 width) {
    auto lines = dialogs::wrap_text(text, width, [](std::string_view s) { return dialogs::dialog_text_width(s); });
    return SInt16(std::max<size_t>(lines.size(), 1) * size_t(dialogs::dialog_line_height()));
}

std::string pascal_text(const unsigned char* s) { return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string(); }

std::string client_name(const NavDialogOptions& options) {
    std::string name = pascal_text(options.clientName);
    if (!name.empty()) return name;
    NavDialogOptions defaults;
    NavGetDefaultDialogOptions(&defaults);
    return pascal_text(defaults.clientName);
}

}  // namespace platform::navigation
