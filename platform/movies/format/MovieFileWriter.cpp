// Writing movie files: a new file's ftyp and growing mdat, the movie after
// the data, and the crash-safe replacement of a file's movie. Layout in
// MovieFile.h.
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

}  // namespace

Result<MovieFileWriter> MovieFileWriter::create(DataFile& file) {
    MovieFileWriter w(file);
    TRY(file.truncate(0));
    ByteWriter ftyp;
    TRY(FileType{}.write(ftyp));
    TRY(file.write_at(0, ftyp.data(), ftyp.size()));
    w.end_ = ftyp.size();
    TRY(w.open_mdat());
    return w;
}

Result<MovieFileWriter> MovieFileWriter::append_to(DataFile& file, UInt64 end) {
    MovieFileWriter w(file);
    w.end_ = end;
    return w;
}

Result<void> MovieFileWriter::open_mdat() {
    UInt8 h[16];
    store_u32be(h, 8);
    store_u32be(h + 4, kWide);
    store_u32be(h + 8, 0);          // grows to the end of the file until finished
    store_u32be(h + 12, kMdat);
    TRY(file_->write_at(end_, h, sizeof h));
    wide_at_ = end_;
    mdat_at_ = end_ + 8;
    end_ += sizeof h;
    return ok();
}

Result<UInt64> MovieFileWriter::append(std::span<const UInt8> data) {
    if (!wide_at_) TRY(open_mdat());
    UInt64 at = end_;
    if (!data.empty()) TRY(file_->write_at(at, data.data(), data.size()));
    end_ += data.size();
    return at;
}

Result<void> MovieFileWriter::finish_data() {
    if (!wide_at_) return ok();
    UInt64 size = end_ - mdat_at_;
    if (size <= 0xFFFFFFFFu) {
        TRY(write_u32(*file_, mdat_at_, UInt32(size)));
    } else {
        UInt8 h[16];
        store_u32be(h, 1);
        store_u32be(h + 4, kMdat);
        store_u64be(h + 8, end_ - *wide_at_);
        TRY(file_->write_at(*wide_at_, h, sizeof h));
    }
    wide_at_.reset();
    return ok();
}

Result<TopAtom> MovieFileWriter::append_movie(const Movie& movie, UInt32 reserve) {
    TRY(finish_data());
    std::vector<UInt8> bytes = TRY(movie.write());
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
    TRY(file_->sync());
    return atom;
}

Result<TopAtom> update_movie_file(DataFile& file, const Movie& movie) {
    MovieFileLayout l = TRY(scan_movie_file(file));
    const TopAtom old = *l.movie_atom();
    std::vector<UInt8> bytes = TRY(movie.write());
    const UInt64 n = bytes.size();

    // Free space after the live movie that the new one fills exactly, or
    // with room for a free atom after it.
    std::optional<TopAtom> slot;
    for (size_t i = *l.movie + 1; i < l.atoms.size() && !slot; ++i) {
        const TopAtom& a = l.atoms[i];
        if ((a.type != kFree && a.type != kSkip) || a.to_end) continue;
        if (a.size == n || (a.size >= n + 8 && a.size - n <= 0xFFFFFFFFu)) slot = a;
    }

    UInt64 at = slot ? slot->offset : l.end.end;
    if (!slot && l.last && l.last->to_end) {
        // The last atom runs to the end of the file: fix its size first, or
        // what we append would become part of it.
        if (l.last->size > 0xFFFFFFFFu || l.last->header_size != 8)
            return fail(cantPutPublicMovieAtom, "no room after an atom that runs to the end of the file");
        TRY(write_u32(file, l.last->offset, UInt32(l.last->size)));
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
    // 3. The new movie becomes a movie; the old one, first, still wins.
    TRY(write_u32(file, at + 4, kMoov));
    TRY(file.sync());
    // 4. The old one steps aside.
    TRY(write_u32(file, old.offset + 4, kFree));
    TRY(file.sync());
    return TopAtom{kMoov, at, n, 8, false};
}

}  // namespace platform::movies
