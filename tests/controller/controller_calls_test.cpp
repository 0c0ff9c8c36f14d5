// The controller calls at their edges: stale and nil controllers, another
// movie set into a controller, and a movie without a picture.
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
        EXPECT_EQ(MCGetIndMovie(c, 0), nullptr);
        EXPECT_EQ(MCCut(c), nullptr);
        EXPECT_EQ(MCCopy(c), nullptr);
        DisposeMovieController(c);   // harmless
    }
}

TEST_F(ControllerTest, IndexedMovieAndSetMovie) {
    EXPECT_EQ(MCGetIndMovie(mc, 0), movie);
    EXPECT_EQ(MCGetIndMovie(mc, 1), nullptr);
    EXPECT_EQ(MCGetIndMovie(mc, -1), nullptr);

    // Another movie, placed at (10, 20) in the same window.
    Movie other = newmovie::create_new_movie(dir_ + "/other.mov");
    ASSERT_EQ(MCSetMovie(mc, other, window, Point{20, 10}), noErr);
    EXPECT_EQ(MCGetIndMovie(mc, 0), other);
    Rect b;
    MCGetControllerBoundsRect(mc, &b);
    EXPECT_EQ(b.top, 20);
    EXPECT_EQ(b.left, 10);
    EXPECT_EQ(b.bottom, 20 + kMovieH + 16);
    CGrafPtr port = nullptr;
    GetMovieGWorld(other, &port, nullptr);
    EXPECT_EQ(port, GetWindowPort(window));
    MCSetMovie(mc, movie, window, Point{0, 0});
    DisposeMovie(other);
}

// Sound alone: the movie box is empty; the bar has no width of its own
// (the window keeps its width) and spans the window when it is hit.
TEST_F(ControllerTest, MovieWithoutPictureHasABarOnly) {
    Track video = video_track();
    SetTrackEnabled(video, false);
    Rect empty{0, 0, 0, 0};
    SetMovieBox(movie, &empty);
    Rect b;
    MCGetControllerBoundsRect(mc, &b);
    EXPECT_EQ(b.bottom - b.top, 16);
    EXPECT_EQ(b.right, b.left);
    // The play button is where it always is, at the window's left.
    EventRecord e{};
    e.what = mouseDown;
    e.where = global(30, 8);
    EXPECT_EQ(MCIsPlayerEvent(mc, &e), 1);
    e.where = global(300, 8);   // the step forward button, at the window's right
    EXPECT_EQ(MCIsPlayerEvent(mc, &e), 1);
    e.where = global(300, 40);  // below the bar: nothing there
    EXPECT_EQ(MCIsPlayerEvent(mc, &e), 0);
}

}  // namespace
}  // namespace ctltest
