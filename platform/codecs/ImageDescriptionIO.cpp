#include "platform/codecs/ImageDescriptionIO.h"

#include <cstring>

namespace platform::codecs {
namespace {

Error bad(const char* message) { return fail(badImageDescription, message); }

// Widths of the fixed part's fields in order; 0 marks the 32-byte name.
constexpr int kFields[] = {4, 4, 4, 2, 2, 2, 2, 4, 4, 4, 2, 2, 4, 4, 4, 2, 0, 2, 2};

template <class T>
T get(const UInt8* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T>
void put(UInt8* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

// Moves one field of `width` bytes from `in` to `out`, from host order to
// big-endian (toFile) or back.
void swap_field(const UInt8* in, UInt8* out, int width, bool toFile) {
    if (width == 4) {
        if (toFile) store_u32be(out, get<UInt32>(in));
        else put<UInt32>(out, load_u32be(in));
    } else {
        if (toFile) store_u16be(out, get<UInt16>(in));
        else put<UInt16>(out, load_u16be(in));
    }
}

Result<std::vector<UInt8>> convert(std::span<const UInt8> in, bool toFile) {
    if (in.size() < kImageDescriptionSize) return bad("image description shorter than 86 bytes");
    const UInt32 idSize = toFile ? get<UInt32>(in.data()) : load_u32be(in.data());
    if (idSize < kImageDescriptionSize || idSize > in.size())
        return bad("image description size outside its data");

    std::vector<UInt8> out(in.begin(), in.begin() + idSize);
    size_t at = 0;
    for (int width : kFields) {
        if (width == 0) {
            if (out[at] > 31) out[at] = 31;
            at += 32;
            continue;
        }
        swap_field(&in[at], &out[at], width, toFile);
        at += size_t(width);
    }

    const UInt8* fixed = toFile ? in.data() : out.data();   // host-order copy
    const SInt16 depth = get<SInt16>(fixed + 82);
    const SInt16 clutID = get<SInt16>(fixed + 84);
    if (!has_color_table(depth, clutID)) return out;

    if (idSize - at < 8) return bad("colour table header past the description");
    swap_field(&in[at], &out[at], 4, toFile);
    swap_field(&in[at + 4], &out[at + 4], 2, toFile);
    swap_field(&in[at + 6], &out[at + 6], 2, toFile);
    const SInt16 ctSize = get<SInt16>((toFile ? in.data() : out.data()) + at + 6);
    at += 8;
    const SInt64 entries = SInt64(ctSize) + 1;
    if (entries < 0 || UInt64(entries) * 8 > idSize - at)
        return bad("colour table entries past the description");
    for (SInt64 i = 0; i < entries * 4; ++i, at += 2) swap_field(&in[at], &out[at], 2, toFile);
    return out;
}

}  // namespace

Result<ImageDescription> read_image_description(ByteReader& r) {
    ImageDescription d{};
    d.idSize = TRY(r.s32());
    d.cType = TRY(r.u32());
    d.resvd1 = TRY(r.s32());
    d.resvd2 = TRY(r.s16());
    d.dataRefIndex = TRY(r.s16());
    d.version = TRY(r.s16());
    d.revisionLevel = TRY(r.s16());
    d.vendor = TRY(r.s32());
    d.temporalQuality = TRY(r.u32());
    d.spatialQuality = TRY(r.u32());
    d.width = TRY(r.s16());
    d.height = TRY(r.s16());
    d.hRes = TRY(r.s32());
    d.vRes = TRY(r.s32());
    d.dataSize = TRY(r.s32());
    d.frameCount = TRY(r.s16());
    auto name = TRY(r.bytes(32));
    std::memcpy(d.name, name.data(), 32);
    if (d.name[0] > 31) d.name[0] = 31;
    d.depth = TRY(r.s16());
    d.clutID = TRY(r.s16());
    return d;
}

void write_image_description(ByteWriter& w, const ImageDescription& d) {
    w.s32(d.idSize);
    w.u32(d.cType);
    w.s32(d.resvd1);
    w.s16(d.resvd2);
    w.s16(d.dataRefIndex);
    w.s16(d.version);
    w.s16(d.revisionLevel);
    w.s32(d.vendor);
    w.u32(d.temporalQuality);
    w.u32(d.spatialQuality);
    w.s16(d.width);
    w.s16(d.height);
    w.s32(d.hRes);
    w.s32(d.vRes);
    w.s32(d.dataSize);
    w.s16(d.frameCount);
    w.bytes(d.name, 32);
    w.s16(d.depth);
    w.s16(d.clutID);
}

Result<std::vector<UInt8>> image_description_from_file(std::span<const UInt8> stored) {
    return convert(stored, false);
}

Result<std::vector<UInt8>> image_description_to_file(std::span<const UInt8> memory) {
    return convert(memory, true);
}

}  // namespace platform::codecs
