// EditList.h — a track's edit list: the edts container and its elst.
/*
 * elst  (full atom) entry count u32, then per entry
 *         version 0: track duration u32, media time s32, media rate 16.16
 *         version 1: track duration u64, media time s64, media rate 16.16
 *       A media time of -1 is an empty edit (nothing plays for its duration).
 * edts  container of one elst; other children are kept.
 */
#pragma once

#include <optional>

#include "platform/movies/format/Atom.h"

namespace platform::movies {

struct EditEntry {
    UInt64 track_duration = 0;   // in the movie's time scale
    SInt64 media_time = 0;       // in the media's time scale; -1 = empty
    Fixed rate = 0x10000;
    bool operator==(const EditEntry&) const = default;
};

struct EditList {
    FullAtomHeader full;
    std::vector<EditEntry> entries;

    static Result<EditList> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const EditList&) const = default;
};

struct Edits {
    std::optional<EditList> list;
    KeptAtoms kept;

    static Result<Edits> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    bool operator==(const Edits&) const = default;
};

}  // namespace platform::movies
