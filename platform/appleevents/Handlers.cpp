// The dispatch tables and dispatching an event to its handler.
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/AppleEvents.h"
#include "platform/Gestalt.h"
#include "platform/appleevents/AppleEventsInternal.h"
#include "platform/core/GestaltRegistry.h"

namespace platform::appleevents {

namespace {

struct Entry {
    AEEventHandlerUPP handler = nullptr;
    SRefCon refcon = 0;
};

using Key = std::pair<AEEventClass, AEEventID>;

struct Tables {
    std::mutex lock;
    std::map<Key, Entry> application;
    std::map<Key, Entry> system;

    std::map<Key, Entry>& of(Boolean isSysHandler) { return isSysHandler ? system : application; }
};

Tables& tables() {
    static Tables t;
    return t;
}

// The Apple Event Manager is always there.
struct Announce {
    Announce() { gestalt::set_value(gestaltAppleEventsAttr, 1 << gestaltAppleEventsPresent); }
};
const Announce announce;

std::optional<Entry> lookup(AEEventClass cls, AEEventID id) {
    auto& t = tables();
    std::lock_guard g(t.lock);
    const Key keys[] = {{cls, id}, {cls, typeWildCard}, {typeWildCard, id}, {typeWildCard, typeWildCard}};
    for (auto* table : {&t.application, &t.system}) {
        for (const Key& k : keys) {
            auto it = table->find(k);
            if (it != table->end()) return it->second;
        }
    }
    return std::nullopt;
}

OSType attribute_code(const AppleEvent& event, AEKeyword key, OSErr* err) {
    OSType code = 0;
    Size size = 0;
    DescType type;
    *err = AEGetAttributePtr(&event, key, typeType, &type, &code, sizeof code, &size);
    if (*err == noErr && size != sizeof code) *err = errAECorruptData;
    return code;
}

}  // namespace

OSErr dispatch(const AppleEvent& event, AppleEvent* reply) {
    OSErr err;
    AEEventClass cls = attribute_code(event, keyEventClassAttr, &err);
    if (err != noErr) return err;
    AEEventID id = attribute_code(event, keyEventIDAttr, &err);
    if (err != noErr) return err;

    auto entry = lookup(cls, id);
    // The handler runs outside the lock: it may install or remove handlers.
    OSErr result = entry ? entry->handler(&event, reply, entry->refcon) : OSErr(errAEEventNotHandled);
    if (result != noErr && reply && reply->descriptorType == typeAppleEvent) {
        Size size;
        DescType type;
        SInt32 existing;
        if (AEGetParamPtr(reply, keyErrorNumber, typeSInt32, &type, &existing, sizeof existing, &size) ==
            errAEDescNotFound) {
            SInt32 code = result;
            (void)AEPutParamPtr(reply, keyErrorNumber, typeSInt32, &code, sizeof code);
        }
    }
    return result;
}

}  // namespace platform::appleevents

namespace ae = platform::appleevents;

AEEventHandlerUPP NewAEEventHandlerUPP(AEEventHandlerProcPtr userRoutine) { return userRoutine; }

void DisposeAEEventHandlerUPP(AEEventHandlerUPP /*userUPP*/) {}

OSErr InvokeAEEventHandlerUPP(const AppleEvent* theAppleEvent, AppleEvent* reply,
                              SRefCon handlerRefcon, AEEventHandlerUPP userUPP) {
    if (!userUPP) return paramErr;
    return userUPP(theAppleEvent, reply, handlerRefcon);
}

OSErr AEInstallEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                            AEEventHandlerUPP handler, SRefCon handlerRefcon, Boolean isSysHandler) {
    if (!handler) return paramErr;
    auto& t = ae::tables();
    std::lock_guard g(t.lock);
    t.of(isSysHandler)[{theAEEventClass, theAEEventID}] = {handler, handlerRefcon};
    return noErr;
}

OSErr AERemoveEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                           AEEventHandlerUPP handler, Boolean isSysHandler) {
    auto& t = ae::tables();
    std::lock_guard g(t.lock);
    auto& table = t.of(isSysHandler);
    auto it = table.find({theAEEventClass, theAEEventID});
    if (it == table.end()) return errAEHandlerNotFound;
    if (handler && it->second.handler != handler) return errAEHandlerNotFound;
    table.erase(it);
    return noErr;
}

OSErr AEGetEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                        AEEventHandlerUPP* handler, SRefCon* handlerRefcon, Boolean isSysHandler) {
    auto& t = ae::tables();
    std::lock_guard g(t.lock);
    auto& table = t.of(isSysHandler);
    auto it = table.find({theAEEventClass, theAEEventID});
    if (it == table.end()) return errAEHandlerNotFound;
    if (handler) *handler = it->second.handler;
    if (handlerRefcon) *handlerRefcon = it->second.refcon;
    return noErr;
}
