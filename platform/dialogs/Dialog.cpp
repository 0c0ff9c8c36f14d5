// A dialog's window and items (Dialog.h).
#include "platform/dialogs/Dialog.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/Memory.h"
#include "platform/Windows.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/WindowManager.h"

namespace platform::dialogs {
namespace {

using windows::WindowManager;

Handle make_text_handle(std::string_view text) {
    Handle h = NewHandle(Size(text.size()));
    if (h && !text.empty()) std::memcpy(*h, text.data(), text.size());
    return h;
}

// Moves a window whose frame does not fit on the desktop to the middle of
// it, a third of the way down (where alerts go).
void fit_on_screen(WindowRef ref) {
    WindowManager& wm = WindowManager::get();
    windows::Window* w = wm.find(ref);
    if (!w) return;
    const Rect desk = wm.desktop_rect();
    const Rect frame = w->geometry().structure_bounds(w->spec());
    if (frame.left >= desk.left && frame.top >= desk.top && frame.right <= desk.right && frame.bottom <= desk.bottom)
        return;
    const Rect content = w->content();
    const SInt32 fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    SInt32 left = kit::centred_left(desk, fw);
    SInt32 top = desk.top + std::max<SInt32>(0, (desk.bottom - desk.top - fh) / 3);
    left += content.left - frame.left;
    top += content.top - frame.top;
    wm.move_to(w, left, top);
}

}  // namespace

Result<std::unique_ptr<Dialog>> Dialog::create(const DialogTemplate& t, const std::vector<ItemTemplate>& items,
                                               WindowRef behind) {
    std::unique_ptr<Dialog> d(new (std::nothrow) Dialog());
    if (!d) return fail(memFullErr, "no memory for a dialog");
    d->items_.reserve(items.size());
    for (const ItemTemplate& it : items) {
        Item item;
        item.type = it.type;
        item.box = it.box;
        item.resource_id = it.resource_id;
        if (item.has_text()) {
            item.handle = item.own_text = make_text_handle(it.text);
            if (!item.handle) return fail(memFullErr, "no memory for a dialog item");
        }
        d->items_.push_back(item);
    }
    Str255 title;
    const size_t n = std::min<size_t>(t.title.size(), 255);
    title[0] = UInt8(n);
    std::memcpy(title + 1, t.title.data(), n);
    d->window_ = NewCWindow(nullptr, &t.bounds, title, t.visible, t.proc_id, behind, t.go_away, SRefCon(t.ref_con));
    if (!d->window_) return fail(memFullErr, "no memory for a dialog window");
    SetWindowKind(d->window_, dialogKind);
    if (quickdraw::GrafPort* p = quickdraw::port_from(d->port())) p->back = quickdraw::to_rgb_color(kit::palette::kDialogBack);
    fit_on_screen(d->window_);
    for (SInt16 i = 1; i <= d->count(); ++i)
        if (d->item(i)->is_edit()) {
            d->set_focus(i, 0, EditField::kMaxBytes);
            break;
        }
    return d;
}

Dialog::~Dialog() {
    if (window_) DisposeWindow(window_);
    for (Item& item : items_)
        if (item.own_text) DisposeHandle(item.own_text);
}

GrafPtr Dialog::port() const { return GetWindowPort(window_); }

SInt16 Dialog::item_at(Point p) const {
    for (SInt16 i = 1; i <= count(); ++i) {
        if (kit::contains(item(i)->box, p)) return i;
    }
    return 0;
}

std::string Dialog::text(SInt16 n) const {
    const Item* it = item(n);
    if (!it || !it->has_text() || !it->handle || !*it->handle) return {};
    return std::string(*it->handle, size_t(std::max<Size>(0, GetHandleSize(it->handle))));
}

void Dialog::write_handle(Handle h, std::string_view text) {
    if (!h) return;
    const Size size = Size(std::min<size_t>(text.size(), 255));
    SetHandleSize(h, size);
    if (MemError() != noErr) return;
    if (size) std::memcpy(*h, text.data(), size_t(size));
}

void Dialog::set_text(SInt16 n, std::string_view text) {
    Item* it = item(n);
    if (!it) return;
    write_handle(it->handle, text);
    if (n == focus_) {
        edit_.set_text(std::string(text));
        edit_scroll = 0;
    }
}

void Dialog::replace_item(SInt16 n, UInt8 type, Handle h, const Rect* box) {
    Item* it = item(n);
    if (!it) return;
    it->type = type;
    it->handle = h;
    if (box) it->box = *box;
    if (n == focus_ && !it->is_edit()) {
        focus_ = 0;
        next_field(false);
    } else if (n == focus_) {
        edit_.set_text(text(n));
    }
}

void Dialog::set_focus(SInt16 n, size_t start, size_t end) {
    Item* it = item(n);
    if (!it || !it->is_edit()) return;
    if (n != focus_) {
        focus_ = n;
        edit_.set_text(text(n));
        edit_scroll = 0;
    }
    edit_.select(start, end);
    caret_on = true;
    caret_next_tick = 0;
}

void Dialog::next_field(bool backwards) {
    const SInt16 n = count();
    for (SInt16 step = 1; step <= n; ++step) {
        SInt16 i = backwards ? SInt16(((focus_ - 1 - step) % n + n) % n + 1) : SInt16((focus_ - 1 + step + n) % n + 1);
        if (focus_ == 0 && backwards) i = SInt16(n - step + 1);
        if (item(i)->is_edit()) {
            set_focus(i, 0, EditField::kMaxBytes);
            return;
        }
    }
}

void Dialog::store_edit() {
    if (Item* it = item(focus_)) write_handle(it->handle, edit_.text());
}

Point Dialog::to_local(Point global) const {
    windows::Window* w = WindowManager::get().find(window_);
    if (!w) return global;
    Point o = w->local_offset();
    return Point{SInt16(global.v - o.v), SInt16(global.h - o.h)};
}

Rect Dialog::to_global(const Rect& local) const {
    windows::Window* w = WindowManager::get().find(window_);
    if (!w) return local;
    Point o = w->local_offset();
    return quickdraw::to_rect(local.left + o.h, local.top + o.v, local.right + o.h, local.bottom + o.v);
}

}  // namespace platform::dialogs
