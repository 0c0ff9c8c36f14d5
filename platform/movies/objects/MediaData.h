// MediaData.h — reading and writing the sample data of a media through
// its data references.
#pragma once

#include <span>

#include "platform/movies/objects/MovieObjects.h"

namespace platform::movies {

// The file behind data reference `ref` (1-based): the movie's own file for
// a self reference. couldNotResolveDataRef (or why the file could not be
// opened) when it is missing; noDefaultDataRef for a self reference of a
// movie that has no file.
Result<std::shared_ptr<DataSource>> source_of(MediaObject& media, UInt16 ref);

// Reads `n` bytes at `offset` of data reference `ref`.
Result<void> read_media_data(MediaObject& media, UInt16 ref, UInt64 offset, void* out, size_t n);

// The index of a data reference to `source`, added when the media has none:
// a self reference when it is the movie's own file, else an alias made
// relative to the movie's file.
Result<UInt16> add_data_source(MediaObject& media, std::shared_ptr<DataSource> source);

// Appends sample bytes to the file the media writes to (its movie's mdat,
// or the data file its alias names); returns where they start.
Result<UInt64> write_media_data(MediaObject& media, std::span<const UInt8> bytes);

// Opens the write target when it is a plain data file (opWrErr while
// another writer has it) and checks that a movie file target can be
// written; closes (syncs) a data file target.
Result<void> open_for_writing(MediaObject& media);
Result<void> close_writing(MediaObject& media);

}  // namespace platform::movies
