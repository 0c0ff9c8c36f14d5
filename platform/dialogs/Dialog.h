// Dialog.h — one dialog or alert: its window, its items, the default and
// cancel items, and the editable text item that has the keyboard.
//
// Item numbers count from 1. Text items (buttons, check boxes, radio
// buttons, static and editable text) keep their text in a Memory Manager
// handle, the one GetDialogItem hands out; the dialog made it and disposes
// of it with itself, even after SetDialogItem has put another handle in
// its place (a handle given by the caller stays the caller's). A user
// item's handle is its drawing procedure, set by SetDialogItem.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/core/Result.h"
#include "platform/dialogs/DialogResources.h"
#include "platform/dialogs/EditField.h"

// The opaque type behind DialogRef; every one is a platform::dialogs::Dialog.
struct OpaqueDialogPtr {
protected:
    OpaqueDialogPtr() = default;
    ~OpaqueDialogPtr() = default;
};

namespace platform::dialogs {

struct Item {
    UInt8 type = 0;              // kind + itemDisable
    Rect box{};                  // local
    Handle handle = nullptr;     // what GetDialogItem answers
    Handle own_text = nullptr;   // the text handle the dialog made
    SInt16 resource_id = 0;
    bool pressed = false;        // a control held down under the mouse
    bool warning = false;        // static text drawn in the colour of refusals

    UInt8 kind() const { return type & 0x7F; }
    bool enabled() const { return !(type & itemDisable); }
    bool is_control() const { return (kind() & ~3) == ctrlItem; }
    bool is_button() const { return kind() == ctrlItem + btnCtrl; }
    bool is_static() const { return kind() == statText; }
    bool is_edit() const { return kind() == editText; }
    bool is_user() const { return kind() == userItem; }
    bool has_text() const { return is_control() || is_static() || is_edit(); }
};

class Dialog final : public OpaqueDialogPtr {
public:
    // A dialog whose window is made from `t` and placed behind `behind`
    // ((WindowRef)-1: in front of all). A window that would not fit on the
    // screen is centred on it instead.
    static Result<std::unique_ptr<Dialog>> create(const DialogTemplate& t, const std::vector<ItemTemplate>& items,
                                                  WindowRef behind);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    WindowRef window() const { return window_; }
    GrafPtr port() const;
    SInt16 count() const { return SInt16(items_.size()); }
    Item* item(SInt16 n) { return n >= 1 && n <= count() ? &items_[size_t(n - 1)] : nullptr; }
    const Item* item(SInt16 n) const { return n >= 1 && n <= count() ? &items_[size_t(n - 1)] : nullptr; }
    // The first item (in item order) whose rectangle holds a local point; 0 for none.
    SInt16 item_at(Point local) const;

    // The text in an item's handle (empty for items without text).
    std::string text(SInt16 n) const;
    // Writes an item's text handle; the focused field takes the new text
    // with the insertion point at its end.
    void set_text(SInt16 n, std::string_view text);
    // Writes `h` (a text handle of one of the items, or any other).
    static void write_handle(Handle h, std::string_view text);

    // Replaces an item's kind, handle and rectangle (SetDialogItem).
    void replace_item(SInt16 n, UInt8 type, Handle h, const Rect* box);

    SInt16 default_item = 0;   // Return and Enter; outlined when a button
    SInt16 cancel_item = 0;    // Escape and Command-period
    bool is_alert = false;

    // The editable text item with the keyboard (0: none) and its editing state.
    SInt16 focus() const { return focus_; }
    EditField& edit() { return edit_; }
    const EditField& edit() const { return edit_; }
    // Gives the keyboard to item n (an editable text item), selecting [start, end).
    void set_focus(SInt16 n, size_t start, size_t end);
    // Tab: the next (or previous) editable text item, all of its text selected.
    void next_field(bool backwards);
    // Copies the focused field's text into its handle.
    void store_edit();
    SInt32 edit_scroll = 0;    // pixels of the focused field scrolled out at the left

    // The caret blinks on null events while the dialog is active.
    bool caret_on = false;
    UInt32 caret_next_tick = 0;

    // Double-click detection in editable text.
    UInt32 last_click_tick = 0;
    Point last_click{-1000, -1000};
    SInt16 last_click_item = 0;

    // Texts the dialog shows that are not items (file lists), for scripts.
    std::function<std::vector<std::string>()> extra_texts;

    // Global <-> the dialog's local coordinates.
    Point to_local(Point global) const;
    Rect to_global(const Rect& local) const;

private:
    Dialog() = default;

    WindowRef window_ = nullptr;
    std::vector<Item> items_;
    SInt16 focus_ = 0;
    EditField edit_;
};

}  // namespace platform::dialogs
