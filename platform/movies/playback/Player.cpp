#include "platform/movies/playback/Player.h"

#include <algorithm>

#include "platform/Movies.h"
#include "platform/hostapi/Host.h"
#include "platform/movies/objects/MovieBox.h"
#include "platform/movies/editing/TrackEdits.h"

namespace platform::movies::playback {

namespace {

bool enabled_with_media(TrackObject* t) { return t->has_media && (t->data().header.full.flags & kTrackEnabled); }

float volume_gain(SInt16 v) { return v <= 0 ? 0.0f : float(v) / 256.0f; }

}  // namespace

Rect track_display_rect(MovieObject& movie, const Track& track) {
    return movie_rect(track_box(track), movie.model.header.matrix);
}

UInt32 sample_at_movie_time(TrackObject& track, SInt64 t) {
    const Track& d = track.data();
    const UInt32 movie_scale = track.movie->model.header.time_scale;
    const std::vector<EditEntry> edits = timeline(d, movie_scale);
    UInt64 end = 0;
    for (const EditEntry& e : edits) end += e.track_duration;
    if (end == 0 || t < 0) return 0;
    const UInt64 tt = std::min<UInt64>(UInt64(t), end - 1);
    auto at = edit_at(edits, tt);
    if (!at || edits[at->index].media_time < 0) return 0;
    const EditEntry& e = edits[at->index];
    const UInt64 mt = UInt64(e.media_time) + media_units(tt - at->start, movie_scale, d.media.header.time_scale, e.rate);
    const SampleTable& table = d.media.samples;
    if (table.sample_count() == 0) return 0;
    auto n = table.sample_shown_at(mt);
    return n.ok() ? *n : table.sample_count();
}

Player& player_of(MovieObject& movie) {
    if (!movie.player) movie.player = std::make_unique<Player>(movie);
    return *movie.player;
}

Player::Player(MovieObject& movie) : movie_(movie), gaps_(movie.home_path) {
    anchor_.time = SInt64(movie.model.header.current_time);
    anchor_.rate = 0;
    anchor_.at = clock_now();
}

Player::~Player() {
    drop_next_pass();
    for (auto& s : sound_) s->stop();
}

UInt64 Player::clock_now() const {
    host::Host& h = host::current();
    if (anchor_.source == ClockSource::Audio)
        if (host::AudioOutput* out = h.audio()) return out->play_position();
    return h.now_ms();
}

Span Player::span() const {
    const MovieHeader& h = movie_.model.header;
    if (play_selection_ && h.selection_duration > 0)
        return Span{SInt64(h.selection_time), SInt64(h.selection_time) + SInt64(h.selection_duration)};
    return Span{0, SInt64(h.duration)};
}

void Player::sync_tracks() {
    std::vector<UInt32> video, sound;
    for (TrackObject* t : movie_.tracks_in_order()) {
        if (!enabled_with_media(t)) continue;
        const OSType type = t->data().media.type();
        if (type == VideoMediaType) video.push_back(t->id);
        else if (type == SoundMediaType) sound.push_back(t->id);
    }
    std::erase_if(video_, [&](const auto& v) { return std::find(video.begin(), video.end(), v->track_id()) == video.end(); });
    for (UInt32 id : video)
        if (std::none_of(video_.begin(), video_.end(), [id](const auto& v) { return v->track_id() == id; }))
            video_.push_back(std::make_unique<VideoFrames>(id));
    bool sound_changed = false;
    for (auto it = sound_.begin(); it != sound_.end();) {
        if (std::find(sound.begin(), sound.end(), (*it)->track_id()) == sound.end()) {
            it = sound_.erase(it);
            sound_changed = true;
        } else {
            ++it;
        }
    }
    for (UInt32 id : sound)
        if (std::none_of(sound_.begin(), sound_.end(), [id](const auto& s) { return s->track_id() == id; })) {
            sound_.push_back(std::make_unique<SoundFeeder>(id));
            sound_changed = true;
        }
    if (sound_changed && anchor_.rate != 0) {
        const SInt64 t = time_at(anchor_, clock_now(), movie_.model.header.time_scale);
        reanchor(t, anchor_.rate);
    }
}

void Player::reanchor(SInt64 time, Fixed rate) {
    drop_next_pass();
    for (auto& s : sound_) s->stop();
    anchor_.time = time;
    anchor_.rate = rate;
    movie_.rate = rate;
    host::Host& h = host::current();
    gaps_.playing(rate != 0, h.now_ms());
    movie_.model.header.current_time = UInt32(std::clamp<SInt64>(time, 0, 0x7FFFFFFF));
    host::AudioOutput* out = rate > 0 && !sound_.empty() ? h.audio() : nullptr;
    if (out) {
        anchor_.source = ClockSource::Audio;
        anchor_.ticks_per_second = UInt32(out->rate());
        anchor_.at = out->earliest_start();
        update_gains();
        const SInt64 stop = span().end;
        for (auto& s : sound_)
            if (TrackObject* t = movie_.track(s->track_id())) s->start(*t, *out, anchor_, stop);
    } else {
        anchor_.source = ClockSource::Host;
        anchor_.ticks_per_second = 1000;
        anchor_.at = h.now_ms();
    }
}

SInt64 Player::time() {
    if (anchor_.rate == 0) return anchor_.time;
    const SInt64 t = time_at(anchor_, clock_now(), movie_.model.header.time_scale);
    const Wrapped w = wrap(t, anchor_.rate, span(), movie_.time_base.flags);
    if (w.jumped && take_next_pass(w, t)) return SInt64(movie_.model.header.current_time);
    if (w.stopped || w.jumped) {
        reanchor(w.time, w.rate);
        return w.time;
    }
    movie_.model.header.current_time = UInt32(std::clamp<SInt64>(t, 0, 0x7FFFFFFF));
    return t;
}

void Player::set_rate(Fixed rate) {
    sync_tracks();
    const SInt64 t = time();
    if (rate == anchor_.rate) return;
    reanchor(t, rate);
}

void Player::set_time(SInt64 t) {
    sync_tracks();
    t = std::clamp<SInt64>(t, 0, SInt64(movie_.model.header.duration));
    reanchor(t, anchor_.rate);
    redraw_ = true;
}

void Player::update_gains() {
    const float movie_gain = volume_gain(movie_.volume);
    for (auto* feeders : {&sound_, &next_sound_})
        for (auto& s : *feeders)
            if (TrackObject* t = movie_.track(s->track_id()))
                s->set_gain(movie_gain * volume_gain(t->data().header.volume));
}

void Player::prepare_next_pass() {
    const SInt32 flags = movie_.time_base.flags;
    if (next_anchor_ || anchor_.source != ClockSource::Audio || anchor_.rate <= 0 || sound_.empty() ||
        !(flags & loopTimeBase) || (flags & palindromeLoopTimeBase))
        return;
    const Span s = span();
    host::AudioOutput* out = host::current().audio();
    if (s.end <= s.start || !out) return;
    // The frame the current pass's sound ends at (where its feeders stop).
    const UInt64 end = reading_at(anchor_, s.end, movie_.model.header.time_scale);
    const UInt64 ahead = std::min<UInt64>(UInt64(out->rate()) / 4, sound::AudioStream::kCapacity / 2);
    if (end > out->mixed_position() + ahead || end < out->earliest_start()) return;   // not yet, or too late
    Anchor next = anchor_;
    next.time = s.start;
    next.at = end;
    for (auto& current : sound_) {
        TrackObject* t = movie_.track(current->track_id());
        if (!t) continue;
        next_sound_.push_back(std::make_unique<SoundFeeder>(current->track_id()));
        next_sound_.back()->start(*t, *out, next, s.end);
    }
    next_anchor_ = next;
    update_gains();
}

// Time `t` has wrapped around once to `w.time`: the next pass, started at
// the end frame, is now the one playing.
bool Player::take_next_pass(const Wrapped& w, SInt64 t) {
    if (!next_anchor_ || w.rate != anchor_.rate) return false;
    const Span s = span();
    // Only while the span is still the one the next pass was started for.
    if (t >= s.end + (s.end - s.start) || next_anchor_->time != s.start ||
        next_anchor_->at != reading_at(anchor_, s.end, movie_.model.header.time_scale))
        return false;
    for (auto& f : sound_) f->stop();   // done: the device is past their last frame
    sound_ = std::move(next_sound_);
    next_sound_.clear();
    anchor_ = *next_anchor_;
    next_anchor_.reset();
    const SInt64 now = time_at(anchor_, clock_now(), movie_.model.header.time_scale);
    movie_.model.header.current_time = UInt32(std::clamp<SInt64>(now, 0, 0x7FFFFFFF));
    return true;
}

void Player::drop_next_pass() {
    for (auto& f : next_sound_) f->stop();
    next_sound_.clear();
    next_anchor_.reset();
}

void Player::task() {
    sync_tracks();
    const SInt64 t = time();
    update_gains();
    prepare_next_pass();
    for (auto* feeders : {&sound_, &next_sound_})
        for (auto& s : *feeders)
            if (TrackObject* track = movie_.track(s->track_id())) s->top_up(*track);
    show(t, redraw_);
    redraw_ = false;
}

void Player::draw() {
    sync_tracks();
    show(time(), true);
    redraw_ = false;
}

void Player::edited() {
    for (auto& v : video_) v->reset();
    redraw_ = true;
    sync_tracks();
    const SInt64 t = std::clamp<SInt64>(time(), 0, SInt64(movie_.model.header.duration));
    reanchor(t, anchor_.rate);
}

void Player::show(SInt64 t, bool force) {
    bool changed = false;
    for (auto& v : video_) {
        TrackObject* track = movie_.track(v->track_id());
        if (!track) continue;
        const UInt32 n = sample_at_movie_time(*track, t);
        if (n && v->go_to_sample(track->media, n)) changed = true;
    }
    if (!(changed || force) || !movie_.port) return;
    // Tracks in higher layers lie behind: they are drawn first.
    std::vector<std::pair<SInt16, VideoFrames*>> order;
    for (auto& v : video_)
        if (TrackObject* track = movie_.track(v->track_id())) order.emplace_back(track->data().header.layer, v.get());
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    bool drawn = false;
    for (auto& [layer, v] : order) {
        TrackObject* track = movie_.track(v->track_id());
        if (v->sample() == 0 || sample_at_movie_time(*track, t) == 0) continue;
        v->draw(movie_.port, track_display_rect(movie_, track->data()), quarter_turn(track->data().header.matrix));
        drawn = true;
    }
    if (changed && drawn) gaps_.new_frame(host::current().now_ms());
}

const VideoFrames* Player::video(UInt32 track_id) const {
    for (auto& v : video_)
        if (v->track_id() == track_id) return v.get();
    return nullptr;
}

std::vector<std::string> Player::problems() const {
    std::vector<std::string> out;
    for (auto& v : video_)
        if (!v->placeholder().empty()) out.push_back("video track " + std::to_string(v->track_id()) + ": " + v->placeholder());
    for (auto& s : sound_)
        if (!s->problem().empty()) out.push_back("sound track " + std::to_string(s->track_id()) + ": " + s->problem());
    return out;
}

}  // namespace platform::movies::playback
