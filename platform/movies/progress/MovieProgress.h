// MovieProgress.h — telling a progress procedure how a long operation is
// going.
//
// An operation opens its session, reports the share done (0...1) as it
// goes and closes it (the destructor closes one left open). The procedure
// hears movieProgressOpen, movieProgressUpdatePercent with the share as a
// Fixed (0x10000 = all), and movieProgressClose; updates are sent when the
// share has grown by at least 1/256 or 100 ms have passed. A procedure
// that answers anything but noErr stops the operation, which then fails
// with progressProcAborted. kMovieDefaultProgressProc stands for the
// platform's own progress window (DefaultProgress.h); nil for none.
#pragma once

#include <chrono>

#include "platform/core/Result.h"
#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

class MovieProgress {
public:
    MovieProgress(MovieObject* movie, MovieProgressUPP proc, SRefCon refcon, SInt16 operation);
    ~MovieProgress();
    MovieProgress(const MovieProgress&) = delete;
    MovieProgress& operator=(const MovieProgress&) = delete;

    // Opens on the first report.
    Result<void> update(double done);
    void close();

private:
    Result<void> call(SInt16 message, Fixed percent);

    ::Movie movie_;
    MovieProgressUPP proc_;
    SRefCon refcon_;
    SInt16 operation_;
    bool open_ = false;
    Fixed last_ = -1;
    std::chrono::steady_clock::time_point last_time_{};
};

// The platform's own procedure, installed by kMovieDefaultProgressProc.
OSErr default_movie_progress(::Movie movie, SInt16 message, SInt16 operation, Fixed percent, SRefCon refcon);

}  // namespace platform::movies
