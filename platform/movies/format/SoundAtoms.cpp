#include "platform/movies/format/SoundAtoms.h"

namespace platform::movies {
namespace {

constexpr OSErr kBad = invalidSampleDescription;

// A descriptor's tag and length (1 to 4 bytes of 7 bits); the reader is
// left at its body, which must fit in what is left.
Result<std::pair<UInt8, UInt32>> read_descriptor(ByteReader& r) {
    const UInt8 tag = TRY(r.u8());
    UInt32 length = 0;
    for (int i = 0; i < 4; ++i) {
        const UInt8 b = TRY(r.u8());
        length = length << 7 | (b & 0x7F);
        if (!(b & 0x80)) break;
        if (i == 3) return fail(kBad, "descriptor length longer than 4 bytes");
    }
    if (length > r.remaining()) return fail(kBad, "descriptor runs past its atom");
    return std::pair{tag, length};
}

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
        case fourcc("esds"): {
            TRY_AS(read_full_header(r), kBad);
            s.esds = TRY(EsDescriptor::parse(r.data().subspan(r.position())));
            break;
        }
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

Result<EsDescriptor> EsDescriptor::parse(std::span<const UInt8> body) {
    ByteReader r(body, kBad);
    EsDescriptor d;
    auto [tag, length] = TRY(read_descriptor(r));
    if (tag != 3) return fail(kBad, "'esds' does not start with an elementary stream descriptor");
    ByteReader es = TRY(r.sub(length));
    TRY(es.skip(2));   // ES_ID
    const UInt8 flags = TRY(es.u8());
    if (flags & 0x80) TRY(es.skip(2));
    if (flags & 0x40) TRY(es.skip(TRY(es.u8())));
    if (flags & 0x20) TRY(es.skip(2));
    // The decoder configuration, among whatever other descriptors follow.
    while (es.remaining() > 0) {
        auto [t, n] = TRY(read_descriptor(es));
        ByteReader sub = TRY(es.sub(n));
        if (t != 4) continue;
        d.object_type = TRY(sub.u8());
        d.stream_type = UInt8(TRY(sub.u8()) >> 2);
        TRY(sub.skip(3 + 4));   // buffer size, max bitrate
        d.average_bitrate = TRY(sub.u32());
        while (sub.remaining() > 0) {
            auto [st, sn] = TRY(read_descriptor(sub));
            auto bytes = TRY(sub.bytes(sn));
            if (st == 5) {
                d.specific_info.assign(bytes.begin(), bytes.end());
                break;
            }
        }
        return d;
    }
    return fail(kBad, "'esds' has no decoder configuration");
}

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
            << ", " << esds->average_bitrate << " bit/s average, " << esds->specific_info.size()
            << " bytes of decoder configuration\n";
    if (!alac.empty()) out << in << "lossless configuration, " << alac.size() << " bytes\n";
    if (!dops.empty()) out << in << "Opus header, " << int(dops[1]) << " channel(s), pre-skip " << load_u16be(&dops[2]) << "\n";
    if (!dfla.empty()) out << in << "FLAC metadata, " << dfla.size() << " bytes\n";
    if (chan)
        out << in << "channel layout tag 0x" << std::hex << chan->tag << ", bitmap 0x" << chan->bitmap << std::dec
            << ", " << chan->descriptions << " description(s)\n";
}

}  // namespace platform::movies
