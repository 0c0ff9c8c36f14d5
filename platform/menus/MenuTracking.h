// MenuTracking.h — what MenuSelect follows while the button is down, as a
// pure state machine fed with mouse positions (global).
//
//  - Over a title in the bar: that menu is pulled down (the previous one
//    goes away); no item is highlighted while the mouse is in the bar.
//    Over the bar between titles, the open menu stays open.
//  - Over an item of the open menu that can be chosen: that item is
//    highlighted. Separators, disabled items and the items of a disabled
//    menu are never highlighted.
//  - Anywhere else: no item is highlighted; the menu stays open.
// On release, the highlighted item (if any) is the choice.
#pragma once

#include <functional>

#include "platform/menus/MenuLayout.h"

namespace platform::menus {

class MenuTracker {
public:
    using LayoutFor = std::function<MenuLayout(int menu)>;
    MenuTracker(const std::vector<ShownMenu>& menus, BarLayout bar, LayoutFor layoutFor);

    void move(Point p);

    int open() const { return open_; }       // index of the pulled-down menu, or -1
    int item() const { return item_; }       // index of the highlighted item, or -1
    const MenuLayout& open_layout() const { return layout_; }

private:
    const std::vector<ShownMenu>& menus_;
    BarLayout bar_;
    LayoutFor layoutFor_;
    int open_ = -1;
    int item_ = -1;
    MenuLayout layout_;
};

}  // namespace platform::menus
