// The largest stretch without a new picture, per playing movie, and its report.
#include "platform/movies/playback/FrameGaps.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/core/Environment.h"
#include "platform/core/ProcessExit.h"

namespace platform::movies::playback {
namespace {

// Movies report in the order they first played; a live one is asked for
// its line when the report is written, a closed one left its last line.
// Players live on the main thread only, as does this list.
struct Entry {
    const FrameGapWatch* live = nullptr;
    std::string line;
};

struct State {
    std::string report_path;
    std::vector<Entry> entries;

    State() {
        if (auto path = env::get("KINORA_REPORT_FRAME_GAPS")) report_path = *path;
    }
};

// Never destroyed: players may go after static destruction has begun.
State& state() {
    static State* s = new State;
    return *s;
}

struct StartUp {
    StartUp() {
        if (state().report_path.empty()) return;
        std::atexit([] { write_frame_gap_report(); });
        process::add_exit_hook([] { write_frame_gap_report(); });
    }
};
const StartUp start_up;

}  // namespace

FrameGapWatch::FrameGapWatch(const std::string& name) : name_(name) {}

FrameGapWatch::~FrameGapWatch() {
    auto& entries = state().entries;
    for (Entry& e : entries)
        if (e.live == this) {
            e.line = line();
            e.live = nullptr;
        }
}

void FrameGapWatch::close_gap(UInt64 now) {
    if (since_ && now > *since_) largest_ = std::max(largest_, now - *since_);
}

void FrameGapWatch::playing(bool on, UInt64 now) {
    if (on == since_.has_value()) return;
    if (!on) {
        close_gap(now);
        since_.reset();
        return;
    }
    since_ = now;
    if (!played_ && !state().report_path.empty()) state().entries.push_back(Entry{this, {}});
    played_ = true;
}

void FrameGapWatch::new_frame(UInt64 now) {
    if (!since_) return;
    close_gap(now);
    since_ = now;
    ++frames_;
}

std::string FrameGapWatch::line() const {
    const size_t slash = name_.rfind('/');
    std::string name = slash == std::string::npos ? name_ : name_.substr(slash + 1);
    if (name.empty()) name = "untitled";
    return std::to_string(largest_) + " " + std::to_string(frames_) + " " + name;
}

void write_frame_gap_report() {
    auto& s = state();
    if (s.report_path.empty()) return;
    if (FILE* f = std::fopen(s.report_path.c_str(), "w")) {
        for (const Entry& e : s.entries) std::fprintf(f, "%s\n", (e.live ? e.live->line() : e.line).c_str());
        std::fclose(f);
    }
}

}  // namespace platform::movies::playback
