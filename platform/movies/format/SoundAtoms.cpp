#include "platform/movies/format/SoundAtoms.h"

namespace platform::movies {
namespace {

constexpr OSErr kBad = invalidSampleDescription;

Result<void> parse_atoms(ByteReader body, SoundAtoms& s, int depth) {
    ChildReader children(body);
    while (!children.done()) {
        // Some writers pad the extensions with zeros: nothing follows them.
        if (load_u32be(children.tail().data()) == 0) break;
        ChildAtom c = TRY_AS(children.next(), kBad);
        ByteReader r = c.body;
        switch (c.header.type) {
        case fourcc("wave"):
            if (depth > 0) break;   // a 'wave' inside a 'wave' is not ours to read
            TRY(parse_atoms(r, s, depth + 1));
            break;
        case fourcc("frma"):
            s.original_format = TRY_AS(r.u32(), kBad);
            break;
        case fourcc("enda"): {
            // Written as u16 by most, as u8 or u32 by some: the last byte says.
            if (r.remaining() == 0) return fail(kBad, "'enda' atom without its flag");
            s.little_endian = r.data().back() != 0;
            break;
        }
        case fourcc("esds"):
            s.esds = TRY(parse_esds(r.data()));
            break;
        case fourcc("alac"):
            if (c.header.body_size() < 4 + 24) return fail(kBad, "'alac' atom shorter than its configuration");
            s.alac.assign(c.whole.begin(), c.whole.end());
            break;
        case fourcc("dOps"):
            if (c.header.body_size() < 11) return fail(kBad, "'dOps' atom shorter than 11 bytes");
            s.dops.assign(r.data().begin(), r.data().end());
            break;
        case fourcc("dfLa"):
            TRY_AS(read_full_header(r), kBad);
            s.dfla.assign(r.data().begin() + long(r.position()), r.data().end());
            break;
        case fourcc("chan"): {
            TRY_AS(read_full_header(r), kBad);
            ChannelLayout l;
            l.tag = TRY_AS(r.u32(), kBad);
            l.bitmap = TRY_AS(r.u32(), kBad);
            l.descriptions = TRY_AS(r.u32(), kBad);
            if (l.descriptions > r.remaining() / 20) return fail(kBad, "'chan' lists more channels than it holds");
            s.chan = l;
            break;
        }
        default:
            break;
        }
    }
    return ok();
}

}  // namespace

Result<SoundAtoms> SoundAtoms::parse(std::span<const UInt8> extensions) {
    SoundAtoms s;
    TRY(parse_atoms(ByteReader(extensions, kBad), s, 0));
    return s;
}

void SoundAtoms::dump(std::ostream& out, int level) const {
    const std::string in = indent(level);
    if (original_format) out << in << "original format '" << fourcc_string(original_format) << "'\n";
    if (little_endian) out << in << (*little_endian ? "little" : "big") << "-endian samples\n";
    if (esds)
        out << in << "elementary stream: object type 0x" << std::hex << int(esds->object_type) << std::dec
            << ", " << esds->specific.size() << " bytes of decoder configuration\n";
    if (!alac.empty()) out << in << "lossless configuration, " << alac.size() << " bytes\n";
    if (!dops.empty()) out << in << "Opus header, " << int(dops[1]) << " channel(s), pre-skip " << load_u16be(&dops[2]) << "\n";
    if (!dfla.empty()) out << in << "FLAC metadata, " << dfla.size() << " bytes\n";
    if (chan)
        out << in << "channel layout tag 0x" << std::hex << chan->tag << ", bitmap 0x" << chan->bitmap << std::dec
            << ", " << chan->descriptions << " description(s)\n";
}

}  // namespace platform::movies
