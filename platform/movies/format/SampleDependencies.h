// SampleDependencies.h — which samples it takes to show a span of a media.
/*
 * Showing display time [start, end) of a media (SampleTable.h: display
 * time is decode time plus the composition offset) takes more than the
 * samples shown in it:
 *
 *   - A frame that depends on earlier ones (a delta frame; any sample not
 *     marked sync when the media has a sync table) needs every sample from
 *     the sync sample before it, in decode order. Codecs that reorder
 *     frames need every sample decoded between the first and the last
 *     frame shown, the ones shown outside the span included. A sync sample
 *     shown after the span's first frame does not do (the frames shown
 *     before it may refer to the group of pictures before it): the sync
 *     sample before that is taken.
 *   - Compressed sound whose packets overlap (AAC, AC-3, MP3, Opus) needs
 *     the packets just before the first one heard to prime its decoder.
 *   - Framed sound (SampleFraming.h) is taken in whole packets.
 *
 * The result is one run of samples in decode order; an edit list hides
 * what it holds beyond the span. Copying that run, and only it, keeps every
 * frame and sound sample of the span exactly as in its source.
 */
#pragma once

#include "platform/movies/format/Movie.h"

namespace platform::movies {

struct SampleRange {
    UInt32 first = 0;   // 1-based, in decode order; 0: no samples
    UInt32 last = 0;
    bool empty() const { return first == 0; }
};

SampleRange samples_needed(const Media& media, UInt64 start, UInt64 end);

}  // namespace platform::movies
