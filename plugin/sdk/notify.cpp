#include "plugin/sdk/notify.h"

#include "sdk/debugger/dk_abi.h"

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <vector>

namespace dk {
namespace {

// The list is appended to on whichever thread builds the plug-in object and walked on debugger
// threads, so it is locked; the lock is re-entrant because subscribers come and go inside a dispatch.
struct SubscriberList {
    std::recursive_mutex mutex;
    std::vector<DkNotifySubscriber*> entries;
    uint32_t depth = 0;
};

SubscriberList& subscribers()
{
    static SubscriberList* list = new SubscriberList; // outlives every subscriber
    return *list;
}

} // namespace

DkNotifySubscriber::DkNotifySubscriber() { Subscribe(); }

DkNotifySubscriber::DkNotifySubscriber(Deferred) {}

void DkNotifySubscriber::Subscribe()
{
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex);
    if (m_subscribed)
        return;
    m_subscribed = true;
    list.entries.push_back(this);
}

DkNotifySubscriber::~DkNotifySubscriber() { Unsubscribe(); }

void DkNotifySubscriber::Unsubscribe()
{
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex); // a dispatch holds it for its whole walk
    if (!m_subscribed)
        return;
    m_subscribed = false;
    auto it = std::find(list.entries.begin(), list.entries.end(), this);
    if (it != list.entries.end())
        *it = nullptr;
    if (list.depth == 0)
        list.entries.erase(std::remove(list.entries.begin(), list.entries.end(), nullptr), list.entries.end());
}

void DispatchNotification(uint32_t code)
{
    if (code > DK_NOTIFY_LAST_CODE)
        return;
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex);
    ++list.depth;
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        DkNotifySubscriber* subscriber = list.entries[i];
        if (subscriber != nullptr)
            subscriber->Notify(code);
    }
    if (--list.depth == 0)
        list.entries.erase(std::remove(list.entries.begin(), list.entries.end(), nullptr), list.entries.end());
}

void WaitForDispatches()
{
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex);
}

std::size_t notifySubscriberEntries()
{
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex);
    return list.entries.size();
}

} // namespace dk
