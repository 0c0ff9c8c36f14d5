#include "platform/movies/objects/Session.h"

#include <cstdlib>

#include "platform/components/ComponentRegistry.h"
#include "platform/components/MovieToolboxGestalt.h"
#include "platform/core/Environment.h"

namespace platform::movies {

namespace {
bool g_entered = false;
}

OSErr enter_movies() {
    // Test switch: KINORA_FAIL_ENTER_MOVIES=-108 makes EnterMovies fail with that code.
    if (auto text = env::get("KINORA_FAIL_ENTER_MOVIES")) {
        char* end = nullptr;
        long code = std::strtol(text->c_str(), &end, 10);
        if (*end == '\0' && code != 0 && code >= -32768 && code <= 32767) return OSErr(code);
    }
    if (!g_entered) components::register_movie_toolbox_gestalt();
    components::movie_toolbox_entered();
    g_entered = true;
    return noErr;
}

void exit_movies() { g_entered = false; }

MovieObject* new_movie_object(SInt32 flags) {
    auto* m = new MovieObject;
    UInt64 now = mac_time_now();
    m->model.header.creation_time = now;
    m->model.header.modification_time = now;
    m->active = (flags & newMovieActive) != 0;
    return m;
}

Result<void> finish_storage(MovieObject& movie) {
    if (!movie.storage) return ok();
    MovieStorage& s = *movie.storage;
    TRY(s.writer->finish_data());
    return s.file->sync();
}

Result<void> dispose_movie_object(MovieObject* movie) {
    Result<void> result = finish_storage(*movie);
    for (auto& [id, track] : movie->track_objects) {
        if (!track->media.append) continue;
        auto finished = track->media.append->finish();
        if (result.ok() && !finished.ok()) result = finished;
    }
    delete movie;
    return result;
}

}  // namespace platform::movies
