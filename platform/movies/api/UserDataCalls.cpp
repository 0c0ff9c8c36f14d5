// User data: typed items of raw bytes on a movie or a track. Indexes count
// from 1 among the items of one type; GetUserDataItem and SetUserDataItem
// take 0 for the first item (set: replace it, or add one when there is
// none). A missing item gives userDataItemNotFound and leaves the caller's
// buffer as it was.
#include <cstring>

#include "platform/Memory.h"
#include "platform/movies/objects/MovieObjects.h"

using namespace platform;
using namespace platform::movies;
namespace pm = platform::movies;


namespace platform::movies {
namespace {

const UserDataItem* find(UserDataObject& u, OSType type, SInt32 index) {
    const pm::UserData* list = u.list();
    if (!list || index < 1) return nullptr;
    return list->find(type, size_t(index));
}

std::vector<UInt8> handle_bytes(Handle h) {
    if (!h || !*h) return {};
    return std::vector<UInt8>(*h, *h + GetHandleSize(h));
}

Result<void> copy_to_handle(Handle h, const std::vector<UInt8>& bytes) {
    SetHandleSize(h, Size(bytes.size()));
    if (MemError() != noErr) return fail(MemError(), "cannot size the handle");
    if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    return ok();
}

// Text entries carry a language code; the region codes callers give map
// onto it (anything we do not know, -1 included, is English, 0).
UInt16 language_of_region(SInt16 region) {
    switch (region) {
    case 1: return 1;    // France: French
    case 3: return 2;    // Germany: German
    case 4: return 3;    // Italy: Italian
    case 14: return 14;  // Japan: Japanese
    default: return 0;
    }
}

}  // namespace
}  // namespace platform::movies

::UserData GetMovieUserData(::Movie theMovie) {
    MovieObject* m = movie_of(theMovie);
    if (!m) {
        set_error(invalidMovie);
        return nullptr;
    }
    set_error(noErr);
    return to_api(&m->user_data);
}

::UserData GetTrackUserData(::Track theTrack) {
    TrackObject* t = track_of(theTrack);
    if (!t) {
        set_error(invalidTrack);
        return nullptr;
    }
    set_error(noErr);
    return to_api(&t->user_data);
}

OSErr GetUserData(::UserData theUserData, Handle data, OSType udType, SInt32 index) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u) return set_error(paramErr);
    const UserDataItem* item = find(*u, udType, index);
    if (!item) return set_error(userDataItemNotFound);
    if (data) return set_error(copy_to_handle(data, item->data).code());
    return set_error(noErr);
}

OSErr GetUserDataItem(::UserData theUserData, void* data, SInt32 size, OSType udType, SInt32 index) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u || size < 0) return set_error(paramErr);
    const UserDataItem* item = find(*u, udType, index == 0 ? 1 : index);
    if (!item) return set_error(userDataItemNotFound);
    // The caller's buffer is exactly what it expects the item to be.
    if (item->data.size() != size_t(size) || (size && !data)) return set_error(paramErr);
    if (size) std::memcpy(data, item->data.data(), size_t(size));
    return set_error(noErr);
}

OSErr SetUserDataItem(::UserData theUserData, void* data, SInt32 size, OSType udType, SInt32 index) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u || size < 0 || (size && !data) || index < 0) return set_error(paramErr);
    std::vector<UInt8> bytes(static_cast<const UInt8*>(data), static_cast<const UInt8*>(data) + size);
    pm::UserData& list = u->list_for_writing();
    size_t count = list.count(udType);
    size_t at = index == 0 ? 1 : size_t(index);
    if (at <= count) list.find(udType, at)->data = std::move(bytes);
    else if (at == count + 1) list.add(udType, std::move(bytes));
    else return set_error(userDataItemNotFound);
    u->touched();
    return set_error(noErr);
}

OSErr AddUserData(::UserData theUserData, Handle data, OSType udType) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u || !data) return set_error(paramErr);
    u->list_for_writing().add(udType, handle_bytes(data));
    u->touched();
    return set_error(noErr);
}

OSErr AddUserDataText(::UserData theUserData, Handle data, OSType udType, SInt32 index, SInt16 itlRegionTag) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u || !data || index < 1) return set_error(paramErr);
    std::vector<UInt8> bytes = handle_bytes(data);
    std::string text(bytes.begin(), bytes.end());
    auto set = set_user_data_text(u->list_for_writing(), udType, size_t(index), text, language_of_region(itlRegionTag));
    if (set.ok()) u->touched();
    return set_error(set.code());
}

OSErr GetUserDataText(::UserData theUserData, Handle data, OSType udType, SInt32 index, SInt16 itlRegionTag) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u || !data || index < 1) return set_error(paramErr);
    const pm::UserData* list = u->list();
    if (!list) return set_error(userDataItemNotFound);
    auto text = get_user_data_text(*list, udType, size_t(index), language_of_region(itlRegionTag));
    if (!text.ok()) return set_error(text.code() == invalidMovie ? OSErr(userDataItemNotFound) : text.code());
    return set_error(copy_to_handle(data, std::vector<UInt8>(text->begin(), text->end())).code());
}

SInt16 CountUserDataType(::UserData theUserData, OSType udType) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u) {
        set_error(paramErr);
        return 0;
    }
    set_error(noErr);
    const pm::UserData* list = u->list();
    return list ? SInt16(std::min<size_t>(list->count(udType), 0x7FFF)) : 0;
}

OSType GetNextUserDataType(::UserData theUserData, OSType udType) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u) {
        set_error(paramErr);
        return 0;
    }
    set_error(noErr);
    const pm::UserData* list = u->list();
    if (!list) return 0;
    // Types in the order they first appear.
    std::vector<OSType> types;
    for (const auto& item : list->items)
        if (std::find(types.begin(), types.end(), item.type) == types.end()) types.push_back(item.type);
    if (udType == 0) return types.empty() ? 0 : types[0];
    auto it = std::find(types.begin(), types.end(), udType);
    if (it == types.end() || it + 1 == types.end()) return 0;
    return *(it + 1);
}

OSErr RemoveUserData(::UserData theUserData, OSType udType, SInt32 index) {
    UserDataObject* u = user_data_of(theUserData);
    if (!u) return set_error(paramErr);
    const pm::UserData* list = u->list();
    if (!list || index < 1 || !list->find(udType, size_t(index))) return set_error(userDataItemNotFound);
    u->list_for_writing().remove(udType, size_t(index));
    u->touched();
    return set_error(noErr);
}
