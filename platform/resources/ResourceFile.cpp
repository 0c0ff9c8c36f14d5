/*
 * Resource files: the classic resource-fork layout, stored as a plain file.
 * All numbers are big-endian.
 *
 *   Header (16 bytes, at offset 0)
 *     0  u32  data offset      where the data area starts (256 by convention;
 *                              bytes 16..255 are reserved and written as 0)
 *     4  u32  map offset
 *     8  u32  data length
 *    12  u32  map length
 *
 *   Data area: one entry per resource, not padded
 *     0  u32  length n
 *     4  n    bytes
 *
 *   Map (offsets inside it are from the start of the map)
 *     0  16   copy of the header (not checked on reading)
 *    16  u32  next map (0)           20  u16  file reference (0)
 *    22  u16  file attributes        24  u16  offset of the type list
 *    26  u16  offset of the name list
 *   Type list (at the type-list offset)
 *     0  u16  number of types - 1 (0xFFFF: no types)
 *     per type, 8 bytes:
 *          u32 type, u16 number of resources - 1,
 *          u16 offset of its reference list, from the start of the type list
 *   Reference list entry, 12 bytes:
 *     0  s16  resource ID
 *     2  u16  name offset from the start of the name list (0xFFFF: no name)
 *     4  u8   attributes
 *     5  u24  offset of the data entry, from the start of the data area
 *     8  u32  reserved (a handle in memory on the original system; written 0)
 *   Name list: length-prefixed names.
 *
 * Reading checks every offset and count before using it. A damaged file
 * gives mapReadErr with a message naming the fault; an empty file eofErr
 * (it has no resources at all). Data entries may not share bytes: the sum
 * of all entries must fit the data area, which also bounds what reading
 * a hostile file can allocate to the size of that file.
 */
#include "platform/resources/ResourceFile.h"

#include <algorithm>
#include <utility>

#include "platform/Errors.h"
#include "platform/core/Bytes.h"

namespace platform::resources {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr size_t kMapHeaderSize = 28;
constexpr size_t kTypeEntrySize = 8;
constexpr size_t kRefEntrySize = 12;
constexpr UInt32 kDataStart = 256;
constexpr UInt16 kNoName = 0xFFFF;

Error damaged(const char* message) { return fail(mapReadErr, message); }

// Adds b to a, failing if the result passes `limit` (or overflows).
bool fits(UInt64 offset, UInt64 length, UInt64 limit) {
    UInt64 end;
    return !add_overflows(offset, length, &end) && end <= limit;
}

struct Span {
    size_t begin, end;
};

}  // namespace

Result<ResourceFile> ResourceFile::parse(std::span<const UInt8> image) {
    if (image.empty()) return fail(eofErr, "the file is empty: it has no resources");
    if (image.size() < kHeaderSize) return damaged("the resource header is truncated");

    ByteReader file(image, mapReadErr);
    const UInt32 dataOffset = TRY(file.u32());
    const UInt32 mapOffset = TRY(file.u32());
    const UInt32 dataLength = TRY(file.u32());
    const UInt32 mapLength = TRY(file.u32());
    if (!fits(dataOffset, dataLength, image.size()))
        return damaged("the resource data area lies outside the file");
    if (!fits(mapOffset, mapLength, image.size()))
        return damaged("the resource map lies outside the file");
    if (dataLength > 0 && mapOffset < UInt64(dataOffset) + dataLength &&
        dataOffset < UInt64(mapOffset) + mapLength)
        return damaged("the resource map overlaps the data area");
    if (mapLength < kMapHeaderSize) return damaged("the resource map is too short");

    ByteReader map = TRY(file.view(mapOffset, mapLength));
    const ByteReader data = TRY(file.view(dataOffset, dataLength));

    ResourceFile out;
    TRY(map.skip(22));
    out.attributes_ = TRY(map.u16());
    const UInt16 typeListOffset = TRY(map.u16());
    const UInt16 nameListOffset = TRY(map.u16());
    if (UInt64(typeListOffset) + 2 > mapLength) return damaged("the type list lies outside the map");
    if (nameListOffset > mapLength) return damaged("the name list lies outside the map");

    // Reference-list offsets count from the type list, so read it through a
    // view that starts there.
    ByteReader typeList = TRY(map.view(typeListOffset, mapLength - typeListOffset));
    const UInt16 storedTypes = TRY(typeList.u16());
    const size_t typeCount = storedTypes == 0xFFFF ? 0 : size_t(storedTypes) + 1;
    if (typeCount * kTypeEntrySize > typeList.remaining())
        return damaged("the type count runs past the end of the map");

    // Everything in the type list's view that is claimed so far; reference
    // lists may overlap neither the type entries nor each other.
    std::vector<Span> claimed{{0, 2 + typeCount * kTypeEntrySize}};
    UInt64 dataUsed = 0;

    for (size_t t = 0; t < typeCount; ++t) {
        ResourceTypeList list;
        list.type = TRY(typeList.u32());
        const size_t refCount = size_t(TRY(typeList.u16())) + 1;
        const UInt16 refListOffset = TRY(typeList.u16());
        if (out.find_type(list.type)) return damaged("a resource type is listed twice");

        const UInt64 refBytes = UInt64(refCount) * kRefEntrySize;
        if (!fits(refListOffset, refBytes, typeList.size()))
            return damaged("a reference list runs past the end of the map");
        ByteReader refs = TRY(typeList.view(refListOffset, size_t(refBytes)));
        claimed.push_back({refListOffset, size_t(refListOffset + refBytes)});

        list.resources.reserve(refCount);
        for (size_t r = 0; r < refCount; ++r) {
            Resource res;
            res.id = TRY(refs.s16());
            const UInt16 nameOffset = TRY(refs.u16());
            res.attributes = TRY(refs.u8());
            const UInt32 entryOffset = TRY(refs.u24());
            TRY(refs.skip(4));
            for (const Resource& other : list.resources)
                if (other.id == res.id) return damaged("a resource ID is listed twice in one type");

            if (nameOffset != kNoName) {
                const UInt64 at = UInt64(nameListOffset) + nameOffset;
                if (at >= mapLength) return damaged("a resource name lies outside the map");
                ByteReader names = TRY(map.view(size_t(at), size_t(mapLength - at)));
                auto name = names.pstring();
                if (!name) return damaged("a resource name runs past the end of the map");
                res.name = std::move(*name);
            }

            if (!fits(entryOffset, 4, dataLength))
                return damaged("a resource's data lies outside the data area");
            ByteReader entry = TRY(data.view(entryOffset, dataLength - entryOffset));
            const UInt32 length = TRY(entry.u32());
            if (length > entry.remaining())
                return damaged("a resource's data runs past the end of the data area");
            dataUsed += 4 + UInt64(length);
            if (dataUsed > dataLength) return damaged("resource data entries overlap");
            auto bytes = TRY(entry.bytes(length));
            res.data.assign(bytes.begin(), bytes.end());
            list.resources.push_back(std::move(res));
        }
        out.types_.push_back(std::move(list));
    }

    std::sort(claimed.begin(), claimed.end(),
              [](const Span& a, const Span& b) { return a.begin < b.begin; });
    for (size_t i = 1; i < claimed.size(); ++i)
        if (claimed[i].begin < claimed[i - 1].end)
            return damaged("reference lists overlap each other or the type list");
    return out;
}

Result<std::vector<UInt8>> ResourceFile::write() const {
    ByteWriter w;
    w.zeros(kDataStart);

    // Data area; remember each entry's offset for the reference lists.
    std::vector<std::vector<UInt32>> entryOffsets;
    for (const ResourceTypeList& list : types_) {
        auto& offsets = entryOffsets.emplace_back();
        for (const Resource& res : list.resources) {
            const size_t at = w.size() - kDataStart;
            if (at > 0xFFFFFF) return fail(paramErr, "resource data passes the 16 MiB a map can address");
            offsets.push_back(UInt32(at));
            w.u32(UInt32(res.data.size()));
            w.bytes(res.data.data(), res.data.size());
        }
    }
    const size_t dataLength = w.size() - kDataStart;
    const size_t mapOffset = w.size();

    size_t refCount = 0;
    for (const auto& list : types_) refCount += list.resources.size();
    const size_t typeListSize = 2 + types_.size() * kTypeEntrySize + refCount * kRefEntrySize;
    const size_t nameListOffset = kMapHeaderSize + typeListSize;
    if (nameListOffset > 0xFFFF) return fail(paramErr, "too many resources for one map");

    w.zeros(16);          // header copy, patched below
    w.u32(0);             // next map
    w.u16(0);             // file reference
    w.u16(attributes_);
    w.u16(UInt16(kMapHeaderSize));
    w.u16(UInt16(nameListOffset));

    w.u16(types_.empty() ? 0xFFFF : UInt16(types_.size() - 1));
    size_t refListOffset = 2 + types_.size() * kTypeEntrySize;
    for (const auto& list : types_) {
        w.u32(list.type);
        w.u16(UInt16(list.resources.size() - 1));
        w.u16(UInt16(refListOffset));
        refListOffset += list.resources.size() * kRefEntrySize;
    }
    ByteWriter names;
    for (size_t t = 0; t < types_.size(); ++t) {
        for (size_t r = 0; r < types_[t].resources.size(); ++r) {
            const Resource& res = types_[t].resources[r];
            w.s16(res.id);
            if (res.name) {
                if (names.size() >= kNoName) return fail(paramErr, "resource names overflow the name list");
                w.u16(UInt16(names.size()));
                names.pstring(*res.name);
            } else {
                w.u16(kNoName);
            }
            w.u8(res.attributes);
            w.u24(entryOffsets[t][r]);
            w.u32(0);
        }
    }
    w.bytes(names.bytes().data(), names.size());
    const size_t mapLength = w.size() - mapOffset;

    const UInt32 header[4] = {kDataStart, UInt32(mapOffset), UInt32(dataLength), UInt32(mapLength)};
    for (size_t i = 0; i < 4; ++i) {
        w.patch_u32(i * 4, header[i]);
        w.patch_u32(mapOffset + i * 4, header[i]);
    }
    return w.take();
}

Result<void> ResourceFile::add(ResType type, SInt16 id, std::optional<std::string> name,
                               std::vector<UInt8> data, UInt8 attributes) {
    if (name && name->size() > 255) return fail(paramErr, "a resource name is longer than 255 bytes");
    if (find(type, id)) return fail(paramErr, "a resource with this type and ID already exists");
    auto it = std::find_if(types_.begin(), types_.end(),
                           [&](const ResourceTypeList& l) { return l.type == type; });
    if (it == types_.end()) {
        if (types_.size() >= 0xFFFF) return fail(paramErr, "too many resource types");
        it = types_.insert(types_.end(), ResourceTypeList{type, {}});
    }
    if (it->resources.size() >= 0x10000) return fail(paramErr, "too many resources of one type");
    it->resources.push_back(Resource{id, attributes, std::move(name), std::move(data)});
    return ok();
}

const ResourceTypeList* ResourceFile::find_type(ResType type) const {
    for (const auto& list : types_)
        if (list.type == type) return &list;
    return nullptr;
}

const Resource* ResourceFile::find(ResType type, SInt16 id) const {
    if (const ResourceTypeList* list = find_type(type))
        for (const Resource& res : list->resources)
            if (res.id == id) return &res;
    return nullptr;
}

}  // namespace platform::resources
