#include "platform/movies/progress/MovieProgress.h"

#include <algorithm>

namespace platform::movies {

MovieProgress::MovieProgress(MovieObject* movie, MovieProgressUPP proc, SRefCon refcon, SInt16 operation)
    : movie_(movie ? to_api(movie) : nullptr),
      proc_(proc == kMovieDefaultProgressProc ? &default_movie_progress : proc), refcon_(refcon),
      operation_(operation) {}

MovieProgress::~MovieProgress() { close(); }

Result<void> MovieProgress::call(SInt16 message, Fixed percent) {
    OSErr answer = proc_(movie_, message, operation_, percent, refcon_);
    if (answer != noErr) return fail(progressProcAborted, "stopped by the progress procedure");
    return ok();
}

Result<void> MovieProgress::update(double done) {
    if (!proc_) return ok();
    if (!open_) {
        open_ = true;
        last_time_ = std::chrono::steady_clock::now();
        TRY(call(movieProgressOpen, 0));
    }
    Fixed percent = Fixed(std::clamp(done, 0.0, 1.0) * 65536.0);
    auto now = std::chrono::steady_clock::now();
    if (percent < last_ + 256 && now - last_time_ < std::chrono::milliseconds(100)) return ok();
    last_ = percent;
    last_time_ = now;
    return call(movieProgressUpdatePercent, percent);
}

void MovieProgress::close() {
    if (!open_) return;
    open_ = false;
    (void)call(movieProgressClose, 0x10000);
}

}  // namespace platform::movies
