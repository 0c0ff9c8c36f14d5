// Reading a movie file: the top-level scan, the first moov, its data
// references and the check of every chunk against the file it lives in.
#include <algorithm>
#include <cstring>

#include "platform/movies/format/Alias.h"
#include "platform/movies/format/Fragments.h"
#include "platform/movies/format/MovieFile.h"
#include "platform/movies/format/SampleFraming.h"

namespace platform::movies {

Result<MovieFileLayout> scan_movie_file(DataFile& file) {
    MovieFileLayout l;
    l.file_size = TRY(file.size());
    l.end = TRY(walk_top_level(file, [&](const TopAtom& a) {
        l.last = a;
        if (l.atoms.size() >= kMaxTopLevelAtoms) {
            l.list_truncated = true;
            return true;
        }
        if (a.type == kMoov && !l.movie) l.movie = l.atoms.size();
        l.atoms.push_back(a);
        return true;
    }));
    if (!l.movie) {
        if (l.list_truncated) return bad_movie("too many top-level atoms before the movie");
        if (l.end.damaged && l.end.end + 8 <= l.file_size) return l.end.damage;
        return fail(noMovieFound, "the file holds no movie");
    }
    if (!l.atoms.empty() && l.atoms[0].type == kFtyp && l.atoms[0].size <= 4096) {
        auto bytes = TRY(read_top_atom(file, l.atoms[0], 4096));
        auto ft = FileType::parse(ByteReader(std::span(bytes).subspan(l.atoms[0].header_size), invalidMovie));
        if (ft.ok()) l.file_type = std::move(*ft);
    }
    return l;
}

ResolvedDataRef resolve_data_ref(const DataRef& ref, const std::string& movie_path, UInt64 movie_file_size) {
    ResolvedDataRef out;
    if (ref.in_movie_file()) {
        out.in_movie_file = out.found = true;
        out.size = movie_file_size;
        return out;
    }
    std::string folder = movie_path.empty() ? std::string() : folder_of(movie_path);
    std::vector<std::string> candidates;
    auto add_relative = [&](const std::string& p) {
        if (p.empty()) return;
        if (p[0] == '/') candidates.push_back(p);
        else if (!folder.empty()) candidates.push_back(folder == "/" ? "/" + p : folder + "/" + p);
    };
    if (ref.type == kAlis) {
        auto alias = parse_alias(ref.data);
        if (!alias.ok()) {
            out.error = alias.code();
            return out;
        }
        add_relative(alias->relative_path);
        if (!alias->absolute_path.empty() && alias->absolute_path[0] == '/')
            candidates.push_back(alias->absolute_path);
    } else if (ref.type == kUrl) {
        size_t n = 0;
        while (n < ref.data.size() && ref.data[n]) ++n;
        std::string url(ref.data.begin(), ref.data.begin() + long(n));
        if (url.rfind("file://", 0) == 0) url = url.substr(7);
        if (url.find("://") == std::string::npos) add_relative(url);
    }
    for (const std::string& c : candidates) {
        auto f = open_data_file(c, OpenMode::read);
        if (!f.ok()) continue;
        auto size = (*f)->size();
        if (!size.ok()) continue;
        out.found = true;
        out.path = (*f)->path();
        out.size = *size;
        return out;
    }
    out.error = couldNotResolveDataRef;
    return out;
}

namespace {

Result<void> check_chunks(const Media& media, const std::vector<ResolvedDataRef>& refs) {
    const auto& descriptions = media.descriptions.entries;
    const auto framings = media_framings(media.type(), media.descriptions);
    return media.samples.for_each_chunk([&](const SampleTable::ChunkInfo& c) -> Result<void> {
        // finish() and check_descriptions() have made both indexes valid.
        const ResolvedDataRef& ref = refs[descriptions[c.description - 1].data_ref_index() - 1];
        if (!ref.found) return ok();
        const auto& framing = framings[c.description - 1];
        UInt64 bytes = framing ? framing->bytes(c.samples) : c.bytes;
        UInt64 end;
        if (add_overflows(c.offset, bytes, &end) || end > ref.size)
            return fail(invalidSampleTable, "a chunk lies past the end of its data file");
        return ok();
    });
}

}  // namespace

Result<MovieFileContents> read_movie_file(DataFile& file, bool follow_external, const ReadProgress* progress) {
    auto report = [&](double done) -> Result<void> { return progress ? (*progress)(done) : ok(); };
    MovieFileContents c;
    c.layout = TRY(scan_movie_file(file));
    const TopAtom& m = *c.layout.movie_atom();
    {
        if (m.size > kMaxMovieAtomSize) return fail(memFullErr, "atom too large to load");
        std::vector<UInt8> bytes(size_t(m.size));
        constexpr size_t kPiece = size_t(1) << 22;
        for (size_t at = 0; at < bytes.size(); at += kPiece) {
            size_t n = std::min(kPiece, bytes.size() - at);
            TRY(file.read_at(m.offset + at, bytes.data() + at, n));
            TRY(report(0.4 * double(at + n) / double(bytes.size())));
        }
        std::span<const UInt8> body = std::span<const UInt8>(bytes).subspan(m.header_size);
        TRY(walk_atom_tree(body, m.offset + m.header_size, 1, [](const AtomNode&, ByteReader) {}));
        c.movie = TRY(MovieModel::parse(ByteReader(body, invalidMovie)));
    }
    TRY(read_fragments(file, c.layout, c.movie));
    TRY(report(0.8));
    size_t checked = 0;
    for (const Track& t : c.movie.tracks) {
        std::vector<ResolvedDataRef> refs;
        if (!t.media.data_refs()) {
            refs.push_back(resolve_data_ref(DataRef::self(), file.path(), c.layout.file_size));
        } else {
            for (const DataRef& r : *t.media.data_refs()) {
                if (!follow_external && !r.in_movie_file()) {
                    ResolvedDataRef skipped;
                    skipped.error = couldNotResolveDataRef;
                    refs.push_back(skipped);
                } else {
                    refs.push_back(resolve_data_ref(r, file.path(), c.layout.file_size));
                }
            }
        }
        TRY(check_chunks(t.media, refs));
        c.data_refs.push_back(std::move(refs));
        TRY(report(0.8 + 0.2 * double(++checked) / double(c.movie.tracks.size())));
    }
    return c;
}

}  // namespace platform::movies
