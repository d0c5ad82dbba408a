#pragma once
// Notification subscribers: every live DkNotifySubscriber is in one process-wide list and receives
// each notification code the debugger delivers through callback slot 7.

#include <cstdint>

namespace dk {

class DkNotifySubscriber {
public:
    DkNotifySubscriber();          // appended to the list
    virtual ~DkNotifySubscriber(); // empties its entry; the entry goes when no dispatch runs
    DkNotifySubscriber(const DkNotifySubscriber&) = delete;
    DkNotifySubscriber& operator=(const DkNotifySubscriber&) = delete;
    virtual void Notify(uint32_t code) = 0;
};

// Delivers a code to every subscriber in list order; codes above 21 are ignored. Subscribers added
// during the walk receive the code too; one destroyed during the walk is skipped.
void DispatchNotification(uint32_t code);

// Number of list entries, empty ones included (tests).
std::size_t notifySubscriberEntries();

} // namespace dk
