#include "platform/movies/playback/SessionFrames.h"

#include <algorithm>

#include "platform/movies/objects/MediaData.h"

namespace platform::movies::playback {

namespace {

// How many samples past the target are sent before it counts as lost,
// beyond the decoder's own delay.
constexpr UInt32 kLostAfter = 32;

}  // namespace

Result<std::unique_ptr<SessionFrames>> SessionFrames::open(const codecs::libav::StreamSetup& setup,
                                                           UInt32 description) {
    auto session = TRY(codecs::libav::DecodeSession::open(setup));
    return std::unique_ptr<SessionFrames>(new SessionFrames(std::move(session), description));
}

bool SessionFrames::feed(MediaObject& media, SInt64 want) {
    const SampleTable& table = media.data().samples;
    if (ended_) return false;
    if (next_ > table.sample_count()) {
        session_->end_of_stream();
        ended_ = true;
        return true;
    }
    const UInt32 s = next_++;
    auto info = table.sample(s);
    // A sample of another description, or one that cannot be read, is left
    // out: the decoder conceals or drops what depends on it.
    if (!info.ok() || info->description != description_) return true;
    const auto& d = media.data().descriptions.entries[info->description - 1];
    data_.resize(info->size);
    if (!read_media_data(media, d.data_ref_index(), info->offset, data_.data(), data_.size()).ok()) return true;
    if (!session_->send(data_, s, info->sync, table.display_time(s) >= want).ok()) taint(table, s);
    return true;
}

void SessionFrames::taint(const SampleTable& table, UInt32 n) {
    if (tainted_from_ == 0 || table.sync_sample(n, false) > tainted_from_ || n < tainted_from_) tainted_from_ = n;
}

bool SessionFrames::tainted(const SampleTable& table, UInt32 n) const {
    return tainted_from_ != 0 && n >= tainted_from_ && table.sync_sample(n, false) <= tainted_from_;
}

SessionFrames::Outcome SessionFrames::go_to(MediaObject& media, UInt32 n) {
    auto show = [&] {
        if (!session_->hold(n)) return Outcome::Damaged;
        shown_ = n;
        return Outcome::Shown;
    };
    if (session_->cached(n)) return show();
    if (n < next_ && tainted(media.data().samples, n)) return Outcome::Damaged;

    const SampleTable& table = media.data().samples;
    const SInt64 want = table.display_time(n);
    const UInt32 sync = std::max<UInt32>(table.sync_sample(n, false), 1);
    // Once every sample is sent, the frames the decoder still holds come out
    // without more: the run goes on. An end forced early does not.
    const bool open = !ended_ || next_ > table.sample_count();
    const bool go_on = next_ != 0 && open && sync >= run_start_ && sync <= next_ && (!any_out_ || want > last_out_);
    if (!go_on) {
        session_->flush();
        next_ = run_start_ = sync;
        ended_ = false;
        any_out_ = false;
        tainted_from_ = 0;
    }
    const UInt64 limit = UInt64(n) + kLostAfter + UInt64(std::max(0, session_->delay()));
    for (;;) {
        while (auto frame = session_->receive()) {
            ++decoded_;
            const bool known = frame->tag >= 1 && frame->tag <= SInt64(table.sample_count());
            if (!known) continue;
            const UInt32 tag = UInt32(frame->tag);
            if (frame->damaged) taint(table, tag);
            const bool bad = frame->damaged || tainted(table, tag);
            if (bad) session_->forget(tag);
            const SInt64 t = table.display_time(tag);
            last_out_ = any_out_ ? std::max(last_out_, t) : t;
            any_out_ = true;
            if (tag == n) {
                if (bad) return Outcome::Damaged;
                return show();
            }
            if (t > want) {   // frames come out in display order: n was lost
                taint(table, n);
                return Outcome::Damaged;
            }
        }
        if (next_ > limit && !ended_) {
            // Far past the target and still nothing: let the held frames out.
            session_->end_of_stream();
            ended_ = true;
            continue;
        }
        if (!feed(media, want)) return Outcome::Damaged;
    }
}

}  // namespace platform::movies::playback
