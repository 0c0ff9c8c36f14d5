// AtomDump.h — the atom tree as movdump prints it.
#pragma once

#include <ostream>

#include "platform/movies/format/AtomTree.h"

namespace movdump {

// Prints every top-level atom with its offset and size, and the tree inside
// each one that is not sample data. Fails when the tree is damaged (what
// came before the damage has been printed).
platform::Result<void> print_atom_tree(std::ostream& out, platform::movies::DataFile& file);

}  // namespace movdump
