// The menus as shown (ShownMenus.h).
#include "platform/menus/ShownMenus.h"

#include "platform/menus/MenuModel.h"

namespace platform::menus {
namespace {

ShownItem shown_item(const Menu& m, size_t n) {
    const MenuItem& i = *m.item(n);
    ShownItem s;
    s.text = i.text;
    s.separator = i.separator;
    s.enabled = m.can_choose(n);
    s.key = i.key;
    s.modifiers = i.modifiers;
    s.mark = i.mark;
    s.style = i.style;
    s.report_menu = m.id;
    s.report_item = UInt16(n);
    return s;
}

}  // namespace

std::vector<ShownMenu> shown_menus(const std::vector<Menu*>& bar, const std::string& appName) {
    std::vector<ShownMenu> out;
    ShownMenu app;
    app.title = appName;
    app.app_menu = true;
    app.id = kAppleMenuID;
    for (const Menu* m : bar) {
        if (m->id != kAppleMenuID) continue;
        for (size_t n = 1; n <= m->items.size(); ++n) app.items.push_back(shown_item(*m, n));
        if (!m->items.empty()) {
            ShownItem line;
            line.separator = true;
            app.items.push_back(line);
        }
        break;
    }
    ShownItem quit;
    quit.text = "Quit " + appName;
    quit.enabled = true;
    quit.key = 'Q';
    quit.quit = true;
    app.items.push_back(quit);
    out.push_back(std::move(app));

    for (const Menu* m : bar) {
        if (m->id == kAppleMenuID) continue;
        ShownMenu s;
        s.title = m->title;
        s.enabled = m->enabled;
        s.id = m->id;
        for (size_t n = 1; n <= m->items.size(); ++n) s.items.push_back(shown_item(*m, n));
        out.push_back(std::move(s));
    }
    return out;
}

}  // namespace platform::menus
