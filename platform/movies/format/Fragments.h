// Fragments.h — movies recorded in fragments (screen recorders, cameras,
// streaming writers): the samples come after the movie atom in pieces.
/*
 * The moov holds the tracks and their sample descriptions, usually with
 * empty sample tables, plus an mvex:
 *   mvex  mehd (optional), one trex per track
 *   trex  full atom; track ID u32, default description index u32, default
 *         sample duration u32, default sample size u32, default flags u32
 * Each fragment is a moof followed by an mdat holding its samples:
 *   moof  mfhd (sequence number), traf...
 *   traf  tfhd, tfdt (optional), trun..., sample groups and dependency
 *         flags (FragmentGroups.h), encryption information (senc, saiz,
 *         saio), others
 *   tfhd  full atom; track ID u32, then by flag: 0x1 base data offset u64,
 *         0x2 description index u32, 0x8 default duration u32, 0x10
 *         default size u32, 0x20 default flags u32. Flag 0x20000: the
 *         base is the moof.
 *   tfdt  full atom; decode time of the traf's first sample, u32 (version
 *         0) or u64 (version 1)
 *   trun  full atom; sample count u32, then by flag: 0x1 data offset s32,
 *         0x4 the first sample's flags u32; then per sample, by flag:
 *         0x100 duration u32, 0x200 size u32, 0x400 flags u32, 0x800
 *         composition offset (u32 in version 0, s32 in version 1)
 * Sample flags: 0x10000 marks a sample that is not a sync sample.
 * A run's data offset counts from its traf's base: the tfhd's base data
 * offset, else the moof with flag 0x20000, else the moof for a moof's
 * first traf and the end of the previous traf's data for the next ones.
 * A run without a data offset starts where the previous run's data ended
 * (the base, for a traf's first run).
 *
 * Reading appends every run to its track's sample table as one chunk and
 * then drops the mvex: from there on the movie is an ordinary one, and
 * writing it gives an unfragmented movie. A tfdt later than the samples
 * before it lengthens the last of them (a gap in the recording); one on a
 * track's first samples delays the track with an empty edit; a last edit
 * of duration 0 (the length was not known yet) runs to the end of the
 * media. A run whose data lies past the end of the file (a recording cut short) ends the
 * reading there: what came before it is the movie. Damage inside a moof
 * fails the read.
 *
 * Encryption information is not carried over: its media is marked
 * (Media::encryption_lost), and such a movie is refused when it would be
 * written.
 */
#pragma once

#include "platform/movies/format/MovieFile.h"

namespace platform::movies {

// Whether the movie expects fragments (its moov holds an mvex).
bool is_fragmented(const MovieModel& movie);

// Adds the samples of every moof in `layout` to `movie` (read from its
// moov) as described above. Nothing changes for a movie without an mvex.
Result<void> read_fragments(DataFile& file, const MovieFileLayout& layout, MovieModel& movie);

// Top-level atoms that only describe fragments: a movie that no longer
// expects fragments leaves them behind when saved in place.
bool is_fragment_index(OSType type);

}  // namespace platform::movies
