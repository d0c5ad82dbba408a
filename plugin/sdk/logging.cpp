#include "plugin/sdk/callback_objects.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace dk {
namespace {

// The lock guards the entries only; no lock is held while a subscriber's Log runs.
struct LoggerList {
    std::mutex mutex;
    std::vector<DkLoggingSubscriber*> entries;
};

LoggerList& loggers()
{
    static LoggerList* list = new LoggerList;
    return *list;
}

} // namespace

DkLoggingSubscriber::DkLoggingSubscriber()
{
    if (!WholeBuild::within(this))
        JoinLog();
}

DkLoggingSubscriber::~DkLoggingSubscriber() { LeaveLog(); }

void DkLoggingSubscriber::JoinLog()
{
    std::lock_guard lock(loggers().mutex);
    auto& entries = loggers().entries;
    if (std::find(entries.begin(), entries.end(), this) != entries.end())
        return;
    m_calls->open();
    entries.push_back(this);
}

bool DkLoggingSubscriber::leaveList()
{
    std::lock_guard lock(loggers().mutex);
    auto& entries = loggers().entries;
    const auto kept = std::remove(entries.begin(), entries.end(), this);
    const bool joined = kept != entries.end();
    entries.erase(kept, entries.end());
    return joined;
}

void DkLoggingSubscriber::LeaveLog()
{
    if (leaveList())
        m_calls->close(); // a delivery in progress on another thread ends first
}

void DkLoggingSubscriber::operator delete(DkLoggingSubscriber* subscriber, std::destroying_delete_t)
{
    subscriber->leaveList();
    subscriber->m_calls->endWhenCallsLeave(subscriber);
}

void* DkLoggingSubscriber::operator new(std::size_t size) { return ::operator new(size); }

void DkLoggingSubscriber::operator delete(void* memory) { ::operator delete(memory); }

void DeliverLog(uint32_t severity, const char* text)
{
    std::string message = text != nullptr ? text : "";
    std::vector<DkLoggingSubscriber*> snapshot;
    {
        std::lock_guard lock(loggers().mutex);
        snapshot = loggers().entries;
    }
    for (DkLoggingSubscriber* subscriber : snapshot) {
        std::shared_ptr<CallGate> gate;
        {
            // Entered under the list's lock: a subscriber that left the list meanwhile is skipped,
            // and one that leaves after this waits for the call below.
            std::lock_guard lock(loggers().mutex);
            auto& entries = loggers().entries;
            if (std::find(entries.begin(), entries.end(), subscriber) == entries.end() ||
                !subscriber->m_calls->enter())
                continue;
            gate = subscriber->m_calls;
        }
        // A delete meanwhile is carried out here, once the call has returned.
        const CallGate::Call call(std::move(gate), CallGate::Call::AlreadyEntered{});
        subscriber->Log(severity, message);
    }
}

} // namespace dk
