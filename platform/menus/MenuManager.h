// MenuManager.h — the menus loaded from resources, the menu bar, tracking
// and Command keys.
//
// Internal API for the other managers (main thread only):
//   MenuManager::get()        the manager; started on first use (the Window
//                             Manager's desktop, SysBeep's flash and the
//                             script queries registered)
//   find(MenuRef)             a live menu, or nil
//   shown()                   the menus as the user sees them (ShownMenus.h)
//   tracking()                while MenuSelect tracks: the pulled-down
//                             menu's index in shown() and its layout
// MenuSelect draws straight onto the screen over everything; it saves the
// pixels a menu covers and restores them, so no window gets an update —
// unless a movie playing under the menu drew there meanwhile (MenuSelect
// gives the events' background task its turn, and the Window Manager's
// overlay keeps windows from drawing over the menu).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/hostapi/ScriptWorld.h"
#include "platform/menus/MenuLayout.h"
#include "platform/menus/MenuModel.h"

namespace platform::menus {

class MenuManager final : public script::MenuQueries {
public:
    static MenuManager& get();
    // Whether get() has started the manager (without starting it).
    static bool running();

    Menu* find(MenuRef ref) const;
    // The menu with this ID: one already loaded, else read from 'MENU'
    // (and 'xmnu') resources; nil when missing or damaged.
    Menu* load(MenuID id);
    Menu* in_bar(MenuID id) const;
    const std::vector<Menu*>& bar() const { return bar_; }
    // Installs the bar and takes the application's name ('STR#' 1000
    // index 1 of the current resource file, else the executable's name).
    void set_bar(std::vector<Menu*> menus);
    const std::string& app_name() const { return appName_; }

    std::vector<ShownMenu> shown() const;
    BarLayout bar_layout(const std::vector<ShownMenu>& menus) const;
    MenuLayout menu_layout(const std::vector<ShownMenu>& menus, const BarLayout& bar, int index) const;

    void draw_bar();
    void hilite(MenuID id);   // 0: no title highlighted
    // A menu's enabled state changed: its title is drawn again.
    void menu_enable_changed(const Menu* m);

    SInt32 select(Point start);
    SInt32 key(UInt8 ch);

    struct Tracking {
        int open = -1;
        MenuLayout layout;
    };
    const std::optional<Tracking>& tracking() const { return tracking_; }

    // script::MenuQueries
    std::vector<script::MenuTitleView> menu_titles() override;
    std::vector<script::MenuItemView> menu_items(const std::string& menuTitle) override;

    // Tests: forgets every menu and the bar; starts afresh on the next get().
    static void reset_for_testing();

private:
    MenuManager() = default;
    void start();
    // Index in shown() of the menu HiliteMenu calls `id`, or -1.
    static int index_of(const std::vector<ShownMenu>& menus, MenuID id);
    SInt32 choose(const std::vector<ShownMenu>& menus, int menu, int item);

    bool started_ = false;
    std::vector<std::unique_ptr<Menu>> menus_;   // every menu loaded
    std::vector<Menu*> bar_;
    std::string appName_;
    MenuID hilited_ = 0;
    std::optional<Tracking> tracking_;
};

}  // namespace platform::menus
