// MenuTracking.h — what MenuSelect follows, as a pure state machine fed
// with the mouse (global positions), the button and keys.
//
// While the button is down:
//  - Over a title in the bar: that menu is pulled down (the previous one
//    goes away); no item is highlighted while the mouse is in the bar.
//    Over the bar between titles, the open menu stays open.
//  - Over an item of the open menu that can be chosen: that item is
//    highlighted. Separators, disabled items and the items of a disabled
//    menu are never highlighted.
//  - Anywhere else: no item is highlighted; the menu stays open.
// On release, the highlighted item (if any) is the choice. A release in
// the bar (a click on a title) leaves the menu open — it sticks — except
// when the press was on the title of the menu that already stuck, which
// closes it. A release anywhere else closes the menu, unless it had stuck
// and the release is inside it (on a separator or a disabled item).
//
// A menu that sticks follows the mouse with the button up the same way,
// and takes keys: Up and Down highlight the previous or next item that can
// be chosen (wrapping round), Left and Right pull down the neighbouring
// menu, a letter highlights the next item that begins with it, Return or
// Enter chooses the highlighted item, Escape closes the menu. A press
// outside the bar and the menu closes it. Opened by the keyboard, a menu
// sticks from the start with nothing highlighted.
#pragma once

#include <functional>

#include "platform/menus/MenuLayout.h"

namespace platform::menus {

class MenuTracker {
public:
    using LayoutFor = std::function<MenuLayout(int menu)>;
    enum class Outcome { Tracking, Chosen, Closed };

    MenuTracker(const std::vector<ShownMenu>& menus, BarLayout bar, LayoutFor layoutFor);

    void open_for_keyboard(int menu);
    void press(Point p);
    void move(Point p);
    void release(Point p);
    // A key while the menu sticks: its character (the arrow, Return, Enter
    // and Escape characters, or a letter).
    void key(UInt8 ch);

    int open() const { return open_; }       // index of the pulled-down menu, or -1
    int item() const { return item_; }       // index of the highlighted item, or -1
    bool sticks() const { return sticks_; }
    bool pressed() const { return pressed_; }
    Outcome outcome() const { return outcome_; }
    const MenuLayout& open_layout() const { return layout_; }

private:
    void pull_down(int menu);
    bool can_choose(int item) const;
    // The next item that can be chosen from `from` in `step` direction,
    // wrapping round; -1 when there is none.
    int next_choosable(int from, int step) const;
    int next_starting_with(UInt8 ch) const;
    bool in_bar(Point p) const { return p.v >= 0 && p.v < bar_.height; }

    const std::vector<ShownMenu>& menus_;
    BarLayout bar_;
    LayoutFor layoutFor_;
    int open_ = -1;
    int item_ = -1;
    bool sticks_ = false;
    bool pressed_ = false;
    bool closing_press_ = false;   // the press was on the stuck menu's title
    Outcome outcome_ = Outcome::Tracking;
    MenuLayout layout_;
};

}  // namespace platform::menus
