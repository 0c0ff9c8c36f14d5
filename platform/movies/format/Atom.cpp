#include "platform/movies/format/Atom.h"

#include <algorithm>
#include <cstdio>

namespace platform::movies {

Result<AtomHeader> parse_atom_header(ByteReader& r, UInt64 space, bool top_level) {
    AtomHeader h;
    UInt32 size32 = TRY_AS(r.u32(), invalidMovie);
    h.type = TRY_AS(r.u32(), invalidMovie);
    if (size32 == 1) {
        h.header_size = 16;
        h.size = TRY_AS(r.u64(), invalidMovie);
        if (h.size < 16) return bad_movie("64-bit atom size smaller than its header");
    } else if (size32 == 0) {
        if (!top_level) return bad_movie("atom of size 0 inside another atom");
        h.to_end = true;
        h.size = space;
    } else {
        if (size32 < 8) return bad_movie("atom size smaller than its header");
        h.size = size32;
    }
    if (h.size > space) {
        return bad_movie(top_level ? "atom runs past the end of the file"
                                   : "atom larger than its parent");
    }
    return h;
}

Result<ChildAtom> ChildReader::next() {
    ChildAtom c;
    c.offset = body_.position();
    UInt64 space = body_.remaining();
    ByteReader peek = TRY_AS(body_.view(c.offset, space < 16 ? space : 16), invalidMovie);
    c.header = TRY(parse_atom_header(peek, space, false));
    c.whole = TRY_AS(body_.bytes(size_t(c.header.size)), invalidMovie);
    c.body = ByteReader(c.whole.subspan(c.header.header_size), invalidMovie);
    return c;
}

void KeptAtoms::drop(std::span<const OSType> types) {
    std::erase_if(atoms_, [&](const std::pair<OSType, RawAtom>& a) {
        return std::find(types.begin(), types.end(), a.second.type) != types.end();
    });
}

void KeptAtoms::keep(OSType after, std::span<const UInt8> whole) {
    RawAtom a;
    a.type = whole.size() >= 8 ? load_u32be(whole.data() + 4) : 0;
    a.bytes.assign(whole.begin(), whole.end());
    atoms_.emplace_back(after, std::move(a));
}

void KeptAtoms::write_after(ByteWriter& w, OSType after) const {
    for (const auto& [a, atom] : atoms_)
        if (a == after) w.bytes(atom.bytes);
}

size_t begin_atom(ByteWriter& w, OSType type) {
    size_t start = w.size();
    w.u32(0);
    w.u32(type);
    return start;
}

Result<void> end_atom(ByteWriter& w, size_t start) {
    size_t size = w.size() - start;
    if (size > 0xFFFFFFFFu) return fail(invalidMovie, "atom too large to write");
    w.patch_u32(start, UInt32(size));
    return ok();
}

Result<FullAtomHeader> read_full_header(ByteReader& r) {
    FullAtomHeader h;
    h.version = TRY_AS(r.u8(), invalidMovie);
    h.flags = TRY_AS(r.u24(), invalidMovie);
    return h;
}

void write_full_header(ByteWriter& w, FullAtomHeader h) {
    w.u8(h.version);
    w.u24(h.flags);
}

std::string indent(int level) { return std::string(size_t(level) * 2, ' '); }

std::string fixed_string(SInt32 v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", double(v) / 65536.0);
    return buf;
}

std::string fixed8_string(SInt16 v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", double(v) / 256.0);
    return buf;
}

std::string hex_bytes(std::span<const UInt8> bytes, size_t max) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size() && i < max; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        if (i) out += ' ';
        out += buf;
    }
    if (bytes.size() > max) out += " ...";
    return out;
}

}  // namespace platform::movies
