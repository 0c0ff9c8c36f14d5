// The Menu Manager: reading menus, Command keys, layout and tracking as
// pure functions; then menus from a resource file pulled down and chosen
// through the Event Manager, with what reaches the screen.
#include <cstring>
#include <string>

#include "platform/Memory.h"
#include "platform/Menus.h"
#include "platform/Resources.h"
#include "platform/core/Bytes.h"
#include "platform/menus/MenuKeys.h"
#include "platform/menus/MenuLayout.h"
#include "platform/menus/MenuModel.h"
#include "platform/menus/MenuTracking.h"
#include "platform/quickdraw/kit/Palette.h"
#include "tests/toolbox/wm_test_util.h"

using namespace wmtest;
namespace menus = platform::menus;
namespace palette = platform::kit::palette;

namespace {

struct ItemSpec { std::string text; UInt8 key = 0; bool enabled = true; };

std::vector<UInt8> menu_bytes(SInt16 id, const std::string& title, const std::vector<ItemSpec>& items,
                              bool menuEnabled = true) {
    platform::ByteWriter w;
    w.s16(id), w.zeros(8);
    UInt32 flags = menuEnabled ? 1 : 0;
    for (size_t i = 0; i < items.size(); ++i) if (items[i].enabled || i >= 31) flags |= i < 31 ? 1u << (i + 1) : 0;
    w.u32(flags), w.pstring(title);
    for (const ItemSpec& i : items) w.pstring(i.text), w.u8(0), w.u8(i.key), w.u16(0);   // icon, key, mark, style
    w.u8(0);
    return w.take();
}

std::vector<UInt8> xmnu_bytes(std::vector<std::pair<UInt16, UInt8>> entries, UInt16 version = 0) {
    platform::ByteWriter w;
    w.u16(version), w.u16(UInt16(entries.size()));
    for (auto [item, mods] : entries) w.u16(item), w.u8(mods), w.u8(0);
    return w.take();
}

menus::ShownItem item(const char* text, UInt8 key = 0, UInt8 mods = 0, bool enabled = true) {
    return {.text = text, .enabled = enabled, .key = key, .modifiers = mods};
}
menus::ShownItem separator() { return {.text = "", .separator = true}; }

// Ten pixels a character, bold or not: layouts without fonts.
SInt32 fixed_measure(std::string_view s, SInt16) { return SInt32(s.size()) * 10; }

}  // namespace

TEST(MenuModel, ReadsItemsFlagsAndModifiers) {
    std::vector<ItemSpec> items{{"New", 'N'}, {"-"}, {"Save As\xE2\x80\xA6", 'S'}, {"Off", 0, false}};
    for (int i = 0; i < 30; ++i) items.push_back({"x" + std::to_string(i)});
    auto m = menus::parse_menu(menu_bytes(129, "File", items), xmnu_bytes({{3, kMenuShiftModifier}}));
    ASSERT_TRUE(m.ok());
    const menus::Menu& menu = **m;
    EXPECT_EQ(std::tuple(menu.id, menu.title, menu.items.size()), std::tuple(129, "File", 34u));
    EXPECT_EQ(std::tuple(menu.items[1].separator, menu.items[2].modifiers, menu.items[2].text), std::tuple(true, kMenuShiftModifier, "Save As\xE2\x80\xA6"));
    // A separator is never chosen; items past 31 are always enabled.
    EXPECT_EQ((std::vector{menu.can_choose(1), menu.can_choose(2), menu.can_choose(4), menu.can_choose(34)}), (std::vector{true, false, false, true}));
}

TEST(MenuModel, DamagedResourcesAreRefused) {
    const auto good = menu_bytes(129, "File", {{"New", 'N'}, {"Open", 'O'}});
    for (size_t n = 0; n < good.size(); ++n) {
        auto cut = std::span(good).first(n);
        EXPECT_EQ(menus::parse_menu(cut, {}).code(), badFormat) << "cut at " << n;
    }
    const std::pair<std::vector<UInt8>, const char*> cases[] = {
        {xmnu_bytes({{3, 1}}), "names item 3 of 2"}, {xmnu_bytes({{0, 1}}), "names item 0"},
        {xmnu_bytes({{1, 1}}, 1), "unknown version"}, {{0, 0, 0, 2, 0, 1, 1}, "ends early"},
    };
    for (const auto& [xmnu, why] : cases) EXPECT_EQ(menus::parse_menu(good, xmnu).code(), badFormat) << why;
    EXPECT_TRUE(menus::parse_menu(good, xmnu_bytes({{2, 3}})).ok());
}

TEST(MenuKeys, LabelsAndMatching) {
    EXPECT_EQ(menus::command_key_label('n', 0), "Ctrl+N");
    EXPECT_EQ(menus::command_key_label('S', kMenuShiftModifier), "Ctrl+Shift+S");
    EXPECT_EQ(menus::command_key_label('H', kMenuOptionModifier | kMenuControlModifier), "Ctrl+Alt+Super+H");
    EXPECT_EQ(menus::command_key_label('K', kMenuNoCommandModifier), "K");
    EXPECT_EQ(menus::command_key_label(0, kMenuShiftModifier), "");

    struct Case { UInt8 key, itemMods; UInt8 ch; EventModifiers mods; bool match; };
    const Case cases[] = {
        {'S', 0, 's', cmdKey, true}, {'S', 0, 'S', cmdKey, true},
        {'S', 0, 'S', cmdKey | shiftKey, false},             // ⌘S is not ⇧⌘S
        {'S', kMenuShiftModifier, 'S', cmdKey | shiftKey, true}, {'S', kMenuShiftModifier, 's', cmdKey, false},
        {'H', kMenuOptionModifier, 'h', cmdKey | optionKey, true}, {'H', kMenuOptionModifier, 'h', cmdKey, false},
        {'S', 0, 's', cmdKey | btnState | alphaLock, true},   // the button and Caps Lock do not count
        {'S', 0, 's', 0, false}, {'K', kMenuNoCommandModifier, 'k', 0, true},
        {'K', kMenuNoCommandModifier, 'k', cmdKey, false}, {'S', 0, 'd', cmdKey, false}, {0, 0, 0, cmdKey, false},
    };
    for (const Case& c : cases) {
        menus::ShownItem i = item("x", c.key, c.itemMods);
        EXPECT_EQ(menus::key_matches(i, c.ch, c.mods), c.match) << c.key << " " << int(c.itemMods) << " " << c.ch << " " << c.mods;
    }
    // The first item that can be chosen answers; disabled ones are passed over.
    std::vector<menus::ShownMenu> bar(2);
    bar[0].items = {item("Off", 'S', 0, false)};
    bar[1].items = {separator(), item("Save", 'S')};
    EXPECT_EQ(menus::find_key(bar, 's', cmdKey), std::make_pair(1, 1));
    EXPECT_FALSE(menus::find_key(bar, 'q', cmdKey));
}

TEST(MenuLayout, TitlesItemsAndTheScreenEdge) {
    std::vector<menus::ShownMenu> bar(3);
    bar[0].title = "App", bar[0].app_menu = true, bar[1].title = "File", bar[2].title = "Edit";
    bar[1].items = {item("New", 'N'), separator(), item("Save As", 'S', kMenuShiftModifier)};
    menus::BarLayout b = menus::layout_bar(bar, 20, 1024, fixed_measure);
    ASSERT_EQ(b.titles.size(), 3u);
    EXPECT_EQ(b.titles[1].left, b.titles[0].right) << "side by side";
    EXPECT_EQ(std::tuple(menus::title_at(b, Point{5, 70}), menus::title_at(b, Point{5, 2})), std::tuple(1, -1));

    menus::MenuLayout m = menus::layout_menu(bar[1], b.titles[1], Rect{0, 0, 768, 1024}, fixed_measure);
    EXPECT_EQ(std::tuple(m.frame.top, m.frame.left), std::tuple(SInt16(20), b.titles[1].left)) << "below its title";
    ASSERT_EQ(m.items.size(), 3u);
    EXPECT_EQ(m.items[1].top, m.items[0].bottom);
    EXPECT_LE(m.items[2].bottom, m.frame.bottom);
    EXPECT_GE(m.frame.right - m.frame.left, 70 + 70 + menus::kKeyGap) << "room for text and key label";
    EXPECT_EQ(std::tuple(menus::item_at(m, Point{SInt16(m.items[2].top + 1), SInt16(m.frame.left + 5)}), menus::item_at(m, Point{SInt16(m.frame.bottom + 5), SInt16(m.frame.left + 5)})), std::tuple(2, -1));
    // Near the right edge the menu moves left to stay on the screen.
    Rect far{0, 1000, 19, 1020};
    menus::MenuLayout edge = menus::layout_menu(bar[1], far, Rect{0, 0, 768, 1024}, fixed_measure);
    EXPECT_EQ(edge.covered().right, 1024);
}

TEST(MenuTracking, FollowsTheMouseButtonAndKeys) {
    std::vector<menus::ShownMenu> bar(2);
    bar[0].title = "A", bar[0].items = {item("One"), separator(), item("Off", 0, 0, false), item("Two")};
    bar[1].title = "B", bar[1].enabled = false, bar[1].items = {item("Three", 0, 0, false)};   // it pulls down, but nothing in it can be chosen
    const menus::BarLayout b = menus::layout_bar(bar, 20, 1024, fixed_measure);
    auto layout = [&](int i) { return menus::layout_menu(bar[size_t(i)], b.titles[size_t(i)], Rect{0, 0, 768, 1024}, fixed_measure); };
    const auto la = layout(0), lb = layout(1);
    auto mid = [](const Rect& r) { return Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)}; };
    const Point a = mid(b.titles[0]), one = mid(la.items[0]), sep = mid(la.items[1]), off = mid(la.items[2]),
                two = mid(la.items[3]), away{600, 600};

    // m move, p press, r release (at a point); k a key; o opened by the keyboard.
    struct Op { char what; Point at{}; UInt8 ch = 0; };
    auto k = [](UInt8 ch) { return Op{'k', {}, ch}; };
    const Op kb{'o'}, pa{'p', a}, ra{'r', a};
    using O = menus::MenuTracker::Outcome;
    struct Case { const char* what; std::vector<Op> ops; int open, item; O outcome = O::Tracking; };
    const Case cases[] = {
        {"over a title", {{'m', a}}, 0, -1}, {"beside the titles", {{'m', {5, 900}}}, -1, -1},
        {"a separator", {{'m', a}, {'m', sep}}, 0, -1}, {"off the menu", {{'m', a}, {'m', two}, {'m', away}}, 0, -1},
        {"down a disabled menu", {{'m', a}, {'m', mid(b.titles[1])}, {'m', mid(lb.items[0])}}, 1, -1},
        {"back into the bar", {{'m', a}, {'m', two}, {'m', {5, 900}}}, 0, -1},
        {"a press dragged onto an item chooses it", {pa, {'m', one}, {'r', one}}, 0, 0, O::Chosen},
        {"released on a disabled item", {pa, {'m', off}, {'r', off}}, 0, -1, O::Closed},
        {"released away", {pa, {'r', away}}, 0, -1, O::Closed}, {"a click on a title sticks", {pa, ra}, 0, -1},
        {"then a click on an item chooses it", {pa, ra, {'m', two}, {'p', two}, {'r', two}}, 0, 3, O::Chosen},
        {"or on a disabled one does nothing", {pa, ra, {'p', off}, {'r', off}}, 0, -1},
        {"or on its title closes it", {pa, ra, pa, ra}, 0, -1, O::Closed},
        {"or away closes it", {pa, ra, {'p', away}}, 0, -1, O::Closed},
        {"down past a separator and a disabled item", {kb, k(kDownArrowCharCode), k(kDownArrowCharCode)}, 0, 3},
        {"up wraps round", {kb, k(kDownArrowCharCode), k(kUpArrowCharCode)}, 0, 3},
        {"up from nothing is the last item", {kb, k(kUpArrowCharCode)}, 0, 3},
        {"return chooses", {pa, ra, k(kDownArrowCharCode), k(kReturnCharCode)}, 0, 0, O::Chosen},
        {"escape closes", {kb, k(kEscapeCharCode)}, 0, -1, O::Closed},
        {"right to the next menu", {kb, k(kDownArrowCharCode), k(kRightArrowCharCode)}, 1, -1},
        {"left wraps to the last", {kb, k(kLeftArrowCharCode)}, 1, -1},
        {"letters, past disabled items", {kb, k('T'), k('o'), k('o')}, 0, 0},
    };
    for (const Case& c : cases) {
        menus::MenuTracker t(bar, b, layout);
        for (const Op& op : c.ops) {
            if (op.what == 'm') t.move(op.at);
            if (op.what == 'p') t.press(op.at);
            if (op.what == 'r') t.release(op.at);
            if (op.what == 'k') t.key(op.ch);
            if (op.what == 'o') t.open_for_keyboard(0);
        }
        EXPECT_EQ(std::tuple(t.open(), t.item(), t.outcome()), std::tuple(c.open, c.item, c.outcome)) << c.what;
    }
}

// Menus from TestToolbox.rsrc (see TestToolbox.r), chosen through the Event Manager.
class MenuManagerTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        file = OpenResourceFileAtPath(KINORA_BUILD_DIR "/tests/TestToolbox.rsrc", 1);
        ASSERT_GT(file, 0);
        UseResFile(file);
        Handle bar = GetNewMBar(128);
        ASSERT_NE(bar, nullptr);
        SetMenuBar(bar);
        DisposeHandle(bar);
        events::set_quit_handler([this](events::QuitSource s) { quits.push_back(s); });
    }

    auto& manager() { return menus::MenuManager::get(); }
    const platform::script::MenuTitleView* title_of(const char* title) {
        static std::vector<platform::script::MenuTitleView> titles;
        titles = manager().menu_titles();
        for (const auto& t : titles) if (t.text == title) return &t;
        ADD_FAILURE() << "no title " << title;
        return &titles.front();
    }
    Point title_point(const char* title) {
        const Rect& b = title_of(title)->bounds;
        return Point{10, SInt16((b.left + b.right) / 2)};
    }
    // A pixel of the title's background, beside its text.
    UInt32 title_pixel(const char* title) { return pixel(title_of(title)->bounds.left + 3, 10); }
    Rect item_rect(const char* title, size_t index) {
        auto menus = manager().shown();
        auto bar = manager().bar_layout(menus);
        for (size_t i = 0; i < menus.size(); ++i)
            if (menus[i].title == title) return manager().menu_layout(menus, bar, int(i)).items[index];
        ADD_FAILURE() << "no menu " << title;
        return Rect{};
    }
    // Presses on the title, moves onto item `index` (from 0) and lets go.
    SInt32 choose(const char* title, size_t index) {
        Point t = title_point(title);
        Rect r = item_rect(title, index);
        hold_button_at(t);
        const SInt16 h = SInt16((r.left + r.right) / 2), v = SInt16((r.top + r.bottom) / 2);
        input.move(h, v), input.release(h, v);
        return MenuSelect(t);
    }
    // A key going through the Event Manager, taken by the "application".
    SInt32 key(UInt8 ch, UInt16 mods) {
        events::deliver_input(input_event(host::InputKind::KeyDown, 0, 0, mods, ch));
        EventRecord r;
        EXPECT_TRUE(GetNextEvent(keyDownMask, &r));
        return MenuKey(CharParameter(r.message & charCodeMask));
    }

    SInt16 file = -1;
    std::vector<events::QuitSource> quits;
};

TEST_F(MenuManagerTest, TheBarHasTheApplicationMenuFirstAndNoAppleMenu) {
    std::string titles, items;
    for (const auto& t : manager().menu_titles()) titles += t.text + "; ";
    EXPECT_EQ(titles, "Kinora; Window; Probe; Dimmed; ");
    for (const auto& i : manager().menu_items("Kinora"))
        items += i.text + (i.enabled ? "" : " (off)") + (i.bounds.right == 0 ? "; " : " (pulled down); ");
    EXPECT_EQ(items, "About Window Test\xE2\x80\xA6; Help (off);  (off); Quit Kinora; ")
        << "Help is disabled in menu 128; the separator is the platform's";
    EXPECT_FALSE(manager().menu_items("Dimmed")[0].enabled) << "the items of a disabled menu";
    EXPECT_NE(GetMenuHandle(128), nullptr) << "the Apple menu is still in the menu list";
}

TEST_F(MenuManagerTest, MenuSelectReportsMenuAndItemAndLeavesTheTitleHighlighted) {
    const auto before = screen_copy();
    Point t = title_point("Window");
    Rect saveAs = item_rect("Window", 4);
    hold_button_at(t);
    input.check([&] { EXPECT_EQ(title_pixel("Window"), rgb(palette::kHighlight)) << "the title is highlighted"; });
    input.move(SInt16(saveAs.left + 30), SInt16(saveAs.top + 5));
    input.check([&] {
        EXPECT_EQ(pixel(saveAs.right - 3, saveAs.top + 2), rgb(palette::kHighlight)) << "the item is highlighted";
        auto items = manager().menu_items("Window");
        EXPECT_EQ(items[4].bounds.top, saveAs.top) << "scripts see where the items are";
    });
    input.release(SInt16(saveAs.left + 30), SInt16(saveAs.top + 5));
    EXPECT_EQ(MenuSelect(t), (129 << 16) | 5);
    EXPECT_FALSE(input.ran_out());
    EXPECT_EQ(title_pixel("Window"), rgb(palette::kHighlight)) << "until HiliteMenu(0)";
    HiliteMenu(0);
    EXPECT_EQ(screen_copy(), before) << "the pixels under the menu are restored";
}

TEST_F(MenuManagerTest, ChoicesThatAnswerNothing) {
    struct Case { const char* title; size_t index; SInt32 result; };
    const Case cases[] = {
        {"Window", 0, (129 << 16) | 1},
        {"Window", 5, 0},     // a separator
        {"Window", 8, 0},     // "Never", disabled
        {"Dimmed", 0, 0},     // a disabled menu
        {"Kinora", 0, (128 << 16) | 1},   // the Apple menu's items keep their menu
        {"Kinora", 1, 0},     // "Help", disabled
        {"Kinora", 2, 0},     // the separator the platform adds
    };
    for (const Case& c : cases) {
        EXPECT_EQ(choose(c.title, c.index), c.result) << c.title << " " << c.index;
        HiliteMenu(0);
    }
    EXPECT_TRUE(quits.empty());
    EXPECT_EQ(choose("Kinora", 3), 0) << "Quit is the platform's";
    EXPECT_EQ(quits, std::vector{events::QuitSource::MenuCommand});
    // Released outside any menu: nothing.
    Point t = title_point("Probe");
    hold_button_at(t), input.move(900, 700), input.release(900, 700);
    EXPECT_EQ(MenuSelect(t), 0);
    EXPECT_EQ(title_pixel("Probe"), rgb(palette::kMenuBar)) << "no title stays highlighted";
}

// The matching rules themselves are MenuKeys'.
TEST_F(MenuManagerTest, MenuKeyComparesTheModifiersOfTheKeyEvent) {
    EXPECT_EQ(key('S', host::kModCommand | host::kModShift), (129 << 16) | 5);
    HiliteMenu(0);
    EXPECT_EQ(key('k', host::kModCommand), 0) << "a disabled menu";
    // A match highlights its menu's title until HiliteMenu(0).
    EXPECT_EQ(key('l', host::kModCommand), (130 << 16) | 1);
    EXPECT_EQ(title_pixel("Probe"), rgb(palette::kHighlight));
    HiliteMenu(0);
    EXPECT_TRUE(quits.empty());
    EXPECT_EQ(key('q', host::kModCommand), 0);
    EXPECT_EQ(quits.size(), 1u);
}

TEST_F(MenuManagerTest, ItemStateCallsAndTheMenuList) {
    MenuRef window = GetMenuHandle(129);
    ASSERT_NE(window, nullptr);
    // Enabling and disabling keep an item's modifiers.
    DisableMenuItem(window, 5);
    EXPECT_FALSE(IsMenuItemEnabled(window, 5));
    EnableMenuItem(window, 5);
    UInt8 mods = 0;
    EXPECT_EQ(GetMenuItemModifiers(window, 5, &mods), noErr);
    EXPECT_EQ(mods, kMenuShiftModifier);
    EXPECT_EQ(GetMenuItemModifiers(window, 11, &mods), paramErr);
    // Deleting items: the ones after move up, with their state.
    DeleteMenuItem(window, 10), DeleteMenuItem(window, 6);
    EXPECT_EQ(CountMenuItems(window), 8);
    EXPECT_FALSE(IsMenuItemEnabled(window, 8)) << "Never moved up from 9";
    // A whole menu dims its title in the bar.
    MenuRef probe = GetMenuHandle(130);
    Point t = title_point("Probe");
    auto dark_in_title = [&] {
        int n = 0;
        for (SInt16 x = SInt16(t.h - 15); x < t.h + 15; ++x) for (SInt16 y = 3; y < 17; ++y) n += pixel(x, y) == 0;
        return n;
    };
    EXPECT_GT(dark_in_title(), 0);
    DisableMenuItem(probe, 0);
    EXPECT_FALSE(IsMenuItemEnabled(probe, 0));
    EXPECT_EQ(dark_in_title(), 0) << "drawn dimmed";
    // Nil and unknown menus are ignored.
    MenuRef bogus = reinterpret_cast<MenuRef>(&bogus);
    for (MenuRef m : {MenuRef(nullptr), bogus}) {
        EnableMenuItem(m, 1);
        EXPECT_EQ(CountMenuItems(m), 0);
        EXPECT_EQ(SetMenuItemModifiers(m, 1, 0), paramErr);
    }
}
