#pragma once
// What every C entry of the simulated kernel table does first: find the active kernel, count the
// call and answer an injected failure if one is pending.

#include "standins/debugger/sim_kernel.h"

namespace simdbg {

template <typename R>
bool enterEntry(int entry, SimKernel*& kernel, R& injected)
{
    kernel = SimKernel::active();
    if (kernel == nullptr) {
        injected = static_cast<R>(entryFailsWithZero(entry) ? 0 : DK_STATUS_FAILURE);
        return false;
    }
    kernel->countCall(entry);
    uint32_t status = 0;
    if (kernel->takeInjected(entry, status)) {
        injected = static_cast<R>(status);
        return false;
    }
    return true;
}

void fillProgramEntries(DkKernelFunctions_1& table);

} // namespace simdbg
