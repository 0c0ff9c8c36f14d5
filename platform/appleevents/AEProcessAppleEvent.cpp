// AEProcessAppleEvent: the bridge from the Event Manager's high-level
// events to the queued Apple events. Its message is the queue's token.
#include "platform/AppleEvents.h"
#include "platform/Events.h"
#include "platform/appleevents/AppleEventsInternal.h"

OSErr AEProcessAppleEvent(const EventRecord* theEventRecord) {
    if (!theEventRecord || theEventRecord->what != kHighLevelEvent) return errAENotAppleEvent;
    return platform::appleevents::process(UInt32(theEventRecord->message));
}
