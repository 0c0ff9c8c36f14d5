// ShownMenus.h — the menus as the user sees them: the application menu
// first (the Apple menu's items, a separator, "Quit <name>"), then every
// other menu of the bar in order. Tracking, Command keys, drawing and the
// script queries all work on this one list, built from the bar when needed.
#pragma once

#include <string>
#include <vector>

#include "platform/Menus.h"

namespace platform::menus {

class Menu;

constexpr MenuID kAppleMenuID = 128;

struct ShownItem {
    std::string text;
    bool separator = false;
    bool enabled = false;     // can be chosen: item and menu enabled, not a separator
    UInt8 key = 0;
    UInt8 modifiers = 0;
    UInt8 mark = 0;
    UInt8 style = 0;
    // What MenuSelect and MenuKey report: (menu << 16) | item. Items the
    // platform owns report nothing (menu 0).
    MenuID report_menu = 0;
    UInt16 report_item = 0;
    bool quit = false;        // "Quit <name>": a quit request
};

struct ShownMenu {
    std::string title;
    bool enabled = true;      // drawn dimmed in the bar when false
    bool app_menu = false;
    MenuID id = 0;            // the ID HiliteMenu uses (kAppleMenuID for the application menu)
    std::vector<ShownItem> items;
};

// `bar` in order; the one with kAppleMenuID (if any) goes into the
// application menu titled `appName`.
std::vector<ShownMenu> shown_menus(const std::vector<Menu*>& bar, const std::string& appName);

}  // namespace platform::menus
