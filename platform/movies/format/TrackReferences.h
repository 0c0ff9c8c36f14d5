// TrackReferences.h — a track's references to other tracks (tref).
/*
 * tref  container; each child's type is the kind of reference ('chap',
 *       'sync', 'tmcd', ...) and its body a list of track IDs, u32 each.
 */
#pragma once

#include "platform/movies/format/Atom.h"

namespace platform::movies {

struct TrackReference {
    OSType type = 0;
    std::vector<UInt32> track_ids;
    bool operator==(const TrackReference&) const = default;
};

struct TrackReferences {
    std::vector<TrackReference> refs;
    std::vector<UInt8> tail;

    bool empty() const { return refs.empty() && tail.empty(); }
    const TrackReference* find(OSType type) const;

    static Result<TrackReferences> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const TrackReferences&) const = default;
};

}  // namespace platform::movies
