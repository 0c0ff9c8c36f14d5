// Container descriptors' data (layout in DescData.h) and descriptor handles.
#include "platform/appleevents/DescData.h"

#include <algorithm>
#include <cstring>

#include "platform/Memory.h"
#include "platform/memory/MemoryInternal.h"

namespace platform::appleevents {

namespace {

constexpr size_t kItemHeader = 12;

Result<Items> read_items(ByteReader& r) {
    UInt32 count = TRY(r.u32());
    if (count > r.remaining() / kItemHeader) return fail(errAECorruptData, "item count exceeds the data");
    Items items;
    items.reserve(count);
    for (UInt32 i = 0; i < count; ++i) {
        Item item;
        item.key = TRY(r.u32());
        item.type = TRY(r.u32());
        UInt32 size = TRY(r.u32());
        auto bytes = TRY(r.bytes(size));
        item.data.assign(bytes.begin(), bytes.end());
        items.push_back(std::move(item));
    }
    return items;
}

void put_items(ByteWriter& w, const Items& items) {
    w.u32(UInt32(items.size()));
    for (const auto& item : items) {
        w.u32(item.key);
        w.u32(item.type);
        w.u32(UInt32(item.data.size()));
        w.bytes(item.data.data(), item.data.size());
    }
}

}  // namespace

bool is_list_type(DescType type) { return type == typeAEList || type == typeAERecord; }

Result<Items> parse_items(std::span<const UInt8> data) {
    if (data.empty()) return Items{};
    ByteReader r(data, errAECorruptData);
    Items items = TRY(read_items(r));
    if (!r.at_end()) return fail(errAECorruptData, "bytes after the last item");
    return items;
}

std::vector<UInt8> write_items(const Items& items) {
    ByteWriter w;
    put_items(w, items);
    return w.take();
}

Result<EventData> parse_event(std::span<const UInt8> data) {
    EventData event;
    if (data.empty()) return event;
    ByteReader r(data, errAECorruptData);
    event.attributes = TRY(read_items(r));
    event.parameters = TRY(read_items(r));
    if (!r.at_end()) return fail(errAECorruptData, "bytes after the parameters");
    return event;
}

std::vector<UInt8> write_event(const EventData& event) {
    ByteWriter w;
    put_items(w, event.attributes);
    put_items(w, event.parameters);
    return w.take();
}

Result<void> check_data(DescType type, std::span<const UInt8> data) {
    if (is_list_type(type)) TRY(parse_items(data));
    if (type == typeAppleEvent) TRY(parse_event(data));
    return ok();
}

Result<std::vector<UInt8>> data_of(const AEDesc& desc) {
    if (!desc.dataHandle) return std::vector<UInt8>{};
    if (!memory::is_handle(desc.dataHandle)) return fail(errAENotAEDesc, "not a descriptor's handle");
    Size size = GetHandleSize(desc.dataHandle);
    const UInt8* p = reinterpret_cast<const UInt8*>(*desc.dataHandle);
    if (size <= 0 || !p) return std::vector<UInt8>{};
    return std::vector<UInt8>(p, p + size);
}

Result<AEDesc> make_desc(DescType type, std::span<const UInt8> data) {
    if (data.size() > size_t(INT32_MAX)) return fail(memFullErr, "descriptor data too large");
    Handle h = NewHandle(Size(data.size()));
    if (!h) return fail(memFullErr, "no memory for the descriptor");
    if (!data.empty()) std::memcpy(*h, data.data(), data.size());
    return AEDesc{type, h};
}

Result<void> replace_data(AEDesc* desc, std::span<const UInt8> data) {
    if (data.size() > size_t(INT32_MAX)) return fail(memFullErr, "descriptor data too large");
    if (!desc->dataHandle) {
        AEDesc fresh = TRY(make_desc(desc->descriptorType, data));
        desc->dataHandle = fresh.dataHandle;
        return ok();
    }
    if (!memory::is_handle(desc->dataHandle)) return fail(errAENotAEDesc, "not a descriptor's handle");
    SetHandleSize(desc->dataHandle, Size(data.size()));
    if (MemError() != noErr) return fail(memFullErr, "no memory for the descriptor");
    if (!data.empty()) std::memcpy(*desc->dataHandle, data.data(), data.size());
    return ok();
}

Result<Item> item_of(const AEDesc& desc) {
    Item item;
    item.type = desc.descriptorType;
    item.data = TRY(data_of(desc));
    return item;
}

Result<AEDesc> desc_of(const Item& item) { return make_desc(item.type, item.data); }

Result<Items> items_of(const AEDesc& desc) {
    if (is_list_type(desc.descriptorType)) return parse_items(TRY(data_of(desc)));
    if (desc.descriptorType == typeAppleEvent) return TRY(event_of(desc)).parameters;
    return fail(errAEWrongDataType, "not a list, record or Apple event");
}

Result<void> set_items(AEDesc* desc, const Items& items) {
    if (desc->descriptorType == typeAppleEvent) {
        EventData event = TRY(event_of(*desc));
        event.parameters = items;
        return set_event(desc, event);
    }
    if (!is_list_type(desc->descriptorType)) return fail(errAEWrongDataType, "not a list or record");
    return replace_data(desc, write_items(items));
}

Result<EventData> event_of(const AEDesc& desc) {
    if (desc.descriptorType != typeAppleEvent) return fail(errAENotAppleEvent, "not an Apple event");
    return parse_event(TRY(data_of(desc)));
}

Result<void> set_event(AEDesc* desc, const EventData& event) {
    return replace_data(desc, write_event(event));
}

OSErr copy_out(const Item& item, DescType* typeCode, void* dataPtr, Size maximumSize,
               Size* actualSize) {
    if (maximumSize < 0 || (maximumSize > 0 && !dataPtr)) return paramErr;
    if (item.data.size() > size_t(INT32_MAX)) return memFullErr;
    size_t n = std::min(item.data.size(), size_t(maximumSize));
    if (n) std::memcpy(dataPtr, item.data.data(), n);
    if (typeCode) *typeCode = item.type;
    if (actualSize) *actualSize = Size(item.data.size());
    return noErr;
}

}  // namespace platform::appleevents
