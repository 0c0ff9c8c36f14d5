// The movie calls: creating and disposing of movies, their box, rates,
// volumes, time scale and time base, selection and the state the window
// framework and playback keep on a movie.
#include <algorithm>

#include "platform/movies/objects/MovieBox.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/objects/Session.h"
#include "platform/movies/playback/Player.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

SInt32 clamp32(UInt64 v) { return v > 0x7FFFFFFFu ? 0x7FFFFFFF : SInt32(v); }

}  // namespace
}  // namespace platform::movies

OSErr EnterMovies(void) { return set_error(enter_movies()); }

void ExitMovies(void) { exit_movies(); }

OSErr GetMoviesError(void) { return last_error(); }

::Movie NewMovie(SInt32 flags) {
    MovieObject* m = new_movie_object(flags);
    set_error(noErr);
    return to_api(m);
}

void DisposeMovie(::Movie theMovie) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(theMovie ? invalidMovie : noErr);
        return;
    }
    set_error(dispose_movie_object(m).code());
}

void SetMovieGWorld(::Movie theMovie, CGrafPtr port, GDHandle gdh) {
    with_movie(theMovie, [&](MovieObject& m) {
        if (!port) GetGWorld(&port, &gdh);
        m.port = port;
        m.device = gdh;
        if (m.player) m.player->invalidate();
    });
}

void GetMovieGWorld(::Movie theMovie, CGrafPtr* port, GDHandle* gdh) {
    with_movie(theMovie, [&](MovieObject& m) {
        if (port) *port = m.port;
        if (gdh) *gdh = m.device;
    });
}

void GetMovieBox(::Movie theMovie, Rect* boxRect) {
    if (!boxRect) return (void)set_error(paramErr);
    with_movie(theMovie, [&](MovieObject& m) { *boxRect = movie_box(m); });
}

void SetMovieBox(::Movie theMovie, const Rect* boxRect) {
    if (!boxRect) return (void)set_error(paramErr);
    with_movie(theMovie, [&](MovieObject& m) {
        if (boxRect->right < boxRect->left || boxRect->bottom < boxRect->top) {
            set_error(invalidRect);
            return;
        }
        Matrix before = m.model.header.matrix;
        set_movie_box(m, *boxRect);
        if (m.model.header.matrix != before) {
            m.mark_changed();
            if (m.player) m.player->invalidate();
        }
    });
}

void GetMovieNaturalBoundsRect(::Movie theMovie, Rect* naturalBounds) {
    if (!naturalBounds) return (void)set_error(paramErr);
    with_movie(theMovie, [&](MovieObject& m) { *naturalBounds = natural_bounds(m); });
}

void SetMovieProgressProc(::Movie theMovie, MovieProgressUPP p, SRefCon refcon) {
    with_movie(theMovie, [&](MovieObject& m) {
        m.progress = p;
        m.progress_refcon = refcon;
    });
}

void SetMoviePlayHints(::Movie theMovie, SInt32 flags, SInt32 flagsMask) {
    with_movie(theMovie, [&](MovieObject& m) { m.play_hints = (m.play_hints & ~flagsMask) | (flags & flagsMask); });
}

Fixed GetMoviePreferredRate(::Movie theMovie) {
    Fixed r = 0;
    with_movie(theMovie, [&](MovieObject& m) { r = m.model.header.preferred_rate; });
    return r;
}

void SetMoviePreferredRate(::Movie theMovie, Fixed rate) {
    with_movie(theMovie, [&](MovieObject& m) {
        if (m.model.header.preferred_rate == rate) return;
        m.model.header.preferred_rate = rate;
        m.mark_changed();
    });
}

Fixed GetMovieRate(::Movie theMovie) {
    Fixed r = 0;
    with_movie(theMovie, [&](MovieObject& m) {
        // A movie that reached its end has stopped by now.
        if (m.player) m.player->time();
        r = m.rate;
    });
    return r;
}

void SetMovieRate(::Movie theMovie, Fixed rate) {
    with_movie(theMovie, [&](MovieObject& m) { playback::player_of(m).set_rate(rate); });
}

SInt16 GetMovieVolume(::Movie theMovie) {
    SInt16 v = 0;
    with_movie(theMovie, [&](MovieObject& m) { v = m.volume; });
    return v;
}

void SetMovieVolume(::Movie theMovie, SInt16 volume) {
    with_movie(theMovie, [&](MovieObject& m) {
        m.volume = volume;
        // Heard from the next block the device mixes on.
        if (m.player) m.player->apply_volume();
    });
}

SInt16 GetMoviePreferredVolume(::Movie theMovie) {
    SInt16 v = 0;
    with_movie(theMovie, [&](MovieObject& m) { v = m.model.header.preferred_volume; });
    return v;
}

void SetMoviePreferredVolume(::Movie theMovie, SInt16 volume) {
    with_movie(theMovie, [&](MovieObject& m) {
        if (m.model.header.preferred_volume == volume) return;
        m.model.header.preferred_volume = volume;
        m.mark_changed();
    });
}

TimeScale GetMovieTimeScale(::Movie theMovie) {
    TimeScale s = 0;
    with_movie(theMovie, [&](MovieObject& m) { s = TimeScale(m.model.header.time_scale); });
    return s;
}

void SetMovieTimeScale(::Movie theMovie, TimeScale timeScale) {
    with_movie(theMovie, [&](MovieObject& m) {
        if (timeScale <= 0) {
            set_error(paramErr);
            return;
        }
        if (UInt32(timeScale) == m.model.header.time_scale) return;
        change_time_scale(m, UInt32(timeScale));
        m.mark_changed();
    });
}

TimeValue GetMovieDuration(::Movie theMovie) {
    TimeValue d = 0;
    with_movie(theMovie, [&](MovieObject& m) { d = clamp32(m.model.header.duration); });
    return d;
}

TimeValue GetMovieTime(::Movie theMovie, TimeRecord* currentTime) {
    TimeValue t = 0;
    with_movie(theMovie, [&](MovieObject& m) {
        if (m.player) m.player->time();
        t = SInt32(m.model.header.current_time);
        if (currentTime) {
            currentTime->value.hi = 0;
            currentTime->value.lo = UInt32(t);
            currentTime->scale = TimeScale(m.model.header.time_scale);
            currentTime->base = to_api(&m.time_base);
        }
    });
    return t;
}

void SetMovieTimeValue(::Movie theMovie, TimeValue newtime) {
    with_movie(theMovie, [&](MovieObject& m) {
        SInt64 t = std::clamp<SInt64>(newtime, 0, SInt64(m.model.header.duration));
        m.model.header.current_time = UInt32(t);
        if (m.player) m.player->set_time(t);
    });
}

void GoToBeginningOfMovie(::Movie theMovie) { SetMovieTimeValue(theMovie, 0); }

void GetMovieSelection(::Movie theMovie, TimeValue* selectionTime, TimeValue* selectionDuration) {
    with_movie(theMovie, [&](MovieObject& m) {
        if (selectionTime) *selectionTime = SInt32(m.model.header.selection_time);
        if (selectionDuration) *selectionDuration = SInt32(m.model.header.selection_duration);
    });
}

void SetMovieSelection(::Movie theMovie, TimeValue selectionTime, TimeValue selectionDuration) {
    with_movie(theMovie, [&](MovieObject& m) {
        if (selectionTime < 0 || selectionDuration < 0) {
            set_error(paramErr);
            return;
        }
        auto& h = m.model.header;
        if (h.selection_time == UInt32(selectionTime) && h.selection_duration == UInt32(selectionDuration)) return;
        h.selection_time = UInt32(selectionTime);
        h.selection_duration = UInt32(selectionDuration);
        m.mark_changed();
    });
}

Boolean GetMovieActive(::Movie theMovie) {
    Boolean a = false;
    with_movie(theMovie, [&](MovieObject& m) { a = m.active; });
    return a;
}

void SetMovieActive(::Movie theMovie, Boolean active) {
    with_movie(theMovie, [&](MovieObject& m) { m.active = active != 0; });
}

::TimeBase GetMovieTimeBase(::Movie theMovie) {
    ::TimeBase tb = nullptr;
    with_movie(theMovie, [&](MovieObject& m) { tb = to_api(&m.time_base); });
    return tb;
}

SInt32 GetTimeBaseFlags(::TimeBase tb) {
    TimeBaseObject* t = time_base_of(tb);
    if (!t) {
        set_error(paramErr);
        return 0;
    }
    set_error(noErr);
    return t->flags;
}

void SetTimeBaseFlags(::TimeBase tb, SInt32 timeBaseFlags) {
    TimeBaseObject* t = time_base_of(tb);
    if (!t) {
        set_error(paramErr);
        return;
    }
    set_error(noErr);
    t->flags = timeBaseFlags;
}

Boolean HasMovieChanged(::Movie theMovie) {
    Boolean c = false;
    with_movie(theMovie, [&](MovieObject& m) { c = m.changed; });
    return c;
}

void ClearMovieChanged(::Movie theMovie) {
    with_movie(theMovie, [&](MovieObject& m) { m.changed = false; });
}
