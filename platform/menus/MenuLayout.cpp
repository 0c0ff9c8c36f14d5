// Menu bar and menu layout (MenuLayout.h).
#include "platform/menus/MenuLayout.h"

#include <algorithm>

#include "platform/menus/MenuModel.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::menus {
Rect MenuLayout::covered() const {
    return Rect{frame.top, frame.left, kit::clamp16(frame.bottom + kMenuShadow), kit::clamp16(frame.right + kMenuShadow)};
}

BarLayout layout_bar(const std::vector<ShownMenu>& menus, SInt16 barHeight, SInt16 screenWidth, const Measure& measure) {
    BarLayout bar;
    bar.height = barHeight;
    SInt32 x = kBarFirstTitle;
    for (const ShownMenu& m : menus) {
        SInt32 w = measure(m.title, m.app_menu ? bold : normal) + 2 * kTitlePadding;
        if (x + w > screenWidth) {
            bar.titles.push_back(Rect{0, 0, 0, 0});
            continue;
        }
        bar.titles.push_back(Rect{0, kit::clamp16(x), SInt16(barHeight - 1), kit::clamp16(x + w)});
        x += w;
    }
    return bar;
}

MenuLayout layout_menu(const ShownMenu& menu, const Rect& title, const Rect& screen, const Measure& measure) {
    SInt32 width = (title.right - title.left) + 8;
    SInt32 height = 2 * kMenuPadding + 2;
    for (const ShownItem& i : menu.items) {
        if (i.separator) {
            height += kSeparatorHeight;
            continue;
        }
        SInt32 w = kMarkColumn + measure(i.text, SInt16(i.style)) + kRightMargin + 2;
        std::string label = command_key_label(i.key, i.modifiers);
        if (!label.empty()) w += kKeyGap + measure(label, normal);
        width = std::max(width, w);
        height += kItemHeight;
    }
    SInt32 left = title.left;
    if (left + width + kMenuShadow > screen.right) left = screen.right - width - kMenuShadow;
    left = std::max<SInt32>(left, screen.left);
    const SInt32 top = title.bottom + 1;   // below the bar's bottom line

    MenuLayout out;
    out.frame = Rect{kit::clamp16(top), kit::clamp16(left), kit::clamp16(top + height), kit::clamp16(left + width)};
    SInt32 y = top + 1 + kMenuPadding;
    for (const ShownItem& i : menu.items) {
        SInt32 h = i.separator ? kSeparatorHeight : kItemHeight;
        out.items.push_back(Rect{kit::clamp16(y), kit::clamp16(left + 1), kit::clamp16(y + h), kit::clamp16(left + width - 1)});
        y += h;
    }
    return out;
}

int title_at(const BarLayout& bar, Point p) {
    for (size_t i = 0; i < bar.titles.size(); ++i)
        if (kit::contains(bar.titles[i], p)) return int(i);
    return -1;
}

int item_at(const MenuLayout& menu, Point p) {
    for (size_t i = 0; i < menu.items.size(); ++i)
        if (kit::contains(menu.items[i], p)) return int(i);
    return -1;
}

}  // namespace platform::menus
