/*
 * DescData.h — the data of container descriptors, and descriptor handles.
 *
 * Lists, records and Apple events keep their items in their data handle in
 * this layout (container fields big-endian; each item's data exactly as it
 * was put, in host order):
 *
 *   'list', 'reco'
 *      offset size
 *           0    4  item count N
 *           4       N items, one after the other:
 *                 0    4  keyword (0 in a 'list')
 *                 4    4  descriptor type
 *                 8    4  data size S
 *                12    S  data (a nested list or record is its own data, same layout)
 *   'aevt'
 *           0       the attributes, laid out as a 'reco'
 *           .       the parameters, laid out as a 'reco'
 *
 * Empty data reads as an empty container. Parsing checks every count and
 * size against the bytes left; a damaged container gives errAECorruptData.
 */
#pragma once

#include <span>
#include <vector>

#include "platform/AppleEvents.h"
#include "platform/core/Bytes.h"
#include "platform/core/Result.h"

namespace platform::appleevents {

struct Item {
    AEKeyword key = 0;
    DescType type = typeNull;
    std::vector<UInt8> data;
};
using Items = std::vector<Item>;

struct EventData {
    Items attributes;
    Items parameters;
};

bool is_list_type(DescType type);   // 'list' or 'reco'

Result<Items> parse_items(std::span<const UInt8> data);
std::vector<UInt8> write_items(const Items& items);
Result<EventData> parse_event(std::span<const UInt8> data);
std::vector<UInt8> write_event(const EventData& event);
// errAECorruptData unless `data` is well-formed for a descriptor of `type`.
Result<void> check_data(DescType type, std::span<const UInt8> data);

// A copy of a descriptor's data (errAENotAEDesc for a handle that is not a
// live Memory Manager handle).
Result<std::vector<UInt8>> data_of(const AEDesc& desc);
// A new descriptor holding a copy of the data (memFullErr).
Result<AEDesc> make_desc(DescType type, std::span<const UInt8> data);
// Replaces a descriptor's data in place, keeping its type.
Result<void> replace_data(AEDesc* desc, std::span<const UInt8> data);

// A descriptor as an item (a copy of its data), and back (a new handle).
Result<Item> item_of(const AEDesc& desc);
Result<AEDesc> desc_of(const Item& item);

// The items of a 'list' or 'reco', or the parameters of an 'aevt'
// (errAEWrongDataType for any other descriptor), and storing them back.
Result<Items> items_of(const AEDesc& desc);
Result<void> set_items(AEDesc* desc, const Items& items);
// An Apple event's attributes and parameters (errAENotAppleEvent).
Result<EventData> event_of(const AEDesc& desc);
Result<void> set_event(AEDesc* desc, const EventData& event);

// Hands an item out through the getters' pointer arguments: at most
// maximumSize bytes are copied, *actualSize is the whole size.
OSErr copy_out(const Item& item, DescType* typeCode, void* dataPtr, Size maximumSize,
               Size* actualSize);

// Disposes of a descriptor at the end of a scope unless released.
class DescGuard {
public:
    explicit DescGuard(AEDesc* desc) : desc_(desc) {}
    ~DescGuard() {
        if (desc_) AEDisposeDesc(desc_);
    }
    DescGuard(const DescGuard&) = delete;
    DescGuard& operator=(const DescGuard&) = delete;
    void release() { desc_ = nullptr; }

private:
    AEDesc* desc_;
};

}  // namespace platform::appleevents
