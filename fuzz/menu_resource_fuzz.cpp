// Fuzzes the reading of 'MENU' resources and their 'xmnu': the input is a
// 16-bit big-endian length, that many bytes of 'MENU', and the rest as the
// 'xmnu'. A menu that reads is then laid out, labelled and searched for
// Command keys as the Menu Manager does.
#include <cstddef>
#include <cstdint>

#include "platform/core/Bytes.h"
#include "platform/menus/MenuKeys.h"
#include "platform/menus/MenuLayout.h"
#include "platform/menus/MenuModel.h"
#include "platform/menus/ShownMenus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t menuSize = std::min<size_t>(platform::load_u16be(data), size - 2);
    std::span<const UInt8> menu(data + 2, menuSize), xmnu(data + 2 + menuSize, size - 2 - menuSize);
    auto parsed = platform::menus::parse_menu(menu, xmnu);
    if (!parsed) return 0;
    (*parsed)->id = platform::menus::kAppleMenuID;
    std::vector<platform::menus::Menu*> bar{parsed->get()};
    auto shown = platform::menus::shown_menus(bar, "Fuzz");
    auto measure = [](std::string_view s, SInt16) { return SInt32(s.size()) * 7; };
    auto layout = platform::menus::layout_bar(shown, 20, 1024, measure);
    for (size_t i = 0; i < shown.size(); ++i) {
        auto m = platform::menus::layout_menu(shown[i], layout.titles[i], Rect{0, 0, 768, 1024}, measure);
        (void)platform::menus::item_at(m, Point{30, 30});
        for (const auto& item : shown[i].items) (void)platform::menus::command_key_label(item.key, item.modifiers);
    }
    for (int ch : {'a', 'Q', 's'}) (void)platform::menus::find_key(shown, UInt8(ch), cmdKey | shiftKey);
    return 0;
}
