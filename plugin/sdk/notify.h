#pragma once
// Notification subscribers: every joined DkNotifySubscriber is in one process-wide list and receives
// each notification code the debugger delivers through callback slot 7.
//
// A subscriber built as a plain T joins the list when its DkNotifySubscriber base is built and leaves
// it when that base is destroyed: use it when no other thread dispatches while it is built or ended
// in place (a dispatch meanwhile would reach a half-built or half-destroyed object). Built as
// DkSubscribed<T> (plugin/sdk/subscribed.h), it joins once whole and leaves before any of it is
// destroyed, whatever thread dispatches meanwhile: use that form otherwise. Either form built with new
// ends by delete, on any thread and from inside any callback, without waiting: it leaves the list at
// once and, when its Notify runs meanwhile, is destroyed when that call returns (plugin/sdk/call_gate.h).

#include "plugin/sdk/call_gate.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace dk {

class DkNotifySubscriber {
public:
    DkNotifySubscriber();          // joins the list (Subscribe); DkSubscribed<T> joins it once whole
    virtual ~DkNotifySubscriber(); // leaves it (Unsubscribe)
    DkNotifySubscriber(const DkNotifySubscriber&) = delete;
    DkNotifySubscriber& operator=(const DkNotifySubscriber&) = delete;
    virtual void Notify(uint32_t code) = 0;

    // delete: leaves the list without waiting; destroyed now, or by the last call of its Notify in
    // progress when that returns.
    static void* operator new(std::size_t size);
    static void operator delete(void* memory);   // a constructor threw
    void operator delete(DkNotifySubscriber* subscriber, std::destroying_delete_t);

protected:
    friend struct WholeParts;
    // A subclass that manages its own membership joins at the end of its most derived constructor
    // (Subscribe) and leaves first in its most derived destructor (Unsubscribe), as DkSubscribed does.
    struct Deferred {};
    explicit DkNotifySubscriber(Deferred) {}
    void Subscribe();

    // Leaves the list: empties its entry (the entry goes when no dispatch runs) and closes its gate
    // (CallGate::close) for a call of its Notify running on another thread.
    void Unsubscribe();

private:
    friend void DispatchNotification(uint32_t code);
    bool leaveList();                   // empties the entry; true when it was in the list
    bool m_subscribed = false; // under the list's lock
    // The dispatches inside this subscriber's Notify.
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
