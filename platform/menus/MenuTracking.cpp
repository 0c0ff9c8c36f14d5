// The menu tracking state machine (MenuTracking.h).
#include "platform/menus/MenuTracking.h"

namespace platform::menus {

MenuTracker::MenuTracker(const std::vector<ShownMenu>& menus, BarLayout bar, LayoutFor layoutFor)
    : menus_(menus), bar_(std::move(bar)), layoutFor_(std::move(layoutFor)) {}

void MenuTracker::move(Point p) {
    const int title = title_at(bar_, p);
    const bool inBar = p.v >= 0 && p.v < bar_.height;
    if (title >= 0 && title != open_) {
        open_ = title;
        layout_ = layoutFor_(title);
    }
    item_ = -1;
    if (inBar || open_ < 0) return;
    const int i = item_at(layout_, p);
    if (i >= 0 && menus_[size_t(open_)].items[size_t(i)].enabled) item_ = i;
}

}  // namespace platform::menus
