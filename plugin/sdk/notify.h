#pragma once
// Notification subscribers: every live DkNotifySubscriber is in one process-wide list and receives
// each notification code the debugger delivers through callback slot 7.

#include "plugin/sdk/call_gate.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace dk {

class DkNotifySubscriber {
public:
    DkNotifySubscriber();          // appended to the list
    virtual ~DkNotifySubscriber(); // leaves the list (Unsubscribe)
    DkNotifySubscriber(const DkNotifySubscriber&) = delete;
    DkNotifySubscriber& operator=(const DkNotifySubscriber&) = delete;
    virtual void Notify(uint32_t code) = 0;

protected:
    // For a subclass that joins the list only once it is whole (Subscribe at the end of its own
    // constructor), so that a dispatch on another thread never calls a half-built object.
    struct Deferred {};
    explicit DkNotifySubscriber(Deferred);
    void Subscribe();

    // Leaves the list: empties its entry (the entry goes when no dispatch runs) and waits until a
    // call of its Notify running on another thread has returned. A subclass whose Notify uses its own
    // members calls it first in its destructor, so that no dispatch reaches a half-destroyed object.
    void Unsubscribe();

private:
    friend void DispatchNotification(uint32_t code);
    bool m_subscribed = false; // under the list's lock
    // The dispatches inside this subscriber's Notify; shared, as one may outlive the subscriber
    // when it is destroyed from inside its own Notify.
    std::shared_ptr<CallGate> m_calls = std::make_shared<CallGate>();
};

// Delivers a code to every subscriber in list order; codes above 21 are ignored. Subscribers added
// during the walk receive the code too; one destroyed during the walk is skipped. No lock is held
// while a subscriber's Notify runs, so it may subscribe, unsubscribe or dispatch itself.
void DispatchNotification(uint32_t code);

// Returns once no dispatch runs on another thread (a dispatch on the calling thread is not waited for).
void WaitForDispatches();

// Number of list entries, empty ones included (tests).
std::size_t notifySubscriberEntries();

} // namespace dk
