#include "plugin/sdk/kernel.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace dk {
namespace {
std::atomic<const DkKernelFunctions_1*> g_table{nullptr};
std::atomic<uint32_t> g_registration{0};
std::atomic<uint64_t> g_session{0};

struct EndedSessions {
    std::mutex mutex;
    std::vector<uint64_t> numbers;
};

EndedSessions& endedSessions()
{
    static auto* ended = new EndedSessions;
    return *ended;
}
} // namespace

void bindKernelTable(const DkKernelFunctions_1* table) { g_table.store(table); }
const DkKernelFunctions_1* kernelTable() { return g_table.load(); }
uint32_t registrationHandle() { return g_registration.load(); }
void setRegistrationHandle(uint32_t handle)
{
    if (handle != 0)
        g_session.fetch_add(1);
    g_registration.store(handle);
}

uint64_t sessionNumber() { return g_session.load(); }

void NoteSessionEnded(uint64_t session)
{
    if (session == 0)
        return;
    EndedSessions& ended = endedSessions();
    std::lock_guard lock(ended.mutex);
    ended.numbers.push_back(session);
}

bool SessionEnded(uint64_t session)
{
    EndedSessions& ended = endedSessions();
    std::lock_guard lock(ended.mutex);
    return std::find(ended.numbers.begin(), ended.numbers.end(), session) != ended.numbers.end();
}

std::string takeHostText(const char* text)
{
    if (text == nullptr)
        return {};
    std::string copy(text);
    callKernelVoid<DkGiveBackTextFn>(DK_GIVE_BACK_TEXT, text);
    return copy;
}

void giveBackArray(int entry, uint32_t* array)
{
    if (array != nullptr)
        callKernelVoid<DkGiveBackArrayFn>(entry, array);
}

uint32_t HostRequest(int entry, uint32_t argument)
{
    const bool known = (entry >= DK_HOST_REQUEST_3 && entry <= DK_HOST_REQUEST_5) || entry == DK_HOST_REQUEST_18 ||
                       (entry >= DK_HOST_REQUEST_41 && entry <= DK_HOST_REQUEST_48) || entry == DK_HOST_REQUEST_68 ||
                       entry == DK_HOST_REQUEST_69 || entry == DK_HOST_REQUEST_281 || entry == DK_HOST_REQUEST_282;
    if (!known)
        return DK_STATUS_FAILURE;
    return callKernel<DkHostRequestFn>(uint32_t{DK_STATUS_FAILURE}, entry, argument);
}

void logToDebugger(uint32_t severity, const std::string& text)
{
    callKernelVoid<DkLogFn>(DK_LOG, severity, text.c_str());
}

} // namespace dk
