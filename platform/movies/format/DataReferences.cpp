#include "platform/movies/format/DataReferences.h"

#include "platform/movies/format/Alias.h"

namespace platform::movies {

Result<DataReferences> DataReferences::parse(ByteReader r) {
    DataReferences d;
    d.full = TRY(read_full_header(r));
    UInt32 count = TRY_AS(r.u32(), invalidDataRef);
    if (count > r.remaining() / 12) return fail(invalidDataRef, "data reference count exceeds its atom");
    d.entries.reserve(count);
    ChildReader children(TRY_AS(r.sub(r.remaining()), invalidDataRef));
    for (UInt32 i = 0; i < count; ++i) {
        if (children.done()) return fail(invalidDataRef, "fewer data references than counted");
        ChildAtom c = TRY(children.next());
        DataRef ref;
        ref.type = c.header.type;
        ref.full = TRY_AS(read_full_header(c.body), invalidDataRef);
        auto data = c.body.data().subspan(c.body.position());
        ref.data.assign(data.begin(), data.end());
        d.entries.push_back(std::move(ref));
    }
    if (!children.done()) return fail(invalidDataRef, "more data references than counted");
    auto tail = children.tail();
    d.tail.assign(tail.begin(), tail.end());
    return d;
}

Result<void> DataReferences::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kDref);
    write_full_header(w, full);
    w.u32(UInt32(entries.size()));
    for (const auto& e : entries) {
        size_t entry = begin_atom(w, e.type);
        write_full_header(w, e.full);
        w.bytes(e.data);
        TRY(end_atom(w, entry));
    }
    w.bytes(tail);
    return end_atom(w, at);
}

void DataReferences::dump(std::ostream& out, int level) const {
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        out << indent(level) << i + 1 << ": '" << fourcc_string(e.type) << "'";
        if (e.in_movie_file()) {
            out << " in the movie file\n";
            continue;
        }
        out << ", " << e.data.size() << " bytes";
        if (e.type == kAlis) {
            auto alias = parse_alias(e.data);
            if (alias.ok())
                out << ", relative \"" << alias->relative_path << "\", absolute \""
                    << alias->absolute_path << "\", levels " << alias->levels_from << "/"
                    << alias->levels_to;
            else
                out << ", unreadable alias: " << alias.error().message;
        } else if (e.type == kUrl) {
            size_t n = 0;
            while (n < e.data.size() && e.data[n]) ++n;
            out << ", \"" << std::string(e.data.begin(), e.data.begin() + long(n)) << "\"";
        }
        out << "\n";
    }
}

Result<DataInfo> DataInfo::parse(ByteReader body) {
    DataInfo d;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        if (c.header.type == kDref && !d.refs) {
            d.refs = TRY(DataReferences::parse(c.body));
            last = kDref;
        } else {
            d.kept.keep(last, c.whole);
        }
    }
    d.kept.set_tail(children.tail());
    return d;
}

Result<void> DataInfo::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kDinf);
    kept.write_after(w, 0);
    if (refs) TRY(refs->write(w));
    kept.write_after(w, kDref);
    kept.write_tail(w);
    return end_atom(w, at);
}

}  // namespace platform::movies
