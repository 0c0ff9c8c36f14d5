#include "platform/movies/format/EditList.h"

namespace platform::movies {

Result<EditList> EditList::parse(ByteReader r) {
    EditList e;
    e.full = TRY(read_full_header(r));
    if (e.full.version > 1) return fail(badEditList, "unknown edit list version");
    UInt32 count = TRY_AS(r.u32(), badEditList);
    size_t entry_size = e.full.version == 1 ? 20 : 12;
    if (count > r.remaining() / entry_size) return fail(badEditList, "edit list count exceeds its atom");
    e.entries.resize(count);
    for (auto& x : e.entries) {
        if (e.full.version == 1) {
            x.track_duration = r.u64().value();
            x.media_time = r.s64().value();
        } else {
            x.track_duration = r.u32().value();
            x.media_time = r.s32().value();
        }
        x.rate = r.s32().value();
    }
    return e;
}

Result<void> EditList::write(ByteWriter& w) const {
    UInt8 v = full.version;
    for (const auto& x : entries)
        if (x.track_duration > 0xFFFFFFFFu || x.media_time > 0x7FFFFFFF || x.media_time < -0x7FFFFFFF - 1)
            v = 1;
    if (entries.size() > 0xFFFFFFFFu) return fail(badEditList, "too many edits");
    size_t at = begin_atom(w, kElst);
    write_full_header(w, {v, full.flags});
    w.u32(UInt32(entries.size()));
    for (const auto& x : entries) {
        if (v == 1) {
            w.u64(x.track_duration);
            w.u64(UInt64(x.media_time));
        } else {
            w.u32(UInt32(x.track_duration));
            w.s32(SInt32(x.media_time));
        }
        w.s32(x.rate);
    }
    return end_atom(w, at);
}

void EditList::dump(std::ostream& out, int level) const {
    out << indent(level) << entries.size() << " edit(s)\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& x = entries[i];
        out << indent(level + 1) << i + 1 << ": track duration " << x.track_duration
            << ", media time " << x.media_time << (x.media_time == -1 ? " (empty)" : "")
            << ", rate " << fixed_string(x.rate) << "\n";
    }
}

Result<Edits> Edits::parse(ByteReader body) {
    Edits e;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        if (c.header.type == kElst && !e.list) {
            e.list = TRY(EditList::parse(c.body));
            last = kElst;
        } else {
            e.kept.keep(last, c.whole);
        }
    }
    e.kept.set_tail(children.tail());
    return e;
}

Result<void> Edits::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kEdts);
    kept.write_after(w, 0);
    if (list) TRY(list->write(w));
    kept.write_after(w, kElst);
    kept.write_tail(w);
    return end_atom(w, at);
}

}  // namespace platform::movies
