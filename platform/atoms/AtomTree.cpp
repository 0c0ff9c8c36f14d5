#include "platform/atoms/AtomTree.h"

#include "platform/core/Bytes.h"

namespace platform::atoms {
namespace {

Error damaged(const char* why) { return fail(invalidAtomContainerErr, why); }

// Reads the atom whose header starts at r's position (within its parent's view).
Result<Atom> read_atom(ByteReader& r, size_t base, int depth) {
    if (depth > kMaxAtomDepth) return damaged("atoms nested too deeply");
    Atom atom;
    atom.offset = base + r.position();
    UInt32 size = TRY(r.u32());
    if (size < kAtomHeaderSize || size - 4 > r.remaining()) return damaged("atom size outside its parent");
    atom.type = TRY(r.u32());
    atom.id = TRY(r.s32());
    TRY(r.skip(2));
    UInt16 count = TRY(r.u16());
    TRY(r.skip(4));
    size_t bodyStart = base + r.position();
    ByteReader body = TRY(r.sub(size - kAtomHeaderSize));
    if (count == 0) {
        auto data = TRY(body.bytes(body.remaining()));
        atom.data.assign(data.begin(), data.end());
        return atom;
    }
    if (UInt64(count) * kAtomHeaderSize > body.remaining()) return damaged("more children than room for them");
    atom.children.reserve(count);
    for (UInt16 i = 0; i < count; ++i) atom.children.push_back(TRY(read_atom(body, bodyStart, depth + 1)));
    if (!body.at_end()) return damaged("children do not fill their parent");
    return atom;
}

void write_atom(ByteWriter& w, Atom& atom) {
    atom.offset = w.size();
    w.u32(UInt32(atom_size(atom)));
    w.u32(atom.type);
    w.s32(atom.id);
    w.u16(0);
    w.u16(UInt16(atom.children.size()));
    w.u32(0);
    if (atom.children.empty())
        w.bytes(atom.data.data(), atom.data.size());
    else
        for (Atom& child : atom.children) write_atom(w, child);
}

Atom* find_in(Atom& atom, size_t offset, Atom** parent) {
    for (Atom& child : atom.children) {
        if (child.offset == offset) {
            if (parent) *parent = &atom;
            return &child;
        }
        if (child.offset < offset && offset < child.offset + atom_size(child))
            return find_in(child, offset, parent);
    }
    return nullptr;
}

}  // namespace

UInt64 atom_size(const Atom& atom) {
    UInt64 size = kAtomHeaderSize;
    if (atom.children.empty()) return size + atom.data.size();
    for (const Atom& child : atom.children) size += atom_size(child);
    return size;
}

Result<AtomTree> AtomTree::read(std::span<const UInt8> bytes) {
    ByteReader r(bytes, invalidAtomContainerErr);
    if (bytes.size() < kContainerHeaderSize + kAtomHeaderSize) return damaged("container too short");
    AtomTree tree;
    TRY(r.skip(10));
    tree.lockCount = TRY(r.u16());
    if (load_u32be(bytes.data() + kRootOffset) != bytes.size() - kRootOffset)
        return damaged("root atom does not fill the container");
    ByteReader rest = TRY(r.sub(r.remaining()));
    tree.root = TRY(read_atom(rest, kRootOffset, 0));
    if (tree.root.type != kRootAtomType) return damaged("root atom is not a 'sean' atom");
    if (tree.root.children.empty() && !tree.root.data.empty()) return damaged("root atom holds data");
    return tree;
}

std::vector<UInt8> AtomTree::write() {
    ByteWriter w;
    w.zeros(10);
    w.u16(lockCount);
    write_atom(w, root);
    return w.take();
}

Atom* AtomTree::find(QTAtom atom) {
    if (atom == kParentAtomIsContainer || size_t(atom) == kRootOffset) return &root;
    if (atom < 0) return nullptr;
    return find_in(root, size_t(atom), nullptr);
}

Atom* AtomTree::parent_of(QTAtom atom) {
    if (atom <= 0 || size_t(atom) == kRootOffset) return nullptr;
    Atom* parent = nullptr;
    return find_in(root, size_t(atom), &parent) ? parent : nullptr;
}

}  // namespace platform::atoms
