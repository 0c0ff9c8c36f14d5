// WindowManager.h — the window list and everything that follows from its
// order: visible regions, update regions, activation, the desktop.
//
// The classic model: one screen, the menu bar on top, the gray region (the
// rest of the screen) holding the windows front to back. There are no
// backing stores. Each window's visible regions exclude whatever lies in
// front of it; when a change uncovers part of a window's content, that part
// is erased to white and added to the window's update region, and the
// Event Manager hands out an update event for it; the desktop and frames
// that come into view are drawn at once. When the front-most visible
// window changes, the old one is sent a deactivate event and the new one
// an activate event, in that order (the Event Manager delivers them before
// anything else).
//
// Internal API for the other managers (all on the main thread):
//   WindowManager::get()           the manager; started on first use (desktop
//                                  drawn, event source and script queries
//                                  registered)
//   find(WindowRef), windows()     the live windows, front to back
//   invalidate/validate            update regions, in global coordinates
//   redraw_frame(w)                after changing what a frame shows
//   gray_region(), desktop_rect()  the screen below the menu bar
//   screen_resized()               after the screen took another size
// Window kinds tell dialogs (dialogKind 2, set by the Dialog Manager with
// SetWindowKind) from application windows (userKind 8); the frame drawn
// follows the procID given at creation.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/events/EventsInternal.h"
#include "platform/hostapi/ScriptWorld.h"
#include "platform/windows/Window.h"

namespace platform::windows {

// A window moved by a change: the pixels of it that showed and still show
// travel with it instead of being drawn again.
struct WindowMove {
    Window* moved = nullptr;
    SInt32 dh = 0, dv = 0;
};

class WindowManager final : public events::WindowEventSource, public script::WindowQueries {
public:
    static WindowManager& get();
    // Whether get() has started the manager (without starting it).
    static bool running();

    Window* find(WindowRef ref) const;
    Window* find_by_port(GrafPtr port) const;
    const std::vector<std::unique_ptr<Window>>& windows() const { return list_; }
    Window* front_visible() const;
    Window* next_after(const Window* w) const;   // any window, visible or not
    Window* active() const { return active_; }

    // `behind`: (WindowRef)-1 in front of all, nil behind all, else behind
    // that window (behind all when it is not a window).
    Window* add(std::unique_ptr<Window> w, WindowRef behind, bool visible);
    void dispose(Window* w);
    void bring_to_front(Window* w);
    void select(Window* w);
    void set_visible(Window* w, bool visible);
    // Puts the content's top-left at (left, top), then moves the window as
    // little as needed to keep its title bar reachable.
    void move_to(Window* w, SInt32 left, SInt32 top);
    void resize(Window* w, SInt16 width, SInt16 height, bool invalidateNewArea);
    void set_title(Window* w, std::string title);
    void set_hilite(Window* w, bool hilite);
    void redraw_frame(Window* w, bool closeBoxPressed = false);
    // The screen took another size (quickdraw::resize_screen): the gray
    // region follows; a window that was inside up to an edge that came in
    // is dragged back inside, and every window stays reachable; the
    // desktop, the empty menu bar and the frames are drawn again and every
    // window's content is erased and to be updated.
    void screen_resized();

    void invalidate(Window* w, const quickdraw::Region& global);
    void validate(Window* w, const quickdraw::Region& global);
    void begin_update(Window* w);
    void end_update(Window* w);

    // The overlay: screen pixels something of the platform's own draws over
    // every window (a pulled-down menu), so no window's port draws there.
    // Its owner saves and restores the pixels under it; a window that drew
    // beneath it while it was up (a movie playing) is stale there, so
    // clearing it with drawn_beneath adds that part to the update regions.
    void set_overlay(const quickdraw::Region& global);
    void clear_overlay(bool drawn_beneath);

    const quickdraw::Region& gray_region() const { return gray_; }
    RgnHandle gray_region_handle() const { return grayHandle_; }
    Rect desktop_rect() const { return gray_.bounds(); }
    // Where the window would have to move to be reachable (see WindowFrame.h).
    Point reachable_offset_for(const Window& w) const;

    // events::WindowEventSource
    std::optional<Activation> next_activation(bool remove) override;
    void* next_update() override;
    // script::WindowQueries
    std::vector<script::WindowView> windows_front_to_back() override;

    // Tests: closes every window and starts afresh on the next get().
    static void reset_for_testing();

private:
    WindowManager() = default;
    void start();
    void set_gray_region();
    Point inside_offset(const Window& w, const Rect& before) const;

    // Runs `mutate` (which changes the list, a window's place, size or
    // visibility), then brings visible regions, the screen, update regions
    // and activation up to date.
    template <class F>
    void change(F&& mutate, WindowMove how = {});
    void recompute_visible_regions();
    void update_activation();
    void drop_activations(const Window* w);
    size_t index_of(const Window* w) const;

    bool started_ = false;
    std::vector<std::unique_ptr<Window>> list_;   // front to back
    quickdraw::Region gray_;
    RgnHandle grayHandle_ = nullptr;
    quickdraw::Region desk_visible_;   // the desktop not covered by windows
    quickdraw::Region overlay_;
    Window* active_ = nullptr;
    std::deque<Activation> activations_;
};

}  // namespace platform::windows
