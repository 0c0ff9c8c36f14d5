// Controller.h — the standard movie controller: one instance of the 'play'
// component, attached to one movie in one window.
//
// Behaviour lives here and in ControllerInput.cpp (events, mouse tracking,
// keys), ControllerActions.cpp (MCDoAction) and ControllerEditing.cpp (the
// Edit commands and undo); ControllerLook.cpp alone draws, and
// ControllerCalls.cpp holds the C calls of MovieController.h. Every action,
// those the controller sends itself included, goes to the application's
// action filter first; a filter that returns true has handled it.
//
// Geometry (the port's local coordinates): the movie box is the movie's
// own (GetMovieBox). Attached, the bar lies right under it, as wide as it;
// the controller's bounds are the movie and the visible bar together.
// Under a movie narrower than the bar's parts need, the bar is wider than
// the movie. Detached, the bar lies where it was put and the bounds are the
// bar alone. A movie without a picture has an empty box; its bar then has no
// width of its own and spans the window when it is drawn.
//
// The two flag words: the control flags (buttons shown or suppressed,
// mcFlagsUseWindowPalette, ...) and the explicit flags, which record the
// control flags a program set on purpose. mcActionGetFlags and
// mcActionSetFlags address the explicit word when their value carries
// mcFlagQTVRExplicitFlagSet. The speaker button shows when its suppress
// flag is clear and the movie has sound, or when it was shown explicitly.
//
// Grow-box bounds (mcActionSetGrowBoxBounds) are limits on the size of the
// controller's bounds, read as GrowWindow reads its size rectangle: left
// and top the least width and height, right and bottom the greatest.
#pragma once

#include <optional>

#include "platform/MovieController.h"
#include "platform/Windows.h"
#include "platform/components/ComponentRegistry.h"
#include "platform/controller/ControllerKeys.h"
#include "platform/controller/ControllerLayout.h"
#include "platform/movies/editing/MovieEditing.h"

namespace platform::controller {

class Controller final : public components::Instance {
public:
    Controller();
    ~Controller() override;
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // --- set-up (NewMovieController, MCSetMovie)
    void attach_movie(::Movie movie, const Rect& rect, SInt32 creation_flags);
    // MCSetMovie: another movie (or none), drawn in `window` with its box's
    // top left at `where`.
    void replace_movie(::Movie movie, WindowRef window, Point where);
    // The token the filter is given as its controller.
    void set_self(MovieController self) { self_ = self; }

    // --- actions: through the filter first, then performed
    ComponentResult act(SInt16 action, void* params);
    ComponentResult perform(SInt16 action, void* params);
    void set_filter(MCActionFilterWithRefConUPP filter, SRefCon refcon) {
        filter_ = filter;
        refcon_ = refcon;
    }

    // --- events (ControllerInput.cpp)
    bool player_event(const EventRecord& e);
    void mouse_down(const EventRecord& e);
    bool key(const EventRecord& e);   // false: not a key the controller acts on
    void idle();
    // Time for every controller's movie while a loop of the platform's own
    // (a menu held open) keeps the application from idling them. Goes
    // straight to the idle action: the application is not re-entered.
    static void idle_all();

    // --- geometry
    Rect movie_box() const;
    Rect bar_rect() const;          // as stored (no width for a movie without picture)
    Rect bounds() const;            // MCGetControllerBoundsRect
    BarLayout layout() const;       // the bar as drawn and hit (spans the port when it has no width)
    BarOptions bar_options() const;
    bool visible() const { return visible_; }
    void set_visible(bool visible);
    bool attached() const { return attached_; }
    void set_attached(bool attached);
    void set_bounds(const Rect& bounds);
    void position(const Rect* movie_rect, const Rect* bar_rect, SInt32 flags);

    // --- state
    ::Movie movie() const { return movie_; }
    WindowRef window() const { return window_; }
    CGrafPtr port() const { return port_; }
    SInt32 info();
    bool editing() const { return editing_; }
    void set_editing(bool on) { editing_ = on; }
    bool speaker_shown() const;

    // --- drawing
    void draw(WindowRef w);          // movie and bar
    void draw_bar();
    void invalidate(const Rect& r);

    // --- editing (ControllerEditing.cpp)
    ::Movie cut();
    ::Movie copy();
    ComponentResult paste(::Movie src);
    ComponentResult clear();
    ComponentResult undo();

private:
    friend struct ControllerTesting;

    // Actions (ControllerActions.cpp).
    void play(Fixed rate);
    void go_to(SInt64 t);
    void step(SInt32 steps);
    SInt64 step_time(SInt64 from, int direction);
    void set_volume(SInt16 v);
    void set_selection(SInt64 start, SInt64 duration);
    void extend_selection(int direction);
    void size_changed();
    void redraw_if_moved();
    // Bar options or bounds changed by an action: redraw, and tell the
    // filter when the bar's shape or the bounds changed.
    void reshaped(const BarOptions& before, const Rect& old_bounds);
    ComponentResult set_flags(UInt32 value);
    void set_looping(SInt32 flag, bool on);
    void after_edit(const Rect& old_bounds);

    // Mouse tracking (ControllerInput.cpp).
    void track_button(Part part);
    void track_slider(bool extend);
    void track_volume();
    void track_grow(Point start);
    Point mouse_local();
    bool in_front() const;

    MovieController self_ = nullptr;
    ::Movie movie_ = nullptr;
    WindowRef window_ = nullptr;
    CGrafPtr port_ = nullptr;
    Rect detached_bar_{};
    bool attached_ = true;
    bool visible_ = true;
    bool active_ = true;
    UInt32 control_flags_ = 0;
    UInt32 explicit_flags_ = 0;
    bool keys_enabled_ = false;
    bool editing_ = false;
    bool play_every_frame_ = false;
    bool use_badge_ = false;
    bool drag_enabled_ = true;
    std::optional<Rect> grow_bounds_;
    MCActionFilterWithRefConUPP filter_ = nullptr;
    SRefCon refcon_ = 0;
    std::optional<movies::EditState> undo_;
    Part pressed_ = Part::None;      // a button held down, drawn pressed
    // What the bar showed when it was last drawn, to redraw only on change.
    SInt16 drawn_thumb_ = -1;
    bool drawn_playing_ = false;
    SInt64 drawn_sel_start_ = -1, drawn_sel_length_ = -1;
};

// The controller behind a MovieController, or null.
Controller* controller_of(MovieController mc);

// Registers the 'play' component (EnterMovies does, again harmlessly).
void register_controller_component();
// Opens a new controller instance (the component's error when it cannot).
Result<MovieController> open_controller();

}  // namespace platform::controller
