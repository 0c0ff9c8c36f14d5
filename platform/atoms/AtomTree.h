/*
 * AtomTree.h — atom containers as a tree, read from and written to bytes.
 *
 * Layout of a container (all big-endian), as it sits in its handle:
 *
 *   0    10  reserved, zero
 *   10   2   lock count
 *   12       the root atom, type 'sean', ID 1, holding every other atom
 *
 * Every atom, the root too, starts with a 20-byte header:
 *
 *   +0   4   size: the whole atom, header included
 *   +4   4   type
 *   +8   4   atom ID
 *   +12  2   reserved, zero
 *   +14  2   child count
 *   +16  4   reserved, zero
 *   +20      child count > 0: the children, one after another, filling the
 *            atom exactly; child count 0: the atom's data (size - 20 bytes)
 *
 * An empty container is 32 bytes: the 12-byte header and a root of size 20.
 * A QTAtom is the offset of an atom's header from the start of the handle;
 * 0 (kParentAtomIsContainer) stands for the root.
 *
 * Reading validates everything: the root fills the rest of the container
 * exactly and is a 'sean' atom, every size lies within its parent and is
 * at least a header, children fill their parent exactly and match its
 * count, nesting is at most kMaxAtomDepth deep. Any failure is
 * invalidAtomContainerErr.
 */
#pragma once

#include <span>
#include <vector>

#include "platform/AtomContainers.h"
#include "platform/core/Result.h"

namespace platform::atoms {

inline constexpr size_t kContainerHeaderSize = 12;
inline constexpr size_t kAtomHeaderSize = 20;
inline constexpr size_t kRootOffset = kContainerHeaderSize;
inline constexpr int kMaxAtomDepth = 32;
inline constexpr QTAtomType kRootAtomType = 'sean';

struct Atom {
    QTAtomType type = 0;
    QTAtomID id = 0;
    std::vector<UInt8> data;      // leaves only
    std::vector<Atom> children;   // parents only
    size_t offset = 0;            // where the header sits, after read() or write()
};

struct AtomTree {
    UInt16 lockCount = 0;
    Atom root{kRootAtomType, 1, {}, {}, kRootOffset};

    static Result<AtomTree> read(std::span<const UInt8> bytes);
    // The bytes of the container; fills in every atom's offset.
    std::vector<UInt8> write();

    // The atom at a QTAtom offset (0: the root), or null.
    Atom* find(QTAtom atom);
    // The parent of the atom at that offset (null for the root or none).
    Atom* parent_of(QTAtom atom);
};

// The size of an atom as written (overflow-free: containers stay below 2 GB).
UInt64 atom_size(const Atom& atom);

}  // namespace platform::atoms
