// AtomTree.h — walking atoms without modelling them: the top level of a
// file (headers read one at a time, sample data never loaded) and the tree
// inside a loaded atom. movdump prints with these; the reader uses the
// tree walk to refuse nesting deeper than kMaxAtomDepth.
#pragma once

#include <functional>

#include "platform/movies/format/Atom.h"
#include "platform/movies/format/DataFile.h"

namespace platform::movies {

struct TopAtom {
    OSType type = 0;
    UInt64 offset = 0;
    UInt64 size = 0;
    UInt32 header_size = 8;
    bool to_end = false;

    UInt64 end() const { return offset + size; }
};

// How the top-level walk ended.
struct TopLevelEnd {
    UInt64 end = 0;            // end of the last whole atom
    bool damaged = false;      // a header past it is unreadable or runs past the end
    Error damage{};            // what was wrong with it
};

// Calls `visit` for each top-level atom; stops early when it returns false.
// Leftover bytes or a damaged atom end the walk and are reported, not
// failed: the caller decides whether what came before is enough.
Result<TopLevelEnd> walk_top_level(DataFile& file, const std::function<bool(const TopAtom&)>& visit);

// Atom types whose bodies are lists of atoms.
bool is_container(OSType type);

struct AtomNode {
    AtomHeader header;
    UInt64 offset = 0;         // in the file
    int depth = 0;             // 0 = top level
};

// Walks every atom in `bytes` (the body of an atom at depth `depth` - 1
// whose body starts at file offset `base`), descending into containers.
// Fails with invalidMovie on a damaged header or nesting past kMaxAtomDepth.
using AtomVisitor = std::function<void(const AtomNode&, ByteReader body)>;
Result<void> walk_atom_tree(std::span<const UInt8> bytes, UInt64 base, int depth, const AtomVisitor& visit);

// Reads a whole top-level atom into memory (for moov and other small ones);
// refuses atoms larger than `limit`.
Result<std::vector<UInt8>> read_top_atom(DataFile& file, const TopAtom& atom, UInt64 limit);

}  // namespace platform::movies
