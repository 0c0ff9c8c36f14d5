// Player.h — a movie while it plays: its clock, the pictures of its video
// tracks and the sound of its sound tracks.
//
// A movie gets its player the first time it is started, drawn or asked for
// its time (player_of). The player is the movie's time base: GetMovieTime,
// SetMovieTimeValue and SetMovieRate go through it. Everything happens on
// the main thread when the application gives the movie time (MoviesTask,
// which the movie controller calls on every idle): the time moves on, the
// sound streams are topped up, and the video tracks whose frame changed are
// decoded and drawn into the movie's port at the movie box.
//
// Clock: while sound plays (rate > 0, an enabled sound track, an audio
// device) movie time follows the device frames heard; otherwise the host's
// milliseconds (virtual when headless, so tests are deterministic).
//
// While it plays, the player notes each new frame drawn (FrameGaps.h).
//
// Looping forward with sound, the next pass's sound is started ahead of
// time at the very device frame the current pass ends, so a loop is heard
// without a gap; when the time wraps, the player takes that pass over.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/playback/FrameGaps.h"
#include "platform/movies/playback/PlayClock.h"
#include "platform/movies/playback/SoundFeeder.h"
#include "platform/movies/playback/VideoFrames.h"

namespace platform::movies::playback {

class Player {
public:
    explicit Player(MovieObject& movie);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    Fixed rate() const { return anchor_.rate; }
    // Plays at `rate` from the current time (0 stops).
    void set_rate(Fixed rate);
    // The current time, after what reaching an end of the span does.
    SInt64 time();
    // Goes to a time (clamped to the movie); playing goes on from there.
    void set_time(SInt64 t);

    // Plays only the selection (when there is one) rather than the movie.
    void set_play_selection(bool on) { play_selection_ = on; }
    bool play_selection() const { return play_selection_; }

    // MoviesTask: moves time on, feeds the sound, draws changed frames.
    void task();
    // UpdateMovie: the next task draws even an unchanged picture.
    void invalidate() { redraw_ = true; }
    // Draws the picture of the current time now, from the decoded frames
    // (decoding only what is not there yet).
    void draw();
    // The movie's tracks or edits changed: frames are decoded again and the
    // sound restarts from the current time.
    void edited();
    // The movie's or a track's volume changed.
    void apply_volume() { update_gains(); }

    bool sound_clock() const { return anchor_.source == ClockSource::Audio; }
    const Anchor& anchor() const { return anchor_; }
    // The video track's frames, or null (tests and benchmarks).
    const VideoFrames* video(UInt32 track_id) const;
    // What cannot be played, one line each ("sound track 2: MACE 3:1 ...").
    std::vector<std::string> problems() const;
    // The longest the movie went without a new picture while playing.
    const FrameGapWatch& frame_gaps() const { return gaps_; }

private:
    void sync_tracks();
    void reanchor(SInt64 time, Fixed rate);
    Span span() const;
    UInt64 clock_now() const;
    void update_gains();
    // The seamless loop: starts the next pass's sound when the end of the
    // span is near; takes it over at the wrap; forgets it.
    void prepare_next_pass();
    bool take_next_pass(const Wrapped& w, SInt64 t);
    void drop_next_pass();
    // Brings every video track to time t; draws when something changed or
    // when `force`.
    void show(SInt64 t, bool force);

    MovieObject& movie_;
    Anchor anchor_;
    bool play_selection_ = false;
    bool redraw_ = true;
    std::vector<std::unique_ptr<VideoFrames>> video_;
    std::vector<std::unique_ptr<SoundFeeder>> sound_;
    std::optional<Anchor> next_anchor_;                    // the next pass's clock
    std::vector<std::unique_ptr<SoundFeeder>> next_sound_;  // and its sound, already playing ahead
    FrameGapWatch gaps_;
};

// The movie's player, made on first use.
Player& player_of(MovieObject& movie);

// The media sample a track shows at movie time t (0: none: an empty edit
// or a track without samples). Past its end a track shows its last frame.
UInt32 sample_at_movie_time(TrackObject& track, SInt64 t);

// Where a track's picture goes in the movie's coordinates: its box through
// its matrix and the movie's.
Rect track_display_rect(MovieObject& movie, const Track& track);

}  // namespace platform::movies::playback
