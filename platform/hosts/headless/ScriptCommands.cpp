// What each script command does: its steps (Planner) and those of its
// steps that look at the application when they run (Actor). A step that
// finds something wrong ends the run naming the line (fail does not
// return).
#include <algorithm>
#include <filesystem>

#include "platform/events/KeyCodes.h"
#include "platform/hostapi/ScriptWorld.h"
#include "platform/hosts/headless/ScriptMessages.h"
#include "platform/hosts/headless/ScriptRunner.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::script {
namespace {

using host::InputEvent;
using host::InputKind;
namespace keys = platform::events::keys;

Point center(const Rect& r) { return Point{SInt16(kit::centre_v(r)), SInt16(kit::centre_h(r))}; }

Point to_point(XY p) { return Point{p.y, p.x}; }

std::string in_quotes(const std::string& s) { return "\"" + s + "\""; }

// Names for a failure to list what was there instead: "A", "B" or none.
template <class T, class Name>
std::string list(const std::vector<T>& all, Name name) {
    std::string s;
    for (const T& each : all) {
        const std::string* n = name(each);
        if (!n) continue;
        s += s.empty() ? "" : ", ";
        s += in_quotes(*n);
    }
    return s.empty() ? std::string(msg::kNone) : s;
}

std::string list_titles(const std::vector<WindowView>& windows) {
    return list(windows, [](const WindowView& w) { return w.visible ? &w.title : nullptr; });
}

const WindowView* find_window(const std::vector<WindowView>& windows, const std::string& title) {
    for (const WindowView& w : windows)
        if (w.visible && w.title == title) return &w;
    return nullptr;
}

std::string seconds(UInt64 ms) { return std::to_string(ms / 1000); }

}  // namespace

// ------------------------------------------------------------ steps

struct ScriptRunner::Planner {
    ScriptRunner& r;

    // Most commands are one step that looks at the application.
    template <class C>
    void operator()(const C&) {
        r.add_act(0, false);
    }

    void operator()(const cmd::Menu&) { menu(); }
    void operator()(const cmd::ExpectMenuItem&) { menu(); }

    void operator()(const cmd::Key& c) {
        InputEvent e;
        e.kind = InputKind::KeyDown;
        e.key_code = c.key_code;
        e.character = c.character;
        e.modifiers = c.modifiers;
        r.add_input(e, false);
        e.kind = InputKind::KeyUp;
        r.add_input(e, true, true);
        r.add_modifiers_release(c.modifiers);
    }

    void operator()(const cmd::Type& c) {
        bool first = true;
        UInt16 last = 0;
        for (unsigned char ch : c.text) {
            InputEvent e;
            e.kind = InputKind::KeyDown;
            e.character = ch;
            e.key_code = keys::kUnknown;
            if (auto stroke = keys::key_for_character(ch)) {
                e.key_code = stroke->key_code;
                e.modifiers = stroke->shift ? UInt16(host::kModShift) : UInt16(0);
            }
            r.add_input(e, !first);
            e.kind = InputKind::KeyUp;
            r.add_input(e, true, true);
            first = false;
            last = e.modifiers;
        }
        r.add_modifiers_release(last);
    }

    // Move (found when the click starts), press, release.
    void operator()(const cmd::Click& c) {
        r.add_act(0, false);
        r.add_press_release(c.modifiers);
        r.add_modifiers_release(c.modifiers);
    }

    void operator()(const cmd::Button&) {
        r.add_act(0, false);
        r.add_press_release(0);
    }

    void operator()(const cmd::Drag& c) {
        const Point from = to_point(c.from), to = to_point(c.to);
        r.add_act(0, false);   // both ends on the screen; move to the start
        r.add_input(mouse_event(InputKind::MouseDown, from, c.modifiers), true);
        constexpr int kMoves = 8;   // the path, so tracking loops see the motion
        for (int i = 1; i <= kMoves; ++i) {
            Point p{SInt16(from.v + (to.v - from.v) * i / kMoves), SInt16(from.h + (to.h - from.h) * i / kMoves)};
            r.add_input(mouse_event(InputKind::MouseMoved, p, c.modifiers), true);
        }
        r.add_input(mouse_event(InputKind::MouseUp, to, c.modifiers), true, true);
        r.add_modifiers_release(c.modifiers);
    }

    // Press on the title (pulls the menu down), move onto the item (or, to
    // check an item, away from every item) once the menu shows, release.
    void menu() {
        r.add_act(0, false);
        r.add(Step{MouseAtPoint{InputKind::MouseDown, 0}, true});
        r.add_act(1, true);
        r.add(Step{MouseAtPoint{InputKind::MouseUp, 0}, true});
    }
};

void ScriptRunner::plan(const Command& c) { std::visit(Planner{*this}, c); }

// ------------------------------------------------------------ acting

struct ScriptRunner::Actor {
    ScriptRunner& r;
    int phase;

    // Key and type are inputs fixed when they start: they never act.
    StepResult operator()(const cmd::Key&) { return StepResult::Done; }
    StepResult operator()(const cmd::Type&) { return StepResult::Done; }

    StepResult operator()(const cmd::Menu& c) {
        if (phase == 0) return point_at_title(c.menu);
        std::vector<MenuItemView> items;
        const MenuItemView* found = pulled_down_item(c.menu, c.item, items);
        if (!found) return StepResult::Pending;
        if (!found->enabled) r.fail(msg::fill(msg::kItemDisabled, {c.item, c.menu}));
        r.point_at(center(found->bounds), 0);
        return StepResult::Delivered;
    }

    StepResult operator()(const cmd::ExpectMenuItem& c) {
        if (phase == 0) return point_at_title(c.menu);
        std::vector<MenuItemView> items;
        const MenuItemView* found = pulled_down_item(c.menu, c.item, items);
        if (!found) return StepResult::Pending;
        if (found->enabled != c.enabled)
            r.fail(msg::fill(found->enabled ? msg::kItemEnabled : msg::kItemDisabled, {c.item, c.menu}));
        // Release outside every item: nothing is chosen.
        host::ScreenSize s = r.host_.screen_size();
        Point corner{SInt16(s.height - 1), SInt16(s.width - 1)};
        for (const MenuItemView& i : items)
            if (kit::contains(i.bounds, corner)) corner.h = 0;
        r.point_at(corner, 0);
        return StepResult::Delivered;
    }

    StepResult operator()(const cmd::Click& c) {
        int h = c.at.x, v = c.at.y;
        if (c.window) {
            const Rect content = window(windows(), *c.window).content;
            h += content.left;
            v += content.top;
        }
        r.check_on_screen(h, v);
        r.point_at(Point{SInt16(v), SInt16(h)}, c.modifiers);
        return StepResult::Delivered;
    }

    StepResult operator()(const cmd::Drag& c) {
        r.check_on_screen(to_point(c.from));
        r.check_on_screen(to_point(c.to));
        r.deliver_mouse(InputKind::MouseMoved, to_point(c.from), c.modifiers);
        return StepResult::Delivered;
    }

    StepResult operator()(const cmd::Button& c) {
        DialogView d = front_dialog();
        for (const ButtonView& b : d.buttons)
            if (item_text_matches(b.title, c.title)) {
                if (!b.enabled) r.fail(msg::fill(msg::kButtonDisabled, {c.title}));
                r.check_on_screen(center(b.bounds));
                r.point_at(center(b.bounds), 0);
                return StepResult::Delivered;
            }
        r.fail(msg::fill(msg::kNoButton, {c.title, list(d.buttons, [](const ButtonView& b) { return &b.title; })}));
    }

    StepResult operator()(const cmd::Wait& c) {
        UInt64 until = r.deadline_after(UInt64(c.ms));
        if (r.host_.now_ms() >= until) return StepResult::Done;
        return r.pending_until(until);
    }

    StepResult operator()(const cmd::OpenDocuments& c) {
        std::vector<std::string> paths;
        for (const std::string& p : c.paths) {
            std::error_code ec;
            auto abs = std::filesystem::absolute(p, ec);
            paths.push_back(ec ? p : abs.lexically_normal().string());
        }
        AppleEventSender* s = apple_event_sender();
        if (!s) r.fail(msg::kNoAppleEvents);
        if (auto err = s->send_open_documents(paths)) r.fail(msg::fill(msg::kOpenDocumentsFailed, {*err}));
        return StepResult::Delivered;
    }

    StepResult operator()(const cmd::Quit&) {
        events::request_quit(events::QuitSource::Script);
        return StepResult::Delivered;
    }

    StepResult operator()(const cmd::Screenshot& c) {
        auto saved = r.host_.save_screenshot(c.path);
        if (!saved) r.fail(msg::fill(msg::kScreenshotFailed, {c.path, saved.error().message}));
        return StepResult::Done;
    }

    StepResult operator()(const cmd::ExpectWindow& c) {
        window(windows(), c.title);
        return StepResult::Done;
    }

    StepResult operator()(const cmd::ExpectNoWindow& c) {
        if (find_window(windows(), c.title)) r.fail(msg::fill(msg::kWindowOpen, {c.title}));
        return StepResult::Done;
    }

    StepResult operator()(const cmd::ExpectFront& c) {
        std::vector<WindowView> all = windows();
        auto front = std::find_if(all.begin(), all.end(), [](const WindowView& w) { return w.visible; });
        if (front == all.end()) r.fail(msg::kNoWindowOpen);
        if (front->title != c.title) r.fail(msg::fill(msg::kFrontWindowIs, {front->title}));
        return StepResult::Done;
    }

    StepResult operator()(const cmd::ExpectBounds& c) {
        const Rect got = window(windows(), c.title).content;
        if (got.left != c.content.left || got.top != c.content.top || got.right != c.content.right ||
            got.bottom != c.content.bottom)
            r.fail(msg::fill(msg::kWindowBounds, {c.title, std::to_string(got.left), std::to_string(got.top),
                                                  std::to_string(got.right), std::to_string(got.bottom)}));
        return StepResult::Done;
    }

    StepResult operator()(const cmd::ExpectDialog& c) {
        DialogView d = front_dialog();
        if (!c.text) return StepResult::Done;
        for (const std::string& t : d.texts)
            if (t.find(*c.text) != std::string::npos) return StepResult::Done;
        r.fail(msg::fill(msg::kDialogShows, {dialog_text(d)}));
    }

    StepResult operator()(const cmd::ExpectField& c) {
        DialogView d = front_dialog();
        if (!d.field) r.fail(msg::kNoField);
        if (*d.field != c.text) r.fail(msg::fill(msg::kFieldHolds, {*d.field}));
        return StepResult::Done;
    }

    StepResult operator()(const cmd::ExpectFile& c) {
        std::error_code ec;
        if (!std::filesystem::exists(c.path, ec)) r.fail(msg::fill(msg::kNoFile, {c.path}));
        return StepResult::Done;
    }

    StepResult operator()(const cmd::ExpectEnd&) {
        UInt64 until = r.deadline_after(kEndGraceMs);
        r.state_ = State::AwaitingEnd;
        if (r.host_.now_ms() >= until) r.fail(msg::fill(msg::kDidNotEnd, {seconds(kEndGraceMs)}));
        return r.pending_until(until);
    }

    // ---------------------------------------------------------- lookups

    // Moves onto the menu's title in the menu bar.
    StepResult point_at_title(const std::string& menu) {
        std::vector<MenuTitleView> titles = menus().menu_titles();
        for (const MenuTitleView& t : titles)
            if (item_text_matches(t.text, menu)) {
                r.point_at(center(t.bounds), 0);
                return StepResult::Delivered;
            }
        r.fail(msg::fill(msg::kNoMenu, {menu, list(titles, [](const MenuTitleView& t) { return &t.text; })}));
    }

    // The item by its current text once its menu shows (`items` holds them
    // all); nullptr while the menu has not opened yet.
    const MenuItemView* pulled_down_item(const std::string& menu, const std::string& item,
                                         std::vector<MenuItemView>& items) {
        items = menus().menu_items(menu);
        auto found = std::find_if(items.begin(), items.end(), [&](const MenuItemView& i) {
            return !i.text.empty() && item_text_matches(i.text, item);
        });
        if (found == items.end()) r.fail(msg::fill(msg::kNoMenuItem, {item, menu}));
        if (!kit::is_empty(found->bounds)) return &*found;
        UInt64 give_up = r.deadline_after(kMenuOpenMs);
        if (r.host_.now_ms() >= give_up) r.fail(msg::fill(msg::kMenuDidNotOpen, {menu}));
        r.pending_until(give_up);
        return nullptr;
    }

    MenuQueries& menus() {
        MenuQueries* q = menu_queries();
        if (!q) r.fail(msg::kNoMenus);
        return *q;
    }

    // Every window, front to back.
    std::vector<WindowView> windows() {
        WindowQueries* q = window_queries();
        if (!q) r.fail(msg::kNoWindows);
        return q->windows_front_to_back();
    }

    // The frontmost shown window with that title.
    const WindowView& window(const std::vector<WindowView>& all, const std::string& title) {
        if (const WindowView* w = find_window(all, title)) return *w;
        r.fail(msg::fill(msg::kNoWindow, {title, list_titles(all)}));
    }

    DialogView front_dialog() {
        DialogQueries* q = dialog_queries();
        if (!q) r.fail(msg::kNoDialogs);
        std::optional<DialogView> d = q->front_modal_dialog();
        if (!d) r.fail(msg::kNoDialog);
        return std::move(*d);
    }
};

ScriptRunner::StepResult ScriptRunner::act(const Command& c, int phase) { return std::visit(Actor{*this, phase}, c); }

}  // namespace platform::script
