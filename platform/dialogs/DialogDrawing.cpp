// The look of dialogs (DialogDrawing.h), drawn with QuickDraw in the
// dialog's port.
#include "platform/dialogs/DialogDrawing.h"

#include <algorithm>
#include <cmath>

#include "platform/QuickDraw.h"
#include "platform/dialogs/DialogLook.h"
#include "platform/dialogs/DialogManager.h"
#include "platform/dialogs/DialogPainter.h"
#include "platform/dialogs/TextLayout.h"
#include "platform/events/EventsInternal.h"
#include "platform/hostapi/Host.h"
#include "platform/quickdraw/Fonts.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/PushButton.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/ChromePainter.h"
#include "platform/windows/WindowManager.h"

namespace platform::dialogs {
namespace {

using quickdraw::Region;
using quickdraw::RGB8;
using quickdraw::to_rect;
namespace palette = kit::palette;

bool dialog_active(const Dialog& d) {
    windows::Window* w = windows::WindowManager::get().find(d.window());
    return w && w->hilited;
}

void draw_button(Painter&, const Dialog& d, SInt16 n) {
    const Item& it = *d.item(n);
    const Rect& r = it.box;
    const SInt32 room = r.right - r.left - 8;
    std::string title = windows::elide_to_width(d.text(n), room, [](std::string_view s) { return dialog_text_width(s); });
    kit::draw_push_button(r, title, kit::ButtonState{it.pressed, it.enabled(), n == d.default_item});
}

void draw_mark_control(Painter& p, const Dialog& d, SInt16 n) {
    const Item& it = *d.item(n);
    const Rect& r = it.box;
    const SInt32 s = look::kMarkSize;
    const SInt32 top = kit::centred_top(r, s);
    const Rect mark = to_rect(r.left, top, r.left + s, top + s);
    const bool radio = it.kind() == ctrlItem + radCtrl;
    Region outer = radio ? kit::rounded_rect(mark, SInt16(s / 2)) : Region(mark);
    Region inner = radio ? kit::rounded_rect(kit::inset(mark, 1), SInt16(s / 2 - 1)) : Region(kit::inset(mark, 1));
    Region border = outer;
    border.subtract(inner);
    p.fill(inner, it.pressed ? palette::kSelection : palette::kButtonFace);
    p.fill(border, it.enabled() ? palette::kButtonBorder : palette::kButtonBorderDisabled);
    p.text(d.text(n), r.left + s + 5, p.centred_baseline(r), it.enabled() ? palette::kText : palette::kDisabledText);
}

void draw_static(Painter& p, const Dialog& d, SInt16 n) {
    const Item& it = *d.item(n);
    const Rect& r = it.box;
    const std::string text = shown_text(d, n);
    FontInfo fi = p.font();
    const SInt32 lineHeight = fi.ascent + fi.descent + fi.leading;
    p.clip_to(r);
    SInt32 baseline = r.top + fi.ascent;
    for (const TextLine& line : wrap_text(text, r.right - r.left, [](std::string_view s) { return dialog_text_width(s); })) {
        if (baseline - fi.ascent >= r.bottom) break;
        p.text(std::string_view(text).substr(line.start, line.length), r.left, baseline,
               it.warning ? palette::kRefusalText : palette::kText);
        baseline += lineHeight;
    }
}

void draw_field_box(Painter& p, const Dialog& d, SInt16 n) {
    const Rect box = field_box(d.item(n)->box);
    const bool focused = n == d.focus() && dialog_active(d);
    p.fill(box, focused ? palette::kHighlight : palette::kBoxBorder);
    p.fill(kit::inset(box, 1), palette::kBoxBack);
}

// The text of an editable text item that does not have the keyboard.
void draw_field_text(Painter& p, const Dialog& d, SInt16 n) {
    const Rect& r = d.item(n)->box;
    p.clip_to(r);
    p.text(d.text(n), r.left + look::kFieldPadding, p.centred_baseline(r), palette::kText);
}

void draw_focused_field(Painter& p, Dialog& d) {
    const SInt16 n = d.focus();
    const Rect& r = d.item(n)->box;
    const EditField& e = d.edit();
    const std::string& text = e.text();
    const SInt32 room = r.right - r.left - 2 * look::kFieldPadding;
    const SInt32 caretX = dialog_text_width(std::string_view(text).substr(0, e.caret()));
    SInt32 scroll = scroll_to_show(d.edit_scroll, caretX, room);
    scroll = std::clamp<SInt32>(scroll, 0, std::max<SInt32>(0, dialog_text_width(text) - room + 1));
    if (caretX < scroll || caretX > scroll + room - 1) scroll = scroll_to_show(0, caretX, room);
    d.edit_scroll = scroll;

    p.clip_to(r);
    p.fill(r, palette::kBoxBack);
    const SInt32 x0 = r.left + look::kFieldPadding - scroll;
    const bool active = dialog_active(d);
    if (e.has_selection()) {
        const SInt32 a = dialog_text_width(std::string_view(text).substr(0, e.sel_start()));
        const SInt32 b = dialog_text_width(std::string_view(text).substr(0, e.sel_end()));
        p.fill(to_rect(x0 + a, r.top, x0 + b, r.bottom), active ? palette::kSelection : palette::kSelectionInactive);
    }
    p.text(text, x0, p.centred_baseline(r), palette::kText);
    if (!e.has_selection() && active && d.caret_on)
        p.fill(to_rect(x0 + caretX, r.top, x0 + caretX + 1, r.bottom), palette::kText);
}

void draw_one(Painter& p, Dialog& d, SInt16 n) {
    Item& it = *d.item(n);
    switch (it.kind()) {
    case ctrlItem + btnCtrl: draw_button(p, d, n); break;
    case ctrlItem + chkCtrl:
    case ctrlItem + radCtrl: draw_mark_control(p, d, n); break;
    case statText: draw_static(p, d, n); break;
    case editText:
        draw_field_box(p, d, n);
        if (n == d.focus()) draw_focused_field(p, d);
        else draw_field_text(p, d, n);
        break;
    case userItem:
        if (it.handle) {
            // The procedure was given as the item's handle (SetDialogItem).
            auto proc = reinterpret_cast<UserItemProcPtr>(reinterpret_cast<void*>(it.handle));
            proc(static_cast<OpaqueDialogPtr*>(&d), n);
        }
        break;
    default: break;   // icons, pictures and resource controls have nothing to draw here
    }
}

// Where an item draws: its rectangle and what it draws outside of it.
Rect item_area(const Dialog& d, SInt16 n) {
    const Item& it = *d.item(n);
    if (it.is_edit()) return field_box(it.box);
    if (it.is_button() && n == d.default_item) return ring_area(it.box);
    return it.box;
}

}  // namespace

Rect field_box(const Rect& item) { return kit::inset(item, -look::kFieldOutset); }

Rect ring_area(const Rect& button) { return kit::ring_area(button); }

// Dialogs and the chrome share the application font at one size.
SInt32 dialog_text_width(std::string_view text) { return windows::chrome_text_width(text); }

SInt32 dialog_line_height() {
    const quickdraw::TextMetrics m = quickdraw::text_metrics(quickdraw::make_style(applFont, kit::kTextSize, normal, 32));
    return m.ascent + m.descent + m.leading;
}

size_t edit_offset_at(const Dialog& d, Point local) {
    const Item* it = d.item(d.focus());
    if (!it) return 0;
    const SInt32 x = local.h - (it->box.left + look::kFieldPadding) + d.edit_scroll;
    return offset_at_x(d.edit().text(), x, [](std::string_view s) { return dialog_text_width(s); });
}

std::string shown_text(const Dialog& d, SInt16 n) {
    return substitute_params(d.text(n), DialogManager::get().params);
}

void draw_dialog(Dialog& d) {
    Painter p(d);
    if (!p) return;
    Rect all;
    GetPortBounds(d.port(), &all);
    p.fill(all, palette::kDialogBack);
    for (SInt16 n = 1; n <= d.count(); ++n) {
        Painter item(d);   // each item starts from the port's own clip
        draw_one(item, d, n);
    }
}

void draw_item(Dialog& d, SInt16 n) {
    if (!d.item(n)) return;
    Painter p(d);
    if (!p) return;
    if (!d.item(n)->is_user()) p.fill(item_area(d, n), palette::kDialogBack);
    draw_one(p, d, n);
}

void draw_edit(Dialog& d) {
    if (!d.item(d.focus())) return;
    Painter p(d);
    if (!p) return;
    draw_focused_field(p, d);
}

void flash_button(Dialog& d, SInt16 n) {
    Item* it = d.item(n);
    if (!it || !it->is_control()) return;
    it->pressed = true;
    draw_item(d, n);
    events::flush_screen_now();
    host::Host& h = host::current();
    h.wait_until(h.now_ms() + look::kButtonFlashTicks * 1000 / 60);
    it->pressed = false;
    draw_item(d, n);
}

}  // namespace platform::dialogs
