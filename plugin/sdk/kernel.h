#pragma once
// The plug-in's one way to the debugger: the kernel function table kept at Init, and the
// registration handle the debugger gave for the callback table. Every call answers the caller's
// fallback when no table is bound or the entry is empty, so nothing is called through a null table.

#include "sdk/debugger/dk_abi.h"

#include <atomic>
#include <string>

namespace dk {

void bindKernelTable(const DkKernelFunctions_1* table);
const DkKernelFunctions_1* kernelTable();
uint32_t registrationHandle();
void setRegistrationHandle(uint32_t handle);
// Numbers the registrations of the process from 1 (0: none yet); a new handle starts a new number,
// so a handle the debugger hands out again still belongs to a new session.
uint64_t sessionNumber();
// The debugger gave the session's registration back and dropped what was set with it: breakpoints,
// category providers and their user breakpoints. Their handles are never asked for again.
void NoteSessionEnded(uint64_t session);
bool SessionEnded(uint64_t session);

// The entry at index as a function of type Fn, or null.
template <typename Fn>
Fn kernelEntry(int index)
{
    const DkKernelFunctions_1* table = kernelTable();
    if (table == nullptr || index < 0 || index >= DK_KERNEL_TABLE_SIZE || table->entry[index] == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(table->entry[index]);
}

// Calls entry index with the arguments, or answers fallback without calling.
template <typename Fn, typename R, typename... Args>
R callKernel(R fallback, int index, Args... args)
{
    Fn fn = kernelEntry<Fn>(index);
    if (fn == nullptr)
        return fallback;
    return static_cast<R>(fn(args...));
}

// Calls an entry that answers nothing; false when it could not be called.
template <typename Fn, typename... Args>
bool callKernelVoid(int index, Args... args)
{
    Fn fn = kernelEntry<Fn>(index);
    if (fn == nullptr)
        return false;
    fn(args...);
    return true;
}

// Copies a text the debugger handed out and gives it back with entry 19. A null text is empty and
// is not given back.
std::string takeHostText(const char* text);

// Gives a handle array back with the entry that belongs to its query (116 for symbol arrays).
void giveBackArray(int entry, uint32_t* array);

// A host request over one of the entries 3, 4, 5, 18, 41 to 48, 68, 69, 281 and 282: the argument
// goes to the debugger as it is and its answer comes back. 0xFFFF for any other entry or when the
// debugger does not offer it.
uint32_t HostRequest(int entry, uint32_t argument);

// A log request to the debugger (entry 201), severity 0 to 3.
void logToDebugger(uint32_t severity, const std::string& text);

} // namespace dk
