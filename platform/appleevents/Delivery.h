// Delivery.h — how Apple events travel through the event loop.
//
// send() queues an event and posts a high-level event whose payload is the
// queue token; AEProcessAppleEvent takes the payload back and dispatches.
// start_for_launch() is called once by the launch code of an application:
// it posts 'oapp' (or 'odoc' with the documents named on the command line),
// turns the platform's quit requests into 'quit' and its requests to open
// documents (events::request_open_documents) into 'odoc', and lets headless
// scripts send 'odoc'.
#pragma once

#include "platform/AppleEvents.h"
#include "platform/core/Result.h"

namespace platform::appleevents {

// The queue owns the event from now on (*event becomes a null descriptor).
// Returns the token whose outcome take_outcome() gives after processing.
Result<UInt32> send(AppleEvent* event);

void start_for_launch();

}  // namespace platform::appleevents
