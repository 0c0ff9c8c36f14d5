// AppleEventsInternal.h — what the rest of the platform uses of the Apple
// Event Manager: building the required events, queueing them for the
// event loop, and dispatching them to the installed handlers.
//
// How an event travels: the platform (launch options, the host's close
// box, the Quit menu item, a script's "odoc"/"quit") builds it, queues it
// with enqueue() and posts a high-level event whose message is the token.
// The application hands that event record to AEProcessAppleEvent, which
// runs process(token): the handler's result and reply are kept as the
// token's outcome for the sender to collect with take_outcome().
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/AppleEvents.h"
#include "platform/core/Result.h"

namespace platform::appleevents {

// Calls the handler installed for the event's class and ID (the
// application's table first, then the system's; exact matches before
// wildcards). The handler's result is returned; when it is an error and
// the reply is an Apple event, the reply also gets it as keyErrorNumber
// ('errn', typeSInt32) unless the handler put one there itself.
// errAEEventNotHandled when no handler is installed.
OSErr dispatch(const AppleEvent& event, AppleEvent* reply);

// Queues an event; the queue owns it from now on (*event becomes a null
// descriptor). Tokens are never 0.
UInt32 enqueue(AppleEvent* event);
// Removes a queued event; the caller owns it. Nothing for an unknown token.
std::optional<AppleEvent> take(UInt32 token);
// Takes the event, dispatches it with a fresh reply ('aevt'/'ansr', same
// return ID), disposes of the event and keeps the outcome. The handler's
// result; errAENotAppleEvent for an unknown token.
OSErr process(UInt32 token);

struct Outcome {
    OSErr result = noErr;
    AppleEvent reply = {typeNull, nullptr};   // the caller disposes of it
};
// The outcome of a processed event, once. The most recent 64 are kept.
std::optional<Outcome> take_outcome(UInt32 token);
size_t pending_count();

// The required events, class kCoreEventClass, no target. Each returns a
// new event the caller owns.
// 'odoc' / 'pdoc': the direct object is a list with one item per path.
// A path is taken relative to the working directory; its item is an 'fss '
// when the path has an FSSpec (the file may be missing, not its folder),
// otherwise the path as a 'furl', which a handler's coercion to 'fss '
// then refuses (errAECoercionFail) at that item.
Result<AppleEvent> make_open_documents_event(const std::vector<std::filesystem::path>& paths);
Result<AppleEvent> make_print_documents_event(const std::vector<std::filesystem::path>& paths);
Result<AppleEvent> make_open_application_event();
Result<AppleEvent> make_quit_event();

}  // namespace platform::appleevents
