// MenuLayout.h — where the menu bar's titles and a pulled-down menu's
// items go, and what lies under a point. Pure: text is measured by the
// function given, so tests can lay menus out without fonts.
//
// The bar: titles from the left edge in, each its text's width plus 10
// pixels on either side, the application menu's title in bold. A pulled-down
// menu hangs below its title (moved left if it would leave the screen):
// a 1-pixel border, 4 pixels of room above and below the items, items 20
// pixels high and separators 9; a column for marks on the left, and the
// Command-key labels right-aligned.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "platform/menus/ShownMenus.h"

namespace platform::menus {

using Measure = std::function<SInt32(std::string_view text, SInt16 face)>;

constexpr SInt16 kBarFirstTitle = 8;
constexpr SInt16 kTitlePadding = 10;
constexpr SInt16 kItemHeight = 20;
constexpr SInt16 kSeparatorHeight = 9;
constexpr SInt16 kMenuPadding = 4;
constexpr SInt16 kMarkColumn = 22;
constexpr SInt16 kKeyGap = 28;
constexpr SInt16 kRightMargin = 14;
constexpr SInt16 kMenuShadow = 2;

struct BarLayout {
    SInt16 height = 0;          // the bar: rows 0 .. height-1
    std::vector<Rect> titles;   // one per shown menu (empty past the screen's width)
};

struct MenuLayout {
    Rect frame{};               // border included, shadow excluded
    std::vector<Rect> items;    // one per item, full width inside the border
    Rect covered() const;       // frame and shadow: what the menu hides
};

BarLayout layout_bar(const std::vector<ShownMenu>& menus, SInt16 barHeight, SInt16 screenWidth, const Measure& measure);
MenuLayout layout_menu(const ShownMenu& menu, const Rect& title, const Rect& screen, const Measure& measure);

// Index of the title or item under p, or -1.
int title_at(const BarLayout& bar, Point p);
int item_at(const MenuLayout& menu, Point p);

}  // namespace platform::menus
