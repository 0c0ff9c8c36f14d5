// Writing movie files: a new file's ftyp and growing mdat, the movie after
// the data, and the crash-safe replacement of a file's movie. Layout in
// MovieFile.h.
#include "platform/movies/format/Fragments.h"
#include "platform/movies/format/MovieFile.h"

namespace platform::movies {

namespace {

Result<void> write_header(DataFile& file, UInt64 at, UInt32 size, OSType type) {
    UInt8 h[8];
    store_u32be(h, size);
    store_u32be(h + 4, type);
    return file.write_at(at, h, 8);
}

Result<void> write_u32(DataFile& file, UInt64 at, UInt32 value) {
    UInt8 b[4];
    store_u32be(b, value);
    return file.write_at(at, b, 4);
}

void put_header(std::vector<UInt8>& out, UInt32 size, OSType type) {
    UInt8 h[8];
    store_u32be(h, size);
    store_u32be(h + 4, type);
    out.insert(out.end(), h, h + 8);
}

// An mdat of `data_bytes` takes the 64-bit header when its 32-bit size
// (data and 8-byte header) would not hold it.
bool needs_large_mdat(UInt64 data_bytes) { return data_bytes > 0xFFFFFFFFu - 8; }

// The 16-byte header of an mdat too large for 32 bits.
void put_large_mdat(std::vector<UInt8>& out, UInt64 data_bytes) {
    UInt8 h[16];
    store_u32be(h, 1);
    store_u32be(h + 4, kMdat);
    store_u64be(h + 8, data_bytes + 16);
    out.insert(out.end(), h, h + 16);
}

// The children of the container atom at `begin`, as (offset, size, type).
template <class F>
void for_each_child(const std::vector<UInt8>& bytes, size_t begin, F&& f) {
    const size_t end = begin + load_u32be(&bytes[begin]);
    for (size_t at = begin + 8; at + 8 <= end;) {
        const size_t size = load_u32be(&bytes[at]);
        if (size < 8 || size > end - at) return;
        f(at, size, load_u32be(&bytes[at + 4]));
        at += size;
    }
}

// Encrypted media keep each sample's initialization vector and subsample
// map in an senc atom of the sample table, and its saio gives their place
// as a file offset. A movie written at `at` puts them elsewhere than the
// movie they were read from: the offset follows them.
void point_at_sample_encryption(std::vector<UInt8>& moov, UInt64 at) {
    auto each = [&](size_t atom, OSType type, auto&& f) {
        for_each_child(moov, atom, [&](size_t child, size_t, OSType t) {
            if (t == type) f(child);
        });
    };
    each(0, kTrak, [&](size_t trak) { each(trak, kMdia, [&](size_t mdia) { each(mdia, kMinf, [&](size_t minf) {
        each(minf, kStbl, [&](size_t stbl) {
            std::optional<size_t> senc, saio;
            for_each_child(moov, stbl, [&](size_t child, size_t size, OSType t) {
                if (t == kSenc && size >= 16 && !(load_u32be(&moov[child + 8]) & 1)) senc = child;
                if (t == kSaio && size >= 16) saio = child;
            });
            if (!senc || !saio) return;
            const UInt32 full = load_u32be(&moov[*saio + 8]);
            const size_t count_at = *saio + 12 + (full & 1 ? 8 : 0);
            const size_t offset_size = full >> 24 ? 8 : 4;
            if (count_at + 4 + offset_size > *saio + load_u32be(&moov[*saio]) || load_u32be(&moov[count_at]) != 1)
                return;
            const UInt64 entries = at + *senc + 16;
            if (offset_size == 8) store_u64be(&moov[count_at + 4], entries);
            else if (entries <= 0xFFFFFFFFu) store_u32be(&moov[count_at + 4], UInt32(entries));
        });
    }); }); });
}

Result<std::vector<UInt8>> file_type_bytes(const FileType& type = FileType{}) {
    ByteWriter ftyp;
    TRY(type.write(ftyp));
    return ftyp.take();
}

}  // namespace

UInt32 movie_reserve(UInt64 n) {
    // Twice the movie: the first two saves go after the live movie, and
    // from then on the old movies' places, which join into one free run,
    // take the next ones in turn.
    if (n > (UInt64(1) << 19)) return 0;
    return UInt32(2 * n + 1024);
}

Result<MovieFileWriter> MovieFileWriter::create(DataFile& file, const FileType& file_type) {
    MovieFileWriter w(file);
    TRY(file.truncate(0));
    std::vector<UInt8> ftyp = TRY(file_type_bytes(file_type));
    TRY(file.write_at(0, ftyp.data(), ftyp.size()));
    w.end_ = ftyp.size();
    TRY(w.open_mdat());
    return w;
}

Result<MovieFileWriter> MovieFileWriter::create_movie_first(DataFile& file, UInt64 data_bytes,
                                                            const MovieAt& movie_at, const FileType& file_type) {
    const std::vector<UInt8> ftyp = TRY(file_type_bytes(file_type));
    const UInt64 mdat_header = needs_large_mdat(data_bytes) ? 16 : 8;
    // The movie's size depends on whether its offsets need 64 bits, which
    // depends on its size: settle it in a few rounds.
    UInt64 moov_size = 0;
    for (int round = 0; round < 4; ++round) {
        const UInt32 reserve = movie_reserve(moov_size);
        const UInt64 data_start = ftyp.size() + moov_size + (reserve >= 8 ? reserve : 0) + mdat_header;
        std::vector<UInt8> movie = TRY(movie_at(data_start));
        if (movie.size() != moov_size) {
            moov_size = movie.size();
            continue;
        }
        point_at_sample_encryption(movie, ftyp.size());
        std::vector<UInt8> head = ftyp;
        head.insert(head.end(), movie.begin(), movie.end());
        if (reserve >= 8) {
            put_header(head, reserve, kFree);
            head.resize(head.size() + reserve - 8);
        }
        if (mdat_header == 16) put_large_mdat(head, data_bytes);
        else put_header(head, UInt32(data_bytes + 8), kMdat);
        MovieFileWriter w(file);
        TRY(file.truncate(0));
        TRY(file.write_at(0, head.data(), head.size()));
        w.end_ = head.size();
        w.data_end_ = w.end_ + data_bytes;
        return w;
    }
    return fail(internalQuickTimeError, "the movie's size does not settle");
}

Result<MovieFileWriter> MovieFileWriter::append_to(DataFile& file, UInt64 end) {
    MovieFileWriter w(file);
    w.end_ = end;
    return w;
}

Result<void> MovieFileWriter::open_mdat() {
    std::vector<UInt8> h;
    put_header(h, 8, kWide);
    put_header(h, 0, kMdat);   // grows to the end of the file until finished
    TRY(file_->write_at(end_, h.data(), h.size()));
    wide_at_ = end_;
    mdat_at_ = end_ + 8;
    end_ += h.size();
    return ok();
}

Result<UInt64> MovieFileWriter::data_at(UInt64 count) {
    if (data_end_) {
        if (count > *data_end_ - end_) return fail(internalQuickTimeError, "more data than its mdat holds");
    } else if (!wide_at_) {
        TRY(open_mdat());
    }
    return end_;
}

Result<UInt64> MovieFileWriter::append(std::span<const UInt8> data) {
    UInt64 at = TRY(data_at(data.size()));
    if (!data.empty()) TRY(file_->write_at(at, data.data(), data.size()));
    end_ += data.size();
    return at;
}

Result<UInt64> MovieFileWriter::append_copy(const files::File& source, UInt64 from, UInt64 count) {
    UInt64 at = TRY(data_at(count));
    if (count) TRY(file_->copy_at(at, source, from, count));
    end_ += count;
    return at;
}

Result<void> MovieFileWriter::finish_data() {
    if (data_end_) {
        if (end_ != *data_end_) return fail(internalQuickTimeError, "less data than its mdat holds");
        data_end_.reset();
        return ok();
    }
    if (!wide_at_) return ok();
    const UInt64 data_bytes = end_ - mdat_at_ - 8;
    if (!needs_large_mdat(data_bytes)) {
        TRY(write_u32(*file_, mdat_at_, UInt32(data_bytes + 8)));
    } else {
        std::vector<UInt8> h;
        put_large_mdat(h, data_bytes);
        TRY(file_->write_at(*wide_at_, h.data(), h.size()));
    }
    wide_at_.reset();
    return ok();
}

Result<TopAtom> MovieFileWriter::append_movie(const MovieModel& movie, UInt32 reserve) {
    std::vector<UInt8> bytes = TRY(movie.write());
    return append_movie_bytes(bytes, reserve);
}

Result<TopAtom> MovieFileWriter::append_movie(const MovieModel& movie) {
    std::vector<UInt8> bytes = TRY(movie.write());
    return append_movie_bytes(bytes, movie_reserve(bytes.size()));
}

Result<TopAtom> MovieFileWriter::append_movie_bytes(std::vector<UInt8>& bytes, UInt32 reserve) {
    TRY(finish_data());
    point_at_sample_encryption(bytes, end_);
    TopAtom atom{kMoov, end_, bytes.size(), 8, false};
    TRY(file_->write_at(end_, bytes.data(), bytes.size()));
    end_ += bytes.size();
    if (reserve >= 8) {
        TRY(write_header(*file_, end_, reserve, kFree));
        std::vector<UInt8> zeros(std::min<UInt32>(reserve - 8, 1u << 16));
        for (UInt64 done = 8; done < reserve;) {
            size_t n = size_t(std::min<UInt64>(zeros.size(), reserve - done));
            TRY(file_->write_at(end_ + done, zeros.data(), n));
            done += n;
        }
        end_ += reserve;
    }
    if (sync_movie_) TRY(file_->sync());
    return atom;
}

namespace {

// Gives an atom that runs to the end of the file its real size, so that
// something can follow it: 32 bits, or past 4 GiB a 64-bit size written
// over the wide atom right before it (a growing mdat of ours).
Result<void> close_open_atom(DataFile& file, const TopAtom& last, const std::optional<TopAtom>& before) {
    if (last.size <= 0xFFFFFFFFu) {
        TRY(write_u32(file, last.offset, UInt32(last.size)));
    } else if (before && before->type == kWide && before->size == 8 && before->end() == last.offset) {
        UInt8 h[16];
        store_u32be(h, 1);
        store_u32be(h + 4, last.type);
        store_u64be(h + 8, last.size + 8);
        TRY(file.write_at(before->offset, h, 16));
    } else {
        return fail(cantPutPublicMovieAtom, "no room after an atom that runs to the end of the file");
    }
    return file.sync();
}

}  // namespace

Result<UInt64> prepare_end_of_file(DataFile& file) {
    std::optional<TopAtom> last, before;
    TopLevelEnd end = TRY(walk_top_level(file, [&](const TopAtom& a) {
        before = last;
        last = a;
        return true;
    }));
    if (last && last->to_end) TRY(close_open_atom(file, *last, before));
    return end.end;
}

namespace {

// A run of adjacent free space at the top level: free or skip atoms with
// nothing between them.
struct FreeRun {
    UInt64 offset = 0;
    UInt64 size = 0;
    size_t atoms = 0;
    bool plain_header = true;   // one atom with an 8-byte header
};

std::vector<FreeRun> free_runs(const MovieFileLayout& l) {
    std::vector<FreeRun> runs;
    for (size_t i = 0; i < l.atoms.size(); ++i) {
        const TopAtom& a = l.atoms[i];
        bool is_free = (a.type == kFree || a.type == kSkip) && !a.to_end;
        if (!is_free) continue;
        if (!runs.empty() && runs.back().offset + runs.back().size == a.offset && i > 0 &&
            (l.atoms[i - 1].type == kFree || l.atoms[i - 1].type == kSkip)) {
            runs.back().size += a.size;
            runs.back().atoms++;
            runs.back().plain_header = false;
        } else {
            runs.push_back(FreeRun{a.offset, a.size, 1, a.header_size == 8});
        }
    }
    return runs;
}

// A run that takes `n` bytes exactly, or with room for a free atom after.
bool fits(const FreeRun& r, UInt64 n) {
    if (r.size > 0xFFFFFFFFu) return false;
    return r.size == n || r.size >= n + 8;
}

}  // namespace

Result<TopAtom> update_movie_file(DataFile& file, const MovieModel& movie) {
    MovieFileLayout l = TRY(scan_movie_file(file));
    const TopAtom old = *l.movie_atom();
    std::vector<UInt8> bytes = TRY(movie.write());
    const UInt64 n = bytes.size();

    // Free space the new movie fits in: after the live movie first, then
    // before it (the new one becomes the first movie the moment it is
    // typed so, which is as safe), else the end of the file.
    std::optional<FreeRun> slot;
    for (const FreeRun& r : free_runs(l))
        if (r.offset > old.offset && fits(r, n)) {
            slot = r;
            break;
        }
    if (!slot)
        for (const FreeRun& r : free_runs(l))
            if (r.offset < old.offset && fits(r, n)) slot = r;

    UInt64 at = slot ? slot->offset : l.end.end;
    point_at_sample_encryption(bytes, at);
    if (!slot && l.last && l.last->to_end) {
        // The last atom runs to the end of the file: fix its size first, or
        // what we append would become part of it.
        std::optional<TopAtom> before;
        if (!l.list_truncated && l.atoms.size() >= 2) before = l.atoms[l.atoms.size() - 2];
        TRY(close_open_atom(file, *l.last, before));
    }

    // 0. Adjacent free atoms become one, so that nothing inside the run is
    //    read as a header while the new movie is written into it.
    if (slot && !slot->plain_header) {
        TRY(write_header(file, at, UInt32(slot->size), kFree));
        TRY(file.sync());
    }
    // 1. The new movie's body inside free space; nothing a reader uses yet.
    bool split = slot && slot->size != n;
    if (split) TRY(write_header(file, at + n, UInt32(slot->size - n), kFree));
    TRY(file.write_at(at + 8, bytes.data() + 8, size_t(n - 8)));
    if (!slot) TRY(write_header(file, at, UInt32(n), kFree));
    TRY(file.sync());
    // 2. Free space split: the first part takes the new movie's size.
    if (split) {
        TRY(write_u32(file, at, UInt32(n)));
        TRY(file.sync());
    }
    // 3. The new movie becomes a movie. After the old one, the old one
    //    still wins; before it, the new one wins from here on.
    TRY(write_u32(file, at + 4, kMoov));
    TRY(file.sync());
    // 4. Stale movies after the live one, which readers skip, become free
    //    space: once the live one steps aside, one of them before the new
    //    movie would be the first. Then the old one steps aside.
    bool stale = false;
    for (const TopAtom& a : l.atoms)
        if (a.type == kMoov && a.offset != old.offset) {
            TRY(write_u32(file, a.offset + 4, kFree));
            stale = true;
        }
    if (stale) TRY(file.sync());
    TRY(write_u32(file, old.offset + 4, kFree));
    TRY(file.sync());
    // 5. A movie read from fragments now lists every sample itself: the
    //    fragments' descriptions become free space, so that no reader adds
    //    their samples a second time.
    if (!is_fragmented(movie)) {
        bool retyped = false;
        for (const TopAtom& a : l.atoms)
            if (is_fragment_index(a.type)) {
                TRY(write_u32(file, a.offset + 4, kFree));
                retyped = true;
            }
        if (retyped) TRY(file.sync());
    }
    return TopAtom{kMoov, at, n, 8, false};
}

}  // namespace platform::movies
