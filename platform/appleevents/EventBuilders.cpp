// The required events as the platform sends them.
#include <string>

#include "platform/appleevents/AppleEventsInternal.h"
#include "platform/appleevents/DescData.h"
#include "platform/appleevents/FileURL.h"
#include "platform/files/Catalog.h"

namespace platform::appleevents {

namespace fs = std::filesystem;

namespace {

Result<AppleEvent> make_event(AEEventID id) {
    AppleEvent event;
    OSErr err = AECreateAppleEvent(kCoreEventClass, id, nullptr, kAutoGenerateReturnID,
                                   kAnyTransactionID, &event);
    if (err != noErr) return fail(err, "cannot create the Apple event");
    return event;
}

// An 'fss ' item when the path has an FSSpec, else the path as a file URL.
Item file_item(const fs::path& path) {
    FSSpec spec;
    OSErr err = files::make_fsspec(path, &spec);
    if (err == noErr || err == fnfErr) {
        const auto* p = reinterpret_cast<const UInt8*>(&spec);
        return Item{0, typeFSS, {p, p + sizeof spec}};
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    std::string url = file_url_for_path(ec ? path.native() : absolute.native());
    return Item{0, typeFileURL, {url.begin(), url.end()}};
}

Result<AppleEvent> make_documents_event(AEEventID id, const std::vector<fs::path>& paths) {
    AppleEvent event = TRY(make_event(id));
    DescGuard event_guard(&event);
    Items items;
    for (const auto& path : paths) items.push_back(file_item(path));
    AEDescList list = TRY(make_desc(typeAEList, write_items(items)));
    DescGuard list_guard(&list);
    OSErr err = AEPutParamDesc(&event, keyDirectObject, &list);
    if (err != noErr) return fail(err, "cannot add the document list");
    event_guard.release();
    return event;
}

}  // namespace

Result<AppleEvent> make_open_documents_event(const std::vector<fs::path>& paths) {
    return make_documents_event(kAEOpenDocuments, paths);
}

Result<AppleEvent> make_print_documents_event(const std::vector<fs::path>& paths) {
    return make_documents_event(kAEPrintDocuments, paths);
}

Result<AppleEvent> make_open_application_event() { return make_event(kAEOpenApplication); }

Result<AppleEvent> make_quit_event() { return make_event(kAEQuitApplication); }

}  // namespace platform::appleevents
