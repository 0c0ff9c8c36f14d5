#include "platform/movies/format/AtomTree.h"

namespace platform::movies {

Result<TopLevelEnd> walk_top_level(DataFile& file, const std::function<bool(const TopAtom&)>& visit) {
    UInt64 size = TRY(file.size());
    TopLevelEnd end;
    UInt64 pos = 0;
    bool stopped = false;
    while (size - pos >= 8) {
        UInt8 head[16];
        size_t n = size - pos >= 16 ? 16 : size_t(size - pos);
        TRY(file.read_at(pos, head, n));
        ByteReader r(head, n, invalidMovie);
        auto h = parse_atom_header(r, size - pos, true);
        if (!h.ok()) {
            end.damaged = true;
            end.damage = h.error();
            break;
        }
        TopAtom a{h->type, pos, h->size, h->header_size, h->to_end};
        pos += h->size;
        end.end = pos;
        if (!visit(a)) {
            stopped = true;
            break;
        }
    }
    if (!stopped && !end.damaged && pos < size) {
        // Fewer than 8 bytes after the last atom: junk, reported as damage.
        end.damaged = true;
        end.damage = Error{invalidMovie, "bytes after the last atom"};
    }
    return end;
}

bool is_container(OSType t) {
    switch (t) {
    case kMoov: case kTrak: case kEdts: case kMdia: case kMinf: case kDinf: case kStbl:
    case kTref: case kUdta: case kGmhd: case kMvex: case kMoof: case kTraf: case kClip:
    case kMatt:
        return true;
    default:
        return false;
    }
}

Result<void> walk_atom_tree(std::span<const UInt8> bytes, UInt64 base, int depth, const AtomVisitor& visit) {
    if (depth > kMaxAtomDepth) return bad_movie("atoms nested too deeply");
    ChildReader children(ByteReader(bytes, invalidMovie));
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        AtomNode node{c.header, base + c.offset, depth};
        visit(node, c.body);
        if (is_container(c.header.type))
            TRY(walk_atom_tree(c.body.data(), node.offset + c.header.header_size, depth + 1, visit));
    }
    return ok();
}

Result<std::vector<UInt8>> read_top_atom(DataFile& file, const TopAtom& atom, UInt64 limit) {
    if (atom.size > limit) return fail(memFullErr, "atom too large to load");
    std::vector<UInt8> bytes(size_t(atom.size));
    TRY(file.read_at(atom.offset, bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace platform::movies
