// FragmentGroups.h — what a fragmented movie's track fragments say of
// their samples one by one besides time and size: sample groups and
// dependency flags, joined into the track's sample table as a regular file
// would hold them.
/*
 *   sbgp  full atom; grouping type u32, grouping type parameter u32
 *         (version 1 only), entry count u32, then per entry: sample count
 *         u32, group description index u32 (0: no group)
 *   sgpd  full atom; grouping type u32, default length u32 (version 1 and
 *         up), default description index u32 (version 2 and up), entry
 *         count u32, then per entry: its length u32 (when the default
 *         length is 0), its bytes. Version 0 entries carry no length.
 *   sdtp  full atom; one byte of dependency flags per sample
 *
 * In the sample table, an sbgp maps the track's samples in order; one that
 * maps fewer leaves the rest to the default description of its type's
 * sgpd (version 2), else to no group. In a traf it maps that fragment's
 * samples, and an index of 0x10000 + k names the k-th entry of the traf's
 * own sgpd of that type.
 *
 * Joining: each sbgp type (with its parameter) becomes one sbgp over the
 * whole track, the samples of fragments that do not map them given the
 * default; a traf's own sgpd entries go after the track's entries of that
 * type and its indexes are renumbered to them. A type whose indexes name
 * entries that do not exist, or whose track-level entries cannot be
 * measured (version 0), is dropped with its sgpd. The sdtp is the traf's
 * sdtp atoms one after the other when every part of the track has one, and
 * dropped otherwise: a partial one would lie. Tracks that no fragment adds
 * samples to, and types that no traf names, keep their atoms as read.
 */
#pragma once

#include <map>
#include <optional>

#include "platform/movies/format/Movie.h"

namespace platform::movies {

class FragmentGroups {
public:
    // The sbgp, sgpd and sdtp atoms of a traf that added `count` samples
    // to `track` after the `before` it had.
    Result<void> add(Track& track, UInt32 before, UInt32 count, std::span<const ChildAtom> atoms);

    // Puts the joined atoms into the sample tables of the tracks seen.
    void finish();

private:
    struct GroupKey {
        OSType type = 0;
        std::optional<UInt32> parameter;
        auto operator<=>(const GroupKey&) const = default;
    };
    struct Mapping {
        std::vector<std::pair<UInt32, UInt32>> runs;   // sample count, description index
        UInt32 mapped = 0;                             // samples the runs cover
        std::vector<UInt8> as_read;                    // the moov's atom, when no traf maps the type
    };
    struct Descriptions {
        FullAtomHeader full;
        UInt32 default_index = 0;
        std::vector<std::vector<UInt8>> entries;
        bool measured = true;                          // entries known one by one
        bool grew = false;
        std::vector<UInt8> as_read;
    };
    struct TrackGroups {
        std::map<GroupKey, Mapping> mappings;
        std::map<OSType, Descriptions> descriptions;
        std::vector<OSType> broken;                    // types dropped
        std::vector<UInt8> flags;                      // sdtp, while every part has one
        bool flags_whole = true;
    };

    TrackGroups& start(Track& track, UInt32 samples);

    std::map<Track*, TrackGroups> tracks_;
};

}  // namespace platform::movies
