#include "plugin/sdk/kernel.h"

namespace dk {
namespace {
std::atomic<const DkKernelFunctions_1*> g_table{nullptr};
std::atomic<uint32_t> g_registration{0};
} // namespace

void bindKernelTable(const DkKernelFunctions_1* table) { g_table.store(table); }
const DkKernelFunctions_1* kernelTable() { return g_table.load(); }
uint32_t registrationHandle() { return g_registration.load(); }
void setRegistrationHandle(uint32_t handle) { g_registration.store(handle); }

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

void logToDebugger(uint32_t severity, const std::string& text)
{
    callKernelVoid<DkLogFn>(DK_LOG, severity, text.c_str());
}

} // namespace dk
