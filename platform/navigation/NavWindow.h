// NavWindow.h — what every Navigation Services window shares: a Dialog
// Manager dialog built from a layout made in code, whose window carries
// the session in its reference constant, and a modal filter that hands null
// events and the update events of the application's windows to the event
// callback (kNavCBEvent) before the session and the standard filter look
// at the event. Dialog windows are never passed to the callback: the
// Dialog Manager draws them.
#pragma once

#include <string>
#include <vector>

#include "platform/Navigation.h"
#include "platform/dialogs/Dialog.h"

namespace platform::navigation {

struct Callback {
    NavEventUPP proc = nullptr;
    void* user_data = nullptr;
};

struct Layout {
    SInt16 width = 0, height = 0;   // the content
    std::string title;
    std::vector<dialogs::ItemTemplate> items;
};

class NavWindow {
public:
    explicit NavWindow(Callback callback) : callback_(callback) {}
    virtual ~NavWindow();
    NavWindow(const NavWindow&) = delete;
    NavWindow& operator=(const NavWindow&) = delete;

    // Makes the dialog, in front of all windows, centred on the screen (or
    // with its content's top-left at `location` when that is not (-1, -1)).
    // memFullErr when it cannot be made.
    OSErr open(const Layout& layout, Point location);
    // Disposes of the dialog (a session whose members its drawing uses
    // closes it before they go).
    void close();
    dialogs::Dialog* dialog() const { return dialog_; }

    // One turn of ModalDialog under the session's filter: the item hit.
    DialogItemIndex next_item();

    // Events the session takes before the standard filter; true with
    // *itemHit set to end ModalDialog.
    virtual bool take(EventRecord& e, DialogItemIndex* itemHit);

    void set_text(SInt16 item, const std::string& text);
    std::string text(SInt16 item) const;
    void enable(SInt16 item, bool enabled);

protected:
    Callback callback_;

private:
    static Boolean filter(DialogRef d, EventRecord* e, DialogItemIndex* itemHit);
    void forward(EventRecord& e);

    dialogs::Dialog* dialog_ = nullptr;
};

// The session of a Navigation Services dialog; nil for any other dialog.
NavWindow* session_of(DialogRef d);

// Helpers for layouts.
dialogs::ItemTemplate button_item(const std::string& title, Rect box);
dialogs::ItemTemplate static_item(const std::string& text, Rect box);
dialogs::ItemTemplate edit_item(const std::string& text, Rect box);
dialogs::ItemTemplate user_item(Rect box, bool enabled);
// The width a push button needs for its title.
SInt16 button_width(const std::string& title);
// Text height when wrapped to `width`, in whole lines.
SInt16 text_height(const std::string& text, SInt16 width);

// The application's name for windows and sentences: the options' client
// name, else the application's own.
std::string client_name(const NavDialogOptions& options);
std::string pascal_text(const unsigned char* s);

}  // namespace platform::navigation
