// MovieFile.h — movie files: reading one into the model, writing a new one
// (ftyp, a growing mdat, then the moov), and replacing the movie of an
// existing file without ever overwriting the live one.
/*
 * A file we write:
 *
 *   ftyp  20 bytes: 'qt  ', minor version 0x20050300, compatible 'qt  '
 *   wide  8 bytes: room for a 64-bit mdat header should the data pass 4 GiB
 *   mdat  sample data, appended as it comes; its size is 0 ("to the end of
 *         the file") while it grows and patched when the data is finished
 *   moov  the movie, optionally followed by a free atom of reserved space
 *
 * The same file with its movie first (a flattened copy that plays while it
 * downloads): ftyp, moov, free (reserved space), then the mdat, whose size
 * is known before its data is written. An mdat whose size (data and its
 * 8-byte header) passes 32 bits takes a 16-byte header: size 1, 'mdat',
 * then the 64-bit size; in a growing file it takes the wide atom's place.
 *
 * Readers take the first moov. Updating a movie writes the new moov into
 * free space typed 'free' (a run of free atoms after the live one, else one
 * before it, else the end of the file), syncs, retypes it 'moov', syncs,
 * retypes any stale moov after the live one 'free' (it would otherwise
 * come first), and only then the old one, with a single 4-byte write: a
 * crash at any point leaves a file whose first moov is either the old movie
 * or the new one. Old movies become free space later updates reuse, so a
 * movie that keeps its size alternates between two places. A movie read
 * from fragments (Fragments.h) lists all its samples itself once saved:
 * the fragments' moof atoms (and their indexes) are retyped 'free' last.
 */
#pragma once

#include <optional>

#include "platform/movies/format/AtomTree.h"
#include "platform/movies/format/Movie.h"

namespace platform::movies {

// Largest movie atom we load (a million-sample movie needs about 12 MB).
inline constexpr UInt64 kMaxMovieAtomSize = UInt64(1) << 30;
// Top-level atoms the reader records; a file with more is refused.
inline constexpr size_t kMaxTopLevelAtoms = 65536;

struct MovieFileLayout {
    UInt64 file_size = 0;
    std::vector<TopAtom> atoms;        // the top level, in file order
    std::optional<size_t> movie;       // index of the first moov
    std::optional<FileType> file_type; // when the file starts with an ftyp
    TopLevelEnd end;                   // end of the last whole atom, damage after it
    bool list_truncated = false;       // more than kMaxTopLevelAtoms atoms
    std::optional<TopAtom> last;       // the last whole atom

    const TopAtom* movie_atom() const { return movie ? &atoms[*movie] : nullptr; }
};

// Where one data reference's samples are.
struct ResolvedDataRef {
    bool in_movie_file = false;
    bool found = false;
    std::string path;          // the file it names, when found elsewhere
    UInt64 size = 0;           // of that file (or of the movie file)
    OSErr error = noErr;       // why it was not found
};

struct MovieFileContents {
    MovieFileLayout layout;
    MovieModel movie;
    // Per track (in movie order), per data reference (in dref order).
    std::vector<std::vector<ResolvedDataRef>> data_refs;
};

// Scans the top level; fails with noMovieFound when there is no moov and
// invalidMovie when damage comes before it.
Result<MovieFileLayout> scan_movie_file(DataFile& file);

// Told how far a long read has come (0...1); a failure it returns stops
// the read with that failure.
using ReadProgress = std::function<Result<void>(double)>;

// Reads, parses and validates the first movie of a file (with the samples
// of its fragments, when it has an mvex: Fragments.h): every chunk must
// lie inside the file its data reference names (checked when that file is
// found; a missing one is reported in data_refs, not failed).
// External references are followed only when `follow_external` is set.
Result<MovieFileContents> read_movie_file(DataFile& file, bool follow_external = true,
                                          const ReadProgress* progress = nullptr);

// Follows a data reference of a movie at `movie_path` (may be empty for a
// file with no path): the movie's own file, an alias (relative path first,
// then absolute) or a 'url ' path; only regular files are accepted.
ResolvedDataRef resolve_data_ref(const DataRef& ref, const std::string& movie_path,
                                 UInt64 movie_file_size);

// Free space kept after a movie atom written at the end of a file or
// before the data of a movie-first file, so that later saves of a movie
// that grows a little go into the file's free space instead of to its end.
// None for very large movies.
UInt32 movie_reserve(UInt64 movie_atom_size);

// Appends sample data to a new or existing movie file and then its movie.
// Every movie file we write is laid out here.
class MovieFileWriter {
public:
    // Empties the file and writes ftyp (`file_type`), wide and an open mdat.
    static Result<MovieFileWriter> create(DataFile& file, const FileType& file_type = FileType{});
    // The movie's bytes when the sample data starts at `data_start`.
    using MovieAt = std::function<Result<std::vector<UInt8>>(UInt64 data_start)>;
    // Empties the file and writes ftyp (`file_type`), the movie `movie_at`
    // gives, its reserved space and the header of an mdat for exactly
    // `data_bytes` bytes, which append() then fills.
    static Result<MovieFileWriter> create_movie_first(DataFile& file, UInt64 data_bytes, const MovieAt& movie_at,
                                                      const FileType& file_type = FileType{});
    // Continues a file whose layout is known: new data goes into a new
    // mdat at the end.
    static Result<MovieFileWriter> append_to(DataFile& file, UInt64 end);

    // Writes bytes into the open mdat (opening one at the end if needed);
    // returns the file offset they start at.
    Result<UInt64> append(std::span<const UInt8> data);
    // The same with `count` bytes of `source` from `from`, copied file to
    // file (DataFile::copy_at).
    Result<UInt64> append_copy(const files::File& source, UInt64 from, UInt64 count);
    // Patches the open mdat's size: 32 bits, or 64 bits in place of the
    // wide atom before it when the data passed 4 GiB.
    Result<void> finish_data();
    // Finishes the data, then appends the movie and, when `reserve` is at
    // least 8, a free atom of that many bytes after it.
    Result<TopAtom> append_movie(const MovieModel& movie, UInt32 reserve);
    // The same with the movie's usual reserve (movie_reserve()).
    Result<TopAtom> append_movie(const MovieModel& movie);

    // For a file its caller syncs once complete (a copy renamed into place
    // afterwards): append_movie then leaves the sync to the caller.
    void leave_sync_to_caller() { sync_movie_ = false; }

    UInt64 end() const { return end_; }

private:
    explicit MovieFileWriter(DataFile& file) : file_(&file) {}
    Result<void> open_mdat();
    // Checks that `count` more bytes of data may come; where they go.
    Result<UInt64> data_at(UInt64 count);
    Result<TopAtom> append_movie_bytes(std::vector<UInt8>& bytes, UInt32 reserve);

    DataFile* file_;
    UInt64 end_ = 0;
    std::optional<UInt64> wide_at_;   // the open mdat's wide atom
    UInt64 mdat_at_ = 0;
    std::optional<UInt64> data_end_;  // where a movie-first file's data must end
    bool sync_movie_ = true;
};

// Makes the end of a file safe to append to: an atom that runs to the end
// of the file (size 0) gets its real size, past 4 GiB in place of a wide
// atom right before it. Returns the end of the last whole atom.
Result<UInt64> prepare_end_of_file(DataFile& file);

// Replaces the file's live movie with `movie` as described above and
// returns where the new moov went. Finish a writer's data first; to add
// samples afterwards, continue with MovieFileWriter::append_to(file, the
// new layout's end), since the new movie may have gone to the end.
Result<TopAtom> update_movie_file(DataFile& file, const MovieModel& movie);

}  // namespace platform::movies
