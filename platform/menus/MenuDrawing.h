// MenuDrawing.h — the look of the menu bar and of pulled-down menus, drawn
// in one place. A pulled-down menu saves the pixels it covers and puts them
// back when it goes, so nothing under it needs an update.
#pragma once

#include "platform/menus/MenuLayout.h"
#include "platform/windows/ScreenPixels.h"

namespace platform::menus {

// The whole bar; `hilited` is the index of the highlighted title or -1.
void draw_menu_bar(const std::vector<ShownMenu>& menus, const BarLayout& bar, int hilited);
void draw_bar_title(const ShownMenu& menu, const Rect& title, bool hilited);

class PulledDownMenu {
public:
    PulledDownMenu(const ShownMenu& menu, const MenuLayout& layout);
    ~PulledDownMenu();
    PulledDownMenu(const PulledDownMenu&) = delete;
    PulledDownMenu& operator=(const PulledDownMenu&) = delete;

    void hilite(int item);   // -1: none

private:
    void draw_item(int item, bool hilited);

    const ShownMenu& menu_;
    MenuLayout layout_;
    windows::SavedPixels saved_;
    int hilited_ = -1;
};

}  // namespace platform::menus
