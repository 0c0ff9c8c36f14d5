// The movie controller's calls (MovieController.h) and its registration as
// the 'play' component. A controller is a component instance: its token
// goes stale when it is disposed of, and a call with a stale or foreign
// token fails with badComponentInstance. The calls that return an object
// (a controller or a movie) leave their result for GetMoviesError, as the
// movie calls do: noErr with an object; with nil, why there is none
// (invalidComponentID for a controller that is not there).
#include "platform/MovieController.h"

#include <memory>

#include "platform/controller/Controller.h"
#include "platform/events/EventsInternal.h"
#include "platform/movies/objects/MovieObjects.h"

using namespace platform;
using platform::controller::Controller;

namespace platform::controller {

namespace {

Component& registered() {
    static Component c = nullptr;
    return c;
}

}  // namespace

void register_controller_component() {
    registered() = components::register_component(
        {{MovieControllerComponentType, 'play', components::kManufacturer, 0, 0},
         "Movie controller",
         "Plays movies in windows",
         []() -> Result<std::unique_ptr<components::Instance>> {
             return std::unique_ptr<components::Instance>(std::make_unique<Controller>());
         }});
}

Result<MovieController> open_controller() {
    if (!registered() || !components::registration_of(registered())) register_controller_component();
    MovieController mc = TRY(components::open_instance(registered()));
    Controller* c = controller_of(mc);
    if (!c) {   // a registration that makes something else
        CloseComponent(mc);
        return fail(cantOpenHandler, "the movie controller component made no controller");
    }
    c->set_self(mc);
    events::set_background_task(&Controller::idle_all);
    return mc;
}

}  // namespace platform::controller

namespace {

constexpr ComponentResult kBadController = badComponentInstance;

template <class F>
ComponentResult with(MovieController mc, F&& f) {
    Controller* c = controller::controller_of(mc);
    if (!c) return kBadController;
    return f(*c);
}

}  // namespace

MCActionFilterWithRefConUPP NewMCActionFilterWithRefConUPP(MCActionFilterWithRefConProcPtr proc) { return proc; }

void DisposeMCActionFilterWithRefConUPP(MCActionFilterWithRefConUPP) {}

namespace {

// Nil, with the reason left for GetMoviesError.
template <class T>
T none(OSErr why) {
    movies::set_error(why);
    return nullptr;
}

}  // namespace

MovieController NewMovieController(Movie theMovie, const Rect* movieRect, SInt32 someFlags) {
    if (!movies::movie_of(theMovie)) return none<MovieController>(invalidMovie);
    if (!movieRect) return none<MovieController>(paramErr);
    auto mc = controller::open_controller();
    if (!mc) return none<MovieController>(mc.code());
    controller::controller_of(*mc)->attach_movie(theMovie, *movieRect, someFlags);
    movies::set_error(noErr);
    return *mc;
}

void DisposeMovieController(MovieController mc) {
    if (!controller::controller_of(mc)) return;
    components::release_instance(mc).reset();
}

ComponentResult MCIsPlayerEvent(MovieController mc, const EventRecord* e) {
    return with(mc, [&](Controller& c) -> ComponentResult { return e && c.player_event(*e) ? 1 : 0; });
}

ComponentResult MCIdle(MovieController mc) {
    return with(mc, [](Controller& c) -> ComponentResult {
        c.idle();
        return noErr;
    });
}

ComponentResult MCActivate(MovieController mc, WindowRef w, Boolean activate) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        if (w && w != c.window()) return noErr;
        return c.act(activate ? mcActionActivate : mcActionDeactivate, nullptr);
    });
}

ComponentResult MCDoAction(MovieController mc, SInt16 action, void* params) {
    return with(mc, [&](Controller& c) { return c.act(action, params); });
}

ComponentResult MCSetActionFilterWithRefCon(MovieController mc, MCActionFilterWithRefConUPP blob, SRefCon refCon) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        c.set_filter(blob, refCon);
        return noErr;
    });
}

ComponentResult MCGetControllerInfo(MovieController mc, SInt32* someFlags) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        if (!someFlags) return paramErr;
        *someFlags = c.info();
        return noErr;
    });
}

ComponentResult MCEnableEditing(MovieController mc, Boolean enabled) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        c.set_editing(enabled);
        return noErr;
    });
}

Boolean MCIsEditingEnabled(MovieController mc) {
    Controller* c = controller::controller_of(mc);
    return c && c->editing();
}

ComponentResult MCGetVisible(MovieController mc) {
    return with(mc, [](Controller& c) -> ComponentResult { return c.visible() ? 1 : 0; });
}

ComponentResult MCSetVisible(MovieController mc, Boolean visible) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        c.set_visible(visible);
        return noErr;
    });
}

ComponentResult MCIsControllerAttached(MovieController mc) {
    return with(mc, [](Controller& c) -> ComponentResult { return c.attached() ? 1 : 0; });
}

ComponentResult MCSetControllerAttached(MovieController mc, Boolean attach) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        c.set_attached(attach);
        return noErr;
    });
}

ComponentResult MCGetControllerBoundsRect(MovieController mc, Rect* bounds) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        if (!bounds) return paramErr;
        *bounds = c.bounds();
        return noErr;
    });
}

ComponentResult MCSetControllerBoundsRect(MovieController mc, const Rect* bounds) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        if (!bounds) return paramErr;
        c.set_bounds(*bounds);
        return noErr;
    });
}

ComponentResult MCPositionController(MovieController mc, const Rect* movieRect, const Rect* controllerRect,
                                     SInt32 someFlags) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        c.position(movieRect, controllerRect, someFlags);
        return noErr;
    });
}

Movie MCGetIndMovie(MovieController mc, SInt16 index) {
    Controller* c = controller::controller_of(mc);
    if (!c) return none<Movie>(invalidComponentID);
    if (index != 0 || !c->movie()) return none<Movie>(paramErr);   // a controller has one movie at most
    movies::set_error(noErr);
    return c->movie();
}

ComponentResult MCSetMovie(MovieController mc, Movie theMovie, WindowRef movieWindow, Point where) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        c.replace_movie(theMovie, movieWindow, where);
        return noErr;
    });
}

ComponentResult MCDraw(MovieController mc, WindowRef w) {
    return with(mc, [&](Controller& c) { return c.act(mcActionDraw, w); });
}

ComponentResult MCInvalidate(MovieController mc, WindowRef w, RgnHandle invalidRgn) {
    return with(mc, [&](Controller& c) -> ComponentResult {
        if (w && w != c.window()) return noErr;
        Rect r = c.bounds();
        if (invalidRgn) {
            Rect box{};
            GetRegionBounds(invalidRgn, &box);
            if (!SectRect(&box, &r, &r)) return noErr;
        }
        if (c.movie()) UpdateMovie(c.movie());
        c.invalidate(r);
        return noErr;
    });
}

Movie MCCut(MovieController mc) {
    Controller* c = controller::controller_of(mc);
    return c ? c->cut() : none<Movie>(invalidComponentID);
}

Movie MCCopy(MovieController mc) {
    Controller* c = controller::controller_of(mc);
    return c ? c->copy() : none<Movie>(invalidComponentID);
}

ComponentResult MCPaste(MovieController mc, Movie srcMovie) {
    return with(mc, [&](Controller& c) { return c.paste(srcMovie); });
}

ComponentResult MCClear(MovieController mc) {
    return with(mc, [](Controller& c) { return c.clear(); });
}

ComponentResult MCUndo(MovieController mc) {
    return with(mc, [](Controller& c) { return c.undo(); });
}
