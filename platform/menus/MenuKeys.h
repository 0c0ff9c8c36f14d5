// MenuKeys.h — matching a Command-key press against the menus' key
// equivalents.
//
// An item answers when its key equals the character, ignoring case, and
// the modifiers it asks for are exactly those of the key event: Command
// (unless the item says kMenuNoCommandModifier), and Shift, Option and
// Control as its modifiers list them. So ⇧⌘S answers Shift-Command-S and
// not Command-S, and ⌘S answers Command-S only. Only items that can be
// chosen answer; the first in menu-bar order wins.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "platform/Events.h"
#include "platform/menus/ShownMenus.h"

namespace platform::menus {

bool key_matches(const ShownItem& item, UInt8 ch, EventModifiers modifiers);

// (menu index, item index) of the item that answers, if any.
std::optional<std::pair<int, int>> find_key(const std::vector<ShownMenu>& menus, UInt8 ch, EventModifiers modifiers);

}  // namespace platform::menus
