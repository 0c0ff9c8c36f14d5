#include "platform/movies/objects/MediaData.h"

#include "platform/movies/format/Alias.h"

namespace platform::movies {

Result<std::shared_ptr<DataSource>> source_of(MediaObject& media, UInt16 ref) {
    if (ref == 0 || ref > media.sources.size()) return fail(badDataRefIndex, "no such data reference");
    SourceSlot& slot = media.sources[ref - 1];
    if (slot.self) {
        MovieObject& movie = media.movie();
        if (!movie.home) return fail(noDefaultDataRef, "the movie has no file of its own");
        return movie.home;
    }
    if (!slot.source) return fail(slot.error ? slot.error : OSErr(couldNotResolveDataRef), "data file not found");
    return slot.source;
}

Result<void> read_media_data(MediaObject& media, UInt16 ref, UInt64 offset, void* out, size_t n) {
    auto source = TRY(source_of(media, ref));
    return source->read(offset, out, n);
}

Result<UInt16> add_data_source(MediaObject& media, std::shared_ptr<DataSource> source) {
    MovieObject& movie = media.movie();
    Media& m = media.data();
    bool self = movie.home && movie.home->identity() == source->identity();
    for (size_t i = 0; i < media.sources.size(); ++i) {
        const SourceSlot& s = media.sources[i];
        if ((self && s.self) || (!s.self && s.source && s.source->identity() == source->identity()))
            return UInt16(i + 1);
    }
    if (media.sources.size() >= 0xFFFF) return fail(paramErr, "too many data references in one media");
    if (!m.data_info) m.data_info = DataInfo{};
    if (!m.data_info->refs) {
        // A media without a reference list kept everything in the movie's file.
        m.data_info->refs = DataReferences{};
        m.data_info->refs->entries.push_back(DataRef::self());
    }
    DataRef ref = DataRef::self();
    SourceSlot slot;
    if (self) {
        slot.self = true;
    } else {
        const std::string& from = movie.home_path.empty() ? source->path() : movie.home_path;
        ref.full.flags = 0;
        ref.data = TRY(make_alias(from, source->path()));
        slot.source = std::move(source);
    }
    m.data_info->refs->entries.push_back(std::move(ref));
    media.sources.push_back(std::move(slot));
    movie.mark_changed();
    return UInt16(media.sources.size());
}

Result<void> open_for_writing(MediaObject& media) {
    if (media.write_ref == 0 || media.write_ref > media.sources.size())
        return fail(badDataRefIndex, "no data reference to write to");
    SourceSlot& slot = media.sources[media.write_ref - 1];
    MovieObject& movie = media.movie();
    if (slot.self) {
        if (movie.imported) return fail(dataNotOpenForWrite, "the movie's file is not a movie file");
        if (!movie.storage) return fail(dataNotOpenForWrite, "the movie's file is not open for writing");
        return ok();
    }
    if (media.append) return ok();
    if (!slot.source) return fail(slot.error ? slot.error : OSErr(couldNotResolveDataRef), "data file not found");
    media.append = TRY(AppendFile::open(slot.source->path()));
    return ok();
}

Result<void> close_writing(MediaObject& media) {
    if (!media.append) return ok();
    auto finished = media.append->finish();
    media.append.reset();
    return finished;
}

Result<UInt64> write_media_data(MediaObject& media, std::span<const UInt8> bytes) {
    TRY(open_for_writing(media));
    if (media.append) return media.append->append(bytes);
    return media.movie().storage->writer->append(bytes);
}

}  // namespace platform::movies
