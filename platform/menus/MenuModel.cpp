/*
 * Menus read from resources.
 *
 * 'MENU':
 *     0  s16  menu ID
 *     2  s16  width, 4 s16 height (0: computed; ignored here)
 *     6  s16  definition procedure ID (0: the standard text menu)
 *     8  s16  filler
 *    10  u32  enable flags: bit 0 the menu itself, bit i item i; items past
 *             31 are always enabled
 *    14  pstring title
 *        per item: pstring text, u8 icon, u8 key equivalent (0: none), u8
 *        mark character, u8 style; a text of "-" is a separator
 *        u8 0 ends the list (a zero-length text)
 *
 * 'xmnu' (the platform's own, same ID as its 'MENU'): modifier keys of the
 * Command-key equivalents.
 *     0  u16  version (0)
 *     2  u16  number of entries
 *     4  per entry: u16 item number, u8 modifiers (kMenuShiftModifier 1,
 *        kMenuOptionModifier 2, kMenuControlModifier 4,
 *        kMenuNoCommandModifier 8), u8 reserved
 *     Items without an entry have no modifiers (Command alone).
 */
#include "platform/menus/MenuModel.h"

#include <cctype>

#include "platform/core/Bytes.h"

namespace platform::menus {

bool Menu::can_choose(size_t n) const {
    const MenuItem* i = item(n);
    return enabled && i && i->enabled && !i->separator;
}

Result<std::unique_ptr<Menu>> parse_menu(std::span<const UInt8> menuData, std::span<const UInt8> xmnu) {
    ByteReader r(menuData, badFormat);
    auto menu = std::make_unique<Menu>();
    menu->id = TRY(r.s16());
    TRY(r.skip(4));
    menu->proc_id = TRY(r.s16());
    TRY(r.skip(2));
    const UInt32 flags = TRY(r.u32());
    menu->enabled = (flags & 1) != 0;
    menu->title = TRY(r.pstring());
    for (;;) {
        std::string text = TRY(r.pstring());
        if (text.empty()) break;
        MenuItem item;
        item.icon = TRY(r.u8());
        item.key = TRY(r.u8());
        item.mark = TRY(r.u8());
        item.style = TRY(r.u8());
        item.separator = text == "-";
        const size_t n = menu->items.size() + 1;
        item.enabled = !item.separator && (n > 31 || (flags & (1u << n)) != 0);
        item.text = std::move(text);
        menu->items.push_back(std::move(item));
    }
    if (!xmnu.empty()) {
        ByteReader x(xmnu, badFormat);
        if (TRY(x.u16()) != 0) return fail(badFormat, "unknown 'xmnu' version");
        const UInt16 count = TRY(x.u16());
        if (x.remaining() < size_t(count) * 4) return fail(badFormat, "'xmnu' ends early");
        for (UInt16 i = 0; i < count; ++i) {
            const UInt16 n = TRY(x.u16());
            const UInt8 modifiers = TRY(x.u8());
            TRY(x.skip(1));
            MenuItem* item = menu->item(n);
            if (!item) return fail(badFormat, "'xmnu' names an item the menu does not have");
            item->modifiers = modifiers;
        }
    }
    return menu;
}

std::string command_key_label(UInt8 key, UInt8 modifiers) {
    if (!key) return {};
    // The keys as they are written on the host's keyboard: Command is Ctrl,
    // Option is Alt and Control is Super.
    std::string s;
    if (!(modifiers & kMenuNoCommandModifier)) s += "Ctrl+";
    if (modifiers & kMenuOptionModifier) s += "Alt+";
    if (modifiers & kMenuShiftModifier) s += "Shift+";
    if (modifiers & kMenuControlModifier) s += "Super+";
    if (key >= 'a' && key <= 'z') key = UInt8(std::toupper(key));
    if (key >= 0x20 && key < 0x7F) s += char(key);
    else s += "?";
    return s;
}

}  // namespace platform::menus
