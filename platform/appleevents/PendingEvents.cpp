// Apple events waiting for the event loop, and the outcomes of those processed.
#include <deque>
#include <map>
#include <mutex>

#include "platform/appleevents/AppleEventsInternal.h"

namespace platform::appleevents {

namespace {

constexpr size_t kKeptOutcomes = 64;

struct Queue {
    std::mutex lock;
    UInt32 next = 1;
    std::map<UInt32, AppleEvent> pending;
    std::map<UInt32, Outcome> outcomes;
    std::deque<UInt32> outcome_order;   // oldest first
};

Queue& queue() {
    static Queue q;
    return q;
}

void keep_outcome(UInt32 token, Outcome outcome) {
    auto& q = queue();
    std::lock_guard g(q.lock);
    while (q.outcomes.size() >= kKeptOutcomes && !q.outcome_order.empty()) {
        auto old = q.outcomes.find(q.outcome_order.front());
        q.outcome_order.pop_front();
        if (old != q.outcomes.end()) {
            AEDisposeDesc(&old->second.reply);
            q.outcomes.erase(old);
        }
    }
    q.outcomes[token] = outcome;
    q.outcome_order.push_back(token);
}

}  // namespace

UInt32 enqueue(AppleEvent* event) {
    auto& q = queue();
    std::lock_guard g(q.lock);
    UInt32 token = q.next++;
    if (q.next == 0) q.next = 1;
    q.pending[token] = *event;
    *event = AppleEvent{typeNull, nullptr};
    return token;
}

std::optional<AppleEvent> take(UInt32 token) {
    auto& q = queue();
    std::lock_guard g(q.lock);
    auto it = q.pending.find(token);
    if (it == q.pending.end()) return std::nullopt;
    AppleEvent event = it->second;
    q.pending.erase(it);
    return event;
}

OSErr process(UInt32 token) {
    auto event = take(token);
    if (!event) return errAENotAppleEvent;
    AEReturnID returnID = 0;
    DescType type;
    Size size;
    (void)AEGetAttributePtr(&*event, keyReturnIDAttr, typeSInt16, &type, &returnID, sizeof returnID, &size);
    Outcome outcome;
    OSErr made = AECreateAppleEvent(kCoreEventClass, kAEAnswer, nullptr, returnID, kAnyTransactionID,
                                    &outcome.reply);
    // Without memory for a reply the handler still runs; it gets a null reply.
    outcome.result = dispatch(*event, made == noErr ? &outcome.reply : nullptr);
    AEDisposeDesc(&*event);
    keep_outcome(token, outcome);
    return outcome.result;
}

std::optional<Outcome> take_outcome(UInt32 token) {
    auto& q = queue();
    std::lock_guard g(q.lock);
    auto it = q.outcomes.find(token);
    if (it == q.outcomes.end()) return std::nullopt;
    Outcome outcome = it->second;
    q.outcomes.erase(it);
    return outcome;
}

size_t pending_count() {
    auto& q = queue();
    std::lock_guard g(q.lock);
    return q.pending.size();
}

}  // namespace platform::appleevents
