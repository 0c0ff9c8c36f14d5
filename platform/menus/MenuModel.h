// MenuModel.h — a menu as the Menu Manager keeps it, read from its 'MENU'
// resource and the 'xmnu' of the same ID (the byte layouts are described
// at the top of MenuModel.cpp).
//
// Texts are UTF-8. Item numbers count from 1; item 0 stands for the whole
// menu in the enable calls. A separator is an item whose resource text is
// "-": it is never enabled, chosen or highlighted.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Menus.h"
#include "platform/core/Result.h"

// The opaque type behind MenuRef; every one is a platform::menus::Menu.
struct OpaqueMenuRef {
protected:
    OpaqueMenuRef() = default;
    ~OpaqueMenuRef() = default;
};

namespace platform::menus {

struct MenuItem {
    std::string text;
    bool separator = false;
    bool enabled = true;
    UInt8 icon = 0;
    UInt8 key = 0;         // the Command-key equivalent, 0 for none
    UInt8 mark = noMark;   // checkMark or another character code
    UInt8 style = 0;
    UInt8 modifiers = kMenuNoModifiers;
};

class Menu final : public OpaqueMenuRef {
public:
    Menu() = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    MenuID id = 0;            // as the resource gives it
    SInt16 resource_id = 0;   // the 'MENU' it was read from
    SInt16 proc_id = 0;
    std::string title;
    bool enabled = true;
    std::vector<MenuItem> items;

    // Item `n` (from 1), or nil.
    MenuItem* item(size_t n) { return n >= 1 && n <= items.size() ? &items[n - 1] : nullptr; }
    const MenuItem* item(size_t n) const { return n >= 1 && n <= items.size() ? &items[n - 1] : nullptr; }
    // Whether the user can choose item n: it and its menu are enabled and
    // it is not a separator.
    bool can_choose(size_t n) const;
};

// Reads a 'MENU' resource and, when not empty, its 'xmnu'. badFormat for a
// resource that ends early or names items the menu does not have.
Result<std::unique_ptr<Menu>> parse_menu(std::span<const UInt8> menu, std::span<const UInt8> xmnu);

// The label shown for an item's Command key, in the host keyboard's terms:
// "Ctrl+N", "Ctrl+Alt+Shift+S" (Command, Option, Shift, then Control as
// Super); empty for an item without one.
std::string command_key_label(UInt8 key, UInt8 modifiers);

}  // namespace platform::menus
