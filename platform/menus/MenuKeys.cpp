// Command-key equivalents (MenuKeys.h).
#include "platform/menus/MenuKeys.h"

#include <cctype>

namespace platform::menus {

bool key_matches(const ShownItem& item, UInt8 ch, EventModifiers modifiers) {
    if (!item.key || item.separator) return false;
    if (std::toupper(item.key) != std::toupper(ch)) return false;
    const bool wantCommand = !(item.modifiers & kMenuNoCommandModifier);
    const bool wantShift = item.modifiers & kMenuShiftModifier;
    const bool wantOption = item.modifiers & kMenuOptionModifier;
    const bool wantControl = item.modifiers & kMenuControlModifier;
    return wantCommand == bool(modifiers & cmdKey) && wantShift == bool(modifiers & shiftKey) &&
           wantOption == bool(modifiers & optionKey) && wantControl == bool(modifiers & controlKey);
}

std::optional<std::pair<int, int>> find_key(const std::vector<ShownMenu>& menus, UInt8 ch, EventModifiers modifiers) {
    for (size_t m = 0; m < menus.size(); ++m)
        for (size_t i = 0; i < menus[m].items.size(); ++i) {
            const ShownItem& item = menus[m].items[i];
            if (item.enabled && key_matches(item, ch, modifiers)) return std::pair{int(m), int(i)};
        }
    return std::nullopt;
}

}  // namespace platform::menus
