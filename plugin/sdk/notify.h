#pragma once
// Notification subscribers: every joined DkNotifySubscriber is in one process-wide list and receives
// each notification code the debugger delivers through callback slot 7.
//
// What a plug-in does: derive from DkNotifySubscriber and build the object as DkSubscribed<T>
// (plugin/sdk/subscribed.h), which joins the list once the object is whole and leaves it before any
// of it is destroyed, whatever thread dispatches meanwhile. A subscriber built as a plain T is never
// called. End a subscriber built with new by delete, on any thread and from inside any callback: when
// its Notify runs on another thread, it leaves the list at once and is destroyed when that call
// returns, so two subscribers may end each other from inside their Notify on two threads.

#include "plugin/sdk/call_gate.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace dk {

class DkNotifySubscriber {
public:
    DkNotifySubscriber() = default; // not in the list: DkSubscribed<T> joins it once whole
    virtual ~DkNotifySubscriber();  // empties its entry (Unsubscribe)
    DkNotifySubscriber(const DkNotifySubscriber&) = delete;
    DkNotifySubscriber& operator=(const DkNotifySubscriber&) = delete;
    virtual void Notify(uint32_t code) = 0;

    // delete: leaves the list without waiting; destroyed now, or by the last call of its Notify in
    // progress when that returns.
    static void* operator new(std::size_t size); // freed by end()
    static void operator delete(void* memory);   // a constructor threw
    void operator delete(DkNotifySubscriber* subscriber, std::destroying_delete_t);

protected:
    // A subclass that manages its own membership joins at the end of its most derived constructor
    // (Subscribe) and leaves first in its most derived destructor (Unsubscribe); DkSubscribed does both.
    struct Deferred {};
    explicit DkNotifySubscriber(Deferred) {}
    void Subscribe();

    // Leaves the list: empties its entry (the entry goes when no dispatch runs) and waits until a
    // call of its Notify running on another thread has returned.
    void Unsubscribe();

private:
    friend void DispatchNotification(uint32_t code);
    bool leaveList();                   // empties the entry; true when it was in the list
    static void end(DkNotifySubscriber* subscriber); // destroys and frees one built with new
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
