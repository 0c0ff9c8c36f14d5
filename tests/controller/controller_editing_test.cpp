// Editing through the controller: cut and paste with the scrap as the
// application does them, and undo (itself undoable) putting back exactly
// the tracks that were. (The Edit menu's information bits are the
// application's controller-walk script's.)
#include "controller_fixture.h"

namespace ctltest {
namespace {

// The Edit menu's Cut and Copy: the segment goes to the scrap.
void to_scrap(Movie segment) {
    ASSERT_NE(segment, nullptr);
    ASSERT_EQ(PutMovieOnScrap(segment, 0), noErr);
    DisposeMovie(segment);
}

TEST_F(ControllerTest, EditingDisabledChangesNothing) {
    select(600, 600);
    MCEnableEditing(mc, false);
    const auto before = model_tracks();
    EXPECT_EQ(MCCut(mc), nullptr);
    EXPECT_NE(MCClear(mc), noErr);
    EXPECT_TRUE(model_tracks() == before);
}

// Cut frames 11 to 20 to the scrap and paste them (MCPaste with no movie:
// the scrap's) after what is then frame 60: what was pasted is selected and
// the time is at its end. The frames' moves are the movie editing tests'.
TEST_F(ControllerTest, CutThenPasteFromTheScrap) {
    select(10 * kFrame, 10 * kFrame);
    to_scrap(MCCut(mc));
    EXPECT_EQ(GetMovieDuration(movie), kDuration - 10 * kFrame);
    select(50 * kFrame, 0);
    EXPECT_EQ(MCPaste(mc, nullptr), noErr);
    EXPECT_EQ(GetMovieDuration(movie), kDuration);
    EXPECT_EQ((std::tuple{frame_at(50 * kFrame), selection(), now()}), std::tuple(11u, std::make_pair(50 * kFrame, 10 * kFrame), 60 * kFrame));
}

TEST_F(ControllerTest, UndoPutsBackTheExactTracksAndRedoes) {
    struct Case { const char* what; std::function<void()> edit; std::pair<TimeValue, TimeValue> edited; /* the selection the edit acted on */ };
    const Case cases[] = {
        {"cut", [&] { select(5 * kFrame, 20 * kFrame), DisposeMovie(MCCut(mc)); }, {5 * kFrame, 20 * kFrame}},
        {"clear", [&] { select(0, 7 * kFrame); EXPECT_EQ(MCClear(mc), noErr); }, {0, 7 * kFrame}},
        {"paste", [&] {   // over a selection, which it replaces
             select(30 * kFrame, 3 * kFrame);
             Movie m = MCCopy(mc);
             select(2 * kFrame, 4 * kFrame);
             EXPECT_EQ(MCPaste(mc, m), noErr);
             DisposeMovie(m);
         }, {2 * kFrame, 4 * kFrame}}};
    for (const Case& c : cases) {
        const auto before = model_tracks();
        c.edit();
        const auto after = model_tracks();
        const auto sel_after = selection();
        ASSERT_FALSE(after == before) << c.what;
        EXPECT_EQ(MCUndo(mc), noErr);
        EXPECT_TRUE(model_tracks() == before) << c.what;
        EXPECT_EQ(MCUndo(mc), noErr);   // undo of the undo: the edit again
        EXPECT_TRUE(model_tracks() == after) << c.what;
        EXPECT_EQ(selection(), sel_after) << c.what;
        EXPECT_EQ(MCUndo(mc), noErr);   // and back, for the next case
        EXPECT_TRUE(model_tracks() == before) << c.what;
        EXPECT_EQ(selection(), c.edited) << c.what;   // undo selects what the edit replaced
    }
}

TEST_F(ControllerTest, NothingToUndoOrCutWithoutASelection) {
    EXPECT_NE(MCUndo(mc), noErr);
    select(100, 0);
    EXPECT_EQ((std::tuple{MCCut(mc), MCCopy(mc), MCClear(mc), info() & mcInfoUndoAvailable}), std::tuple(nullptr, nullptr, noErr, 0));
    EXPECT_EQ(MCPaste(mc, nullptr), noMovieFound);   // empty scrap
    EXPECT_EQ(GetMovieDuration(movie), kDuration);
}

}  // namespace
}  // namespace ctltest
