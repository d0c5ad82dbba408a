#include "engine/footprint/estimator_messages.h"

#include <mutex>
#include <set>
#include <utility>

#include "platform/core/message_service.h"

namespace engine {

namespace {

// Bounded so that a generated storm of distinct texts cannot grow memory without end.
constexpr std::size_t kMaxRemembered = 1024;

struct MessageLog {
    std::mutex mutex;
    std::set<std::pair<const void*, std::string>> shown;
};

MessageLog& Log()
{
    static MessageLog log;
    return log;
}

} // namespace

bool ReportEstimatorMessage(const CpuRecord* cpu, const std::string& text)
{
    const void* model = cpu ? static_cast<const void*>(cpu->modelFile) : nullptr;
    {
        MessageLog& log = Log();
        std::lock_guard<std::mutex> lock(log.mutex);
        if (log.shown.count({model, text}))
            return false;
        if (log.shown.size() >= kMaxRemembered)
            log.shown.clear();
        log.shown.insert({model, text});
    }
    platform::messageBox(text, "Error", platform::MbOk | platform::MbIconError);
    return true;
}

void ClearEstimatorMessages()
{
    MessageLog& log = Log();
    std::lock_guard<std::mutex> lock(log.mutex);
    log.shown.clear();
}

} // namespace engine
