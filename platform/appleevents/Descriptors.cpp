// Descriptors and lists: creating, copying, disposing, coercing, items by index.
#include <algorithm>
#include <cstring>

#include "platform/AppleEvents.h"
#include "platform/Memory.h"
#include "platform/appleevents/Coercion.h"
#include "platform/appleevents/DescData.h"
#include "platform/memory/MemoryInternal.h"

namespace ae = platform::appleevents;

namespace {

const AEDesc kNullDesc = {typeNull, nullptr};

std::span<const UInt8> bytes(const void* p, Size n) {
    return {static_cast<const UInt8*>(p), size_t(n)};
}

// The item at a 1-based index, coerced; keyword '****' for list items.
platform::Result<ae::Item> nth_item(const AEDescList& list, SInt32 index, DescType desired) {
    ae::Items items = TRY(ae::items_of(list));
    if (index < 1 || size_t(index) > items.size()) return platform::fail(errAEIllegalIndex, "no item at that index");
    ae::Item item = std::move(items[size_t(index) - 1]);
    if (list.descriptorType == typeAEList) item.key = typeWildCard;
    return ae::coerce(item, desired);
}

OSErr put_item(AEDescList* list, SInt32 index, ae::Item item) {
    if (!list) return paramErr;
    if (list->descriptorType != typeAEList) return errAEWrongDataType;
    auto checked = ae::check_data(item.type, item.data);
    if (!checked.ok()) return checked.code();
    auto items = ae::items_of(*list);
    if (!items.ok()) return items.code();
    if (index < 0 || size_t(index) > items->size() + 1) return errAEIllegalIndex;
    item.key = 0;
    if (index == 0 || size_t(index) == items->size() + 1)
        items->push_back(std::move(item));
    else
        (*items)[size_t(index) - 1] = std::move(item);
    return ae::set_items(list, *items).code();
}

}  // namespace

OSErr AECreateDesc(DescType typeCode, const void* dataPtr, Size dataSize, AEDesc* result) {
    if (!result) return paramErr;
    *result = kNullDesc;
    if (dataSize < 0 || (dataSize > 0 && !dataPtr)) return paramErr;
    auto data = bytes(dataPtr, dataSize);
    auto checked = ae::check_data(typeCode, data);
    if (!checked.ok()) return checked.code();
    auto desc = ae::make_desc(typeCode, data);
    if (!desc.ok()) return desc.code();
    *result = *desc;
    return noErr;
}

OSErr AEDuplicateDesc(const AEDesc* theAEDesc, AEDesc* result) {
    if (!theAEDesc || !result) return paramErr;
    const AEDesc source = *theAEDesc;   // result may be the same descriptor
    *result = kNullDesc;
    if (!source.dataHandle) {
        result->descriptorType = source.descriptorType;
        return noErr;
    }
    auto item = ae::item_of(source);
    if (!item.ok()) return item.code();
    auto copy = ae::desc_of(*item);
    if (!copy.ok()) return copy.code();
    *result = *copy;
    return noErr;
}

OSErr AEDisposeDesc(AEDesc* theAEDesc) {
    if (!theAEDesc) return paramErr;
    Handle h = theAEDesc->dataHandle;
    if (h && !platform::memory::is_handle(h)) return errAENotAEDesc;
    if (h) DisposeHandle(h);
    *theAEDesc = kNullDesc;
    return noErr;
}

OSErr AECoerceDesc(const AEDesc* theAEDesc, DescType toType, AEDesc* result) {
    if (!theAEDesc || !result) return paramErr;
    auto item = ae::item_of(*theAEDesc);
    *result = kNullDesc;
    if (!item.ok()) return item.code();
    auto coerced = ae::coerce(*item, toType);
    if (!coerced.ok()) return coerced.code();
    auto desc = ae::desc_of(*coerced);
    if (!desc.ok()) return desc.code();
    *result = *desc;
    return noErr;
}

Size AEGetDescDataSize(const AEDesc* theAEDesc) {
    if (!theAEDesc || !theAEDesc->dataHandle) return 0;
    if (!platform::memory::is_handle(theAEDesc->dataHandle)) return 0;
    return GetHandleSize(theAEDesc->dataHandle);
}

OSErr AEGetDescData(const AEDesc* theAEDesc, void* dataPtr, Size maximumSize) {
    if (!theAEDesc) return paramErr;
    auto item = ae::item_of(*theAEDesc);
    if (!item.ok()) return item.code();
    return ae::copy_out(*item, nullptr, dataPtr, maximumSize, nullptr);
}

OSErr AECreateList(const void* /*factoringPtr*/, Size /*factoredSize*/, Boolean isRecord,
                   AEDescList* resultList) {
    // Factoring (a common prefix of every item) saved memory once; items are kept whole.
    if (!resultList) return paramErr;
    *resultList = kNullDesc;
    auto desc = ae::make_desc(isRecord ? typeAERecord : typeAEList, ae::write_items({}));
    if (!desc.ok()) return desc.code();
    *resultList = *desc;
    return noErr;
}

OSErr AECountItems(const AEDescList* theAEDescList, SInt32* theCount) {
    if (!theAEDescList || !theCount) return paramErr;
    auto items = ae::items_of(*theAEDescList);
    if (!items.ok()) return items.code();
    *theCount = SInt32(items->size());
    return noErr;
}

OSErr AEPutPtr(AEDescList* theAEDescList, SInt32 index, DescType typeCode, const void* dataPtr,
               Size dataSize) {
    if (dataSize < 0 || (dataSize > 0 && !dataPtr)) return paramErr;
    auto data = bytes(dataPtr, dataSize);
    return put_item(theAEDescList, index, ae::Item{0, typeCode, {data.begin(), data.end()}});
}

OSErr AEPutDesc(AEDescList* theAEDescList, SInt32 index, const AEDesc* theAEDesc) {
    if (!theAEDesc) return paramErr;
    auto item = ae::item_of(*theAEDesc);
    if (!item.ok()) return item.code();
    return put_item(theAEDescList, index, std::move(*item));
}

OSErr AEGetNthPtr(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                  AEKeyword* theAEKeyword, DescType* typeCode, void* dataPtr, Size maximumSize,
                  Size* actualSize) {
    if (!theAEDescList) return paramErr;
    auto item = nth_item(*theAEDescList, index, desiredType);
    if (!item.ok()) return item.code();
    OSErr err = ae::copy_out(*item, typeCode, dataPtr, maximumSize, actualSize);
    if (err == noErr && theAEKeyword) *theAEKeyword = item->key;
    return err;
}

OSErr AEGetNthDesc(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                   AEKeyword* theAEKeyword, AEDesc* result) {
    if (!theAEDescList || !result) return paramErr;
    auto item = nth_item(*theAEDescList, index, desiredType);
    *result = kNullDesc;
    if (!item.ok()) return item.code();
    auto desc = ae::desc_of(*item);
    if (!desc.ok()) return desc.code();
    *result = *desc;
    if (theAEKeyword) *theAEKeyword = item->key;
    return noErr;
}

OSErr AEDeleteItem(AEDescList* theAEDescList, SInt32 index) {
    if (!theAEDescList) return paramErr;
    auto items = ae::items_of(*theAEDescList);
    if (!items.ok()) return items.code();
    if (index < 1 || size_t(index) > items->size()) return errAEIllegalIndex;
    items->erase(items->begin() + (index - 1));
    return ae::set_items(theAEDescList, *items).code();
}
