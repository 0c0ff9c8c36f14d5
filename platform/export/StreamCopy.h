// StreamCopy.h — video that is already H.264, and sound that is already
// AAC, go into an export as they are stored when that plays exactly what
// the movie plays: fast, and not a bit lost.
//
// That is the case when the movie's one enabled video track fills the
// picture unscaled, lasts the whole movie, has one 'avc1'/'avc3'
// description, and each of its edits plays at normal speed starting in
// the frame of a sync sample (one a decoder can start at). The
// samples each edit shows are copied with their timing (and the frames
// decoded between them), and the edits are kept.
#pragma once

#include <functional>
#include <optional>

#include "platform/export/SampleSpool.h"
#include "platform/movies/objects/MovieObjects.h"

namespace platform::exporting {

struct CopiedStream {
    UInt32 time_scale = 0;                    // the media's
    movies::SampleDescription description;
    std::vector<SpooledUnit> units;           // decode order, times in the new media
    std::vector<UInt32> durations;
    std::vector<movies::EditEntry> edits;     // in the new media's times
    Fixed width = 0, height = 0;
};

// Nothing when the video must be encoded instead. The samples go to `spool`.
Result<std::optional<CopiedStream>> copy_h264_video(movies::MovieObject& movie, SInt64 end, SampleSpool& spool,
                                                    const std::function<Result<void>(double)>& progress);

// The same for sound already AAC: the movie's one enabled sound track, at
// full volume, one 'mp4a' AAC description, edits at normal speed. Each
// edit's packets are copied with the packet before them, which the
// decoder needs to start.
Result<std::optional<CopiedStream>> copy_aac_sound(movies::MovieObject& movie, SampleSpool& spool,
                                                   const std::function<Result<void>(double)>& progress);

}  // namespace platform::exporting
