#include "platform/movies/format/TrackReferences.h"

namespace platform::movies {

const TrackReference* TrackReferences::find(OSType type) const {
    for (const auto& r : refs)
        if (r.type == type) return &r;
    return nullptr;
}

Result<TrackReferences> TrackReferences::parse(ByteReader body) {
    TrackReferences t;
    ChildReader children(body);
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        if (c.body.remaining() % 4) return bad_movie("track reference list of odd size");
        TrackReference ref{c.header.type, {}};
        ref.track_ids.reserve(c.body.remaining() / 4);
        while (!c.body.at_end()) ref.track_ids.push_back(c.body.u32().value());
        t.refs.push_back(std::move(ref));
    }
    auto tail = children.tail();
    t.tail.assign(tail.begin(), tail.end());
    return t;
}

Result<void> TrackReferences::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kTref);
    for (const auto& r : refs) {
        size_t ref = begin_atom(w, r.type);
        for (UInt32 id : r.track_ids) w.u32(id);
        TRY(end_atom(w, ref));
    }
    w.bytes(tail);
    return end_atom(w, at);
}

void TrackReferences::dump(std::ostream& out, int level) const {
    for (const auto& r : refs) {
        out << indent(level) << "'" << fourcc_string(r.type) << "' ->";
        for (UInt32 id : r.track_ids) out << " " << id;
        out << "\n";
    }
}

}  // namespace platform::movies
