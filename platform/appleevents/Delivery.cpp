// Apple events through the event loop: queued here, carried by the Event
// Manager as high-level events, dispatched by AEProcessAppleEvent.
#include "platform/appleevents/Delivery.h"

#include <cstdio>
#include <memory>

#include "platform/Events.h"
#include "platform/appleevents/AppleEventsInternal.h"
#include "platform/events/EventsInternal.h"
#include "platform/hostapi/LaunchOptions.h"
#include "platform/hostapi/ScriptWorld.h"

namespace platform::appleevents {
namespace {

OSType attribute(const AppleEvent& event, AEKeyword key) {
    DescType type;
    OSType value = 0;
    Size size = 0;
    if (AEGetAttributePtr(&event, key, typeType, &type, &value, sizeof value, &size) != noErr) return 0;
    return value;
}

// Sends an event built by one of the builders; the error text for scripts.
std::optional<std::string> send_built(Result<AppleEvent> built) {
    if (!built) return std::string("could not build the Apple event: ") + built.error().message;
    AppleEvent event = *built;
    auto token = send(&event);
    if (!token) return std::string("could not send the Apple event: ") + token.error().message;
    return std::nullopt;
}

class ScriptSender final : public script::AppleEventSender {
public:
    std::optional<std::string> send_open_documents(const std::vector<std::string>& paths) override {
        std::vector<std::filesystem::path> files(paths.begin(), paths.end());
        return send_built(make_open_documents_event(files));
    }
};

}  // namespace

Result<UInt32> send(AppleEvent* event) {
    OSType eventClass = attribute(*event, keyEventClassAttr);
    OSType eventID = attribute(*event, keyEventIDAttr);
    if (eventClass == 0 || eventID == 0) return fail(errAENotAppleEvent, "not an Apple event");
    UInt32 token = enqueue(event);
    events::post_high_level_event(eventClass, eventID, std::make_shared<UInt32>(token));
    return token;
}

void start_for_launch() {
    const auto& documents = host::launch_options().documents;
    if (documents.empty()) {
        send_built(make_open_application_event());
    } else {
        std::vector<std::filesystem::path> files(documents.begin(), documents.end());
        send_built(make_open_documents_event(files));
    }
    // The host window's close box, SIGINT/SIGTERM, "Quit Kinora" and the end
    // of a script all arrive as the quit Apple event.
    events::set_quit_handler([](events::QuitSource) { send_built(make_quit_event()); });
    // Files dropped on the host window or sent by another Kinora open as
    // they would from the command line.
    events::set_documents_handler([](const std::vector<std::string>& paths) {
        std::vector<std::filesystem::path> files(paths.begin(), paths.end());
        if (auto error = send_built(make_open_documents_event(files)))
            std::fprintf(stderr, "kinora: %s\n", error->c_str());
    });
    static ScriptSender sender;
    script::set_apple_event_sender(&sender);
}

}  // namespace platform::appleevents

OSErr AEProcessAppleEvent(const EventRecord* theEventRecord) {
    if (!theEventRecord || theEventRecord->what != kHighLevelEvent) return errAENotAppleEvent;
    auto payload = platform::events::take_high_level_payload(*theEventRecord);
    if (!payload) return errAENotAppleEvent;
    return platform::appleevents::process(*static_cast<UInt32*>(payload.get()));
}
