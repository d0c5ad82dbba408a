#include "plugin/sdk/notify.h"

#include "sdk/debugger/dk_abi.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace dk {
namespace {

// The list is appended to on whichever thread builds the plug-in object and walked on debugger
// threads. The lock guards the entries and the depth only: it is never held while a subscriber
// runs. Entries are erased only when no walk runs (depth 0), so a walk's index stays valid.
struct SubscriberList {
    std::mutex mutex;
    std::condition_variable walksEnded;
    std::vector<DkNotifySubscriber*> entries;
    uint32_t depth = 0; // walks running, on every thread
};

SubscriberList& subscribers()
{
    static SubscriberList* list = new SubscriberList; // outlives every subscriber
    return *list;
}

thread_local uint32_t t_depth = 0; // walks running on this thread

// Under the list's lock.
void eraseEmptyEntriesWhenIdle(SubscriberList& list)
{
    if (list.depth == 0)
        list.entries.erase(std::remove(list.entries.begin(), list.entries.end(), nullptr), list.entries.end());
}

} // namespace

void DkNotifySubscriber::Subscribe()
{
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex);
    if (m_subscribed)
        return;
    m_subscribed = true;
    m_calls->open();
    list.entries.push_back(this);
}

DkNotifySubscriber::DkNotifySubscriber()
{
    if (!WholeBuild::within(this))
        Subscribe();
}

DkNotifySubscriber::~DkNotifySubscriber() { Unsubscribe(); }

bool DkNotifySubscriber::leaveList()
{
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex);
    if (!m_subscribed)
        return false;
    m_subscribed = false;
    auto it = std::find(list.entries.begin(), list.entries.end(), this);
    if (it != list.entries.end())
        *it = nullptr;
    eraseEmptyEntriesWhenIdle(list);
    return true;
}

void DkNotifySubscriber::Unsubscribe()
{
    // No walk reaches it from now on; one that already called it is waited for, without a lock.
    if (leaveList())
        m_calls->close();
}

void DkNotifySubscriber::operator delete(DkNotifySubscriber* subscriber, std::destroying_delete_t)
{
    subscriber->leaveList();
    subscriber->m_calls->endWhenCallsLeave(subscriber);
}

void* DkNotifySubscriber::operator new(std::size_t size) { return ::operator new(size); }

void DkNotifySubscriber::operator delete(void* memory) { ::operator delete(memory); }

void DispatchNotification(uint32_t code)
{
    if (code > DK_NOTIFY_LAST_CODE)
        return;
    SubscriberList& list = subscribers();
    {
        std::lock_guard lock(list.mutex);
        ++list.depth;
        ++t_depth;
    }
    struct EndWalk {
        SubscriberList& list;
        ~EndWalk()
        {
            {
                std::lock_guard lock(list.mutex);
                --list.depth;
                --t_depth;
                eraseEmptyEntriesWhenIdle(list);
            }
            list.walksEnded.notify_all();
        }
    } endWalk{list};
    for (std::size_t i = 0;; ++i) {
        DkNotifySubscriber* subscriber = nullptr;
        std::shared_ptr<CallGate> gate;
        {
            std::lock_guard lock(list.mutex);
            if (i >= list.entries.size())
                break; // the end is read again after every call
            subscriber = list.entries[i];
            // Entered under the list's lock: an Unsubscribe that empties the entry after this waits
            // for the call below.
            if (subscriber == nullptr || !subscriber->m_calls->enter())
                continue;
            gate = subscriber->m_calls;
        }
        // A delete meanwhile is carried out here, once the call has returned.
        const CallGate::Call call(std::move(gate), CallGate::Call::AlreadyEntered{});
        subscriber->Notify(code);
    }
}

void WaitForDispatches()
{
    SubscriberList& list = subscribers();
    std::unique_lock lock(list.mutex);
    list.walksEnded.wait(lock, [&] { return list.depth == t_depth; });
}

std::size_t notifySubscriberEntries()
{
    SubscriberList& list = subscribers();
    std::lock_guard lock(list.mutex);
    return list.entries.size();
}

} // namespace dk
