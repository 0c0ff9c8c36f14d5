// ScriptWorld.h — what headless scripts ask of the managers above the
// Event Manager. Each manager registers its part when it starts; a script
// line that needs a part nobody registered fails with "... not available
// yet". Rectangles are global screen coordinates (QuickDraw Rect: top,
// left, bottom, right).
//
// The script runner only looks through these interfaces; it acts solely
// through real input events (a menu command is a press on the title in the
// menu bar, a move and a release on the item), so the application sees
// exactly what a user would produce.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform::script {

// ------------------------------------------------------------ Window Manager

struct WindowView {
    std::string title;   // UTF-8
    Rect content;        // content region bounds, global
    bool visible = true;
};

class WindowQueries {
public:
    virtual ~WindowQueries() = default;
    // Every window, front to back (dialogs included).
    virtual std::vector<WindowView> windows_front_to_back() = 0;
};

// ------------------------------------------------------------ Menu Manager

struct MenuTitleView {
    std::string text;    // as shown in the menu bar
    Rect bounds;         // the title's rectangle in the menu bar
};

struct MenuItemView {
    std::string text;    // current text; separators have an empty text
    bool enabled = false;
    Rect bounds{};       // while the menu is pulled down; empty otherwise
};

class MenuQueries {
public:
    virtual ~MenuQueries() = default;
    virtual std::vector<MenuTitleView> menu_titles() = 0;
    // The items of the menu with that title as they are now (after the
    // application adjusted them), with their rectangles while it is pulled
    // down.
    virtual std::vector<MenuItemView> menu_items(const std::string& menuTitle) = 0;
};

// ------------------------------------------------------------ Dialog Manager

struct ButtonView {
    std::string title;
    Rect bounds;         // global
    bool enabled = true;
};

struct DialogView {
    std::vector<std::string> texts;     // static texts, after ParamText
    std::vector<ButtonView> buttons;
    std::optional<std::string> field;   // the edit field with the focus
};

class DialogQueries {
public:
    virtual ~DialogQueries() = default;
    // The modal dialog or alert in front (file dialogs too), if any.
    virtual std::optional<DialogView> front_modal_dialog() = 0;
};

// ------------------------------------------------------------ Apple Event Manager

class AppleEventSender {
public:
    virtual ~AppleEventSender() = default;
    // Posts an open-documents Apple event for these absolute paths.
    // Returns an error text when it cannot.
    virtual std::optional<std::string> send_open_documents(const std::vector<std::string>& paths) = 0;
};

// Registration; nullptr removes. The runner does not own them.
void set_window_queries(WindowQueries* queries);
void set_menu_queries(MenuQueries* queries);
void set_dialog_queries(DialogQueries* queries);
void set_apple_event_sender(AppleEventSender* sender);

WindowQueries* window_queries();
MenuQueries* menu_queries();
DialogQueries* dialog_queries();
AppleEventSender* apple_event_sender();

// Menu and button texts match when equal after dropping a trailing "..."
// or "\u2026" from each and reading a typographic apostrophe (U+2019) as '.
bool item_text_matches(const std::string& shown, const std::string& wanted);

}  // namespace platform::script
