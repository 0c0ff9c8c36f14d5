// MovieExport.h — a movie as a file everyone can play: H.264 video of what
// the movie shows, in an ISO base media file with its movie first.
//
// The picture is drawn frame by frame as playback draws it (the movie's
// enabled video tracks, layer by layer, at their natural size), at every
// time one of them changes frame over the whole movie, and each drawing is
// encoded with the time and duration it shows for: variable frame timing
// is kept, and the file shows exactly the movie's span (its edit list
// hides the encoder's reordering delay).
//
// The file is written beside the destination and renamed over it only
// when complete, its samples first put aside in a temporary file there
// rather than in memory: a cancelled export (the progress procedure said
// stop, e.g. the progress window's Cancel) or a failed one (no encoder, a
// full disk) leaves no file behind, temporaries included, and an existing
// destination untouched.
#pragma once

#include "platform/Files.h"
#include "platform/movies/objects/MovieObjects.h"

namespace platform::exporting {

struct ExportOptions {
    OSType creator = 0;           // of the file, typed 'MooV' as every movie file
    SInt32 create_flags = 0;      // createMovieFileDeleteCurFile replaces a file
    bool sound_only = false;      // leave the pictures out (.m4a)
    int crf = 18;                 // H.264 constant quality
    const char* preset = "medium";
};

Result<void> export_movie(movies::MovieObject& movie, const FSSpec& destination, const ExportOptions& options);

// Whether the movie has an enabled video track with samples (else the
// export is sound only).
bool has_enabled_video(movies::MovieObject& movie);

}  // namespace platform::exporting
