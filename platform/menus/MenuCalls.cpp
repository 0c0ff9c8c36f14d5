// The Menu Manager's classic calls. A nil or unknown MenuRef is ignored
// (or answers 0, false, an empty string; paramErr where there is a result
// code). Texts are UTF-8 in length-prefixed strings.
//
// The menu list handle of GetNewMBar / GetMenuBar / SetMenuBar holds a
// 16-bit count and then that many MenuRefs (pointer-sized, host order).
// It is the caller's: SetMenuBar copies it, so it may be disposed after.
#include <algorithm>
#include <cstring>

#include "platform/Memory.h"
#include "platform/Menus.h"
#include "platform/Resources.h"
#include "platform/core/Bytes.h"
#include "platform/menus/MenuManager.h"

using platform::menus::Menu;
using platform::menus::MenuItem;
using platform::menus::MenuManager;

namespace {

Menu* menu_of(MenuRef ref) { return MenuManager::get().find(ref); }

MenuItem* item_of(MenuRef ref, size_t item) {
    Menu* m = menu_of(ref);
    return m ? m->item(item) : nullptr;
}

std::string from_pascal(ConstStr255Param s) { return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string(); }

void to_pascal(const std::string& s, Str255 out) {
    size_t n = std::min<size_t>(s.size(), 255);
    out[0] = UInt8(n);
    std::memcpy(out + 1, s.data(), n);
}

Handle menu_list(const std::vector<Menu*>& menus) {
    Handle h = NewHandle(Size(2 + menus.size() * sizeof(MenuRef)));
    if (!h) return nullptr;
    platform::store_u16be(*h, UInt16(menus.size()));
    for (size_t i = 0; i < menus.size(); ++i) {
        MenuRef ref = menus[i];
        std::memcpy(*h + 2 + i * sizeof(MenuRef), &ref, sizeof ref);
    }
    return h;
}

void set_enabled(MenuRef theMenu, MenuItemIndex item, bool enabled) {
    Menu* m = menu_of(theMenu);
    if (!m) return;
    if (item == 0) {
        if (m->enabled == enabled) return;
        m->enabled = enabled;
        MenuManager::get().menu_enable_changed(m);
    } else if (MenuItem* i = m->item(item)) {
        i->enabled = enabled;
    }
}

}  // namespace

Handle GetNewMBar(SInt16 menuBarID) {
    MenuManager& mm = MenuManager::get();
    Handle mbar = GetResource('MBAR', menuBarID);
    if (!mbar || !*mbar) return nullptr;
    platform::ByteReader r(*mbar, size_t(GetHandleSize(mbar)), badFormat);
    auto count = r.u16();
    if (!count) return nullptr;
    std::vector<Menu*> menus;
    for (UInt16 i = 0; i < *count; ++i) {
        auto id = r.s16();
        if (!id) return nullptr;
        if (Menu* m = mm.load(*id)) menus.push_back(m);
    }
    return menu_list(menus);
}

void SetMenuBar(Handle menuList) {
    MenuManager& mm = MenuManager::get();
    if (!menuList || !*menuList) return;
    const size_t size = size_t(GetHandleSize(menuList));
    if (size < 2) return;
    const size_t count = std::min<size_t>(platform::load_u16be(*menuList), (size - 2) / sizeof(MenuRef));
    std::vector<Menu*> menus;
    for (size_t i = 0; i < count; ++i) {
        MenuRef ref;
        std::memcpy(&ref, *menuList + 2 + i * sizeof(MenuRef), sizeof ref);
        if (Menu* m = mm.find(ref)) menus.push_back(m);
    }
    mm.set_bar(std::move(menus));
    mm.draw_bar();
}

Handle GetMenuBar(void) { return menu_list(MenuManager::get().bar()); }

MenuRef GetMenuHandle(MenuID menuID) { return MenuManager::get().in_bar(menuID); }

void DrawMenuBar(void) { MenuManager::get().draw_bar(); }
void InvalMenuBar(void) { MenuManager::get().draw_bar(); }
void HiliteMenu(MenuID menuID) { MenuManager::get().hilite(menuID); }
SInt32 MenuSelect(Point startPt) { return MenuManager::get().select(startPt); }
SInt32 MenuKey(CharParameter ch) { return MenuManager::get().key(UInt8(ch)); }

UInt16 CountMenuItems(MenuRef theMenu) {
    Menu* m = menu_of(theMenu);
    return m ? UInt16(m->items.size()) : UInt16(0);
}

void DeleteMenuItem(MenuRef theMenu, MenuItemIndex item) {
    Menu* m = menu_of(theMenu);
    if (m && m->item(item)) m->items.erase(m->items.begin() + ptrdiff_t(item - 1));
}

void EnableMenuItem(MenuRef theMenu, MenuItemIndex item) { set_enabled(theMenu, item, true); }
void DisableMenuItem(MenuRef theMenu, MenuItemIndex item) { set_enabled(theMenu, item, false); }

Boolean IsMenuItemEnabled(MenuRef theMenu, MenuItemIndex item) {
    Menu* m = menu_of(theMenu);
    if (!m) return false;
    if (item == 0) return m->enabled;
    const MenuItem* i = m->item(item);
    return i && i->enabled && !i->separator;
}

OSErr GetMenuItemModifiers(MenuRef theMenu, SInt16 item, UInt8* outModifiers) {
    MenuItem* i = item > 0 ? item_of(theMenu, size_t(item)) : nullptr;
    if (!i || !outModifiers) return paramErr;
    *outModifiers = i->modifiers;
    return noErr;
}

OSErr SetMenuItemModifiers(MenuRef theMenu, SInt16 item, UInt8 inModifiers) {
    MenuItem* i = item > 0 ? item_of(theMenu, size_t(item)) : nullptr;
    if (!i) return paramErr;
    i->modifiers = inModifiers;
    return noErr;
}

void SetMenuItemText(MenuRef theMenu, MenuItemIndex item, ConstStr255Param itemString) {
    if (MenuItem* i = item_of(theMenu, item)) i->text = from_pascal(itemString);
}

void GetMenuItemText(MenuRef theMenu, MenuItemIndex item, Str255 itemString) {
    if (!itemString) return;
    itemString[0] = 0;
    if (MenuItem* i = item_of(theMenu, item)) to_pascal(i->text, itemString);
}

void CheckMenuItem(MenuRef theMenu, MenuItemIndex item, Boolean checked) {
    if (MenuItem* i = item_of(theMenu, item)) i->mark = checked ? UInt8(checkMark) : UInt8(noMark);
}

void SetItemCmd(MenuRef theMenu, MenuItemIndex item, CharParameter cmdChar) {
    if (MenuItem* i = item_of(theMenu, item)) i->key = UInt8(cmdChar);
}

void GetItemCmd(MenuRef theMenu, MenuItemIndex item, CharParameter* cmdChar) {
    if (!cmdChar) return;
    MenuItem* i = item_of(theMenu, item);
    *cmdChar = i ? CharParameter(i->key) : CharParameter(0);
}

MenuID GetMenuID(MenuRef menu) {
    Menu* m = menu_of(menu);
    return m ? m->id : MenuID(0);
}
