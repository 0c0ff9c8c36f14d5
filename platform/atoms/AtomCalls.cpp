// The atom container calls. Each call reads (and so validates) the whole
// container from its handle, works on the tree, and writes it back only
// when it changed and the handle could take the new size: a failed call
// leaves the container as it was.
#include <algorithm>
#include <cstring>

#include "platform/Memory.h"
#include "platform/atoms/AtomTree.h"

using namespace platform;
using namespace platform::atoms;

namespace {

// Containers stay well below what a Size and an atom's u32 size can hold.
constexpr UInt64 kMaxContainerBytes = 0x7FFF0000;

Result<AtomTree> load(QTAtomContainer container) {
    if (!container || !*container) return fail(paramErr, "no atom container");
    Size size = GetHandleSize(container);
    return AtomTree::read({reinterpret_cast<const UInt8*>(*container), size_t(size)});
}

OSErr store(QTAtomContainer container, AtomTree& tree) {
    if (atom_size(tree.root) + kContainerHeaderSize > kMaxContainerBytes) return memFullErr;
    std::vector<UInt8> bytes = tree.write();
    SetHandleSize(container, Size(bytes.size()));
    if (OSErr err = MemError()) return err;
    std::memcpy(*container, bytes.data(), bytes.size());
    return noErr;
}

bool is_leaf(const Atom& atom) { return atom.children.empty(); }

// The children of that type, in order.
std::vector<Atom*> of_type(Atom& parent, QTAtomType type) {
    std::vector<Atom*> list;
    for (Atom& child : parent.children)
        if (type == 0 || child.type == type) list.push_back(&child);
    return list;
}

}  // namespace

OSErr QTNewAtomContainer(QTAtomContainer* atomData) {
    if (!atomData) return paramErr;
    *atomData = nullptr;
    AtomTree empty;
    std::vector<UInt8> bytes = empty.write();
    Handle h = NewHandle(Size(bytes.size()));
    if (!h) return MemError() ? MemError() : OSErr(memFullErr);
    std::memcpy(*h, bytes.data(), bytes.size());
    *atomData = h;
    return noErr;
}

OSErr QTDisposeAtomContainer(QTAtomContainer atomData) {
    if (!atomData) return paramErr;
    DisposeHandle(atomData);
    return MemError();
}

OSErr QTInsertChild(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType, QTAtomID id,
                    SInt16 index, SInt32 dataSize, void* data, QTAtom* newAtom) {
    if (newAtom) *newAtom = 0;
    if (dataSize < 0 || (dataSize > 0 && !data)) return paramErr;
    if (atomType == 0) return invalidAtomTypeErr;
    auto loaded = load(container);
    if (!loaded.ok()) return loaded.code();
    AtomTree& tree = *loaded;
    Atom* parent = tree.find(parentAtom);
    if (!parent) return invalidAtomErr;
    if (parent != &tree.root && !parent->data.empty()) return invalidAtomErr;   // a leaf with data
    if (parent->children.size() >= 0xFFFF) return invalidAtomErr;
    if (UInt64(dataSize) + kAtomHeaderSize + atom_size(tree.root) > kMaxContainerBytes) return memFullErr;

    auto same = of_type(*parent, atomType);
    if (index < 0 || size_t(index) > same.size() + 1) return paramErr;
    if (id == 0) {   // the smallest ID not yet taken among them
        id = 1;
        while (std::any_of(same.begin(), same.end(), [&](Atom* a) { return a->id == id; })) ++id;
    } else if (std::any_of(same.begin(), same.end(), [&](Atom* a) { return a->id == id; })) {
        return duplicateAtomTypeAndIDErr;
    }

    Atom atom;
    atom.type = atomType;
    atom.id = id;
    if (dataSize > 0) {
        const UInt8* bytes = static_cast<const UInt8*>(data);   // may point into the container
        atom.data.assign(bytes, bytes + dataSize);
    }
    // Before the index-th atom of the type; at the end for 0, or after the
    // last of the type for one past them.
    size_t at = parent->children.size();
    if (index >= 1 && size_t(index) <= same.size())
        at = size_t(same[size_t(index) - 1] - parent->children.data());
    else if (index >= 1 && !same.empty())
        at = size_t(same.back() - parent->children.data()) + 1;
    parent->children.insert(parent->children.begin() + ptrdiff_t(at), std::move(atom));
    // Writing fills in every offset; `parent` itself has not moved.
    if (OSErr err = store(container, tree)) return err;
    if (newAtom) *newAtom = QTAtom(parent->children[at].offset);
    return noErr;
}

QTAtom QTFindChildByID(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                       QTAtomID id, SInt16* index) {
    auto loaded = load(container);
    if (!loaded.ok()) return 0;
    Atom* parent = loaded->find(parentAtom);
    if (!parent) return 0;
    auto same = of_type(*parent, atomType);
    for (size_t i = 0; i < same.size(); ++i) {
        if (same[i]->id == id) {
            if (index) *index = SInt16(i + 1);
            return QTAtom(same[i]->offset);
        }
    }
    return 0;
}

QTAtom QTFindChildByIndex(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                          SInt16 index, QTAtomID* id) {
    auto loaded = load(container);
    if (!loaded.ok()) return 0;
    Atom* parent = loaded->find(parentAtom);
    if (!parent) return 0;
    auto same = of_type(*parent, atomType);
    if (index < 1 || size_t(index) > same.size()) return 0;
    Atom* atom = same[size_t(index) - 1];
    if (id) *id = atom->id;
    return QTAtom(atom->offset);
}

SInt16 QTCountChildrenOfType(QTAtomContainer container, QTAtom parentAtom, QTAtomType childType) {
    auto loaded = load(container);
    if (!loaded.ok()) return 0;
    Atom* parent = loaded->find(parentAtom);
    return parent ? SInt16(of_type(*parent, childType).size()) : 0;
}

OSErr QTGetAtomDataPtr(QTAtomContainer container, QTAtom atom, SInt32* dataSize, Ptr* atomData) {
    auto loaded = load(container);
    if (!loaded.ok()) return loaded.code();
    Atom* found = loaded->find(atom);
    if (!found || found == &loaded->root || !is_leaf(*found)) return invalidAtomErr;
    if (dataSize) *dataSize = SInt32(found->data.size());
    if (atomData) *atomData = *container + found->offset + kAtomHeaderSize;
    return noErr;
}

OSErr QTSetAtomData(QTAtomContainer container, QTAtom atom, SInt32 dataSize, void* atomData) {
    if (dataSize < 0 || (dataSize > 0 && !atomData)) return paramErr;
    auto loaded = load(container);
    if (!loaded.ok()) return loaded.code();
    AtomTree& tree = *loaded;
    Atom* found = tree.find(atom);
    if (!found || found == &tree.root || !is_leaf(*found)) return invalidAtomErr;
    if (UInt64(dataSize) + atom_size(tree.root) > kMaxContainerBytes) return memFullErr;
    const UInt8* bytes = static_cast<const UInt8*>(atomData);
    found->data.assign(bytes, bytes + dataSize);
    return store(container, tree);
}

OSErr QTRemoveAtom(QTAtomContainer container, QTAtom atom) {
    auto loaded = load(container);
    if (!loaded.ok()) return loaded.code();
    AtomTree& tree = *loaded;
    Atom* parent = tree.parent_of(atom);
    if (!parent) return invalidAtomErr;
    std::erase_if(parent->children, [&](const Atom& a) { return a.offset == size_t(atom); });
    return store(container, tree);
}
