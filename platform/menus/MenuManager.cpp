// The Menu Manager's state, tracking and Command keys.
#include "platform/menus/MenuManager.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Events.h"
#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/events/EventsInternal.h"
#include "platform/hostapi/Host.h"
#include "platform/menus/MenuDrawing.h"
#include "platform/menus/MenuKeys.h"
#include "platform/menus/MenuTracking.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/Appearance.h"
#include "platform/windows/ChromePainter.h"
#include "platform/windows/ScreenPixels.h"
#include "platform/windows/WindowManager.h"

namespace platform::menus {
namespace {

namespace look = windows::look;

MenuManager*& slot() {
    static MenuManager* manager = nullptr;   // never destroyed: menus may outlive statics
    return manager;
}

SInt32 measure(std::string_view text, SInt16 face) { return windows::chrome_text_width(text, face); }

std::span<const UInt8> bytes_of(Handle h) {
    if (!h || !*h) return {};
    return {reinterpret_cast<const UInt8*>(*h), size_t(GetHandleSize(h))};
}

std::string executable_name() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::string name = ec ? std::string() : exe.filename().string();
    return name.empty() ? "Application" : name;
}

// SysBeep's visible half: the menu bar inverted for a moment.
void flash_menu_bar() {
    quickdraw::Region bar(Rect{0, 0, look::kMenuBarHeight, quickdraw::screen().width()});
    windows::invert_screen_region(bar);
    events::flush_screen_now();
    host::Host& h = host::current();
    h.wait_until(h.now_ms() + 80);
    windows::invert_screen_region(bar);
}

}  // namespace

bool MenuManager::running() { return slot() && slot()->started_; }

MenuManager& MenuManager::get() {
    MenuManager*& m = slot();
    if (!m) m = new MenuManager();
    if (!m->started_) m->start();
    return *m;
}

void MenuManager::start() {
    started_ = true;
    windows::WindowManager::get();
    events::set_beep_flash(flash_menu_bar);
    events::set_menu_key_target([this]() -> std::optional<Point> {
        const auto menus = shown();
        const BarLayout bar = bar_layout(menus);
        if (bar.titles.empty() || kit::is_empty(bar.titles[0])) return std::nullopt;
        return Point{SInt16(kit::centre_v(bar.titles[0])), SInt16(kit::centre_h(bar.titles[0]))};
    });
    script::set_menu_queries(this);
}

void MenuManager::reset_for_testing() {
    MenuManager* m = slot();
    if (!m) return;
    m->bar_.clear();
    m->menus_.clear();
    m->appName_.clear();
    m->hilited_ = 0;
    m->tracking_.reset();
    m->started_ = false;
    events::set_beep_flash(nullptr);
    events::set_menu_key_target(nullptr);
    script::set_menu_queries(nullptr);
}

Menu* MenuManager::find(MenuRef ref) const {
    if (!ref) return nullptr;
    for (const auto& m : menus_)
        if (static_cast<OpaqueMenuRef*>(m.get()) == ref) return m.get();
    return nullptr;
}

Menu* MenuManager::load(MenuID id) {
    for (const auto& m : menus_)
        if (m->resource_id == id) return m.get();
    Handle menu = GetResource('MENU', id);
    if (!menu) return nullptr;
    Handle xmnu = GetResource('xmnu', id);
    auto parsed = parse_menu(bytes_of(menu), bytes_of(xmnu));
    if (!parsed) return nullptr;
    (*parsed)->resource_id = id;
    menus_.push_back(std::move(*parsed));
    return menus_.back().get();
}

Menu* MenuManager::in_bar(MenuID id) const {
    for (Menu* m : bar_)
        if (m->id == id) return m;
    return nullptr;
}

void MenuManager::set_bar(std::vector<Menu*> menus) {
    bar_ = std::move(menus);
    Str255 name;
    GetIndString(name, 1000, 1);
    appName_ = name[0] ? std::string(reinterpret_cast<const char*>(name + 1), name[0]) : executable_name();
    hilited_ = 0;
}

std::vector<ShownMenu> MenuManager::shown() const {
    return shown_menus(bar_, appName_.empty() ? executable_name() : appName_);
}

BarLayout MenuManager::bar_layout(const std::vector<ShownMenu>& menus) const {
    return layout_bar(menus, look::kMenuBarHeight, quickdraw::screen().width(), measure);
}

MenuLayout MenuManager::menu_layout(const std::vector<ShownMenu>& menus, const BarLayout& bar, int index) const {
    return layout_menu(menus[size_t(index)], bar.titles[size_t(index)], quickdraw::screen().rect(), measure);
}

int MenuManager::index_of(const std::vector<ShownMenu>& menus, MenuID id) {
    if (id == 0) return -1;
    for (size_t i = 0; i < menus.size(); ++i)
        if (menus[i].id == id) return int(i);
    return -1;
}

void MenuManager::draw_bar() {
    auto menus = shown();
    draw_menu_bar(menus, bar_layout(menus), index_of(menus, hilited_));
}

void MenuManager::hilite(MenuID id) {
    if (id == hilited_) return;
    auto menus = shown();
    BarLayout bar = bar_layout(menus);
    int before = index_of(menus, hilited_), after = index_of(menus, id);
    hilited_ = after >= 0 ? id : 0;
    if (before >= 0) draw_bar_title(menus[size_t(before)], bar.titles[size_t(before)], false);
    if (after >= 0) draw_bar_title(menus[size_t(after)], bar.titles[size_t(after)], true);
}

void MenuManager::menu_enable_changed(const Menu* m) {
    if (std::find(bar_.begin(), bar_.end(), m) == bar_.end()) return;
    auto menus = shown();
    int i = index_of(menus, m->id);
    if (i >= 0) draw_bar_title(menus[size_t(i)], bar_layout(menus).titles[size_t(i)], m->id == hilited_);
}

SInt32 MenuManager::choose(const std::vector<ShownMenu>& menus, int menu, int item) {
    const ShownItem& chosen = menus[size_t(menu)].items[size_t(item)];
    if (chosen.quit) {
        hilite(0);
        events::request_quit(events::QuitSource::MenuCommand);
        return 0;
    }
    if (chosen.report_menu == 0) {
        hilite(0);
        return 0;
    }
    hilite(menus[size_t(menu)].id);
    return (SInt32(chosen.report_menu) << 16) | chosen.report_item;
}

SInt32 MenuManager::select(Point start) {
    using Outcome = MenuTracker::Outcome;
    hilite(0);
    const std::vector<ShownMenu> menus = shown();
    const BarLayout bar = bar_layout(menus);
    MenuTracker tracker(menus, bar, [&](int i) { return menu_layout(menus, bar, i); });
    windows::WindowManager& wm = windows::WindowManager::get();

    std::unique_ptr<PulledDownMenu> pulled;
    int drawnOpen = -1;
    bool drawnBeneath = false;
    auto take_down = [&] {
        if (!pulled) return;
        pulled.reset();
        wm.clear_overlay(drawnBeneath);
        drawnBeneath = false;
        tracking_.reset();
    };
    auto show = [&] {
        if (tracker.open() != drawnOpen) {
            take_down();
            if (drawnOpen >= 0) draw_bar_title(menus[size_t(drawnOpen)], bar.titles[size_t(drawnOpen)], false);
            drawnOpen = tracker.open();
            if (drawnOpen >= 0) {
                draw_bar_title(menus[size_t(drawnOpen)], bar.titles[size_t(drawnOpen)], true);
                pulled = std::make_unique<PulledDownMenu>(menus[size_t(drawnOpen)], tracker.open_layout());
                wm.set_overlay(quickdraw::Region(tracker.open_layout().covered()));
                tracking_ = Tracking{drawnOpen, tracker.open_layout()};
            }
        }
        if (pulled) pulled->hilite(tracker.item());
    };
    // Movies play on while a menu is open. The overlay keeps what they draw
    // out of the menu; what they would have drawn under it is drawn again
    // once it goes.
    auto background = [&] {
        events::flush_screen_now();
        {
            const kit::PortGuard keep;   // the application's port is its own
            events::run_background_task();
        }
        if (pulled && quickdraw::screen().has_dirty()) drawnBeneath = true;
    };

    if (events::took_menu_key_press()) {
        const int title = title_at(bar, start);
        tracker.open_for_keyboard(title >= 0 ? title : 0);
    } else {
        tracker.press(start);
    }
    show();
    Point last = events::mouse_position();
    constexpr EventMask kMenuEvents = mDownMask | mUpMask | keyDownMask | keyUpMask | autoKeyMask;
    while (tracker.outcome() == Outcome::Tracking) {
        if (tracker.pressed()) {
            const bool down = WaitMouseUp();
            background();
            last = events::mouse_position();
            if (down) tracker.move(last);
            else tracker.release(last);
        } else {
            // A menu that sticks gives way to a quit request or a switch to
            // another application, which stay queued for the application.
            EventRecord e;
            if (EventAvail(highLevelEventMask | osMask, &e)) break;
            background();
            if (WaitNextEvent(kMenuEvents, &e, 0, nullptr)) {
                if (e.what == mouseDown && events::took_menu_key_press()) break;   // F10 again
                if (e.what == mouseDown) tracker.press(e.where);
                if ((e.what == keyDown || e.what == autoKey) && !(e.modifiers & cmdKey))
                    tracker.key(UInt8(e.message & charCodeMask));
            }
            const Point p = events::mouse_position();
            if (!tracker.pressed() && (p.h != last.h || p.v != last.v)) tracker.move(p);
            last = p;
        }
        show();
    }

    take_down();
    if (drawnOpen >= 0) draw_bar_title(menus[size_t(drawnOpen)], bar.titles[size_t(drawnOpen)], false);
    if (tracker.outcome() == Outcome::Chosen) return choose(menus, tracker.open(), tracker.item());
    return 0;
}

SInt32 MenuManager::key(UInt8 ch) {
    const std::vector<ShownMenu> menus = shown();
    auto found = find_key(menus, ch, events::last_key_event_modifiers());
    if (!found) return 0;
    return choose(menus, found->first, found->second);
}

std::vector<script::MenuTitleView> MenuManager::menu_titles() {
    auto menus = shown();
    BarLayout bar = bar_layout(menus);
    std::vector<script::MenuTitleView> out;
    for (size_t i = 0; i < menus.size(); ++i)
        if (bar.titles[i].right > bar.titles[i].left) out.push_back({menus[i].title, bar.titles[i]});
    return out;
}

std::vector<script::MenuItemView> MenuManager::menu_items(const std::string& menuTitle) {
    auto menus = shown();
    std::vector<script::MenuItemView> out;
    for (size_t m = 0; m < menus.size(); ++m) {
        if (!script::item_text_matches(menus[m].title, menuTitle)) continue;
        const bool open = tracking_ && tracking_->open == int(m);
        for (size_t i = 0; i < menus[m].items.size(); ++i) {
            const ShownItem& item = menus[m].items[i];
            out.push_back(script::MenuItemView{item.separator ? std::string() : item.text, item.enabled,
                                               open ? tracking_->layout.items[i] : Rect{}});
        }
        break;
    }
    return out;
}

}  // namespace platform::menus
