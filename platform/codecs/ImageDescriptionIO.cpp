#include "platform/codecs/ImageDescriptionIO.h"

#include <cstring>

namespace platform::codecs {
namespace {

using movies::ColorEntry;
using movies::StoredColorTable;
using movies::VideoDescription;

Error bad(const char* message) { return fail(badImageDescription, message); }

// The fixed part between the stored model and the memory record.
VideoDescription to_model(const ImageDescription& d) {
    VideoDescription v;
    v.codec = d.cType;
    store_u32be(v.reserved.data(), UInt32(d.resvd1));
    store_u16be(v.reserved.data() + 4, UInt16(d.resvd2));
    v.data_ref_index = UInt16(d.dataRefIndex);
    v.version = d.version;
    v.revision = d.revisionLevel;
    v.vendor = OSType(d.vendor);
    v.temporal_quality = d.temporalQuality;
    v.spatial_quality = d.spatialQuality;
    v.width = d.width;
    v.height = d.height;
    v.h_res = d.hRes;
    v.v_res = d.vRes;
    v.data_size = UInt32(d.dataSize);
    v.frame_count = d.frameCount;
    std::memcpy(v.name.field.data(), d.name, 32);
    if (v.name.field[0] > 31) v.name.field[0] = 31;
    v.depth = d.depth;
    v.clut_id = d.clutID;
    return v;
}

ImageDescription from_model(const VideoDescription& v, SInt32 idSize) {
    ImageDescription d{};
    d.idSize = idSize;
    d.cType = v.codec;
    d.resvd1 = SInt32(load_u32be(v.reserved.data()));
    d.resvd2 = SInt16(load_u16be(v.reserved.data() + 4));
    d.dataRefIndex = SInt16(v.data_ref_index);
    d.version = v.version;
    d.revisionLevel = v.revision;
    d.vendor = SInt32(v.vendor);
    d.temporalQuality = v.temporal_quality;
    d.spatialQuality = v.spatial_quality;
    d.width = v.width;
    d.height = v.height;
    d.hRes = v.h_res;
    d.vRes = v.v_res;
    d.dataSize = SInt32(v.data_size);
    d.frameCount = v.frame_count;
    std::memcpy(d.name, v.name.field.data(), 32);
    d.depth = v.depth;
    d.clutID = v.clut_id;
    return d;
}

template <class T>
T host(const UInt8* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
void put_host(std::vector<UInt8>& out, T v) {
    const auto* p = reinterpret_cast<const UInt8*>(&v);
    out.insert(out.end(), p, p + sizeof v);
}

// A ColorTable record in host order, as the memory form holds it.
Result<StoredColorTable> host_table(std::span<const UInt8> bytes) {
    if (bytes.size() < 8) return bad("colour table header past the description");
    StoredColorTable t;
    t.seed = host<UInt32>(bytes.data());
    t.flags = host<UInt16>(bytes.data() + 4);
    const SInt64 entries = SInt64(host<SInt16>(bytes.data() + 6)) + 1;
    if (entries <= 0 || UInt64(entries) * 8 > bytes.size() - 8) return bad("colour table entries past the description");
    t.entries.resize(size_t(entries));
    const UInt8* p = bytes.data() + 8;
    for (ColorEntry& e : t.entries) {
        e = ColorEntry{host<UInt16>(p), host<UInt16>(p + 2), host<UInt16>(p + 4), host<UInt16>(p + 6)};
        p += 8;
    }
    return t;
}

void put_host_table(std::vector<UInt8>& out, const StoredColorTable& t) {
    put_host<UInt32>(out, t.seed);
    put_host<UInt16>(out, t.flags);
    put_host<UInt16>(out, UInt16(t.entries.size() - 1));
    for (const ColorEntry& e : t.entries) {
        put_host(out, e.value);
        put_host(out, e.red);
        put_host(out, e.green);
        put_host(out, e.blue);
    }
}

}  // namespace

bool has_color_table(const ImageDescription& d, size_t bytes_after_fixed_part) {
    return movies::depth_stores_color_table(d.depth, d.clutID) && bytes_after_fixed_part > 0;
}

Result<ImageDescription> read_image_description(ByteReader& r) {
    auto fixed = TRY(r.bytes(kImageDescriptionSize));
    VideoDescription v = TRY(VideoDescription::parse(fixed));
    return from_model(v, SInt32(load_u32be(fixed.data())));
}

void write_image_description(ByteWriter& w, const ImageDescription& d) {
    std::vector<UInt8> bytes = to_model(d).write().bytes;
    store_u32be(bytes.data(), UInt32(d.idSize));
    w.bytes(bytes);
}

Result<std::vector<UInt8>> image_description_from_file(std::span<const UInt8> stored) {
    if (stored.size() < kImageDescriptionSize) return bad("image description shorter than 86 bytes");
    const UInt32 idSize = load_u32be(stored.data());
    if (idSize < kImageDescriptionSize || idSize > stored.size()) return bad("image description size outside its data");
    VideoDescription v = TRY(VideoDescription::parse(stored.first(idSize)));

    const ImageDescription d = from_model(v, SInt32(idSize));
    std::vector<UInt8> out(reinterpret_cast<const UInt8*>(&d), reinterpret_cast<const UInt8*>(&d) + sizeof d);
    std::span<const UInt8> rest = v.extensions;
    if (v.has_stored_color_table()) {
        StoredColorTable t = TRY(v.stored_color_table());
        put_host_table(out, t);
        rest = rest.subspan(t.size());
    }
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

Result<std::vector<UInt8>> image_description_to_file(std::span<const UInt8> memory) {
    if (memory.size() < kImageDescriptionSize) return bad("image description shorter than 86 bytes");
    const ImageDescription d = host<ImageDescription>(memory.data());
    const UInt32 idSize = UInt32(d.idSize);
    if (idSize < kImageDescriptionSize || idSize > memory.size()) return bad("image description size outside its data");

    VideoDescription v = to_model(d);
    std::span<const UInt8> rest = memory.subspan(kImageDescriptionSize, idSize - kImageDescriptionSize);
    if (has_color_table(d, rest.size())) {
        StoredColorTable t = TRY(host_table(rest));
        ByteWriter table;
        t.write(table);
        v.extensions = table.take();
        rest = rest.subspan(t.size());
    }
    v.extensions.insert(v.extensions.end(), rest.begin(), rest.end());
    return std::move(v.write().bytes);
}

}  // namespace platform::codecs
