// Movie.h — the in-memory movie the Movie Toolbox works on: the movie
// header, its tracks, each with one media and that media's sample table,
// user data at every level, and every atom we do not model kept as read.
/*
 * moov  mvhd, trak..., udta
 * trak  tkhd, edts, tref, mdia, udta
 * mdia  mdhd, hdlr (media handler: 'mhlr' + media type), minf
 * minf  vmhd | smhd | gmhd, hdlr (data handler: 'dhlr' 'alis'), dinf, stbl
 * stbl  stsd, stts, ctts, cslg, stss, stsc, stsz, stco | co64
 *
 * Written in that order; a kept atom goes back after the known atom it
 * followed when read. Every atom's size is computed as it is written.
 */
#pragma once

#include <optional>

#include "platform/movies/format/DataReferences.h"
#include "platform/movies/format/EditList.h"
#include "platform/movies/format/Headers.h"
#include "platform/movies/format/SampleDescriptions.h"
#include "platform/movies/format/SampleTable.h"
#include "platform/movies/format/TrackReferences.h"
#include "platform/movies/format/UserData.h"

namespace platform::movies {

struct Media {
    MediaHeader header;
    Handler handler;                                // 'mhlr', subtype = media type
    std::optional<VideoMediaHeader> video_header;   // at most one of the three
    std::optional<SoundMediaHeader> sound_header;
    std::optional<GenericMediaHeader> generic_header;
    std::optional<Handler> data_handler;            // 'dhlr'
    std::optional<DataInfo> data_info;              // absent: all data in the movie file
    SampleDescriptions descriptions;
    SampleTable samples;
    KeptAtoms kept_mdia, kept_minf, kept_stbl;
    // Its samples' encryption information (initialization vectors and
    // subsample maps) stayed behind: in the fragments it was read from
    // (Fragments.h), or in the sample table atoms dropped when its samples
    // changed. Written out, its samples could never be decrypted again.
    bool encryption_lost = false;

    OSType type() const { return handler.subtype; }
    const std::vector<DataRef>* data_refs() const {
        return data_info && data_info->refs ? &data_info->refs->entries : nullptr;
    }

    // A new, empty media of a type with its handlers, media information
    // header and one data reference to the movie's own file.
    static Media make(OSType type, UInt32 time_scale);

    // Whether its samples have (or had) encryption information.
    bool encrypted() const;

    // The samples were cut, copied or added to: forgets the kept sample
    // table atoms that speak of them one by one (an encrypted media's
    // encryption information among them: encryption_lost).
    void samples_changed();

    static Result<Media> parse(ByteReader mdia_body);
    Result<void> write(ByteWriter& w) const;
    bool operator==(const Media&) const = default;
};

struct Track {
    TrackHeader header;
    std::optional<Edits> edits;
    std::optional<TrackReferences> references;
    Media media;
    std::optional<UserData> user_data;
    KeptAtoms kept;

    static Track make(UInt32 id, OSType media_type, UInt32 media_time_scale, Fixed width,
                      Fixed height, SInt16 volume);

    // The track's length in the movie's time scale: the sum of its edits,
    // or without an edit list its media's duration converted.
    UInt64 duration(UInt32 movie_time_scale) const;

    static Result<Track> parse(ByteReader trak_body);
    Result<void> write(ByteWriter& w) const;
    bool operator==(const Track&) const = default;
};

// The movie as its moov atom holds it. (The API's Movie handle is a
// MovieObject, which owns one of these.)
struct MovieModel {
    MovieHeader header;
    std::vector<Track> tracks;
    std::optional<UserData> user_data;
    KeptAtoms kept;

    Track* find_track(UInt32 id);
    const Track* find_track(UInt32 id) const;

    // Media durations from their sample tables, track durations from their
    // edits, the movie's from its longest track.
    void update_durations();

    // Parses a moov body and checks every track's tables against each
    // other (not yet against the data files: see MovieFile.h).
    static Result<MovieModel> parse(ByteReader moov_body);
    // The whole moov atom.
    Result<void> write(ByteWriter& w) const;
    Result<std::vector<UInt8>> write() const;
    // Tracks, sample descriptions, tables and user data in readable form.
    void dump(std::ostream& out, bool every_sample) const;
    bool operator==(const MovieModel&) const = default;
};

// Fails with featureUnsupported for a media whose encryption information
// was lost, or a movie with one. Every way of saving a movie asks this
// before it writes anything.
Result<void> check_encryption_kept(const Media& media);
Result<void> check_encryption_kept(const MovieModel& movie);

// Converts a duration between time scales, rounding up so that no media
// is cut off.
UInt64 convert_duration(UInt64 value, UInt32 from_scale, UInt32 to_scale);

// The single edit that plays a whole media at rate 1 from track time 0.
void insert_whole_media(Track& track, UInt32 movie_time_scale);

}  // namespace platform::movies
