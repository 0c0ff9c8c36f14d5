// The controller tests' world: a headless toolbox, the New command's movie
// (320 x 100, 70 frames of 60 units at 600, with sound) in a window at
// (40, 60) with a controller set up as the application sets it up, a filter
// that records every action, and input delivered one step at a time while
// the controller tracks the mouse.
#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "NewMovie.h"
#include "platform/MovieController.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/editing/Scrap.h"
#include "platform/movies/playback/Player.h"
#include "platform/quickdraw/StandardColors.h"
#include "tests/support/TempFolder.h"
#include "tests/toolbox/wm_test_util.h"

namespace ctltest {

namespace host = platform::host;
namespace events = platform::events;

inline constexpr SInt16 kLeft = 40, kTop = 60;   // the window's content, global
inline constexpr SInt16 kMovieW = 320, kMovieH = 100;
inline constexpr TimeValue kFrame = 60, kDuration = 4200;

struct FilterLog {
    std::vector<SInt16> actions;
    std::set<SInt16> swallow;
    WindowRef resize = nullptr;   // resized to the bounds on a size change, as the application does
    MovieController mc = nullptr;
    int count(SInt16 action) const { return int(std::count(actions.begin(), actions.end(), action)); }
};

inline Boolean recording_filter(MovieController mc, SInt16 action, void*, SRefCon refcon) {
    auto* log = reinterpret_cast<FilterLog*>(refcon);
    log->actions.push_back(action);
    if (action == mcActionControllerSizeChanged && log->resize && MCIsControllerAttached(mc) == 1) {
        Rect b;
        MCGetControllerBoundsRect(mc, &b);
        SizeWindow(log->resize, SInt16(b.right - b.left), SInt16(b.bottom - b.top), true);
    }
    return log->swallow.count(action) != 0;
}

class ControllerTest : public wmtest::ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        movie = newmovie::create_new_movie(dir_ + "/movie.mov");
        const Rect content{kTop, kLeft, SInt16(kTop + kMovieH + 16), SInt16(kLeft + kMovieW)};
        window = NewCWindow(nullptr, &content, (const UInt8*)"\x05Movie", true, documentProc, (WindowRef)-1, true, 0);
        SetPort(GetWindowPort(window));
        SetMovieGWorld(movie, GetWindowPort(window), nullptr);
        Rect box;
        GetMovieBox(movie, &box);
        OffsetRect(&box, SInt16(-box.left), SInt16(-box.top));
        SetMovieBox(movie, &box);
        {
            const auto& samples = platform::movies::track_of(video_track())->data().media.samples;
            for (UInt32 n = 1; n <= samples.sample_count(); ++n) frame_offsets_.push_back(samples.sample(n)->offset);
        }
        mc = NewMovieController(movie, &box, mcTopLeftMovie);
        ASSERT_NE(mc, nullptr);
        MCEnableEditing(mc, true);
        MCDoAction(mc, mcActionSetUseBadge, (void*)false);
        log.mc = mc;
        MCSetActionFilterWithRefCon(mc, recording_filter, SRefCon(&log));
        MCDoAction(mc, mcActionSetKeysEnabled, (void*)true);
        pump_until_idle();
    }
    void TearDown() override {
        if (mc) DisposeMovieController(mc);
        if (movie) DisposeMovie(movie);
        if (window) DisposeWindow(window);
        platform::movies::clear_scrap();
        ToolboxTest::TearDown();
    }

    static Point global(SInt32 h, SInt32 v) { return Point{SInt16(kTop + v), SInt16(kLeft + h)}; }

    // Runs the event loop as the application does: every event offered to
    // the controller, updates drawn through mcActionDraw; `nulls` null
    // events (10 ms of virtual time each) end it. Returns what the
    // controller answered for the events that were not null events.
    std::vector<EventRecord> pump(int nulls = 1) {
        std::vector<EventRecord> taken;
        for (int seen = 0, guard = 0; seen < nulls && guard < 100000; ++guard) {
            EventRecord e{};
            WaitNextEvent(everyEvent, &e, 0, nullptr);
            const bool took = MCIsPlayerEvent(mc, &e) != 0;
            if (e.what == nullEvent) {
                EXPECT_FALSE(took);
                ++seen;
            } else if (took) {
                taken.push_back(e);
            } else if (e.what == updateEvt) {
                auto w = reinterpret_cast<WindowRef>(e.message);
                BeginUpdate(w);
                if (w == window) MCDoAction(mc, mcActionDraw, w);
                EndUpdate(w);
            }
        }
        return taken;
    }
    void pump_until_idle() { pump(2); }

    // A click (press and release) at a window-local point.
    void click(SInt32 h, SInt32 v, UInt16 mods = 0) {
        const Point g = global(h, v);
        input.press(g.h, g.v, mods), input.release(g.h, g.v, mods);
        pump_until_idle();
    }
    void drag(SInt32 h1, SInt32 v1, SInt32 h2, SInt32 v2, UInt16 mods = 0) {
        const Point a = global(h1, v1), b = global(h2, v2);
        input.press(a.h, a.v, mods), input.move(SInt16((a.h + b.h) / 2), SInt16((a.v + b.v) / 2), mods);
        input.move(b.h, b.v, mods), input.release(b.h, b.v, mods);
        pump_until_idle();
    }
    void key(UInt8 character, UInt16 mods = 0) {
        for (auto kind : {host::InputKind::KeyDown, host::InputKind::KeyUp}) events::deliver_input(wmtest::input_event(kind, 0, 0, mods, character));
    }

    Rect bounds() const {
        Rect r;
        MCGetControllerBoundsRect(mc, &r);
        return r;
    }
    SInt32 info() const {
        SInt32 f = 0;
        MCGetControllerInfo(mc, &f);
        return f;
    }
    TimeValue now() const { return GetMovieTime(movie, nullptr); }
    std::pair<TimeValue, TimeValue> selection() const {
        TimeValue s = 0, d = 0;
        GetMovieSelection(movie, &s, &d);
        return {s, d};
    }
    // A time action, in the movie's time scale.
    void act(SInt16 action, TimeValue t) {
        TimeRecord r{};
        r.scale = GetMovieTimeScale(movie), r.value.lo = UInt32(t);
        ASSERT_EQ(MCDoAction(mc, action, &r), noErr);
    }
    void select(TimeValue start, TimeValue duration) {
        act(mcActionSetSelectionBegin, start);
        act(mcActionSetSelectionDuration, duration);
    }
    void go_to(TimeValue t) { act(mcActionGoToTime, t); }
    // The frame (1...70, as the New command drew them) shown at movie time
    // t, known by where its sample's data lies: a pasted frame is a new
    // sample pointing at the same bytes. 0 when nothing is shown.
    UInt32 frame_at(TimeValue t) const {
        auto* track = platform::movies::track_of(video_track());
        const UInt32 n = platform::movies::playback::sample_at_movie_time(*track, t);
        if (!n) return 0;
        auto info = track->data().media.samples.sample(n);
        if (!info.ok()) return 0;
        for (UInt32 f = 0; f < frame_offsets_.size(); ++f)
            if (frame_offsets_[f] == info->offset) return f + 1;
        return 0;
    }
    Track video_track() const { return GetMovieIndTrackType(movie, 1, VisualMediaCharacteristic, movieTrackCharacteristic); }
    std::vector<platform::movies::Track> model_tracks() const { return platform::movies::movie_of(movie)->model.tracks; }
    // The window-local pixel as 0xRRGGBB, from the screen.
    static UInt32 local_pixel(SInt32 h, SInt32 v) { return pixel(kLeft + h, kTop + v); }

    testsupport::TempFolder folder_{"ctl"};
    std::string dir_ = folder_.str();
    std::vector<UInt64> frame_offsets_;
    Movie movie = nullptr;
    WindowRef window = nullptr;
    MovieController mc = nullptr;
    FilterLog log;
};

}  // namespace ctltest
