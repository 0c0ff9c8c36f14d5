// DataReferences.h — where a media's sample data lives: dinf and its dref.
/*
 * dref  (full atom) entry count u32, then each entry as an atom:
 *         size u32, type u32 ('alis', 'url ', 'rsrc', ...), version u8,
 *         flags u24, data (size - 12 bytes)
 *       Flag 1 = the data is in the movie's own file and `data` is empty.
 *       'alis' data is an alias record (Alias.h); 'url ' data a
 *       zero-terminated URL or path.
 * dinf  container of one dref; other children are kept.
 */
#pragma once

#include <optional>

#include "platform/movies/format/Atom.h"

namespace platform::movies {

inline constexpr UInt32 kDataRefSelfReference = 1;

struct DataRef {
    OSType type = kAlis;
    FullAtomHeader full{0, kDataRefSelfReference};
    std::vector<UInt8> data;

    bool in_movie_file() const { return (full.flags & kDataRefSelfReference) != 0; }
    static DataRef self() { return DataRef{}; }

    bool operator==(const DataRef&) const = default;
};

struct DataReferences {
    FullAtomHeader full;
    std::vector<DataRef> entries;
    std::vector<UInt8> tail;

    static Result<DataReferences> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const DataReferences&) const = default;
};

struct DataInfo {
    std::optional<DataReferences> refs;
    KeptAtoms kept;

    static Result<DataInfo> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    bool operator==(const DataInfo&) const = default;
};

}  // namespace platform::movies
