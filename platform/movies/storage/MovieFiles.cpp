// The movie file calls: creating, opening and closing movie files, reading
// a movie from one and writing a movie into one.
/*
 * A movie file's reference number is a File Manager reference number
 * (FSpOpenDF): a file is open for writing at most once (opWrErr for a
 * second writer), and FSClose and CloseMovieFile agree. Movies live in the
 * data fork; resource IDs in and out are movieInDataForkResID.
 *
 * A WAV or AIFF file opens as a movie too (ImportedMovie.h).
 *
 * CreateMovieFile writes the file's head (MovieFile.h) and gives the new
 * movie the file as its storage: AddMediaSample appends into its mdat until
 * CloseMovieFile. AddMovieResource appends the movie with reserved free
 * space after it (or replaces the file's movie, if it has one);
 * UpdateMovieResource replaces it crash-safely.
 */
#include "platform/movies/storage/MovieFiles.h"

#include "platform/files/AccessPaths.h"
#include "platform/files/Catalog.h"
#include "platform/movies/objects/HostDescriptions.h"
#include "platform/movies/objects/ImportedMovie.h"
#include "platform/movies/storage/MovieDestination.h"
#include "platform/movies/progress/MovieProgress.h"
#include "platform/movies/objects/Session.h"
#include "platform/movies/format/Alias.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {

Result<OpenMovieFileRef> open_movie_file_ref(SInt16 ref_num, bool for_writing) {
    files::File* f = files::file_of(ref_num);
    if (!f) return fail(rfNumErr, "no movie file open with that reference number");
    if (for_writing) {
        SInt8 perm = TRY(files::permission_of(ref_num));
        if (perm == fsRdPerm) return fail(wrPermErr, "the movie file is open for reading only");
    }
    FSSpec spec = TRY(files::spec_of(ref_num));
    auto path = TRY(files::path_of(spec));
    return OpenMovieFileRef{f, path.string()};
}

namespace {

// Puts a media's references to other files ahead of its references to the
// movie's own file, renumbering the descriptions. Readers that drop the
// self references from their list (ffmpeg does) then still find the
// external ones under the indexes the descriptions give.
void external_refs_first(pm::Track& track) {
    auto& info = track.media.data_info;
    if (!info || !info->refs) return;
    std::vector<DataRef>& refs = info->refs->entries;
    const auto first_external = std::find_if(refs.begin(), refs.end(), [](const DataRef& r) { return !r.in_movie_file(); });
    if (first_external == refs.end() ||
        std::none_of(refs.begin(), first_external, [](const DataRef& r) { return r.in_movie_file(); }))
        return;
    std::vector<size_t> order;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < refs.size(); ++i)
            if (refs[i].in_movie_file() == (pass == 1)) order.push_back(i);
    std::vector<UInt16> new_index(refs.size() + 1, 0);
    std::vector<DataRef> reordered;
    for (size_t k = 0; k < order.size(); ++k) {
        new_index[order[k] + 1] = UInt16(k + 1);
        reordered.push_back(std::move(refs[order[k]]));
    }
    refs = std::move(reordered);
    for (SampleDescription& d : track.media.descriptions.entries) {
        const UInt16 old = d.data_ref_index();
        if (old >= 1 && old < new_index.size()) store_u16be(&d.bytes[kDescriptionDataRefIndexOffset], new_index[old]);
    }
}

}  // namespace

Result<MovieModel> model_for_file(MovieObject& movie, const FileIdentity& target, const std::string& target_path) {
    pm::MovieModel out = movie.model;
    std::erase_if(out.tracks, [&](const pm::Track& t) {
        TrackObject* o = movie.track(t.header.track_id);
        return !o || !o->has_media;
    });
    if (movie.home && movie.home->identity() == target) {
        for (pm::Track& t : out.tracks) external_refs_first(t);
        return out;
    }
    for (pm::Track& t : out.tracks) {
        MediaObject& media = movie.track(t.header.track_id)->media;
        std::vector<DataRef>* refs = t.media.data_info && t.media.data_info->refs ? &t.media.data_info->refs->entries : nullptr;
        if (!refs) continue;
        for (size_t i = 0; i < refs->size() && i < media.sources.size(); ++i) {
            const SourceSlot& slot = media.sources[i];
            std::shared_ptr<DataSource> src = slot.self ? movie.home : slot.source;
            if (!src) continue;   // nothing to point at: keep the reference as it was
            DataRef& ref = (*refs)[i];
            if (src->identity() == target) {
                ref = DataRef::self();
            } else {
                ref = DataRef{kAlis, FullAtomHeader{0, 0}, TRY(make_alias(target_path, src->path()))};
            }
        }
    }
    for (pm::Track& t : out.tracks) external_refs_first(t);
    return out;
}

}  // namespace platform::movies

namespace platform::movies {
namespace {

// Makes the new movie file: an existing one is deleted first when asked
// (never while someone has it open for writing), the new one gets type
// 'MooV' and the creator. Returns the path it was made at.
Result<std::string> make_movie_file(const FSSpec& spec, OSType creator, SInt32 flags) {
    MovieDestination dest = TRY(check_destination(spec, flags));
    if (dest.exists) TRY(files::unlink_path(dest.path));
    files::File f = TRY(files::File::open(dest.path, files::Access::ReadWrite, files::Create::Exclusive));
    auto marked = mark_as_movie_file(dest.path, creator);
    if (!marked.ok()) {
        (void)files::unlink_path(dest.path);
        return marked.error();
    }
    TRY(f.close());
    return dest.path;
}

Result<MovieObject*> create_movie_file(const FSSpec& spec, OSType creator, SInt32 flags, SInt16* ref_num_out) {
    std::string path = TRY(make_movie_file(spec, creator, flags));
    FSSpec target;
    OSErr made = files::make_fsspec(path, &target);
    if (made != noErr) return fail(made, "the new file has no specification");
    SInt16 ref = TRY(files::open_data_fork(target, fsRdWrPerm));
    auto cleanup = [&](Error e) -> Error {
        FSClose(ref);
        return e;
    };
    files::File* f = files::file_of(ref);
    auto data_file = borrow_data_file(*f, path);
    auto writer = MovieFileWriter::create(*data_file);
    if (!writer.ok()) return cleanup(writer.error());

    MovieObject* movie = nullptr;
    if (!(UInt32(flags) & createMovieFileDontCreateMovie)) {
        auto home = DataSource::reopen(*f, path);
        if (!home.ok()) return cleanup(home.error());
        movie = new_movie_object(flags);
        movie->home_path = path;
        movie->home = std::move(home).value();
        movie->home_ref_num = ref;
        if (!(UInt32(flags) & createMovieFileDontOpenFile)) {
            MovieStorage s;
            s.ref_num = ref;
            s.file = std::move(data_file);
            s.writer = std::move(writer).value();
            movie->storage = std::move(s);
        }
    }
    if (UInt32(flags) & createMovieFileDontOpenFile) {
        if (movie) movie->storage.reset();
        FSClose(ref);
        ref = 0;
    }
    *ref_num_out = ref;
    return movie;
}

Result<MovieObject*> movie_from_file(SInt16 ref_num, SInt16 flags) {
    OpenMovieFileRef ref = TRY(open_movie_file_ref(ref_num, false));
    // A sound file is imported: a movie that plays it in place.
    if (TRY(is_sound_file(*ref.file))) return movie_from_sound_file(*ref.file, ref.path, ref_num, flags);
    auto file = borrow_data_file(*ref.file, ref.path);
    MovieProgress progress(nullptr, kMovieDefaultProgressProc, 0, progressOpLoadMovieIntoRam);
    ReadProgress report = [&](double done) { return progress.update(done); };
    MovieFileContents contents =
        TRY(read_movie_file(*file, !(flags & newMovieDontResolveDataRefs), &report));
    auto home = TRY(DataSource::reopen(*ref.file, ref.path));

    MovieObject* movie = new_movie_object(flags);
    movie->model = std::move(contents.movie);
    movie->home_path = ref.path;
    movie->home = std::move(home);
    movie->home_ref_num = ref_num;
    movie->volume = movie->model.header.preferred_volume;
    std::vector<UInt32> ids;
    for (const pm::Track& t : movie->model.tracks) ids.push_back(t.header.track_id);
    // Tracks go into the objects under their IDs; the model keeps them in order.
    std::vector<Track> tracks = std::move(movie->model.tracks);
    movie->model.tracks.clear();
    UInt32 next = movie->model.header.next_track_id;
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].header.track_id == 0 || movie->track(tracks[i].header.track_id)) {
            delete movie;
            return fail(invalidTrack, "two tracks share an ID");
        }
        TrackObject* t = movie->add_track(std::move(tracks[i]), true);
        movie->attach_sources(t->media, &contents.data_refs[i]);
    }
    movie->model.header.next_track_id = next;   // as stored
    return movie;
}

// Writes the movie into the file of a reference number: in place of the
// file's movie when it has one, else after everything in it.
Result<void> write_movie_into(MovieObject& movie, SInt16 ref_num, bool must_replace) {
    OpenMovieFileRef ref = TRY(open_movie_file_ref(ref_num, true));
    if (movie.imported && movie.home_ref_num == ref_num)
        return fail(cantPutPublicMovieAtom, "the movie's file is not a movie file");
    TRY(check_encryption_kept(movie.model));
    FileIdentity id = TRY(identity_of(*ref.file));
    if (must_replace) {
        // The name must still lead to the file we have open: a file that took
        // its place (a Save As onto it) is not ours to change.
        auto at_path = identity_of_path(ref.path);
        if (!at_path.ok() || *at_path != id)
            return fail(fnfErr, "the movie file is no longer at its path");
    }
    bool own_storage = movie.storage && movie.storage->ref_num == ref_num;
    if (own_storage) TRY(movie.storage->writer->finish_data());
    pm::MovieModel model = TRY(model_for_file(movie, id, ref.path));
    auto file = borrow_data_file(*ref.file, ref.path);

    auto layout = scan_movie_file(*file);
    if (layout.ok() || must_replace) {
        if (!layout.ok()) return layout.error();
        TRY(update_movie_file(*file, model));
        if (own_storage) movie.storage->writer = TRY(MovieFileWriter::append_to(*movie.storage->file, TRY(file->size())));
        return ok();
    }
    if (own_storage) {
        TRY(movie.storage->writer->append_movie(model));
        return ok();
    }
    if (layout.code() != noMovieFound) return layout.error();
    UInt64 end = TRY(prepare_end_of_file(*file));
    auto writer = TRY(MovieFileWriter::append_to(*file, end));
    TRY(writer.append_movie(model));
    return ok();
}

}  // namespace
}  // namespace platform::movies

OSErr CreateMovieFile(const FSSpec* fileSpec, OSType creator, ScriptCode /*scriptTag*/, SInt32 createMovieFileFlags,
                      SInt16* resRefNum, ::Movie* newmovie) {
    if (resRefNum) *resRefNum = 0;
    if (newmovie) *newmovie = nullptr;
    if (!fileSpec) return set_error(paramErr);
    SInt16 ref = 0;
    auto made = create_movie_file(*fileSpec, creator, createMovieFileFlags, &ref);
    if (!made.ok()) return set_error(made.code());
    if (resRefNum) *resRefNum = ref;
    if (newmovie) *newmovie = to_api(*made);
    else if (*made) (void)dispose_movie_object(*made);
    return set_error(noErr);
}

OSErr OpenMovieFile(const FSSpec* fileSpec, SInt16* resRefNum, SInt8 permission) {
    if (!resRefNum) return set_error(paramErr);
    return set_error(FSpOpenDF(fileSpec, permission, resRefNum));
}

OSErr CloseMovieFile(SInt16 resRefNum) {
    OSErr first = noErr;
    for (MovieObject* m : live_movies()) {
        if (!m->storage || m->storage->ref_num != resRefNum) continue;
        auto finished = finish_storage(*m);
        if (!finished.ok() && first == noErr) first = finished.code();
        m->storage.reset();
    }
    OSErr closed = FSClose(resRefNum);
    return set_error(first != noErr ? first : closed);
}

OSErr DeleteMovieFile(const FSSpec* fileSpec) { return set_error(FSpDelete(fileSpec)); }

OSErr NewMovieFromFile(::Movie* theMovie, SInt16 resRefNum, SInt16* resId, StringPtr resName, SInt16 newMovieFlags,
                       Boolean* dataRefWasChanged) {
    if (dataRefWasChanged) *dataRefWasChanged = false;
    if (!theMovie) return set_error(paramErr);
    *theMovie = nullptr;
    auto movie = movie_from_file(resRefNum, newMovieFlags);
    if (!movie.ok()) return set_error(movie.code());
    *theMovie = to_api(*movie);
    if (resId) *resId = movieInDataForkResID;
    if (resName) resName[0] = 0;
    return set_error(noErr);
}

OSErr AddMovieResource(::Movie theMovie, SInt16 resRefNum, SInt16* resId, ConstStr255Param /*resName*/) {
    MovieObject* m = movie_of(theMovie);
    if (!m) return set_error(invalidMovie);
    auto written = write_movie_into(*m, resRefNum, false);
    if (!written.ok()) return set_error(written.code());
    if (resId) *resId = movieInDataForkResID;
    return set_error(noErr);
}

OSErr UpdateMovieResource(::Movie theMovie, SInt16 resRefNum, SInt16 /*resId*/, ConstStr255Param /*resName*/) {
    MovieObject* m = movie_of(theMovie);
    if (!m) return set_error(invalidMovie);
    return set_error(write_movie_into(*m, resRefNum, true).code());
}
