#include "platform/movies/format/CodecConfig.h"

#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "platform/movies/format/SampleDescriptions.h"

namespace platform::movies {

namespace {

struct Descriptor {
    UInt8 tag = 0;
    ByteReader body;
};

Result<Descriptor> read_descriptor(ByteReader& r) {
    Descriptor d;
    d.tag = TRY(r.u8());
    UInt32 length = 0;
    for (int i = 0; i < 4; ++i) {
        const UInt8 b = TRY(r.u8());
        length = (length << 7) | (b & 0x7F);
        if (!(b & 0x80)) break;
    }
    auto bytes = TRY(r.bytes(length));
    d.body = ByteReader(bytes, invalidSampleDescription);
    return d;
}

// The first descriptor with that tag among the rest of `r`'s.
Result<Descriptor> find_descriptor(ByteReader& r, UInt8 tag) {
    while (!r.at_end()) {
        Descriptor d = TRY(read_descriptor(r));
        if (d.tag == tag) return d;
    }
    return fail(invalidSampleDescription, "descriptor missing from esds");
}

}  // namespace

Result<ElementaryStream> parse_esds(std::span<const UInt8> body) {
    ByteReader r(body, invalidSampleDescription);
    TRY(r.skip(4));   // version, flags
    Descriptor es = TRY(find_descriptor(r, 3));
    TRY(es.body.skip(2));
    const UInt8 flags = TRY(es.body.u8());
    if (flags & 0x80) TRY(es.body.skip(2));
    if (flags & 0x40) TRY(es.body.skip(TRY(es.body.u8())));
    if (flags & 0x20) TRY(es.body.skip(2));
    Descriptor config = TRY(find_descriptor(es.body, 4));
    ElementaryStream out;
    out.object_type = TRY(config.body.u8());
    TRY(config.body.skip(12));
    if (config.body.at_end()) return out;   // no specific information: allowed
    auto specific = find_descriptor(config.body, 5);
    if (specific.ok()) {
        auto bytes = specific->body.data();
        out.specific.assign(bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<UInt8> decoder_config(OSType format, std::span<const UInt8> atoms) {
    auto body_of = [&](OSType type) -> std::vector<UInt8> {
        auto body = find_atom(atoms, type);
        return body ? std::vector<UInt8>(body->begin(), body->end()) : std::vector<UInt8>{};
    };
    switch (format) {
    case fourcc("avc1"): case fourcc("avc3"): return body_of(fourcc("avcC"));
    case fourcc("hvc1"): case fourcc("hev1"): return body_of(fourcc("hvcC"));
    case fourcc("av01"): return body_of(fourcc("av1C"));
    case fourcc("SVQ3"): return body_of(fourcc("SMI "));
    default: break;
    }
    if (auto esds = find_atom(atoms, fourcc("esds"))) {
        auto es = parse_esds(*esds);
        if (es.ok()) return std::move(es->specific);
    }
    return body_of(fourcc("glbl"));
}

}  // namespace platform::movies
