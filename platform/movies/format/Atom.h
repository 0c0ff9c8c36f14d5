// Atom.h — the frame every atom shares, and the pieces all atom classes use.
/*
 * Atom layout (every number big-endian):
 *
 *   offset  size  field
 *   0       4     size     whole atom, header included;
 *                          0 = the atom runs to the end of the file (top level only),
 *                          1 = the real size follows the type as a 64-bit number
 *   4       4     type     four-character code
 *   8       8     size64   only when size == 1
 *   8|16    ...   body     size - header bytes
 *
 * A "full" atom starts its body with a version byte and 24 bits of flags.
 * A container's body is a run of child atoms; fewer than 8 bytes left over
 * at its end (such as the 32-bit zero that ends a user data list) are kept
 * as the container's tail.
 *
 * Each atom is parsed inside a reader bounded to its declared size and its
 * parent always resumes right after it. Children this layer does not know
 * are kept byte for byte (KeptAtoms) and written back where they were.
 */
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "platform/movies/format/AtomCodes.h"

namespace platform::movies {

// How deep containers may nest before a file is refused.
inline constexpr int kMaxAtomDepth = 16;

struct AtomHeader {
    OSType type = 0;
    UInt64 size = 0;          // whole atom, header included
    UInt32 header_size = 8;   // 8, or 16 with a 64-bit size
    bool to_end = false;      // declared size 0: runs to the end of the file

    UInt64 body_size() const { return size - header_size; }
};

// Reads a header at the reader's position. `space` is how many bytes the
// enclosing container (or the file) holds from the atom's first byte on;
// an atom claiming more fails with invalidMovie. Size 0 is accepted only
// when `top_level`. The reader is left at the start of the body.
Result<AtomHeader> parse_atom_header(ByteReader& r, UInt64 space, bool top_level);

// One child of a container, with a reader bounded to its body.
struct ChildAtom {
    AtomHeader header;
    size_t offset = 0;                 // within the container body
    ByteReader body;
    std::span<const UInt8> whole;      // header and body, for keeping as is
};

// Walks the children of a container body.
class ChildReader {
public:
    explicit ChildReader(ByteReader body) : body_(body) {}
    // True when fewer than 8 bytes are left (the rest is the tail).
    bool done() const { return body_.remaining() < 8; }
    Result<ChildAtom> next();
    std::span<const UInt8> tail() const { return body_.data().subspan(body_.position()); }

private:
    ByteReader body_;
};

// An atom kept exactly as read.
struct RawAtom {
    OSType type = 0;
    std::vector<UInt8> bytes;          // header included
    bool operator==(const RawAtom&) const = default;
};

// The children of a container that this layer does not model. Each keeps
// the type of the known child it followed (0: it came first), so the
// container's writer can put it back in the same place.
class KeptAtoms {
public:
    void keep(OSType after, std::span<const UInt8> whole);
    void set_tail(std::span<const UInt8> tail) { tail_.assign(tail.begin(), tail.end()); }
    // Forgets the kept atoms of these types.
    void drop(std::span<const OSType> types);

    void write_after(ByteWriter& w, OSType after) const;
    void write_tail(ByteWriter& w) const { w.bytes(tail_); }

    bool empty() const { return atoms_.empty() && tail_.empty(); }
    size_t count() const { return atoms_.size(); }
    const std::vector<std::pair<OSType, RawAtom>>& atoms() const { return atoms_; }
    const std::vector<UInt8>& tail() const { return tail_; }

    bool operator==(const KeptAtoms&) const = default;

private:
    std::vector<std::pair<OSType, RawAtom>> atoms_;
    std::vector<UInt8> tail_;
};

// Writes a header with a placeholder size; end_atom() patches in the size
// of what was written since. Atoms we write never need a 64-bit size
// except mdat, which the file writer handles itself.
size_t begin_atom(ByteWriter& w, OSType type);
Result<void> end_atom(ByteWriter& w, size_t start);

struct FullAtomHeader {
    UInt8 version = 0;
    UInt32 flags = 0;   // 24 bits
    bool operator==(const FullAtomHeader&) const = default;
};
Result<FullAtomHeader> read_full_header(ByteReader& r);
void write_full_header(ByteWriter& w, FullAtomHeader h);

// Failures of this layer carry a fixed message and a movie result code.
inline Error bad_movie(const char* message) { return Error{invalidMovie, message}; }

// --- Printing helpers for movdump.
std::string indent(int level);
std::string fixed_string(SInt32 v);        // 16.16 as a decimal
std::string fixed8_string(SInt16 v);       // 8.8 as a decimal
std::string hex_bytes(std::span<const UInt8> bytes, size_t max = 32);

}  // namespace platform::movies
