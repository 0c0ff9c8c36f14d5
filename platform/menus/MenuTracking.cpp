// The menu tracking state machine (MenuTracking.h).
#include "platform/menus/MenuTracking.h"

#include <cctype>

#include "platform/events/KeyCodes.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::menus {

namespace keys = events::keys;

MenuTracker::MenuTracker(const std::vector<ShownMenu>& menus, BarLayout bar, LayoutFor layoutFor)
    : menus_(menus), bar_(std::move(bar)), layoutFor_(std::move(layoutFor)) {}

void MenuTracker::pull_down(int menu) {
    if (menu == open_) return;
    open_ = menu;
    item_ = -1;
    layout_ = menu >= 0 ? layoutFor_(menu) : MenuLayout{};
}

bool MenuTracker::can_choose(int item) const {
    const auto& items = menus_[size_t(open_)].items;
    return item >= 0 && size_t(item) < items.size() && items[size_t(item)].enabled;
}

int MenuTracker::next_choosable(int from, int step) const {
    if (open_ < 0) return -1;
    const int n = int(menus_[size_t(open_)].items.size());
    int i = from;
    for (int tried = 0; tried < n; ++tried) {
        i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        if (can_choose(i)) return i;
    }
    return -1;
}

int MenuTracker::next_starting_with(UInt8 ch) const {
    if (open_ < 0) return -1;
    const auto& items = menus_[size_t(open_)].items;
    const int n = int(items.size());
    for (int k = 1; k <= n; ++k) {
        const int i = ((item_ < 0 ? -1 : item_) + k + n) % n;
        const std::string& text = items[size_t(i)].text;
        if (can_choose(i) && !text.empty() && std::tolower(UInt8(text[0])) == std::tolower(ch)) return i;
    }
    return -1;
}

void MenuTracker::open_for_keyboard(int menu) {
    pull_down(menu);
    sticks_ = true;
}

void MenuTracker::press(Point p) {
    pressed_ = true;
    const int title = title_at(bar_, p);
    closing_press_ = sticks_ && title >= 0 && title == open_;
    if (sticks_ && !in_bar(p) && !(open_ >= 0 && kit::contains(layout_.frame, p))) {
        outcome_ = Outcome::Closed;
        return;
    }
    move(p);
}

void MenuTracker::move(Point p) {
    const int title = title_at(bar_, p);
    if (title >= 0) pull_down(title);
    item_ = -1;
    if (in_bar(p) || open_ < 0) return;
    const int i = item_at(layout_, p);
    if (can_choose(i)) item_ = i;
}

void MenuTracker::release(Point p) {
    pressed_ = false;
    move(p);
    if (item_ >= 0) {
        outcome_ = Outcome::Chosen;
    } else if (in_bar(p)) {
        const bool toggled_off = closing_press_ && title_at(bar_, p) == open_;
        sticks_ = open_ >= 0 && !toggled_off;
        if (!sticks_) outcome_ = Outcome::Closed;
    } else if (!(sticks_ && open_ >= 0 && kit::contains(layout_.frame, p))) {
        outcome_ = Outcome::Closed;
    }
    closing_press_ = false;
}

void MenuTracker::key(UInt8 ch) {
    if (!sticks_ || pressed_ || open_ < 0) return;
    const int count = int(menus_.size());
    auto neighbour = [&](int step) {
        // Past titles that did not fit on the screen.
        for (int m = open_, tried = 0; tried < count; ++tried) {
            m = (m + step + count) % count;
            if (bar_.titles[size_t(m)].right > bar_.titles[size_t(m)].left) return m;
        }
        return open_;
    };
    switch (ch) {
    case keys::kEscapeChar: outcome_ = Outcome::Closed; break;
    case keys::kReturnChar:
    case keys::kEnterChar:
        if (item_ >= 0) outcome_ = Outcome::Chosen;
        break;
    case keys::kUpArrowChar:
    case keys::kDownArrowChar:
        if (int i = next_choosable(item_, ch == keys::kUpArrowChar ? -1 : 1); i >= 0) item_ = i;
        break;
    case keys::kLeftArrowChar: pull_down(neighbour(-1)); break;
    case keys::kRightArrowChar: pull_down(neighbour(1)); break;
    default:
        if (std::isalnum(ch))
            if (int i = next_starting_with(ch); i >= 0) item_ = i;
        break;
    }
}

}  // namespace platform::menus
