#include "plugin/sdk/callback_objects.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace dk {
namespace {

struct LoggerList {
    std::recursive_mutex mutex; // a subscriber may come or go while a message is delivered
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
    std::lock_guard lock(loggers().mutex);
    loggers().entries.push_back(this);
}

DkLoggingSubscriber::~DkLoggingSubscriber()
{
    std::lock_guard lock(loggers().mutex);
    auto& entries = loggers().entries;
    entries.erase(std::remove(entries.begin(), entries.end(), this), entries.end());
}

void DeliverLog(uint32_t severity, const char* text)
{
    std::string message = text != nullptr ? text : "";
    std::lock_guard lock(loggers().mutex);
    std::vector<DkLoggingSubscriber*> snapshot = loggers().entries;
    for (DkLoggingSubscriber* subscriber : snapshot) {
        auto& entries = loggers().entries;
        if (std::find(entries.begin(), entries.end(), subscriber) != entries.end())
            subscriber->Log(severity, message);
    }
}

} // namespace dk
