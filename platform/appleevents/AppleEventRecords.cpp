// Apple events: creating them, their attributes and their parameters.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/AppleEvents.h"
#include "platform/appleevents/Coercion.h"
#include "platform/appleevents/DescData.h"

namespace ae = platform::appleevents;
using platform::Result;

namespace {

const AEDesc kNullDesc = {typeNull, nullptr};

template <class T>
ae::Item value_item(AEKeyword key, DescType type, T value) {
    ae::Item item{key, type, std::vector<UInt8>(sizeof value)};
    std::memcpy(item.data.data(), &value, sizeof value);
    return item;
}

AEReturnID next_return_id() {
    static std::atomic<UInt16> counter{0};
    for (;;) {
        AEReturnID id = AEReturnID(++counter);
        if (id != 0 && id != kAutoGenerateReturnID) return id;
    }
}

void put_keyed(ae::Items& items, ae::Item item) {
    for (auto& existing : items) {
        if (existing.key == item.key) {
            existing = std::move(item);
            return;
        }
    }
    items.push_back(std::move(item));
}

const ae::Item* find_keyed(const ae::Items& items, AEKeyword key) {
    for (const auto& item : items)
        if (item.key == key) return &item;
    return nullptr;
}

// Parameters live in an Apple event's parameter part or in a record.
Result<ae::Items> keyed_items(const AEDesc& desc) {
    if (desc.descriptorType == typeAppleEvent || desc.descriptorType == typeAERecord)
        return ae::items_of(desc);
    return platform::fail(errAEWrongDataType, "neither an Apple event nor a record");
}

OSErr put_param(AppleEvent* evt, ae::Item item) {
    if (!evt) return paramErr;
    auto checked = ae::check_data(item.type, item.data);
    if (!checked.ok()) return checked.code();
    auto items = keyed_items(*evt);
    if (!items.ok()) return items.code();
    put_keyed(*items, std::move(item));
    return ae::set_items(evt, *items).code();
}

Result<ae::Item> get_param(const AppleEvent& evt, AEKeyword key, DescType desired) {
    ae::Items items = TRY(keyed_items(evt));
    const ae::Item* item = find_keyed(items, key);
    if (!item) return platform::fail(errAEDescNotFound, "no such parameter");
    return ae::coerce(*item, desired);
}

Result<ae::Item> get_attribute(const AppleEvent& evt, AEKeyword key, DescType desired) {
    ae::EventData event = TRY(ae::event_of(evt));
    const ae::Item* item = find_keyed(event.attributes, key);
    if (!item) return platform::fail(errAEDescNotFound, "no such attribute");
    return ae::coerce(*item, desired);
}

OSErr hand_out(const Result<ae::Item>& item, AEDesc* result) {
    *result = kNullDesc;
    if (!item.ok()) return item.code();
    auto desc = ae::desc_of(*item);
    if (!desc.ok()) return desc.code();
    *result = *desc;
    return noErr;
}

}  // namespace

OSErr AECreateAppleEvent(AEEventClass theAEEventClass, AEEventID theAEEventID,
                         const AEAddressDesc* target, AEReturnID returnID,
                         AETransactionID transactionID, AppleEvent* result) {
    if (!result) return paramErr;
    *result = kNullDesc;
    ae::Item address{keyAddressAttr, typeNull, {}};
    if (target) {
        auto item = ae::item_of(*target);
        if (!item.ok()) return item.code();
        address = std::move(*item);
        address.key = keyAddressAttr;
    }
    if (returnID == kAutoGenerateReturnID) returnID = next_return_id();
    ae::EventData event;
    event.attributes.push_back(value_item(keyEventClassAttr, typeType, theAEEventClass));
    event.attributes.push_back(value_item(keyEventIDAttr, typeType, theAEEventID));
    event.attributes.push_back(value_item(keyReturnIDAttr, typeSInt16, returnID));
    event.attributes.push_back(value_item(keyTransactionIDAttr, typeSInt32, transactionID));
    event.attributes.push_back(std::move(address));
    auto desc = ae::make_desc(typeAppleEvent, ae::write_event(event));
    if (!desc.ok()) return desc.code();
    *result = *desc;
    return noErr;
}

OSErr AEPutParamPtr(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType typeCode,
                    const void* dataPtr, Size dataSize) {
    if (dataSize < 0 || (dataSize > 0 && !dataPtr)) return paramErr;
    const auto* p = static_cast<const UInt8*>(dataPtr);
    return put_param(theAppleEvent, ae::Item{theAEKeyword, typeCode, {p, p + dataSize}});
}

OSErr AEPutParamDesc(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, const AEDesc* theAEDesc) {
    if (!theAEDesc) return paramErr;
    auto item = ae::item_of(*theAEDesc);
    if (!item.ok()) return item.code();
    item->key = theAEKeyword;
    return put_param(theAppleEvent, std::move(*item));
}

OSErr AEGetParamPtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                    DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize) {
    if (!theAppleEvent) return paramErr;
    auto item = get_param(*theAppleEvent, theAEKeyword, desiredType);
    if (!item.ok()) return item.code();
    return ae::copy_out(*item, typeCode, dataPtr, maximumSize, actualSize);
}

OSErr AEGetParamDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                     AEDesc* result) {
    if (!theAppleEvent || !result) return paramErr;
    return hand_out(get_param(*theAppleEvent, theAEKeyword, desiredType), result);
}

OSErr AEDeleteParam(AppleEvent* theAppleEvent, AEKeyword theAEKeyword) {
    if (!theAppleEvent) return paramErr;
    auto items = keyed_items(*theAppleEvent);
    if (!items.ok()) return items.code();
    auto it = std::find_if(items->begin(), items->end(),
                           [&](const ae::Item& item) { return item.key == theAEKeyword; });
    if (it == items->end()) return errAEDescNotFound;
    items->erase(it);
    return ae::set_items(theAppleEvent, *items).code();
}

OSErr AEPutAttributePtr(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType typeCode,
                        const void* dataPtr, Size dataSize) {
    if (!theAppleEvent) return paramErr;
    if (dataSize < 0 || (dataSize > 0 && !dataPtr)) return paramErr;
    const auto* p = static_cast<const UInt8*>(dataPtr);
    ae::Item item{theAEKeyword, typeCode, {p, p + dataSize}};
    auto checked = ae::check_data(item.type, item.data);
    if (!checked.ok()) return checked.code();
    auto event = ae::event_of(*theAppleEvent);
    if (!event.ok()) return event.code();
    put_keyed(event->attributes, std::move(item));
    return ae::set_event(theAppleEvent, *event).code();
}

OSErr AEGetAttributePtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                        DescType desiredType, DescType* typeCode, void* dataPtr, Size maximumSize,
                        Size* actualSize) {
    if (!theAppleEvent) return paramErr;
    auto item = get_attribute(*theAppleEvent, theAEKeyword, desiredType);
    if (!item.ok()) return item.code();
    return ae::copy_out(*item, typeCode, dataPtr, maximumSize, actualSize);
}

OSErr AEGetAttributeDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                         DescType desiredType, AEDesc* result) {
    if (!theAppleEvent || !result) return paramErr;
    return hand_out(get_attribute(*theAppleEvent, theAEKeyword, desiredType), result);
}
