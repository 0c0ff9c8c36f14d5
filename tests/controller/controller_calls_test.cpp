// The controller calls at their edges: stale and nil controllers, a
// controller that cannot be made, and a movie without a picture.
#include <functional>

#include "controller_fixture.h"

namespace ctltest {
namespace {

TEST_F(ControllerTest, DisposedControllerIsRefusedEverywhere) {
    MovieController stale = mc;
    DisposeMovieController(mc);
    mc = nullptr;
    for (MovieController c : {stale, MovieController(nullptr)}) {
        Rect r{};
        SInt32 flags = 0;
        EventRecord e{};
        const ComponentResult results[] = {
            MCIsPlayerEvent(c, &e),        MCIdle(c),
            MCActivate(c, window, true),   MCDoAction(c, mcActionPlay, nullptr),
            MCGetControllerInfo(c, &flags), MCEnableEditing(c, true),
            MCGetVisible(c),               MCSetVisible(c, true),
            MCIsControllerAttached(c),     MCSetControllerAttached(c, true),
            MCGetControllerBoundsRect(c, &r), MCSetControllerBoundsRect(c, &r),
            MCPositionController(c, &r, &r, 0), MCSetMovie(c, movie, window, Point{0, 0}),
            MCDraw(c, window),             MCInvalidate(c, window, nullptr),
            MCPaste(c, nullptr),           MCClear(c),
            MCUndo(c),                     MCSetActionFilterWithRefCon(c, nullptr, 0),
        };
        for (size_t i = 0; i < std::size(results); ++i) EXPECT_EQ(results[i], badComponentInstance) << i;
        EXPECT_FALSE(MCIsEditingEnabled(c));
        // The calls that return an object give nil and say why, as the movie calls do.
        const std::function<Movie()> objects[] = {[&] { return MCGetIndMovie(c, 0); }, [&] { return MCCut(c); }, [&] { return MCCopy(c); }};
        for (size_t i = 0; i < std::size(objects); ++i) {
            GetMovieDuration(movie);   // a call that succeeds clears the last error
            EXPECT_EQ(objects[i](), nullptr) << i;
            EXPECT_EQ(GetMoviesError(), invalidComponentID) << i;
        }
        DisposeMovieController(c);   // harmless
    }
}

TEST_F(ControllerTest, ANewControllerThatCannotBeMadeSaysWhy) {
    Rect box{0, 0, kMovieH, kMovieW};
    const Movie disposed = NewMovie(0);
    DisposeMovie(disposed);
    const struct { Movie movie; const Rect* rect; OSErr why; } cases[] = {{nullptr, &box, invalidMovie}, {disposed, &box, invalidMovie}, {movie, nullptr, paramErr}};
    for (const auto& c : cases) {
        GetMovieDuration(movie);
        EXPECT_EQ((std::tuple{NewMovieController(c.movie, c.rect, 0), GetMoviesError()}), std::tuple(nullptr, c.why));
    }
}

// Sound alone: the movie box is empty; the bar has no width of its own
// (the window keeps its width) and spans the window when it is hit.
TEST_F(ControllerTest, MovieWithoutPictureHasABarOnly) {
    Track video = video_track();
    SetTrackEnabled(video, false);
    Rect empty{0, 0, 0, 0};
    SetMovieBox(movie, &empty);
    EXPECT_EQ(std::tuple(bounds().bottom - bounds().top, bounds().right - bounds().left), std::tuple(16, 0));
    // The play button is where it always is, at the window's left.
    // The step forward button, at the window's right; below the bar, nothing.
    const auto hit = [&](SInt16 h, SInt16 v) { EventRecord e{mouseDown, 0, 0, global(h, v), 0}; return MCIsPlayerEvent(mc, &e); };
    EXPECT_EQ(std::tuple(hit(30, 8), hit(300, 8), hit(300, 40)), std::tuple(1, 1, 0));
}

}  // namespace
}  // namespace ctltest
