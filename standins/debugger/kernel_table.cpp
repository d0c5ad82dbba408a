// The C entries of the simulated kernel function table. Each entry reaches the active SimKernel;
// without one it answers failure. Unimplemented indices are traps that record their index.

#include "standins/debugger/entry_support.h"

#include <utility>

namespace simdbg {
namespace {

template <typename R>
bool enter(int entry, SimKernel*& kernel, R& injected)
{
    return enterEntry(entry, kernel, injected);
}

uint32_t e7(const PluginCallbackTable* callbacks, uint32_t* registration)
{
    SimKernel* k;
    uint32_t r;
    return enter(7, k, r) ? k->registerPlugin(callbacks, registration) : r;
}

uint32_t e8(uint32_t registration)
{
    SimKernel* k;
    uint32_t r;
    return enter(8, k, r) ? k->unregisterPlugin(registration) : r;
}

void e19(const char* text)
{
    if (SimKernel* k = SimKernel::active()) {
        k->countCall(19);
        k->giveBackText(text);
    }
}

uint16_t e51()
{
    SimKernel* k;
    uint16_t r;
    return enter(51, k, r) ? k->zoneCount() : r;
}

DkStatus e52(uint32_t index, DkZoneRecord* record)
{
    SimKernel* k;
    DkStatus r;
    return enter(52, k, r) ? k->zoneRecord(index, record) : r;
}

int32_t e106(DkHandle symbol, DkHandle context, DkTargetLocation* location)
{
    SimKernel* k;
    int32_t r;
    return enter(106, k, r) ? k->symbolLocation(symbol, context, location) : r;
}

DkHandle e111(const char* name, uint32_t kind, DkHandle context)
{
    SimKernel* k;
    DkHandle r;
    return enter(111, k, r) ? k->lookupSymbol(name, kind, context) : r;
}

const char* e101(DkHandle symbol)
{
    SimKernel* k;
    uintptr_t r;
    return enter(101, k, r) ? k->symbolName(symbol) : nullptr;
}

void e116(uint32_t* array)
{
    if (SimKernel* k = SimKernel::active()) {
        k->countCall(116);
        k->giveBackArray(array);
    }
}

void e145(DkHandle context)
{
    if (SimKernel* k = SimKernel::active())
        k->countCall(145);
    (void)context;
}

template <int N, DkHandle Handle>
DkHandle eContext()
{
    SimKernel* k;
    DkHandle r;
    return enter(N, k, r) ? Handle : r;
}

DkHandle e164(DkHandle context)
{
    SimKernel* k;
    DkHandle r;
    if (!enter(164, k, r))
        return r;
    return context == 0 ? 0 : (context | SimKernel::kAccessorBit);
}

template <int N, bool Write>
DkStatus eMemory(DkHandle accessor, const DkTargetLocation* location, uint32_t count, void* buffer,
                 uint32_t unitBits, uint8_t* flag)
{
    SimKernel* k;
    DkStatus r;
    if (!enter(N, k, r)) {
        if (!Write && buffer != nullptr && unitBits == 8)
            std::fill_n(static_cast<uint8_t*>(buffer), count, uint8_t{0xA5}); // a failed read leaves junk
        return r;
    }
    if (flag != nullptr)
        *flag = 0;
    return k->memoryOperation(Write, accessor, location, count, buffer, unitBits);
}

DkStatus e175(const DkBreakpointRequest* request, uint32_t registration, void* executor, uint32_t* handle)
{
    SimKernel* k;
    DkStatus r;
    return enter(175, k, r) ? k->setBreakpoint(request, registration, executor, handle) : r;
}

DkStatus e176(uint32_t handle)
{
    SimKernel* k;
    DkStatus r;
    return enter(176, k, r) ? k->removeBreakpoint(handle) : r;
}

int32_t e177(uint32_t accessCode)
{
    SimKernel* k;
    int32_t r;
    return enter(177, k, r) ? (accessCode <= 2 ? 1 : 0) : r;
}

void e201(uint32_t severity, const char* text)
{
    if (SimKernel* k = SimKernel::active()) {
        k->countCall(201);
        k->log(severity, text);
    }
}

// Every other entry: recorded as unexpected; answers 0 where 0 means none, else 0xFFFF.
template <int N>
uint64_t trap()
{
    if (SimKernel* k = SimKernel::active())
        k->recordUnexpected(N);
    return entryFailsWithZero(N) ? 0 : DK_STATUS_FAILURE;
}

template <std::size_t... I>
void fillTraps(DkKernelFunctions_1& table, std::index_sequence<I...>)
{
    ((table.entry[I] = reinterpret_cast<DkEntry>(&trap<static_cast<int>(I)>)), ...);
}

template <typename F>
DkEntry entry(F function)
{
    return reinterpret_cast<DkEntry>(function);
}

} // namespace

void fillKernelTable(DkKernelFunctions_1& table)
{
    fillTraps(table, std::make_index_sequence<DK_KERNEL_TABLE_SIZE>{});
    table.entry[DK_REGISTER_PLUGIN] = entry(&e7);
    table.entry[DK_UNREGISTER_PLUGIN] = entry(&e8);
    table.entry[DK_GIVE_BACK_TEXT] = entry(&e19);
    table.entry[DK_ZONE_COUNT] = entry(&e51);
    table.entry[DK_ZONE_RECORD] = entry(&e52);
    table.entry[DK_SYMBOL_NAME] = entry(&e101);
    table.entry[DK_SYMBOL_LOCATION] = entry(&e106);
    table.entry[DK_SYMBOL_LOOKUP] = entry(&e111);
    table.entry[DK_GIVE_BACK_SYMBOLS] = entry(&e116);
    table.entry[DK_CONTEXT_RELEASE] = entry(&e145);
    table.entry[DK_CONTEXT_MEMORY] = entry(&eContext<158, SimKernel::kMemoryContext>);
    table.entry[DK_CONTEXT_159] = entry(&eContext<159, SimKernel::kContext159>);
    table.entry[DK_CONTEXT_SYMBOLS] = entry(&eContext<160, SimKernel::kSymbolContext>);
    table.entry[DK_CONTEXT_ACCESSOR] = entry(&e164);
    table.entry[DK_MEMORY_READ] = entry(&eMemory<165, false>);
    table.entry[DK_MEMORY_WRITE] = entry(&eMemory<169, true>);
    table.entry[DK_BREAKPOINT_SET] = entry(&e175);
    table.entry[DK_BREAKPOINT_REMOVE] = entry(&e176);
    table.entry[DK_BREAKPOINT_CAN_SET] = entry(&e177);
    table.entry[DK_LOG] = entry(&e201);
    fillProgramEntries(table);
}

} // namespace simdbg
