// The window list, visible and update regions, activation, the desktop.
#include "platform/windows/WindowManager.h"

#include <algorithm>
#include <unordered_map>

#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/WindowPort.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/Appearance.h"
#include "platform/windows/FrameDrawing.h"
#include "platform/windows/ScreenPixels.h"

namespace platform::windows {

using quickdraw::Region;

namespace {

WindowManager*& slot() {
    static WindowManager* manager = nullptr;   // never destroyed: windows may outlive statics
    return manager;
}

struct Before {
    Region structure;
    Region content;
};

}  // namespace

WindowManager& WindowManager::get() {
    WindowManager*& m = slot();
    if (!m) m = new WindowManager();
    if (!m->started_) m->start();
    return *m;
}

bool WindowManager::running() { return slot() && slot()->started_; }

void WindowManager::start() {
    started_ = true;
    set_gray_region();
    desk_visible_ = gray_;
    draw_desktop(gray_);
    draw_empty_menu_bar();
    events::set_window_event_source(this);
    script::set_window_queries(this);
}

void WindowManager::set_gray_region() {
    Rect all = quickdraw::screen().rect();
    (void)quickdraw::set_port_visible_region(quickdraw::desktop_port(), Region(all));
    gray_ = Region(all);
    gray_.subtract(Region(Rect{0, 0, look::kMenuBarHeight, all.right}));
    if (!grayHandle_) grayHandle_ = NewRgn();
    if (grayHandle_) grayHandle_->rgn = gray_;
}

// A window the old screen held up to an edge that came in is dragged back
// inside (as far as it fits, its top-left first); any window then moves as
// little as needed to be reachable.
Point WindowManager::inside_offset(const Window& w, const Rect& before) const {
    const Rect now = desktop_rect();
    const Rect outer = w.structure().bounds();
    auto along = [](SInt32 lo, SInt32 hi, SInt32 oldHi, SInt32 deskLo, SInt32 deskHi) {
        if (hi <= deskHi || hi > oldHi) return SInt32(0);
        return std::max(deskHi - hi, deskLo - lo);   // never past the desktop's top or left
    };
    Point fix{SInt16(along(outer.top, outer.bottom, before.bottom, now.top, now.bottom)),
              SInt16(along(outer.left, outer.right, before.right, now.left, now.right))};
    fix.v = SInt16(std::min<SInt32>(fix.v, 0));
    fix.h = SInt16(std::min<SInt32>(fix.h, 0));
    const FrameGeometry moved = frame_geometry(w.spec(), kit::offset(w.content(), fix.h, fix.v));
    Point reach = reachable_offset(w.spec(), moved, now);
    return Point{SInt16(fix.v + reach.v), SInt16(fix.h + reach.h)};
}

void WindowManager::screen_resized() {
    const Rect before = desktop_rect();
    set_gray_region();
    // Nothing on the screen can be trusted to be where it was: the windows
    // move first, then everything is drawn once.
    for (const auto& wp : list_) {
        Window* w = wp.get();
        Point fix = inside_offset(*w, before);
        if (!fix.h && !fix.v) continue;
        const Rect old = w->content();
        w->update.offset(fix.h, fix.v);
        (void)quickdraw::move_window_port(w->port(), SInt16(old.left + fix.h), SInt16(old.top + fix.v));
    }
    recompute_visible_regions();
    draw_empty_menu_bar();
    draw_desktop(desk_visible_);
    for (const auto& wp : list_) {
        Window* w = wp.get();
        if (!w->visible) continue;
        fill_screen_region(w->content_visible, kit::palette::kContent);
        w->update.unite(w->content_visible);
        draw_frame(*w);
    }
}

void WindowManager::reset_for_testing() {
    WindowManager* m = slot();
    if (!m) return;
    m->activations_.clear();
    m->active_ = nullptr;
    m->list_.clear();
    m->overlay_.set_empty();
    m->started_ = false;
    events::set_window_event_source(nullptr);
    script::set_window_queries(nullptr);
}

// ------------------------------------------------------------ the list

Window* WindowManager::find(WindowRef ref) const {
    if (!ref) return nullptr;
    for (const auto& w : list_)
        if (static_cast<OpaqueWindowPtr*>(w.get()) == ref) return w.get();
    return nullptr;
}

Window* WindowManager::find_by_port(GrafPtr port) const {
    if (!port) return nullptr;
    for (const auto& w : list_)
        if (w->port() == port) return w.get();
    return nullptr;
}

size_t WindowManager::index_of(const Window* w) const {
    for (size_t i = 0; i < list_.size(); ++i)
        if (list_[i].get() == w) return i;
    return list_.size();
}

Window* WindowManager::front_visible() const {
    for (const auto& w : list_)
        if (w->visible) return w.get();
    return nullptr;
}

Window* WindowManager::next_after(const Window* w) const {
    size_t i = index_of(w);
    return i + 1 < list_.size() ? list_[i + 1].get() : nullptr;
}

// ------------------------------------------------------------ changes

void WindowManager::recompute_visible_regions() {
    Region covered;
    for (const auto& w : list_) {
        if (!w->visible) {
            w->structure_visible.set_empty();
            w->content_visible.set_empty();
        } else {
            Region structure = w->structure();
            Region shows = structure;
            shows.intersect(gray_);
            shows.subtract(covered);
            w->structure_visible = shows;
            w->content_visible = shows;
            w->content_visible.intersect(w->content());
            covered.unite(structure);
        }
        w->apply_visible_region(overlay_);
    }
    desk_visible_ = gray_;
    desk_visible_.subtract(covered);
}

template <class F>
void WindowManager::change(F&& mutate, WindowMove how) {
    std::unordered_map<const Window*, Before> before;
    for (const auto& w : list_) before[w.get()] = Before{w->structure_visible, w->content_visible};
    const Region deskBefore = desk_visible_;

    mutate();
    recompute_visible_regions();

    // A moved window takes the pixels that showed before and still show.
    Region carried;
    if (how.moved && how.moved->visible) {
        carried = before[how.moved].structure;
        carried.offset(how.dh, how.dv);
        carried.intersect(how.moved->structure_visible);
        move_screen_pixels(carried, how.dh, how.dv);
    }

    Region desk = desk_visible_;
    desk.subtract(deskBefore);
    if (!desk.empty()) draw_desktop(desk);

    for (const auto& wp : list_) {
        Window* w = wp.get();
        if (!w->visible) continue;
        auto it = before.find(w);
        Region oldStructure = it != before.end() ? it->second.structure : Region();
        Region oldContent = it != before.end() ? it->second.content : Region();
        if (w == how.moved) {
            oldStructure = carried;
            oldContent = carried;
            oldContent.intersect(w->content());
        }
        Region exposed = w->content_visible;
        exposed.subtract(oldContent);
        if (!exposed.empty()) {
            fill_screen_region(exposed, kit::palette::kContent);
            w->update.unite(exposed);
        }
        if (!(w->structure_visible == oldStructure) || w == how.moved) draw_frame(*w);
    }
    update_activation();
}

void WindowManager::drop_activations(const Window* w) {
    std::erase_if(activations_, [w](const Activation& a) { return a.window == static_cast<const OpaqueWindowPtr*>(w); });
}

void WindowManager::update_activation() {
    Window* front = front_visible();
    if (front == active_) return;
    if (active_) {
        active_->hilited = false;
        redraw_frame(active_);
        activations_.push_back(Activation{static_cast<OpaqueWindowPtr*>(active_), false});
    }
    active_ = front;
    if (front) {
        front->hilited = true;
        redraw_frame(front);
        activations_.push_back(Activation{static_cast<OpaqueWindowPtr*>(front), true});
    }
}

Window* WindowManager::add(std::unique_ptr<Window> w, WindowRef behind, bool visible) {
    Window* added = w.get();
    change([&] {
        size_t at = list_.size();
        if (behind == reinterpret_cast<WindowRef>(-1)) at = 0;
        else if (Window* b = find(behind)) at = index_of(b) + 1;
        list_.insert(list_.begin() + ptrdiff_t(at), std::move(w));
        added->visible = visible;
    });
    return added;
}

void WindowManager::dispose(Window* w) {
    drop_activations(w);
    if (active_ == w) active_ = nullptr;   // a window that is gone gets no deactivate event
    change([&] { list_.erase(list_.begin() + ptrdiff_t(index_of(w))); });
}

void WindowManager::bring_to_front(Window* w) {
    size_t i = index_of(w);
    if (i == 0 || i >= list_.size()) return;
    change([&] { std::rotate(list_.begin(), list_.begin() + ptrdiff_t(i), list_.begin() + ptrdiff_t(i) + 1); });
}

void WindowManager::select(Window* w) { bring_to_front(w); }

void WindowManager::set_visible(Window* w, bool visible) {
    if (w->visible == visible) return;
    change([&] { w->visible = visible; });
}

Point WindowManager::reachable_offset_for(const Window& w) const {
    return reachable_offset(w.spec(), w.geometry(), desktop_rect());
}

void WindowManager::move_to(Window* w, SInt32 left, SInt32 top) {
    const Rect old = w->content();
    Rect target = quickdraw::to_rect(left, top, left + (old.right - old.left), top + (old.bottom - old.top));
    Point fix = reachable_offset(w->spec(), frame_geometry(w->spec(), target), desktop_rect());
    SInt32 dh = target.left + fix.h - old.left, dv = target.top + fix.v - old.top;
    if (dh == 0 && dv == 0) return;
    WindowMove how;
    how.moved = w;
    how.dh = dh;
    how.dv = dv;
    w->update.offset(dh, dv);
    change([&] { (void)quickdraw::move_window_port(w->port(), SInt16(old.left + dh), SInt16(old.top + dv)); }, how);
}

void WindowManager::resize(Window* w, SInt16 width, SInt16 height, bool invalidateNewArea) {
    const Rect old = w->content();
    if (width < 0 || height < 0) return;
    if (old.right - old.left == width && old.bottom - old.top == height) return;
    const Rect oldGrow = w->geometry().grow_box;
    change([&] { (void)quickdraw::size_window_port(w->port(), width, height); });
    const Rect now = w->content();
    Region added(now);
    added.subtract(Region(old));
    added.intersect(w->content_visible);
    if (invalidateNewArea) {
        // The grow box moves: where it was is content again.
        if (w->spec().grow_box) {
            Region oldBox(oldGrow);
            oldBox.intersect(w->content_visible);
            invalidate(w, oldBox);
        }
    } else {
        w->update.subtract(added);
    }
    // A window that shrank or grew must stay reachable.
    Point fix = reachable_offset_for(*w);
    if (fix.h || fix.v) move_to(w, now.left + fix.h, now.top + fix.v);
}

void WindowManager::set_title(Window* w, std::string title) {
    w->title = std::move(title);
    draw_frame(*w);
}

void WindowManager::set_hilite(Window* w, bool hilite) {
    if (w->hilited == hilite) return;
    w->hilited = hilite;
    draw_frame(*w);
}

void WindowManager::redraw_frame(Window* w, bool closeBoxPressed) { draw_frame(*w, closeBoxPressed); }

// ------------------------------------------------------------ updates

void WindowManager::invalidate(Window* w, const Region& global) {
    Region add = global;
    add.intersect(w->content_visible);
    w->update.unite(add);
}

void WindowManager::validate(Window* w, const Region& global) { w->update.subtract(global); }

void WindowManager::begin_update(Window* w) {
    w->updating_area = w->update;
    w->update.set_empty();
    w->updating = true;
    w->apply_visible_region(overlay_);
}

void WindowManager::end_update(Window* w) {
    if (!w->updating) return;
    w->updating = false;
    w->updating_area.set_empty();
    w->apply_visible_region(overlay_);
    draw_grow_box(*w);
}

// ------------------------------------------------------------ hooks

std::optional<events::WindowEventSource::Activation> WindowManager::next_activation(bool remove) {
    if (activations_.empty()) return std::nullopt;
    Activation a = activations_.front();
    if (remove) activations_.pop_front();
    return a;
}

void* WindowManager::next_update() {
    for (const auto& w : list_)
        if (w->visible && !w->update.empty()) return static_cast<OpaqueWindowPtr*>(w.get());
    return nullptr;
}

std::vector<script::WindowView> WindowManager::windows_front_to_back() {
    std::vector<script::WindowView> out;
    for (const auto& w : list_) out.push_back(script::WindowView{w->title, w->content(), w->visible});
    return out;
}

// ------------------------------------------------------------ the overlay

void WindowManager::set_overlay(const Region& global) {
    overlay_ = global;
    for (const auto& w : list_) w->apply_visible_region(overlay_);
}

void WindowManager::clear_overlay(bool drawn_beneath) {
    const Region was = overlay_;
    overlay_.set_empty();
    for (const auto& w : list_) {
        w->apply_visible_region(overlay_);
        if (drawn_beneath && w->visible) invalidate(w.get(), was);
    }
}

}  // namespace platform::windows
